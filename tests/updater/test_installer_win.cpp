// Installing into a temporary editor folder under Wine: backups, written
// files, the operations, the hand-over to MiniSwap, targets held open,
// failing operations and the log file.
#include <gtest/gtest.h>

#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/Utf.h"
#include "tests/mwWinAPI/TempFolder.h"
#include "updater/Installer.h"
#include "updater/TransactedFileOps.h"

using namespace updater;
using mwtest::Exists;
using mwtest::GetBytes;
using mwtest::PutBytes;

namespace {

std::wstring Decode(const std::string& bytes) { return mwWinAPI::FromUtf8(bytes); }
// Stands in for every file's checksum; the manifest's checks are tested apart.
const std::string kDigest(64, '0');
std::wstring FakeText(unsigned id) { return L"<" + std::to_wstring(id) + L">"; }

std::wstring WinePath(const char* unixPath) {
  std::wstring path = L"Z:";
  for (const char* p = unixPath; *p; ++p) path.push_back(*p == '/' ? L'\\' : static_cast<wchar_t>(*p));
  return path;
}

class InstallerTest : public ::testing::Test {
 protected:
  // Takes the reply's lines (after the marker) and the files' bodies in link order.
  void Download(const std::string& lines, const std::vector<std::string>& files) {
    job.BeginInfos();
    Manifest manifest;
    for (const auto& file : files) manifest.files.push_back({L"", file.size(), kDigest});
    job.TakeManifest(manifest);
    ASSERT_EQ(InfosReply::Lines, job.TakeInfos("7315-2048-9962-4170-3385-6621" + lines, Decode));
    ASSERT_TRUE(job.ParseInfos());
    job.BeginFiles();
    for (std::size_t i = 0; i < files.size(); ++i) ASSERT_TRUE(job.StoreFile(i, files[i], kDigest));
    ASSERT_TRUE(job.FinishFiles(""));
  }
  std::wstring In(const std::wstring& name) const { return folder.Path(name); }
  bool Logged(const std::wstring& part, int kind) const {
    for (std::size_t i = 0; i < log.Count(); ++i) {
      const LogEntry e = log.Entry(i);
      if (e.kind == kind && e.text.find(part) != std::wstring::npos) return true;
    }
    return false;
  }

  mwtest::TempFolder folder;
  DownloadJob job;
  UpdateLog log{SystemLogTime};
  TransactedFileOps ops;
  const std::wstring self = folder.Path(L"QZ7Updater.exe");
};

}  // namespace

TEST_F(InstallerTest, WritesBacksUpRunsOperationsAndHandsTheSelfMoveToMiniSwap) {
  ASSERT_TRUE(PutBytes(In(L"a.txt"), "old a"));
  ASSERT_TRUE(PutBytes(In(L"old.txt"), "old"));
  ASSERT_TRUE(::CreateDirectoryW(In(L"Sub2").c_str(), nullptr));
  ASSERT_TRUE(PutBytes(In(L"Sub2\\gone.txt"), "gone"));
  ASSERT_TRUE(PutBytes(In(L"m.txt"), "m"));
  ASSERT_TRUE(::CopyFileW(WinePath(ORBIFORM_RECORD_ARGS_EXE).c_str(), In(L"run.exe").c_str(), FALSE));
  Download(
      "http://h/f/\nhttp://h/f/a.txt.file\nhttp://h/f/Sub/b.dat.file\n*old.txt\n*\n*Sub2\\gone.txt\n*\n"
      "*run.exe\n*exe\n*m.txt\n*Moved\\m.txt\n*QZ7Updater.new\n*QZ7Updater.exe\n",
      {"new a", "new b"});

  Installer installer(folder.Path(), job, log, ops, FakeText, self);
  ASSERT_TRUE(installer.OpenTargets());
  EXPECT_EQ(READY_TO_COPY, job.State());
  EXPECT_EQ("old a", GetBytes(In(L"QZ7BackUp\\a.txt")));
  const std::wstring miniSwap = installer.Install();
  EXPECT_EQ(UPDATE_DONE, job.State());
  EXPECT_EQ(L"\"QZ7Updater.new\" \"QZ7Updater.exe\" \"" + self, miniSwap);

  EXPECT_EQ("new a", GetBytes(In(L"a.txt")));
  EXPECT_EQ("new b", GetBytes(In(L"Sub\\b.dat")));
  EXPECT_EQ("old a", GetBytes(In(L"QZ7BackUp\\a.txt")));
  EXPECT_FALSE(Exists(In(L"old.txt")));
  EXPECT_EQ("old", GetBytes(In(L"QZ7BackUp\\old.txt")));
  EXPECT_FALSE(Exists(In(L"Sub2\\gone.txt")));
  EXPECT_EQ("gone", GetBytes(In(L"QZ7BackUp\\Sub2\\gone.txt")));
  EXPECT_EQ("m", GetBytes(In(L"Moved\\m.txt")));
  // "exe" waits for the program: its record is there when Install returns.
  EXPECT_NE(std::string::npos, GetBytes(In(L"args.log")).find("run.exe"));
  EXPECT_TRUE(Logged(L"Sub/b.dat<143>", LOG_INFO));
  EXPECT_TRUE(Logged(L"old.txt<147>", LOG_INFO));
  EXPECT_TRUE(Logged(L"run.exe<144>", LOG_INFO));
  EXPECT_TRUE(Logged(L"m.txt<152>Moved\\m.txt<151>", LOG_INFO));

  // Each run appends its own block to the log file.
  WriteLogFile(folder.Path(), log);
  WriteLogFile(folder.Path(), log);
  const std::string file = GetBytes(In(L"QZ7BackUp\\QZ7Updater.log"));
  EXPECT_EQ(0u, file.find("[Update "));
  EXPECT_NE(std::string::npos, file.find("[Update ", 1));
  EXPECT_NE(std::string::npos, file.find("  a.txt<143>\r\n"));
}

TEST_F(InstallerTest, TargetHeldOpenFailsWithoutHarmAndARetrySucceeds) {
  ASSERT_TRUE(PutBytes(In(L"a.txt"), "old a"));
  ASSERT_TRUE(PutBytes(In(L"b.txt"), "old b"));
  Download("http://h/f/\nhttp://h/f/a.txt.file\nhttp://h/f/c.txt.file\nhttp://h/f/b.txt.file\n",
           {"new a", "new c", "new b"});
  Installer installer(folder.Path(), job, log, ops, FakeText, self);
  {
    // As while the editor runs.
    mwWinAPI::UniqueHandle held(
        ::CreateFileW(In(L"b.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    EXPECT_FALSE(installer.OpenTargets());
    EXPECT_EQ(READY_TO_UPDATE, job.State());
    // The earlier targets are whole and open to others; a new one is gone.
    EXPECT_EQ("old a", GetBytes(In(L"a.txt")));
    EXPECT_FALSE(Exists(In(L"c.txt")));
  }
  ASSERT_TRUE(installer.OpenTargets());
  {
    // Only the installer that holds the open targets may write them.
    Installer other(folder.Path(), job, log, ops, FakeText, self);
    EXPECT_THROW(other.Install(), mwstd::invalid_argument);
    EXPECT_EQ(READY_TO_UPDATE, job.State());
  }
  job.SetState(READY_TO_COPY);
  EXPECT_EQ(L"", installer.Install());
  EXPECT_EQ("new a", GetBytes(In(L"a.txt")));
  EXPECT_EQ("new b", GetBytes(In(L"b.txt")));
  EXPECT_EQ("new c", GetBytes(In(L"c.txt")));
}

TEST_F(InstallerTest, FailedOperationsAreLoggedAndTheLastIsThrown) {
  Download("http://h/f/\nhttp://h/f/a.txt.file\n*nothere.txt\n*\n*x.txt\n*y.txt\n", {"new a"});
  Installer installer(folder.Path(), job, log, ops, FakeText, self);
  try {
    installer.Install();
    FAIL() << "installed in the wrong state";
  } catch (const mwstd::invalid_argument& e) {
    EXPECT_EQ(L"Status des Downloaders nicht READY_TO_COPY", e.what());
  }
  ASSERT_TRUE(installer.OpenTargets());
  try {
    installer.Install();
    FAIL() << "failures reported as success";
  } catch (const mwstd::file_io_error& e) {
    EXPECT_EQ(0u, e.what().find(L"x.txt<148>y.txt<149>")) << e.what();
  }
  EXPECT_EQ(FILES_WRITTEN, job.State());
  EXPECT_TRUE(Logged(L"nothere.txt<146>", LOG_ERROR));
  EXPECT_TRUE(Logged(L"x.txt<148>", LOG_ERROR));
  EXPECT_EQ("new a", GetBytes(In(L"a.txt")));  // without a transaction: written at once

  // A second attempt runs the operations again, without rewriting.
  ASSERT_TRUE(PutBytes(In(L"x.txt"), "x"));
  ASSERT_TRUE(PutBytes(In(L"nothere.txt"), "n"));
  EXPECT_EQ(L"", installer.Install());
  EXPECT_EQ("x", GetBytes(In(L"y.txt")));
}

namespace {

// A transaction manager whose functions do the plain operations and record
// the commit and the rollback, so that their order against programs shows.
struct Transactions {
  std::vector<std::string> events;
  std::wstring programRecord;  // written by the program the release runs
} g_tx;

HANDLE WINAPI TxCreate(LPSECURITY_ATTRIBUTES, LPGUID, DWORD, DWORD, DWORD, DWORD, LPWSTR) {
  g_tx.events.push_back("begin");
  return ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
}
BOOL WINAPI TxCommit(HANDLE) {
  g_tx.events.push_back(Exists(g_tx.programRecord) ? "commit after the program" : "commit");
  return TRUE;
}
BOOL WINAPI TxRollback(HANDLE) {
  g_tx.events.push_back("rollback");
  return TRUE;
}
BOOL WINAPI TxDelete(LPCWSTR path, HANDLE) { return ::DeleteFileW(path); }
BOOL WINAPI TxCopy(LPCWSTR from, LPCWSTR to, LPPROGRESS_ROUTINE, LPVOID, LPBOOL cancel, DWORD flags, HANDLE) {
  return ::CopyFileExW(from, to, nullptr, nullptr, cancel, flags);
}
BOOL WINAPI TxCreateDirectory(LPCWSTR, LPCWSTR path, LPSECURITY_ATTRIBUTES, HANDLE) {
  return ::CreateDirectoryW(path, nullptr);
}
BOOL WINAPI TxMove(LPCWSTR from, LPCWSTR to, LPPROGRESS_ROUTINE, LPVOID, DWORD flags, HANDLE) {
  return ::MoveFileWithProgressW(from, to, nullptr, nullptr, flags);
}
HANDLE WINAPI TxCreateFile(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                           DWORD disposition, DWORD flags, HANDLE templ, HANDLE, PUSHORT, PVOID) {
  return ::CreateFileW(path, access, share, security, disposition, flags, templ);
}
void WINAPI TxUnused() {}

class PassThroughLoader : public LibraryLoader {
 public:
  HMODULE Load(const wchar_t*) override { return reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x1000)); }
  FARPROC Find(HMODULE, const char* name) override {
    const std::string n = name;
    void* f = reinterpret_cast<void*>(&TxUnused);
    if (n == "CreateTransaction") f = reinterpret_cast<void*>(&TxCreate);
    if (n == "CommitTransaction") f = reinterpret_cast<void*>(&TxCommit);
    if (n == "RollbackTransaction") f = reinterpret_cast<void*>(&TxRollback);
    if (n == "DeleteFileTransactedW") f = reinterpret_cast<void*>(&TxDelete);
    if (n == "CopyFileTransactedW") f = reinterpret_cast<void*>(&TxCopy);
    if (n == "CreateDirectoryTransactedW") f = reinterpret_cast<void*>(&TxCreateDirectory);
    if (n == "MoveFileTransactedW") f = reinterpret_cast<void*>(&TxMove);
    if (n == "CreateFileTransactedW") f = reinterpret_cast<void*>(&TxCreateFile);
    return reinterpret_cast<FARPROC>(f);
  }
  void Free(HMODULE) override {}
};

}  // namespace

TEST_F(InstallerTest, ProgramsRunOnlyAfterTheCommitAndAFailureBeforeItRollsBack) {
  g_tx = Transactions{};
  g_tx.programRecord = In(L"args.log");
  PassThroughLoader loader;
  TransactedFileOps transacted(loader);
  ASSERT_TRUE(::CopyFileW(WinePath(ORBIFORM_RECORD_ARGS_EXE).c_str(), In(L"Setup.exe").c_str(), FALSE));
  Download("http://h/f/\nhttp://h/f/a.txt.file\n*Setup.exe\n*exe\n*old.txt\n*\n", {"new a"});
  Installer installer(folder.Path(), job, log, transacted, FakeText, self);

  // The deletion fails: everything is rolled back, nothing is left open and
  // the program never ran.
  ASSERT_TRUE(installer.OpenTargets());
  EXPECT_THROW(installer.Install(), mwstd::file_io_error);
  EXPECT_EQ((std::vector<std::string>{"begin", "rollback"}), g_tx.events);
  EXPECT_FALSE(transacted.HasTransaction());
  EXPECT_EQ(READY_TO_UPDATE, job.State());
  EXPECT_FALSE(Exists(In(L"args.log")));

  // A retry in a new transaction, committed before the program runs.
  ASSERT_TRUE(PutBytes(In(L"old.txt"), "old"));
  ASSERT_TRUE(installer.OpenTargets());
  EXPECT_EQ(L"", installer.Install());
  EXPECT_EQ((std::vector<std::string>{"begin", "rollback", "begin", "commit"}), g_tx.events);
  EXPECT_EQ(UPDATE_DONE, job.State());
  EXPECT_NE(std::string::npos, GetBytes(In(L"args.log")).find("Setup.exe"));
}

TEST(Installer, WriteTest) {
  mwtest::TempFolder folder;
  EXPECT_TRUE(CanWrite(folder.Path()));
  EXPECT_FALSE(Exists(folder.Path(L"UpdateTest.QZ7U")));
  EXPECT_FALSE(CanWrite(folder.Path(L"missing")));
}
