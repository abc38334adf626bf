// The editor's update search against a server of the test's own on
// 127.0.0.1: what the user is asked and what is started, silent and with the
// progress dialog, and cancelling in both phases.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "editor/PrivateMessages.h"
#include "editor/UpdateCheck.h"
#include "editor/res/resource.h"
#include "mwWinAPI/StringTable.h"
#include "mwWinAPI/UserInteraction.h"
#include "mwWinAPI/Window.h"
#include "product/UpdateService.h"
#include "tests/mwWinAPI/PumpMessages.h"
#include "tests/net/StallingServer.h"

using namespace orbiform;
using testnet::StallingServer;

using testui::PumpUntil;

namespace {

const wchar_t kClass[] = L"UpdateCheckTest_WNDCLASS";
const std::string kMarker = mwWinAPI::kReplyMarker;

std::string Http(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::wstring Text(unsigned id) {
  mwWinAPI::StringTable strings;
  return strings.LoadS(id);
}

// The main window's part: every download step goes to the check.
class Owner : public mwWinAPI::Window {
 public:
  Owner() : Window(L"MainWindow") {
    static const ATOM registered =
        mwWinAPI::RegisterWindowClass(::GetModuleHandleW(nullptr), kClass, nullptr, nullptr, nullptr);
    (void)registered;
    Create(::GetModuleHandleW(nullptr), kClass, L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 0, 300, 200, nullptr);
    check = std::make_unique<UpdateCheck>(Handle());
  }
  ~Owner() override { check.reset(); }
  std::unique_ptr<UpdateCheck> check;
  int answers = 0;
  // Runs on the owner's thread while the progress dialog's loop is up.
  std::function<void()> onStep;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == TWM_UPDATE_STEP) {
      if (onStep) onStep();
      if (check->OnDownloadMessage()) ++answers;
      return 0;
    }
    return Default(message, wParam, lParam);
  }
};

// Presses Cancel in the progress dialog once it is up.
void CALLBACK PressCancel(HWND, UINT, UINT_PTR, DWORD) {
  HWND dialog = ::FindWindowW(L"#32770", L"Orbiform2");
  if (dialog) ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_UPDATE_CANCEL, BN_CLICKED), 0);
}

// The service address override, read through the C runtime's environment.
void UseServer(const StallingServer& server) {
  _putenv_s("ORBIFORM_SERVICE_URL", ("http://127.0.0.1:" + std::to_string(server.Port())).c_str());
}

struct Search {
  std::unique_ptr<StallingServer> server;
  Owner owner;
  mwWinAPI::ScriptedInteraction ui;

  explicit Search(const std::string& reply, const wchar_t* ownVersion = L"2.1.4")
      : server(std::make_unique<StallingServer>(reply)) {
    UseServer(*server);
    owner.check->SetOwnVersion(ownVersion);
  }
  ~Search() { _putenv_s("ORBIFORM_SERVICE_URL", ""); }
  bool Finished() const { return owner.check->CurrentState() == UpdateCheck::kFinished; }
};

}  // namespace

TEST(UpdateCheck, CarriesAndReadsItsVersion) {
  EXPECT_EQ(ReadOwnVersion(), L"2.1.0");
  EXPECT_EQ(ReadFileVersion(L"C:\\no\\such.exe"), L"");
}

TEST(UpdateCheck, SilentAnswersOfferTheUpdaterOnlyForNewerVersions) {
  {  // newer by number though not by text: the updater gets line 2 and /auto
    Search search(Http("\xEF\xBB\xBF" + kMarker + "2.1.10\nhttp://127.0.0.1/q?v=\nFaster\nand better"));
    search.ui.boxAnswers = {IDYES};
    search.ui.shellAnswers = {true};
    ASSERT_TRUE(search.owner.check->Start(true));
    ASSERT_TRUE(PumpUntil([&] { return search.owner.answers == 1; }));
    ASSERT_EQ(search.ui.prompts.size(), 2u);
    EXPECT_EQ(search.ui.prompts[0].text, Text(IDS_UPDATE_NOW_PROMPT) + L"Faster\nand better");
    EXPECT_EQ(search.ui.prompts[0].caption, L"Orbiform2");
    EXPECT_EQ(search.ui.prompts[0].flags, UINT(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(search.ui.prompts[1].kind, L"Shell");
    EXPECT_NE(search.ui.prompts[1].text.find(L"\\QZ7Updater.exe"), std::wstring::npos);
    EXPECT_EQ(search.ui.prompts[1].caption, L"http://127.0.0.1/q?v= /auto");
  }
  {  // the same version: a silent search says nothing, yet counts as answered
    Search search(Http(kMarker + "2.1.4\nhttp://127.0.0.1/q?v=\n"));
    ASSERT_TRUE(search.owner.check->Start(true));
    ASSERT_TRUE(PumpUntil([&] { return search.owner.answers == 1; }));
    EXPECT_TRUE(search.ui.prompts.empty());
  }
  {  // a download page: the address without its tildes goes to the browser
    Search search(Http("12345" + kMarker + "2.2.0\n~~~http://127.0.0.1/page\nNote"));
    search.ui.boxAnswers = {IDYES};
    search.ui.shellAnswers = {false};
    ASSERT_TRUE(search.owner.check->Start(true));
    ASSERT_TRUE(PumpUntil([&] { return search.owner.answers == 1; }));
    ASSERT_EQ(search.ui.prompts.size(), 3u);
    EXPECT_EQ(search.ui.prompts[0].text, Text(IDS_DOWNLOAD_SITE_PROMPT) + L"Note");
    EXPECT_EQ(search.ui.prompts[1].text, L"http://127.0.0.1/page");
    EXPECT_EQ(search.ui.prompts[2].text,
              Text(IDS_BROWSER_NOT_STARTED) + L"http://127.0.0.1/page" + Text(IDS_DOWNLOAD_READY));
  }
}

TEST(UpdateCheck, TheProgressDialogEndsWithTheAnswer) {
  {  // six bytes before the marker: no valid reply, said after the dialog hid
    Search search(Http("123456" + kMarker + "9.9.9\nx\n"));
    bool dialogSeen = false;
    search.owner.onStep = [&] {
      dialogSeen = dialogSeen || ::GetLastActivePopup(search.owner.Handle()) != search.owner.Handle();
    };
    ASSERT_TRUE(search.owner.check->Start(false));  // returns when the dialog ended
    EXPECT_TRUE(dialogSeen);
    EXPECT_TRUE(search.Finished());
    EXPECT_EQ(search.owner.answers, 1);
    ASSERT_EQ(search.ui.prompts.size(), 1u);
    EXPECT_EQ(search.ui.prompts[0].text, Text(IDS_NEWEST_VERSION_UNKNOWN));
    EXPECT_EQ(search.ui.prompts[0].flags, UINT(MB_ICONERROR));
  }
  {  // the newest version installed
    Search search(Http(kMarker + "2.1.4"), L"2.1.4");
    ASSERT_TRUE(search.owner.check->Start(false));
    ASSERT_EQ(search.ui.prompts.size(), 1u);
    EXPECT_EQ(search.ui.prompts[0].text, Text(IDS_NEWEST_VERSION));
  }
}

TEST(UpdateCheck, CancelInEitherPhaseEndsQuietly) {
  const std::string replies[] = {"",  // never answers: cancelled while opening
                                 "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + kMarker};
  for (const std::string& reply : replies) {
    Search search(reply);
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 300, PressCancel);
    ASSERT_TRUE(search.owner.check->Start(false));
    ::KillTimer(nullptr, timer);
    EXPECT_TRUE(search.Finished());
    // The download's last notice arrives after the cancel (under Wine only
    // once the server lets go): it changes nothing.
    search.server.reset();
    PumpUntil([] { return false; }, 300);
    EXPECT_TRUE(search.ui.prompts.empty()) << "reply " << reply.size();
    EXPECT_EQ(search.owner.answers, 0);
    // The object is reused for the next search.
    search.server = std::make_unique<StallingServer>(Http(kMarker + "2.1.4"));
    UseServer(*search.server);
    ASSERT_TRUE(search.owner.check->Start(true));
    EXPECT_TRUE(PumpUntil([&] { return search.owner.answers == 1; }))
        << reply.size() << " state " << search.owner.check->CurrentState()
        << search.owner.check->Downloading();
  }
}

TEST(UpdateCheck, FeedbackSucceedsOnlyWhenTheServiceAcceptedIt) {
  {
    Search search(Http("OK\n"));
    EXPECT_TRUE(SendFeedback(search.owner.Handle(), L"Schöne Grüße & more", L"a@b.example"));
    EXPECT_TRUE(search.ui.prompts.empty());
  }
  {  // a refusal is no success, and the user is told
    Search search("HTTP/1.1 413 Too Large\r\nContent-Length: 8\r\n\r\ntoo long");
    EXPECT_FALSE(SendFeedback(search.owner.Handle(), L"text", L""));
    ASSERT_EQ(search.ui.prompts.size(), 1u);
    EXPECT_EQ(search.ui.prompts[0].text, Text(IDS_FEEDBACK_FAILED) + L"\nHTTP 413: too long");
  }
}
