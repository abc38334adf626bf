// QZ7Updater as a program (built with the tests' key) against the update
// service that the ctest fixture runs: a whole update of a temporary editor
// folder, the updater's own, and the command-line switches; a registry value
// that names another folder is not followed. The
// test presses the window's button the way a user would, by its message.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "mwWinAPI/Utf.h"
#include "tests/mwWinAPI/StringResources.h"
#include "tests/mwWinAPI/TempFolder.h"
#include "tests/updater/FindUpdater.h"
#include "updater/UpdaterIds.h"

namespace {

std::wstring WinePath(const std::string& unixPath) {
  std::wstring path = L"Z:";
  for (char c : unixPath) path.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(c));
  return path;
}

std::string Release(const std::string& name) {
  return mwtest::GetBytes(
      WinePath(std::string(ORBIFORM_SOURCE_DIR_FOR_PROGRAM) + "/tests/service/data/stable/2.2.0/" + name));
}

bool WaitUntil(const std::function<bool()>& done, DWORD ms) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > ms) return false;
    ::Sleep(100);
  }
  return true;
}

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class UpdaterProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ifstream in("service-run/port");
    int port = 0;
    ASSERT_TRUE(in >> port) << "the service fixture did not run";
    service_ = L"http://127.0.0.1:" + std::to_wstring(port);
    ::SetEnvironmentVariableW(L"ORBIFORM_SERVICE_URL", service_.c_str());
    ASSERT_TRUE(
        ::CopyFileW(WinePath(ORBIFORM_UPDATER_EXE).c_str(), folder_.Path(L"QZ7Updater.exe").c_str(), FALSE));
    // The editor's folder as the editor's set-up records it.
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Orbiform", 0, nullptr, 0,
                                               KEY_READ | KEY_WRITE, nullptr, &key_, nullptr));
    wchar_t old[1024] = {};
    DWORD bytes = sizeof old - sizeof(wchar_t);
    hadValue_ = ::RegQueryValueExW(key_, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(old), &bytes) ==
                ERROR_SUCCESS;
    oldValue_ = old;
    Register(folder_.Path());
  }
  void Register(const std::wstring& value) {
    ::RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  void TearDown() override {
    if (process_.hProcess) {
      ::TerminateProcess(process_.hProcess, 9);
      ::WaitForSingleObject(process_.hProcess, 5000);
      Forget();
    }
    if (key_) {
      if (hadValue_) {
        ::RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(oldValue_.c_str()),
                         static_cast<DWORD>((oldValue_.size() + 1) * sizeof(wchar_t)));
      } else {
        ::RegDeleteValueW(key_, nullptr);
      }
      ::RegCloseKey(key_);
    }
    ::SetEnvironmentVariableW(L"ORBIFORM_SERVICE_URL", nullptr);
  }

  std::wstring In(const std::wstring& name) const { return folder_.Path(name); }
  std::wstring Prefix() const {
    return service_ + L"/Rodizozarizor/AutoServices/get_version.php?product=XKV&links=true";
  }

  // Starts the updater of the editor's folder and finds its window.
  void Start(const std::wstring& arguments) {
    std::wstring line = L"\"" + folder_.Path(L"QZ7Updater.exe") + L"\" " + arguments;
    STARTUPINFOW start{};
    start.cb = sizeof start;
    ASSERT_TRUE(
        ::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &process_));
    ASSERT_TRUE(WaitUntil([&] { return (window_ = FindUpdater()) != nullptr; }, 20000));
  }
  HWND FindUpdater() const { return updatertest::FindUpdaterWindow(process_.dwProcessId); }
  HWND Button() const { return ::GetDlgItem(window_, 2); }
  std::wstring ButtonText() const {
    wchar_t text[128] = {};
    ::GetWindowTextW(Button(), text, 128);
    return text;
  }
  // Closes the window as the user does and waits for the program's end.
  DWORD Close() {
    ::PostMessageW(window_, WM_CLOSE, 0, 0);
    DWORD code = 99;
    if (::WaitForSingleObject(process_.hProcess, 15000) == WAIT_OBJECT_0) {
      ::GetExitCodeProcess(process_.hProcess, &code);
      Forget();
    }
    return code;
  }
  void Forget() {
    ::CloseHandle(process_.hProcess);
    ::CloseHandle(process_.hThread);
    process_ = PROCESS_INFORMATION{};
  }

  mwtest::TempFolder folder_;
  mwtest::TempFolder elsewhere_;  // a folder another program of the user names
  std::wstring service_;
  HKEY key_ = nullptr;
  bool hadValue_ = false;
  std::wstring oldValue_;
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

}  // namespace

TEST_F(UpdaterProgram, WholeUpdateFromTheServiceThenTheSwitches) {
  ASSERT_TRUE(mwtest::PutBytes(In(L"Orbiform2.exe"), "MZ old editor"));
  ASSERT_TRUE(mwtest::PutBytes(In(L"old.dll"), "old library"));
  // The release's "exeN" operation starts tool.exe: a stand-in that records it ran.
  ASSERT_TRUE(::CopyFileW(WinePath(ORBIFORM_RECORD_ARGS_EXE).c_str(), In(L"tool.exe").c_str(), FALSE));

  // Restarted by MiniSwap after a replacement: the job starts by itself.
  Start(L"\"" + Prefix() + L"\" /tinyok");
  // Information and files come by themselves; then the button offers the installation.
  ASSERT_TRUE(WaitUntil([&] { return ButtonText() == L"Start Update"; }, 120000))
      << mwWinAPI::ToUtf8(ButtonText());
  EXPECT_EQ("MZ old editor", mwtest::GetBytes(In(L"Orbiform2.exe")));  // nothing written before the press
  ::PostMessageW(window_, WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), 0);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindowEnabled(Button()); }, 60000))
      << mwWinAPI::ToUtf8(ButtonText());
  EXPECT_EQ(L"Ready", ButtonText());

  EXPECT_EQ(Release("Orbiform2.exe"), mwtest::GetBytes(In(L"Orbiform2.exe")));
  EXPECT_EQ(Release("sub/readme.txt"), mwtest::GetBytes(In(L"sub\\readme.txt")));
  EXPECT_EQ(Release("body250.bin"), mwtest::GetBytes(In(L"body250.bin")));
  WIN32_FILE_ATTRIBUTE_DATA large{};
  ASSERT_TRUE(::GetFileAttributesExW(In(L"large.bin").c_str(), GetFileExInfoStandard, &large));
  EXPECT_EQ(52428800u, large.nFileSizeLow);
  EXPECT_FALSE(mwtest::Exists(In(L"Orbiform2.exe.sig")));  // signatures are checked, never installed
  EXPECT_EQ("MZ old editor", mwtest::GetBytes(In(L"QZ7BackUp\\Orbiform2.exe")));
  EXPECT_FALSE(mwtest::Exists(In(L"old.dll")));
  EXPECT_EQ("old library", mwtest::GetBytes(In(L"QZ7BackUp\\old.dll")));
  EXPECT_TRUE(WaitUntil([&] { return mwtest::Exists(In(L"args.log")); }, 10000));
  EXPECT_EQ(0u, Close());
  std::string logFile = mwtest::GetBytes(In(L"QZ7BackUp\\QZ7Updater.log"));
  EXPECT_EQ(1, Count(logFile, "[Update "));
  EXPECT_EQ(1, Count(logFile, "All jobs successful completed"));
  EXPECT_EQ(1, Count(logFile, "QZ7Updater successfully updated"));
  EXPECT_EQ(0, Count(logFile, "Path of Orbiform could not be read"));  // the registry named its folder
  // The updater reads its own version resource; the stand-in editor has none.
  EXPECT_EQ(0, Count(logFile, "Version of QZ7Updater.exe"));
  EXPECT_EQ(1, Count(logFile, "Version of Orbiform2.exe could not be determined"));

  // MiniSwap's failure report: logged as an error, nothing starts by itself.
  Start(L"\"" + Prefix() + L"\" /tinyfailed");
  ::Sleep(1500);
  EXPECT_EQ(L"Download Updates", ButtonText());
  EXPECT_EQ(0u, Close());
  logFile = mwtest::GetBytes(In(L"QZ7BackUp\\QZ7Updater.log"));
  EXPECT_EQ(2, Count(logFile, "[Update "));
  EXPECT_EQ(1, Count(logFile, "Error while updating QZ7Updater"));
  EXPECT_EQ(1, Count(logFile, "All jobs successful completed"));
}

TEST_F(UpdaterProgram, WorksOnItsOwnFolderWhateverTheRegistrySays) {
  // Any program of the user can write the value; the elevated updater must
  // not be led to a folder of its choosing.
  Register(elsewhere_.Path());
  Start(L"");
  EXPECT_EQ(0u, Close());
  const std::string logFile = mwtest::GetBytes(In(L"QZ7BackUp\\QZ7Updater.log"));
  EXPECT_EQ(1, Count(logFile, "Path of Orbiform could not be read from registry: " +
                                  mwWinAPI::ToUtf8(elsewhere_.Path())))
      << logFile;
  // A test build says which service it talks to.
  EXPECT_EQ(1, Count(logFile, "Test build: the update service is " + mwWinAPI::ToUtf8(service_))) << logFile;
  EXPECT_FALSE(mwtest::Exists(elsewhere_.Path(L"QZ7BackUp")));
}

TEST_F(UpdaterProgram, TheShippedBuildTalksOnlyToTheMaker) {
  // The same variable that leads the test build to the local service.
  ASSERT_TRUE(
      ::CopyFileW(WinePath(ORBIFORM_SHIPPED_UPDATER_EXE).c_str(), In(L"QZ7Updater.exe").c_str(), FALSE));
  Start(L"");
  EXPECT_EQ(0u, Close());
  const std::string logFile = mwtest::GetBytes(In(L"QZ7BackUp\\QZ7Updater.log"));
  EXPECT_EQ(0, Count(logFile, "Test build")) << logFile;
  EXPECT_EQ(0, Count(logFile, "Path of Orbiform could not be read")) << logFile;
}

// The updater's own tables, read from its executable: every text of its
// sources in both languages, and the German-only end of the move message.
TEST(UpdaterStrings, EveryTextInBothLanguagesAsItsSourceSays) {
#define STR(id, english, german) SourceText{id, L"" english, L"" german},
  static constexpr SourceText kUpdaterTexts[] = {
#include "mwWinAPI/LibraryStrings.inc"
#include "updater/res/Strings.inc"
  };
#undef STR
  const HMODULE program =
      ::LoadLibraryExW(WinePath(ORBIFORM_UPDATER_EXE).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, program);
  ExpectBothLanguages(program, kUpdaterTexts);
  EXPECT_EQ(L"", ResourceString(program, IDS_MOVED_END, kEnglish));
  EXPECT_EQ(L" verschoben", ResourceString(program, IDS_MOVED_END, kGerman));
  ::FreeLibrary(program);
}
