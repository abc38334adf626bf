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
#include "mwWinAPI/Utf.h"
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

std::string Origin(int port) { return "http://127.0.0.1:" + std::to_string(port); }
// The reply with "@" replaced by the origin, its length announced anew.
std::string WithOrigin(const std::string& reply, int port) {
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: ";
  const std::size_t start = reply.find("\r\n\r\n");
  if (reply.find('@') == std::string::npos || reply.compare(0, head.size(), head) != 0) return reply;
  std::string body = reply.substr(start + 4);
  for (std::size_t at = body.find('@'); at != std::string::npos; at = body.find('@', at))
    body.replace(at, 1, Origin(port));
  return Http(body);
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

  // "@" in the reply stands for the server's own origin.
  explicit Search(const std::string& reply, const wchar_t* ownVersion = L"2.1.4")
      : server(std::make_unique<StallingServer>([reply](int port) { return WithOrigin(reply, port); })) {
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
    Search search(Http("\xEF\xBB\xBF" + kMarker + "2.1.10\n@/q?v=\nFaster\nand better"));
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
    // One quoted argument: whatever it holds cannot add switches of its own.
    const std::wstring origin = mwWinAPI::FromUtf8(Origin(search.server->Port()));
    EXPECT_EQ(search.ui.prompts[1].caption, L"\"" + origin + L"/q?v=\" /auto");
  }
  {  // the same version: a silent search says nothing, yet counts as answered
    Search search(Http(kMarker + "2.1.4\nhttp://127.0.0.1/q?v=\n"));
    ASSERT_TRUE(search.owner.check->Start(true));
    ASSERT_TRUE(PumpUntil([&] { return search.owner.answers == 1; }));
    EXPECT_TRUE(search.ui.prompts.empty());
  }
  {  // a download page: the address without its tildes, shown in the
     // question, goes to the browser in a normal window
    const std::wstring page = L"https://www.orbiform.example/page";
    Search search(Http("12345" + kMarker + "2.2.0\n~~~https://www.orbiform.example/page\nNote"));
    search.ui.boxAnswers = {IDYES};
    search.ui.shellAnswers = {false};
    ASSERT_TRUE(search.owner.check->Start(true));
    ASSERT_TRUE(PumpUntil([&] { return search.owner.answers == 1; }));
    ASSERT_EQ(search.ui.prompts.size(), 3u);
    EXPECT_EQ(search.ui.prompts[0].text, Text(IDS_DOWNLOAD_SITE_PROMPT) + page + L"\nNote");
    EXPECT_EQ(search.ui.prompts[1].text, page);
    EXPECT_EQ(search.ui.prompts[1].flags, UINT(SW_SHOWNORMAL));
    EXPECT_EQ(search.ui.prompts[2].text, Text(IDS_BROWSER_NOT_STARTED) + page + Text(IDS_DOWNLOAD_READY));
  }
}

TEST(UpdateCheck, HostileAddressesAreRefusedAndShown) {
  // Pages that are no secure web address, or that would start a program.
  for (const std::string page : {"ms-msdt:/id PCWDiagnostic", "\\\\host\\share\\x.exe", "search-ms:query=x",
                                 "http://evil.example/page", "file:///C:/Windows/notepad.exe"}) {
    Search search(Http(kMarker + "2.2.0\n~~~" + page + "\n"));
    search.ui.boxAnswers = {IDYES};
    ASSERT_TRUE(search.owner.check->Start(true));
    ASSERT_TRUE(PumpUntil([&] { return search.owner.answers == 1; }));
    ASSERT_EQ(search.ui.prompts.size(), 1u) << page;
    EXPECT_EQ(search.ui.prompts[0].text, Text(IDS_DOWNLOAD_SITE_REFUSED) + mwWinAPI::FromUtf8(page));
  }
  // Updater queries off the service's site, or that would end the quoted
  // argument and add switches.
  for (const std::string query : {"http://evil.example/q?v=", "@.evil.example/q", "@/q\" /tinyok \"x"}) {
    Search search(Http(kMarker + "2.2.0\n" + query + "\n"));
    search.ui.boxAnswers = {IDYES};
    ASSERT_TRUE(search.owner.check->Start(true));
    ASSERT_TRUE(PumpUntil([&] { return search.owner.answers == 1; }));
    ASSERT_EQ(search.ui.prompts.size(), 1u) << query;
    EXPECT_EQ(search.ui.prompts[0].text.rfind(Text(IDS_UPDATE_ADDRESS_REFUSED), 0), 0u);
  }
}

TEST(UpdateCheck, AReplyLongerThanAReplyCanBeFailsWhileReading) {
  // No length announced: the cap must hold while the body streams in.
  Search search("HTTP/1.0 200 OK\r\n\r\n" + kMarker + "9.9.9\n" +
                std::string(mwWinAPI::kMaxVersionReplyBytes * 4, 'x'));
  ASSERT_TRUE(search.owner.check->Start(false));
  EXPECT_TRUE(search.Finished());
  EXPECT_EQ(search.owner.answers, 0);
  ASSERT_EQ(search.ui.prompts.size(), 1u);
  EXPECT_EQ(search.ui.prompts[0].text,
            Text(IDS_UPDATE_SEARCH_FAILED) + mwWinAPI::GetInternetErrorS(ERROR_FILE_TOO_LARGE));
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
                                      // within the reply cap, so that the read waits
                                 "HTTP/1.1 200 OK\r\nContent-Length: 4000\r\n\r\n" + kMarker};
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
    EXPECT_EQ(SendFeedbackRequest(L"Schöne Grüße & more", L"a@b.example"), L"");
  }
  {  // a refusal is no success, and says why
    Search search("HTTP/1.1 413 Too Large\r\nContent-Length: 8\r\n\r\ntoo long");
    EXPECT_EQ(SendFeedbackRequest(L"text", L""), L"HTTP 413: too long");
  }
  {  // an endless answer is cut off, not read to the end
    Search search("HTTP/1.0 200 OK\r\n\r\nOK" + std::string(mwWinAPI::kMaxFeedbackReplyBytes * 4, '.'));
    EXPECT_EQ(SendFeedbackRequest(L"text", L""), mwWinAPI::GetInternetErrorS(ERROR_FILE_TOO_LARGE));
  }
}
