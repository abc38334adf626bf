// The editor's options, object properties, About and feedback dialogs, run
// modally in-process and driven by real messages from a thread timer once
// they are up; every box and shell call goes through the scripted seam.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "editor/EditorDialogs.h"
#include "editor/OptionsStore.h"
#include "editor/res/resource.h"
#include "files/Export.h"
#include "mwWinAPI/Fields.h"
#include "mwWinAPI/StringTable.h"
#include "mwWinAPI/UserInteraction.h"
#include "mwWinAPI/Utf.h"
#include "product/UpdateService.h"
#include "tests/mwWinAPI/PumpMessages.h"
#include "tests/net/StallingServer.h"

using namespace orbiform;
using mwWinAPI::GetItemText;
using mwWinAPI::SetItemText;

namespace {

std::wstring Text(unsigned id) {
  mwWinAPI::StringTable strings;
  return strings.LoadS(id);
}

// --- driving a modal dialog ---

std::function<void(HWND)> script;
HWND scripted = nullptr;
UINT_PTR safety = 0;

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
  wchar_t name[16] = {};
  ::GetClassNameW(window, name, 16);
  if (std::wstring(name) == L"#32770" && ::IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

void CALLBACK EndLeftOver(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  if (::IsWindow(scripted)) ::EndDialog(scripted, -2);
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
  if (!dialog) return;
  ::KillTimer(nullptr, timer);
  scripted = dialog;
  script(dialog);
  // A script that left the dialog up must not hang the run; one that ended
  // it has left the modal loop before this fires.
  safety = ::SetTimer(nullptr, 0, 300, EndLeftOver);
}

// Runs `show` (which shows a modal dialog) while `steps` act on the dialog.
template <typename Show>
auto Drive(Show show, std::function<void(HWND)> steps) {
  script = std::move(steps);
  scripted = nullptr;
  safety = 0;
  ::SetTimer(nullptr, 0, 20, OnTimer);
  auto result = show();
  if (safety) ::KillTimer(nullptr, safety);
  return result;
}

void Press(HWND dialog, int id) {
  ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}
void Click(HWND dialog, int id) { ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
bool IsChecked(HWND dialog, int id) { return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
int Selected(HWND dialog, int id) {
  return static_cast<int>(::SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}
void Select(HWND dialog, int id, int index) { ::SendDlgItemMessageW(dialog, id, CB_SETCURSEL, index, 0); }
std::wstring Entry(HWND dialog, int id, int index) {
  wchar_t text[256] = {};
  ::SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
  return text;
}

std::wstring TempPath(const std::wstring& name) {
  wchar_t folder[MAX_PATH];
  ::GetTempPathW(MAX_PATH, folder);
  return folder + name;
}

// A text of `length` characters with line breaks, umlauts and markup characters.
std::wstring LongText(std::size_t length) {
  std::wstring text;
  for (int i = 0; text.size() < length; ++i)
    text += L"Zeile " + std::to_wstring(i) + L" \u00e4\u00f6\u00fc & <x>\r\n";
  text.resize(length);
  return text;
}

struct TestKey {
  static constexpr wchar_t kPath[] = L"SOFTWARE\\OrbiformDialogTest\\Install";
  explicit TestKey(const std::wstring& paths) {
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, kPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    ::RegSetValueExW(key, L"Paths", 0, REG_SZ, reinterpret_cast<const BYTE*>(paths.c_str()),
                     static_cast<DWORD>((paths.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
  }
  ~TestKey() {
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kPath);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, L"SOFTWARE\\OrbiformDialogTest");
  }
};

}  // namespace

// --- options ---

TEST(OptionsDialog, ShowsTheRecordAndOkWritesEveryFieldToRecordAndFile) {
  mwWinAPI::ScriptedInteraction ui;
  const std::wstring path = TempPath(L"dialog-options.xml");
  Options options;
  options.voxtrakPath = L"D:\\Spiele\\Voxtrak3D\\";
  options.defaultAuthor = L"J\u00fcrgen";
  options.defaultInfo = L"first\r\nsecond";
  options.undoSteps = 12;
  options.redoSteps = 7;
  options.numberFormat = 1;
  options.updateFrequency = 3;
  options.includeBetaUpdates = true;
  const std::wstring info = LongText(5000);

  const INT_PTR result =
      Drive([&] { return OptionsDialog(options, path).Run(nullptr); },
            [&](HWND d) {
              EXPECT_EQ(GetItemText(d, IDC_OPTIONS_SIM_FOLDER), L"D:\\Spiele\\Voxtrak3D\\");
              EXPECT_EQ(GetItemText(d, IDC_OPTIONS_UNDO_STEPS), L"12");
              EXPECT_EQ(GetItemText(d, IDC_OPTIONS_REDO_STEPS), L"7");
              EXPECT_EQ(GetItemText(d, IDC_OPTIONS_AUTHOR), L"J\u00fcrgen");
              EXPECT_EQ(GetItemText(d, IDC_OPTIONS_INFO), L"first\r\nsecond");
              EXPECT_EQ(Selected(d, IDC_OPTIONS_NUMBER_FORMAT), 1);
              EXPECT_EQ(Entry(d, IDC_OPTIONS_NUMBER_FORMAT, 0), Text(IDS_FORMAT_CLASSIC));
              EXPECT_EQ(Entry(d, IDC_OPTIONS_NUMBER_FORMAT, 1), Text(IDS_FORMAT_GERMAN));
              // The list runs never, each start, daily, weekly, monthly: the stored values.
              const unsigned order[] = {IDS_UPDATES_NEVER, IDS_UPDATES_EACH_START, IDS_UPDATES_DAILY,
                                        IDS_UPDATES_WEEKLY, IDS_UPDATES_MONTHLY};
              for (int i = 0; i < 5; ++i)
                EXPECT_EQ(Entry(d, IDC_OPTIONS_UPDATE_FREQUENCY, i), Text(order[i]));
              EXPECT_EQ(Selected(d, IDC_OPTIONS_UPDATE_FREQUENCY), 3);
              EXPECT_TRUE(IsChecked(d, IDC_OPTIONS_BETA));
              EXPECT_FALSE(IsChecked(d, IDC_OPTIONS_NO_BETA));
              EXPECT_EQ(GetItemText(d, IDC_OPTIONS_BETA_TEXT1), Text(IDS_BETA_SEARCH_ALSO));
              EXPECT_EQ(GetItemText(d, IDC_OPTIONS_BETA_TEXT2), Text(IDS_BETA_UPDATES));

              Select(d, IDC_OPTIONS_NUMBER_FORMAT, 0);
              Select(d, IDC_OPTIONS_UPDATE_FREQUENCY, 4);
              Click(d, IDC_OPTIONS_NO_BETA);
              SetItemText(d, IDC_OPTIONS_AUTHOR, L"M\u00fcller & S\u00f6hne");
              SetItemText(d, IDC_OPTIONS_INFO, info);
              SetItemText(d, IDC_OPTIONS_UNDO_STEPS, L"99999999999999");  // cut to the bound
              SetItemText(d, IDC_OPTIONS_REDO_STEPS, L"x1");              // malformed: unchanged
              Press(d, IDOK);
            });
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(ui.prompts.empty());
  EXPECT_EQ(options.numberFormat, 0);
  EXPECT_EQ(options.updateFrequency, 4);
  EXPECT_FALSE(options.includeBetaUpdates);
  EXPECT_EQ(options.voxtrakPath, L"D:\\Spiele\\Voxtrak3D\\");
  EXPECT_EQ(options.defaultAuthor, L"M\u00fcller & S\u00f6hne");
  EXPECT_EQ(options.defaultInfo, info);
  EXPECT_EQ(options.undoSteps, kMaxHistorySteps);
  EXPECT_EQ(options.redoSteps, 7);

  Options read;
  read.undoSteps = read.redoSteps = -1;
  ASSERT_TRUE(LoadOptions(read, path));
  EXPECT_EQ(OptionsFileText(read), OptionsFileText(options));  // every field
  ::DeleteFileW(path.c_str());
}

TEST(OptionsDialog, CancelChangesNothingAndAFailedSaveIsToldWhileTheSettingsApply) {
  mwWinAPI::ScriptedInteraction ui;
  Options options;
  const Options before = options;
  const std::wstring blocker = TempPath(L"dialog-options-blocker");
  { std::ofstream(mwWinAPI::ToUtf8(blocker)) << "a file, not a folder"; }
  const std::wstring unwritable = blocker + L"\\sub\\options.xml";

  EXPECT_EQ(Drive([&] { return OptionsDialog(options, unwritable).Run(nullptr); },
                  [](HWND d) {
                    SetItemText(d, IDC_OPTIONS_AUTHOR, L"nobody");
                    Press(d, IDCANCEL);
                  }),
            IDCANCEL);
  EXPECT_EQ(options.defaultAuthor, before.defaultAuthor);

  EXPECT_EQ(Drive([&] { return OptionsDialog(options, unwritable).Run(nullptr); },
                  [](HWND d) {
                    SetItemText(d, IDC_OPTIONS_UNDO_STEPS, L"5");
                    Select(d, IDC_OPTIONS_NUMBER_FORMAT, 1);
                    Press(d, IDOK);
                  }),
            IDOK);
  EXPECT_EQ(options.undoSteps, 5);
  EXPECT_EQ(options.numberFormat, 1);
  ASSERT_EQ(ui.prompts.size(), 1u);
  EXPECT_EQ(ui.prompts[0].text.rfind(Text(IDS_OPTIONS_NOT_SAVED), 0), 0u) << ui.prompts[0].text;
  EXPECT_GT(ui.prompts[0].text.size(), Text(IDS_OPTIONS_NOT_SAVED).size());  // with the reason
  EXPECT_EQ(ui.prompts[0].flags, UINT(MB_ICONWARNING));
  ::DeleteFileW(blocker.c_str());
}

TEST(OptionsDialog, FromRegistryBrowseAndTheBetaWarning) {
  mwWinAPI::ScriptedInteraction ui;
  ui.pathAnswers = {L"E:\\Voxtrak", L""};
  Options options;
  OptionsDialog dialog(options, TempPath(L"dialog-options-unused.xml"));
  dialog.SetRegistryKey(TestKey::kPath);
  HWND betaText = nullptr;
  Drive([&] { return dialog.Run(nullptr); },
        [&](HWND d) {
          betaText = ::GetDlgItem(d, IDC_OPTIONS_BETA_TEXT2);
          {
            TestKey key(L"C:\\Games\\Voxtrak3D\\bin\\Voxtrak.exe|D:\\Other\\tool.exe|x");
            Press(d, IDC_OPTIONS_FROM_REGISTRY);
            EXPECT_EQ(GetItemText(d, IDC_OPTIONS_SIM_FOLDER), L"C:\\Games\\Voxtrak3D\\bin\\");
          }
          Press(d, IDC_OPTIONS_FROM_REGISTRY);  // the key is gone: the field is emptied
          EXPECT_EQ(GetItemText(d, IDC_OPTIONS_SIM_FOLDER), L"");

          Press(d, IDC_OPTIONS_BROWSE);
          EXPECT_EQ(GetItemText(d, IDC_OPTIONS_SIM_FOLDER), L"E:\\Voxtrak\\");
          Press(d, IDC_OPTIONS_BROWSE);  // cancelled: the field stays
          EXPECT_EQ(GetItemText(d, IDC_OPTIONS_SIM_FOLDER), L"E:\\Voxtrak\\");

          Click(d, IDC_OPTIONS_BETA);
          EXPECT_TRUE(IsChecked(d, IDC_OPTIONS_BETA));
          Press(d, IDCANCEL);
        });
  ASSERT_EQ(ui.prompts.size(), 3u);
  EXPECT_EQ(ui.prompts[0].kind, L"BrowseForFolder");
  EXPECT_EQ(ui.prompts[0].caption, Text(IDS_SIM_FOLDER_MISSING));
  EXPECT_EQ(ui.prompts[2].kind, L"Balloon");
  EXPECT_EQ(ui.prompts[2].owner, betaText);
  EXPECT_EQ(ui.prompts[2].caption, Text(IDS_WARNING));
  EXPECT_EQ(ui.prompts[2].text, Text(IDS_BETA_WARNING));
  EXPECT_EQ(ui.prompts[2].flags, UINT(TTI_WARNING));
}

BOOL CALLBACK CountBalloons(HWND window, LPARAM count) {
  wchar_t name[32] = {};
  ::GetClassNameW(window, name, 32);
  if (std::wstring(name) == TOOLTIPS_CLASSW && ::IsWindowVisible(window) &&
      (::GetWindowLongW(window, GWL_STYLE) & TTS_BALLOON))
    ++*reinterpret_cast<int*>(count);
  return TRUE;
}

TEST(OptionsDialog, TheBetaWarningIsReallyShown) {
  // The system's own interaction: the edit's balloon where it has one,
  // else a balloon tooltip of our own.
  Options options;
  int balloons = 0;
  Drive([&] { return OptionsDialog(options, TempPath(L"dialog-options-unused.xml")).Run(nullptr); },
        [&](HWND d) {
          Click(d, IDC_OPTIONS_BETA);
          Click(d, IDC_OPTIONS_BETA);  // a second warning replaces the first
          ::EnumThreadWindows(::GetCurrentThreadId(), CountBalloons, reinterpret_cast<LPARAM>(&balloons));
          Press(d, IDCANCEL);
        });
  EXPECT_EQ(balloons, 1);
}

TEST(OptionsDialog, RegistryEntriesAndStepTexts) {
  EXPECT_EQ(FolderOfFirstEntry(L"C:\\A\\b.exe"), L"C:\\A\\");
  EXPECT_EQ(FolderOfFirstEntry(L"C:\\A\\..\\B\\c.exe|C:\\D\\e.exe"), L"C:\\B\\");
  EXPECT_EQ(FolderOfFirstEntry(L""), L"");
  EXPECT_EQ(FolderOfFirstEntry(L"|C:\\D\\e.exe"), L"");
  wchar_t current[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, current);
  std::wstring here = current;
  if (here.back() != L'\\') here += L'\\';
  EXPECT_EQ(FolderOfFirstEntry(L"Voxtrak.exe"), here);  // made a full path
  EXPECT_EQ(SimulatorFolderFromRegistry(L"SOFTWARE\\OrbiformDialogTest\\Missing"), L"");

  EXPECT_EQ(StepsFromText(L" 42 ", 3), 42);
  EXPECT_EQ(StepsFromText(L"0", 3), 0);
  EXPECT_EQ(StepsFromText(L"1001", 3), kMaxHistorySteps);
  EXPECT_EQ(StepsFromText(L"", 3), 3);
  EXPECT_EQ(StepsFromText(L"-4", 3), 3);
  EXPECT_EQ(StepsFromText(L"1e3", 3), 3);
}

// --- object properties ---

TEST(PropertiesDialog, BoxesGiveTheFlagsTheExportFollowsAndLongInfoSurvives) {
  mwWinAPI::ScriptedInteraction ui;
  RoundObject object(4, 0);
  object.AddArea(0, 360, 0, 1, 1);
  object.AddArea(0, 360, 1, 1, 1);
  object.GenerateAllPoints();
  const std::size_t last = Textures::FaceCount(2, 4) - 1;
  struct Case {
    bool base, top;
    int flags;
  };
  for (const Case c :
       {Case{true, true, 3}, Case{true, false, 1}, Case{false, true, 2}, Case{false, false, 0}}) {
    object.SetGrundDeckFl(c.flags == 3 ? 0 : 3);  // the opposite, so every box must change
    Drive([&] { return PropertiesDialog(object).Run(nullptr); },
          [&](HWND d) {
            EXPECT_EQ(IsChecked(d, IDC_PROPERTIES_BASE_AREA), c.flags != 3);
            EXPECT_EQ(IsChecked(d, IDC_PROPERTIES_TOP_AREA), c.flags != 3);
            if (IsChecked(d, IDC_PROPERTIES_BASE_AREA) != c.base) Click(d, IDC_PROPERTIES_BASE_AREA);
            if (IsChecked(d, IDC_PROPERTIES_TOP_AREA) != c.top) Click(d, IDC_PROPERTIES_TOP_AREA);
            Press(d, IDOK);
          });
    EXPECT_EQ(object.GrundDeckFl(), c.flags);
    const std::vector<std::size_t> faces = objectxml::ExportedFaces(object);
    EXPECT_EQ(std::count(faces.begin(), faces.end(), 0u), c.base ? 1 : 0) << c.flags;
    EXPECT_EQ(std::count(faces.begin(), faces.end(), last), c.top ? 1 : 0) << c.flags;
  }

  const std::wstring info = LongText(5000);
  object.SetFileAuthor(L"A");
  object.SetFileInfo(info);
  EXPECT_EQ(Drive([&] { return PropertiesDialog(object).Run(nullptr); },
                  [&](HWND d) {
                    EXPECT_EQ(GetItemText(d, IDC_PROPERTIES_AUTHOR), L"A");
                    SetItemText(d, IDC_PROPERTIES_AUTHOR, L"B\u00e4r");
                    Press(d, IDOK);
                  }),
            IDOK);
  EXPECT_EQ(object.FileInfo(), info);
  EXPECT_EQ(object.FileAuthor(), L"B\u00e4r");

  EXPECT_EQ(Drive([&] { return PropertiesDialog(object).Run(nullptr); },
                  [&](HWND d) {
                    SetItemText(d, IDC_PROPERTIES_INFO, L"changed");
                    Click(d, IDC_PROPERTIES_TOP_AREA);
                    Press(d, IDCANCEL);
                  }),
            IDCANCEL);
  EXPECT_EQ(object.FileInfo(), info);
  EXPECT_EQ(object.GrundDeckFl(), 0);
}

// --- About ---

TEST(AboutDialog, VersionLineOfReleaseAndPreReleaseBuilds) {
  wchar_t own[MAX_PATH];
  ::GetModuleFileNameW(nullptr, own, MAX_PATH);
  std::wstring probe = own;
  probe = probe.substr(0, probe.rfind(L'\\') + 1) + L"prerelease_probe.dll";
  EXPECT_EQ(VersionLine(own), L"Version 2.1.0");
  EXPECT_EQ(VersionLine(probe), L"Version 2.1.0 PreRelease");
  EXPECT_EQ(VersionLine(L"C:\\no\\such.exe"), L"Version ?");

  mwWinAPI::ScriptedInteraction ui;
  Drive([] { return (AboutDialog().Run(nullptr), 0); },
        [&](HWND d) {
          EXPECT_EQ(GetItemText(d, IDC_ABOUT_VERSION), L"Version 2.1.0");
          EXPECT_EQ(GetItemText(d, IDC_ABOUT_BUILD), L"UNICODE");
          EXPECT_EQ(GetItemText(d, IDC_ABOUT_LINK), mwWinAPI::kDefaultServiceAddress);
          LOGFONTW font = {};
          ::GetObjectW(reinterpret_cast<HFONT>(::SendDlgItemMessageW(d, IDC_ABOUT_LINK, WM_GETFONT, 0, 0)),
                       sizeof font, &font);
          EXPECT_TRUE(font.lfUnderline);
          ::SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_LINK, STN_CLICKED),
                         reinterpret_cast<LPARAM>(::GetDlgItem(d, IDC_ABOUT_LINK)));
          Press(d, IDCANCEL);  // the close box
          EXPECT_FALSE(::IsWindow(d) && ::IsWindowVisible(d));
        });
  ASSERT_EQ(ui.prompts.size(), 1u);
  EXPECT_EQ(ui.prompts[0].kind, L"Shell");
  EXPECT_EQ(ui.prompts[0].text, mwWinAPI::kDefaultServiceAddress);
}

// --- feedback ---

namespace {

std::string Http(const std::string& status, const std::string& body) {
  return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

struct Service {
  explicit Service(const std::wstring& address) {
    ::SetEnvironmentVariableW(L"ORBIFORM_SERVICE_URL", address.c_str());
    _putenv_s("ORBIFORM_SERVICE_URL", mwWinAPI::ToUtf8(address).c_str());
  }
  ~Service() {
    ::SetEnvironmentVariableW(L"ORBIFORM_SERVICE_URL", nullptr);
    _putenv_s("ORBIFORM_SERVICE_URL", "");
  }
};

// Presses Send and waits (bounded) for the worker's answer: Send enabled
// again, or the dialog ending.
void SendAndWait(HWND d) {
  Press(d, IDC_FEEDBACK_SEND);
  EXPECT_TRUE(testui::PumpUntil(
      [d] { return ::IsWindowEnabled(::GetDlgItem(d, IDC_FEEDBACK_SEND)) || !::IsWindowVisible(d); }, 30000));
}

INT_PTR RunFeedback(std::function<void(HWND)> steps) {
  return Drive([] { return FeedbackDialog().Run(nullptr); }, std::move(steps));
}

}  // namespace

TEST(FeedbackDialog, RefusesShortTextsSendsLongerOnesAndAsksBeforeClosing) {
  testnet::StallingServer server(Http("200 OK", "OK\n"));
  Service service(L"http://127.0.0.1:" + std::to_wstring(server.Port()));
  mwWinAPI::ScriptedInteraction ui;
  ui.boxAnswers = {IDOK, IDNO, IDYES};
  // Closing with a short text needs no question.
  EXPECT_EQ(RunFeedback([](HWND d) {
              SetItemText(d, IDC_FEEDBACK_TEXT, L"12345");
              Press(d, IDC_FEEDBACK_CANCEL);
            }),
            IDCANCEL);
  EXPECT_TRUE(ui.prompts.empty());

  EXPECT_EQ(RunFeedback([](HWND d) {
              SetItemText(d, IDC_FEEDBACK_TEXT, L"12345");
              SendAndWait(d);  // refused, stays
              SetItemText(d, IDC_FEEDBACK_TEXT, L"123456");
              Press(d, IDCANCEL);  // asked, No: stays
              EXPECT_EQ(GetItemText(d, IDC_FEEDBACK_TEXT), L"123456");
              Press(d, IDC_FEEDBACK_CANCEL);  // asked, Yes: ends
            }),
            IDCANCEL);
  ASSERT_EQ(ui.prompts.size(), 3u);
  EXPECT_EQ(ui.prompts[0].text, Text(IDS_FEEDBACK_TOO_SHORT));
  EXPECT_EQ(ui.prompts[0].caption, L"Orbiform2");
  EXPECT_EQ(ui.prompts[0].owner, scripted);
  for (int i : {1, 2}) {
    EXPECT_EQ(ui.prompts[i].text, Text(IDS_CLOSE_DIALOG_PROMPT));
    EXPECT_EQ(ui.prompts[i].flags, UINT(MB_YESNO));
  }

  ui.prompts.clear();
  EXPECT_EQ(RunFeedback([](HWND d) {
              SetItemText(d, IDC_FEEDBACK_TEXT, L"123456");
              SendAndWait(d);
            }),
            IDOK);
  EXPECT_TRUE(ui.prompts.empty());
}

TEST(FeedbackDialog, FailuresAreShownAndKeepDialogAndText) {
  mwWinAPI::ScriptedInteraction ui;
  const std::wstring text = L"Ein l\u00e4ngerer Text";
  {  // the service answers with an error status
    testnet::StallingServer server(Http("500 Internal Server Error", "not stored\n"));
    Service service(L"http://127.0.0.1:" + std::to_wstring(server.Port()));
    EXPECT_EQ(RunFeedback([&](HWND d) {
                SetItemText(d, IDC_FEEDBACK_TEXT, text);
                SendAndWait(d);
                EXPECT_TRUE(::IsWindowVisible(d));
                EXPECT_EQ(GetItemText(d, IDC_FEEDBACK_TEXT), text);
                SetItemText(d, IDC_FEEDBACK_TEXT, L"");
                Press(d, IDCANCEL);
              }),
              IDCANCEL);
    ASSERT_EQ(ui.prompts.size(), 1u);
    EXPECT_EQ(ui.prompts[0].text.rfind(Text(IDS_FEEDBACK_FAILED), 0), 0u);
    EXPECT_NE(ui.prompts[0].text.find(L"500"), std::wstring::npos) << ui.prompts[0].text;
    EXPECT_NE(ui.prompts[0].text.find(L"not stored"), std::wstring::npos) << ui.prompts[0].text;
    EXPECT_EQ(ui.prompts[0].flags, UINT(MB_ICONERROR));
  }
  ui.prompts.clear();
  {  // nobody listens: an internet error
    std::unique_ptr<testnet::StallingServer> closed = std::make_unique<testnet::StallingServer>("");
    const int port = closed->Port();
    closed.reset();
    Service service(L"http://127.0.0.1:" + std::to_wstring(port));
    RunFeedback([&](HWND d) {
      SetItemText(d, IDC_FEEDBACK_TEXT, text);
      SendAndWait(d);
      EXPECT_EQ(GetItemText(d, IDC_FEEDBACK_TEXT), text);
      SetItemText(d, IDC_FEEDBACK_TEXT, L"");
      Press(d, IDCANCEL);
    });
    ASSERT_EQ(ui.prompts.size(), 1u);
    EXPECT_GT(ui.prompts[0].text.size(), Text(IDS_FEEDBACK_FAILED).size() + 1);
  }
  ui.prompts.clear();
  // A text the request cannot carry whole is refused rather than cut.
  RunFeedback([&](HWND d) {
    SetItemText(d, IDC_FEEDBACK_TEXT, std::wstring(mwWinAPI::kMaxFeedbackBytes / 2 + 1, L'\u00e4'));
    SendAndWait(d);
    SetItemText(d, IDC_FEEDBACK_TEXT, L"");
    Press(d, IDCANCEL);
  });
  ASSERT_EQ(ui.prompts.size(), 1u);
  EXPECT_EQ(ui.prompts[0].text, Text(IDS_FEEDBACK_TOO_LONG));
}

TEST(FeedbackDialog, ASilentServiceNeverHoldsTheDialog) {
  testnet::StallingServer silent("");  // takes the request, never answers
  Service service(L"http://127.0.0.1:" + std::to_wstring(silent.Port()));
  mwWinAPI::ScriptedInteraction ui;
  ui.boxAnswers = {IDYES};  // yes, close although the text is not sent
  DWORD pressed = 0;
  EXPECT_EQ(RunFeedback([&](HWND d) {
              SetItemText(d, IDC_FEEDBACK_TEXT, L"Ein l\u00e4ngerer Text");
              const DWORD start = ::GetTickCount();
              Press(d, IDC_FEEDBACK_SEND);
              pressed = ::GetTickCount() - start;
              EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(d, IDC_FEEDBACK_SEND)));
              Press(d, IDCANCEL);
            }),
            IDCANCEL);
  EXPECT_LT(pressed, 3000u);
  ASSERT_EQ(ui.prompts.size(), 1u);
  EXPECT_EQ(ui.prompts[0].text, Text(IDS_CLOSE_DIALOG_PROMPT));
}

TEST(FeedbackDialog, TheServiceReceivesTextAndMailIntact) {
  std::ifstream portFile("service-run/port");
  int port = 0;
  portFile >> port;
  ASSERT_NE(port, 0) << "the service fixture did not run";
  Service service(L"http://127.0.0.1:" + std::to_wstring(port));
  mwWinAPI::ScriptedInteraction ui;
  const std::wstring text = L"Gr\u00fc\u00dfe aus K\u00f6ln & mehr\r\nZweite Zeile #2 50%";
  EXPECT_EQ(RunFeedback([&](HWND d) {
              SetItemText(d, IDC_FEEDBACK_TEXT, text);
              SetItemText(d, IDC_FEEDBACK_MAIL, L"a&b@c.de");
              SendAndWait(d);
            }),
            IDOK);
  EXPECT_TRUE(ui.prompts.empty());
  std::ifstream log("service-run/data/feedback.log", std::ios::binary);
  std::stringstream all;
  all << log.rdbuf();
  EXPECT_NE(all.str().find(
                "\"mail\":\"a&b@c.de\",\"text\":\"" +
                mwWinAPI::ToUtf8(L"Gr\u00fc\u00dfe aus K\u00f6ln & mehr\\r\\nZweite Zeile #2 50%") + "\""),
            std::string::npos)
      << all.str();
}
