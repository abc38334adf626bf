// The updater's window in-process against the tests' HTTP server, with the
// prompts scripted: the states the button walks through, the questions it
// asks, cancelling, minimising to the notification area, and the hand-over
// to MiniSwap when the updater's own executable is replaced.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "mwWinAPI/UserInteraction.h"
#include "tests/mwWinAPI/TempFolder.h"
#include "tests/updater/Fakes.h"
#include "tests/updater/TestServer.h"
#include "updater/UpdaterMessages.h"
#include "updater/UpdaterWindow.h"

using namespace updater;

namespace {

using updatertest::FakeCheck;
using updatertest::FakeText;
using updatertest::kMarker;

// Through the C runtime, whose copy of the environment the program reads.
void SetServiceUrl(const std::string& address) { _putenv_s("ORBIFORM_SERVICE_URL", address.c_str()); }

// The control's own visibility, whether or not its window is on screen.
bool Shown(HWND control) { return (::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0; }

class UpdaterWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(RegisterUpdaterClass(::GetModuleHandleW(nullptr)));
    base_ = Narrow(server.Address("/f/"));
    SetServiceUrl(Narrow(server.Address("")));
  }
  void TearDown() override {
    SetServiceUrl("");
    if (HasFailure()) {
      for (const auto& p : ui.prompts) ADD_FAILURE() << "prompt " << Narrow(p.kind) << ": " << Narrow(p.text);
      for (std::size_t i = 0; i < log.Count(); ++i) ADD_FAILURE() << "log: " << Narrow(log.Entry(i).text);
    }
  }

  static std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

  // Creates the window with the given command line's options.
  void Open(const std::wstring& prefix, bool autoStart) {
    StartOptions options;
    options.queryPrefix = prefix;
    options.autoStart = autoStart;
    window = std::make_unique<UpdaterWindow>(downloader, log, folder.Path(), options, FakeText);
    window->Create(::GetModuleHandleW(nullptr));
  }
  bool PumpUntil(const std::function<bool()>& done, DWORD ms = 15000) {
    const DWORD start = ::GetTickCount();
    for (;;) {
      MSG msg;
      while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
      if (done()) return true;
      if (::GetTickCount() - start > ms) return false;
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
  }
  std::wstring ButtonText() const {
    wchar_t text[64] = {};
    ::GetWindowTextW(window->Button(), text, 64);
    return text;
  }
  void Press() { ::SendMessageW(window->Handle(), WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), 0); }
  int State() { return downloader.Job().State(); }
  const mwWinAPI::ScriptedInteraction::Prompt* Find(const std::wstring& kind,
                                                    const std::wstring& part) const {
    for (const auto& p : ui.prompts) {
      if (p.kind == kind && (p.text.find(part) != std::wstring::npos)) return &p;
    }
    return nullptr;
  }
  std::wstring Prefix() const { return server.Address("/info"); }

  mwWinAPI::ScriptedInteraction ui;
  updatertest::TestServer server;
  mwtest::TempFolder folder;
  UpdateLog log{SystemLogTime};
  Downloader downloader{log, FakeText, FakeCheck};
  std::unique_ptr<UpdaterWindow> window;
  std::string base_;
};

}  // namespace

TEST_F(UpdaterWindowTest, AutoStartDownloadsThenTheButtonInstallsAndHandsTheSelfUpdateToMiniSwap) {
  wchar_t own[MAX_PATH] = {};
  const std::wstring self(own, ::GetModuleFileNameW(nullptr, own, MAX_PATH));
  const std::wstring selfName = self.substr(self.find_last_of(L'\\') + 1);
  server.Serve("/info*", kMarker + base_ + "\n" + base_ + "QZ7Updater.new.file\n" + base_ +
                             "Orbiform2.exe.file\n*" + "QZ7Updater.new\n*" + Narrow(selfName) + "\n");
  server.Serve("/f/QZ7Updater.new.file", "MZ new updater");
  server.Serve("/f/Orbiform2.exe.file", "MZ new editor");
  updatertest::ServeManifest(server,
                             {{"QZ7Updater.new", "MZ new updater"}, {"Orbiform2.exe", "MZ new editor"}},
                             {"QZ7Updater.new|" + Narrow(selfName)});
  server.Start();

  Open(Prefix(), true);
  ASSERT_TRUE(PumpUntil([&] { return ButtonText() == L"<119>"; })) << int(State());
  EXPECT_EQ(READY_TO_UPDATE, State());
  EXPECT_FALSE(Shown(window->ProgressBar()));
  EXPECT_NE(nullptr, Find(L"TrayBalloon", L"<116>"));
  EXPECT_EQ(nullptr, Find(L"MessageBox", L""));  // no beta question with a prefix, no trust question
  EXPECT_EQ(0u, window->Query().find(Prefix() + L"&version="));

  Press();
  EXPECT_EQ("MZ new editor", mwtest::GetBytes(folder.Path(L"Orbiform2.exe")));
  EXPECT_EQ("MZ new updater", mwtest::GetBytes(folder.Path(L"QZ7Updater.new")));
  // The window is gone and MiniSwap was asked to move the new updater in place.
  EXPECT_EQ(nullptr, window->Handle());
  const auto* swap = Find(L"Shell", L"MiniSwap.exe");
  ASSERT_NE(nullptr, swap);
  EXPECT_EQ(folder.Path(L"MiniSwap.exe"), swap->text);
  EXPECT_EQ(L"\"QZ7Updater.new\" \"" + selfName + L"\" \"" + self + L"\" \"" + window->Query() + L"\"",
            swap->caption);
  EXPECT_EQ(static_cast<UINT>(SW_HIDE), swap->flags);
  // The installation's record is kept although the window went without WM_CLOSE.
  const std::string file = mwtest::GetBytes(folder.Path(L"QZ7BackUp\\QZ7Updater.log"));
  EXPECT_EQ(0u, file.find("[Update "));
  EXPECT_NE(std::string::npos, file.find("Orbiform2.exe<143>"));
}

TEST_F(UpdaterWindowTest, QuestionsFaultyRepliesAndCancelling) {
  server.Serve("/info*", kMarker + base_ + "\n*a\n" + base_ + "x.exe.file\n");
  server.Stall("/slow*", "HTTP/1.0 200 OK\r\n\r\n" + kMarker);
  server.Start();

  // Without a prefix the beta question comes first, then the built-in
  // (maker's) address of the chosen channel is asked without a trust question.
  Open(L"", false);
  ui.boxAnswers = {IDNO};
  Press();
  const auto* beta = Find(L"MessageBox", L"<125>");
  ASSERT_NE(nullptr, beta);
  EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2), beta->flags);
  EXPECT_NE(std::wstring::npos, window->Query().find(L"product=XKV&links=true&version="));
  EXPECT_EQ(nullptr, Find(L"MessageBox", L"<133>"));
  ASSERT_TRUE(PumpUntil([&] { return State() == NOTHING_DONE; }));  // the server has no such page

  // An address of another origin needs the user's trust; No starts nothing.
  window.reset();
  SetServiceUrl("https://maker.example");
  Open(Prefix(), false);
  ui.boxAnswers = {IDNO};
  Press();
  const auto* trust = Find(L"MessageBox", L"<133>");
  ASSERT_NE(nullptr, trust);
  EXPECT_EQ(0u, trust->text.find(Prefix()));
  EXPECT_NE(0u, trust->flags & MB_ICONWARNING);
  EXPECT_EQ(NOTHING_DONE, State());
  EXPECT_EQ(L"<106>", ButtonText());

  // A '*' line followed by a link: string 107, nothing downloaded.
  window.reset();
  SetServiceUrl(Narrow(server.Address("")));
  Open(Prefix(), true);
  ASSERT_TRUE(PumpUntil([&] { return Find(L"MessageBox", L"<107>") != nullptr; }));
  EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), Find(L"MessageBox", L"<107>")->flags);
  EXPECT_EQ(INFOS_DOWNLOADED, State());

  // Cancelling the information phase: back to the start, the button says so.
  window.reset();
  Downloader fresh(log, FakeText, FakeCheck);
  StartOptions options;
  options.queryPrefix = server.Address("/slow");
  window = std::make_unique<UpdaterWindow>(fresh, log, folder.Path(), options, FakeText);
  window->Create(::GetModuleHandleW(nullptr));
  Press();
  EXPECT_EQ(L"<111>", ButtonText());
  EXPECT_TRUE(Shown(window->ProgressBar()));
  ::Sleep(700);
  Press();
  EXPECT_EQ(NOTHING_DONE, fresh.Job().State());
  EXPECT_EQ(L"<126>", ButtonText());
  EXPECT_FALSE(Shown(window->ProgressBar()));
  window.reset();
}

TEST_F(UpdaterWindowTest, MinimisingHidesAndTheIconBringsItBackClosingWritesTheLog) {
  server.Serve("/info*", kMarker);
  updatertest::ServeManifest(server, {}, {}, "1.0.0");  // older than what is installed
  server.Start();
  Open(Prefix(), false);
  ::ShowWindow(window->Handle(), SW_SHOW);
  ::ShowWindow(window->Handle(), SW_MINIMIZE);
  EXPECT_FALSE(::IsWindowVisible(window->Handle()));
  ::SendMessageW(window->Handle(), UM_TRAY, 4711, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(::IsWindowVisible(window->Handle()));
  EXPECT_FALSE(::IsIconic(window->Handle()));

  // Nothing to update: the log says everything is done.
  Press();
  ASSERT_TRUE(PumpUntil([&] { return Find(L"TrayBalloon", L"<113>") != nullptr; }));
  EXPECT_EQ(L"<106>", ButtonText());
  EXPECT_EQ(LRESULT(log.Count()), ::SendMessageW(window->LogList(), LB_GETCOUNT, 0, 0));
  ::SendMessageW(window->Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(nullptr, window->Handle());
  const std::string file = mwtest::GetBytes(folder.Path(L"QZ7BackUp\\QZ7Updater.log"));
  EXPECT_EQ(0u, file.find("[Update "));
  EXPECT_NE(std::string::npos, file.find("<114>"));
}

TEST_F(UpdaterWindowTest, ClosingDuringADownloadCancelsItAndKeepsTheLog) {
  server.Stall("/info*", "HTTP/1.0 200 OK\r\n\r\n" + kMarker);
  server.Start();
  Open(Prefix(), true);
  ASSERT_TRUE(PumpUntil([&] { return State() == INFOS_DOWNLOADING; }));
  ::Sleep(700);
  const DWORD start = ::GetTickCount();
  ::SendMessageW(window->Handle(), WM_CLOSE, 0, 0);
  EXPECT_LT(::GetTickCount() - start, 6000u);
  EXPECT_EQ(nullptr, window->Handle());
  EXPECT_EQ(NOTHING_DONE, State());
  EXPECT_NE(nullptr, Find(L"TrayBalloon", L"<131>"));
  const std::string file = mwtest::GetBytes(folder.Path(L"QZ7BackUp\\QZ7Updater.log"));
  EXPECT_NE(std::string::npos, file.find("<137>"));
}
