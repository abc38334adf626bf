// MiniSwap: its argument rules and retries in-process, and the real program
// in a temporary editor folder, restarting a stand-in updater that records
// its command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "miniswap/Swap.h"
#include "tests/mwWinAPI/TempFolder.h"
#include "updater/FolderPaths.h"

namespace {

// The build's paths as Wine sees them (its drive Z: is the root).
std::wstring WinePath(const char* unixPath) {
  std::wstring path = L"Z:";
  for (const char* p = unixPath; *p; ++p) path.push_back(*p == '/' ? L'\\' : static_cast<wchar_t>(*p));
  return path;
}

std::vector<DWORD> g_pauses;
void WINAPI RecordPause(DWORD ms) { g_pauses.push_back(ms); }

// Runs the copy of MiniSwap in `folder` with `arguments` and waits for its
// end; returns the milliseconds it took.
DWORD RunMiniSwap(const std::wstring& folder, const std::wstring& arguments) {
  const std::wstring exe = folder + L"\\MiniSwap.exe";
  std::wstring line = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const DWORD start = ::GetTickCount();
  EXPECT_TRUE(::CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                               &startup, &process));
  if (!process.hProcess) return 0;
  EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process.hProcess, 20000));
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return ::GetTickCount() - start;
}

// The stand-in's record in `folder`, waited for up to `ms`; "" when none.
std::string WaitForRecord(const std::wstring& folder, DWORD ms) {
  const std::wstring log = folder + L"\\args.log";
  for (DWORD waited = 0;; waited += 100) {
    const std::string text = mwtest::GetBytes(log);
    if (text != "<missing>" && !text.empty() && text.back() == '\n') return text;
    if (waited >= ms) return std::string();
    ::Sleep(100);
  }
}

std::wstring Quote(const std::wstring& text) { return L"\"" + text + L"\""; }

class MiniSwapProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(
        ::CopyFileW(WinePath(ORBIFORM_MINISWAP_EXE).c_str(), (folder + L"\\MiniSwap.exe").c_str(), FALSE));
  }
  std::wstring In(const std::wstring& name) const { return folder + L"\\" + name; }
  void PutStandIn(const std::wstring& path) const {
    ASSERT_TRUE(::CopyFileW(WinePath(ORBIFORM_RECORD_ARGS_EXE).c_str(), path.c_str(), FALSE));
  }

  mwtest::TempFolder temp;
  const std::wstring folder = temp.Path(L"Orbiform");
  const std::wstring address = L"http://127.0.0.1:1/get_version.php?product=XKV&version=2.1.0";
};

}  // namespace

TEST(MiniSwapRun, ArgumentShapes) {
  mwtest::TempFolder temp;
  updater::TransactedFileOps ops;
  using Args = std::vector<std::wstring>;
  // Too few to name an updater: nothing moved, nothing started.
  for (const Args& args : {Args{}, Args{L"m"}, Args{L"m", L"x"}}) {
    const auto outcome = miniswap::SwapFiles(args, temp.Path(), ops, RecordPause);
    EXPECT_FALSE(outcome.moved);
    EXPECT_FALSE(outcome.restart);
  }
  // No pair at all, or a source without destination: failure, nothing
  // attempted (an odd count would pair a file with the updater's path).
  const std::wstring updaterPath = temp.Path(L"QZ7Updater.exe");
  const std::wstring addr = L"https://www.orbiform.example/q?a=1&b=2";
  ASSERT_TRUE(mwtest::PutBytes(temp.Path(L"new"), "new"));
  g_pauses.clear();
  for (const Args& args :
       {Args{L"m", updaterPath, addr}, Args{L"m", L"new", L"a", L"new", updaterPath, addr}}) {
    const auto outcome = miniswap::SwapFiles(args, temp.Path(), ops, RecordPause);
    EXPECT_FALSE(outcome.moved);
    EXPECT_TRUE(outcome.restart);
    EXPECT_EQ(updaterPath, outcome.updater);
    EXPECT_EQ(L"\"" + addr + L"\" /tinyfailed ", outcome.parameters);
  }
  EXPECT_TRUE(g_pauses.empty());
  EXPECT_EQ("new", mwtest::GetBytes(temp.Path(L"new")));

  // A source that never appears: five attempts, each followed by 500 ms.
  const auto outcome =
      miniswap::SwapFiles({L"m", L"missing", L"dest", updaterPath, addr}, temp.Path(), ops, RecordPause);
  EXPECT_FALSE(outcome.moved);
  EXPECT_EQ(std::vector<DWORD>(5, 500), g_pauses);

  // Two pairs moved, destinations replaced.
  ASSERT_TRUE(mwtest::PutBytes(temp.Path(L"b"), "old"));
  ASSERT_TRUE(::CreateDirectoryW(temp.Path(L"Sub").c_str(), nullptr));
  ASSERT_TRUE(mwtest::PutBytes(temp.Path(L"Sub\\c.new"), "c"));
  const auto both = miniswap::SwapFiles({L"m", L"new", L"b", L"Sub/c.new", L"Sub\\c", updaterPath, addr},
                                        temp.Path(), ops, RecordPause);
  EXPECT_TRUE(both.moved);
  EXPECT_EQ(L"\"" + addr + L"\" /tinyok", both.parameters);
  EXPECT_EQ("new", mwtest::GetBytes(temp.Path(L"b")));
  EXPECT_EQ("c", mwtest::GetBytes(temp.Path(L"Sub\\c")));
  EXPECT_FALSE(mwtest::Exists(temp.Path(L"new")));

  // Only the folder's own updater, with one address that stays one argument.
  for (const Args& args : {Args{L"m", temp.Path(L"MiniSwap.exe"), addr}, Args{L"m", L"cmd.exe", addr},
                           Args{L"m", updaterPath, addr + L"\" /auto \"x"}, Args{L"m", updaterPath, L"/auto"},
                           Args{L"m", updaterPath, L"\\\\host\\share\\x"}}) {
    const auto refused = miniswap::SwapFiles(args, temp.Path(), ops, RecordPause);
    EXPECT_FALSE(refused.restart) << args[1] << L" " << args[2];
  }
}

TEST_F(MiniSwapProgram, MovesTheNewUpdaterInPlaceAndRestartsIt) {
  ASSERT_TRUE(mwtest::PutBytes(In(L"QZ7Updater.exe"), "old updater"));
  PutStandIn(In(L"QZ7Updater.new"));
  RunMiniSwap(folder,
              L"QZ7Updater.new QZ7Updater.exe " + Quote(In(L"QZ7Updater.exe")) + L" " + Quote(address));
  const std::string record = WaitForRecord(folder, 10000);
  // The stand-in that recorded is the moved-in new file.
  ASSERT_NE(std::string::npos, record.find("QZ7Updater.exe")) << record;
  const std::string expected = "\"" + std::string(address.begin(), address.end()) + "\" /tinyok\n";
  EXPECT_EQ(expected, record.substr(record.size() - expected.size())) << record;
  EXPECT_FALSE(mwtest::Exists(In(L"QZ7Updater.new")));
}

TEST_F(MiniSwapProgram, DestinationLockedLongerThanTheRetriesFails) {
  PutStandIn(In(L"QZ7Updater.exe"));
  ASSERT_TRUE(mwtest::PutBytes(In(L"QZ7Updater.new"), "new updater"));
  const std::string before = mwtest::GetBytes(In(L"QZ7Updater.exe"));
  // Readable (so the old updater can still start), but neither replaceable
  // nor deletable, as while the ending updater runs.
  const HANDLE lock = ::CreateFileW(In(L"QZ7Updater.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, lock);
  const DWORD took = RunMiniSwap(
      folder, L"QZ7Updater.new QZ7Updater.exe " + Quote(In(L"QZ7Updater.exe")) + L" " + Quote(address));
  const std::string record = WaitForRecord(folder, 10000);
  ::CloseHandle(lock);
  EXPECT_GE(took, 2400u);
  const std::string expected = "\"" + std::string(address.begin(), address.end()) + "\" /tinyfailed \n";
  ASSERT_GE(record.size(), expected.size()) << record;
  EXPECT_EQ(expected, record.substr(record.size() - expected.size())) << record;
  EXPECT_EQ(before, mwtest::GetBytes(In(L"QZ7Updater.exe")));
  EXPECT_EQ("new updater", mwtest::GetBytes(In(L"QZ7Updater.new")));
}

TEST_F(MiniSwapProgram, NothingLeavesTheFolderAndNothingFromElsewhereStarts) {
  PutStandIn(In(L"QZ7Updater.exe"));
  ASSERT_TRUE(mwtest::PutBytes(In(L"payload.txt"), "payload"));
  ASSERT_TRUE(mwtest::PutBytes(In(L"harmless.new"), "fine"));
  const std::wstring updaterArgs = L" " + Quote(In(L"QZ7Updater.exe")) + L" " + Quote(address);
  // A safe pair first: a refused later pair must stop it too.
  for (const std::wstring& outside : {std::wstring(L"..\\escaped.txt"), Quote(temp.Path(L"escaped.txt")),
                                      Quote(L"\\\\?\\" + temp.Path(L"escaped.txt"))}) {
    ::DeleteFileW(In(L"args.log").c_str());
    RunMiniSwap(folder, L"harmless.new harmless.txt payload.txt " + outside + updaterArgs);
    const std::string record = WaitForRecord(folder, 10000);
    EXPECT_NE(std::string::npos, record.find(" /tinyfailed \n")) << record;
    EXPECT_FALSE(mwtest::Exists(temp.Path(L"escaped.txt")));
    EXPECT_EQ("payload", mwtest::GetBytes(In(L"payload.txt")));
    EXPECT_FALSE(mwtest::Exists(In(L"harmless.txt")));
  }

  // An "updater" outside the folder is not started.
  PutStandIn(temp.Path(L"QZ7Updater.exe"));
  RunMiniSwap(folder,
              L"harmless.new harmless.txt " + Quote(temp.Path(L"QZ7Updater.exe")) + L" " + Quote(address));
  EXPECT_EQ("", WaitForRecord(temp.Path(), 1500));
  EXPECT_EQ("fine", mwtest::GetBytes(In(L"harmless.txt")));  // the moves themselves were fine
}
