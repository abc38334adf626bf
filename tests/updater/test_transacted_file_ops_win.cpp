// The transaction wrapper: all-or-nothing loading against a fake function
// table (Wine lacks most transacted functions), and the plain path for real.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/mwWinAPI/TempFolder.h"
#include "updater/TransactedFileOps.h"

using updater::LibraryLoader;
using updater::TransactedFileOps;

namespace {

// What the fake functions saw.
struct Calls {
  std::vector<std::string> log;
  HANDLE transaction = nullptr;  // handed out by the fake CreateTransaction
  bool createFails = false;
  bool createArgsPlain = false;
} g_calls;

std::string Narrow(LPCWSTR text) { return std::string(text, text + wcslen(text)); }
bool Ours(HANDLE t) { return t && t == g_calls.transaction; }

HANDLE WINAPI FakeCreateTransaction(LPSECURITY_ATTRIBUTES sa, LPGUID uow, DWORD options, DWORD level,
                                    DWORD flags, DWORD timeout, LPWSTR description) {
  g_calls.createArgsPlain = !sa && !uow && !options && !level && !flags && !timeout && !description;
  g_calls.log.push_back("create");
  if (g_calls.createFails) return INVALID_HANDLE_VALUE;
  g_calls.transaction = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  return g_calls.transaction;
}
BOOL WINAPI FakeCommit(HANDLE t) {
  g_calls.log.push_back(Ours(t) ? "commit" : "commit?");
  return TRUE;
}
BOOL WINAPI FakeRollback(HANDLE t) {
  g_calls.log.push_back(Ours(t) ? "rollback" : "rollback?");
  return TRUE;
}
BOOL WINAPI FakeDelete(LPCWSTR path, HANDLE t) {
  g_calls.log.push_back("delete " + Narrow(path) + (Ours(t) ? "" : " ?"));
  return TRUE;
}
BOOL WINAPI FakeCopy(LPCWSTR from, LPCWSTR to, LPPROGRESS_ROUTINE, LPVOID, LPBOOL, DWORD flags, HANDLE t) {
  g_calls.log.push_back("copy " + Narrow(from) + " " + Narrow(to) + " " + std::to_string(flags) +
                        (Ours(t) ? "" : " ?"));
  return TRUE;
}
BOOL WINAPI FakeCreateDirectory(LPCWSTR templ, LPCWSTR path, LPSECURITY_ATTRIBUTES, HANDLE t) {
  g_calls.log.push_back("mkdir " + Narrow(path) + (templ || !Ours(t) ? " ?" : ""));
  return TRUE;
}
BOOL WINAPI FakeMove(LPCWSTR from, LPCWSTR to, LPPROGRESS_ROUTINE, LPVOID, DWORD flags, HANDLE t) {
  g_calls.log.push_back("move " + Narrow(from) + " " + Narrow(to) + " " + std::to_string(flags) +
                        (Ours(t) ? "" : " ?"));
  return TRUE;
}
HANDLE WINAPI FakeCreateFile(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES,
                             DWORD disposition, DWORD, HANDLE, HANDLE t, PUSHORT, PVOID) {
  const bool plain = access == GENERIC_WRITE && share == 0 && disposition == CREATE_ALWAYS && Ours(t);
  g_calls.log.push_back("open " + Narrow(path) + (plain ? "" : " ?"));
  return INVALID_HANDLE_VALUE;
}
void WINAPI Unused() {}

class FakeLoader : public LibraryLoader {
 public:
  std::set<std::wstring> present{L"Ktmw32.dll", L"Advapi32.dll", L"Kernel32.dll"};
  std::set<std::string> missing;
  std::vector<std::string> asked;
  std::vector<std::string> events;

  HMODULE Load(const wchar_t* name) override {
    events.push_back("load " + Narrow(name));
    if (!present.count(name)) return nullptr;
    return reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x1000 * events.size()));
  }
  FARPROC Find(HMODULE, const char* name) override {
    asked.push_back(name);
    if (missing.count(name)) return nullptr;
    const std::string n = name;
    void* f = reinterpret_cast<void*>(&Unused);
    if (n == "CreateTransaction") f = reinterpret_cast<void*>(&FakeCreateTransaction);
    if (n == "CommitTransaction") f = reinterpret_cast<void*>(&FakeCommit);
    if (n == "RollbackTransaction") f = reinterpret_cast<void*>(&FakeRollback);
    if (n == "DeleteFileTransactedW") f = reinterpret_cast<void*>(&FakeDelete);
    if (n == "CopyFileTransactedW") f = reinterpret_cast<void*>(&FakeCopy);
    if (n == "CreateDirectoryTransactedW") f = reinterpret_cast<void*>(&FakeCreateDirectory);
    if (n == "MoveFileTransactedW") f = reinterpret_cast<void*>(&FakeMove);
    if (n == "CreateFileTransactedW") f = reinterpret_cast<void*>(&FakeCreateFile);
    return reinterpret_cast<FARPROC>(f);
  }
  void Free(HMODULE module) override {
    events.push_back("free " + std::to_string(reinterpret_cast<ULONG_PTR>(module) / 0x1000));
  }
};

class TransactedFileOpsFake : public ::testing::Test {
 protected:
  void SetUp() override { g_calls = Calls{}; }
  FakeLoader loader;
};

}  // namespace

TEST_F(TransactedFileOpsFake, EveryFunctionFoundMeansOneTransactionForAllOperations) {
  {
    TransactedFileOps ops(loader);
    ASSERT_TRUE(ops.HasTransaction());
    EXPECT_EQ(std::vector<std::string>(TransactedFileOps::kFunctionNames,
                                       TransactedFileOps::kFunctionNames + TransactedFileOps::kFunctionCount),
              loader.asked);
    EXPECT_TRUE(g_calls.createArgsPlain);
    EXPECT_EQ(INVALID_HANDLE_VALUE, ops.OpenForWriting(L"a.exe"));
    EXPECT_TRUE(ops.Move(L"a", L"b"));
    EXPECT_TRUE(ops.Move(L"a", L"c", MOVEFILE_COPY_ALLOWED));
    EXPECT_TRUE(ops.CreateFolder(L"QZ7BackUp"));
    EXPECT_TRUE(ops.Copy(L"a", L"QZ7BackUp\\a"));
    EXPECT_TRUE(ops.Delete(L"old"));
    EXPECT_TRUE(ops.Commit());
    EXPECT_FALSE(ops.HasTransaction());
    // Once committed, a further step is a plain one (here: a missing file).
    EXPECT_FALSE(ops.Delete(L"no such file here.txt"));
  }
  EXPECT_EQ((std::vector<std::string>{"create", "open a.exe", "move a b 0", "move a c 2", "mkdir QZ7BackUp",
                                      "copy a QZ7BackUp\\a 0", "delete old", "commit"}),
            g_calls.log);
  EXPECT_EQ((std::vector<std::string>{"load Ktmw32.dll", "load Advapi32.dll", "load Kernel32.dll", "free 3",
                                      "free 2", "free 1"}),
            loader.events);
}

TEST_F(TransactedFileOpsFake, UncommittedTransactionIsRolledBackAtTheEnd) {
  { TransactedFileOps ops(loader); }
  EXPECT_EQ((std::vector<std::string>{"create", "rollback"}), g_calls.log);
  g_calls = Calls{};
  {
    TransactedFileOps ops(loader);
    EXPECT_TRUE(ops.Rollback());
    EXPECT_TRUE(ops.Commit());  // nothing left to commit
  }
  EXPECT_EQ((std::vector<std::string>{"create", "rollback"}), g_calls.log);
}

TEST_F(TransactedFileOpsFake, AnyMissingPieceMeansPlainOperations) {
  for (const char* gone : {"CreateTransaction", "RegOpenKeyTransactedW", "FindFirstFileTransactedW"}) {
    FakeLoader partial;
    partial.missing = {gone};
    g_calls = Calls{};
    {
      TransactedFileOps ops(partial);
      EXPECT_FALSE(ops.HasTransaction()) << gone;
      EXPECT_TRUE(ops.Commit());
      EXPECT_FALSE(ops.Delete(L"no such file here.txt"));  // the plain function, for real
    }
    EXPECT_EQ(gone, partial.asked.back());  // fetching stopped at the first gap
    EXPECT_TRUE(g_calls.log.empty()) << gone;
    EXPECT_EQ(6u, partial.events.size()) << gone;  // three loaded, three freed
  }

  FakeLoader noKtm;
  noKtm.present.erase(L"Ktmw32.dll");
  { EXPECT_FALSE(TransactedFileOps(noKtm).HasTransaction()); }
  EXPECT_EQ(std::vector<std::string>{"load Ktmw32.dll"}, noKtm.events);
  EXPECT_TRUE(noKtm.asked.empty());

  FakeLoader noKernel;
  noKernel.present.erase(L"Kernel32.dll");
  { EXPECT_FALSE(TransactedFileOps(noKernel).HasTransaction()); }
  EXPECT_TRUE(noKernel.asked.empty());
  EXPECT_EQ(5u, noKernel.events.size());  // three tried, two freed

  g_calls = Calls{};
  g_calls.createFails = true;
  { EXPECT_FALSE(TransactedFileOps(loader).HasTransaction()); }
  EXPECT_EQ(std::vector<std::string>{"create"}, g_calls.log);
}

TEST(TransactedFileOpsSystem, PlainOperationsForReal) {
  mwtest::TempFolder folder;
  TransactedFileOps ops;
  // Wine offers the transaction manager but not every transacted function.
  EXPECT_FALSE(ops.HasTransaction());
  const std::wstring sub = folder.Path(L"QZ7BackUp");
  EXPECT_TRUE(ops.CreateFolder(sub));
  EXPECT_FALSE(ops.CreateFolder(sub));

  const std::wstring a = folder.Path(L"a.txt");
  HANDLE file = ops.OpenForWriting(a);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ(INVALID_HANDLE_VALUE, ops.OpenForWriting(a));  // not shared while open
  DWORD written = 0;
  ASSERT_TRUE(::WriteFile(file, "new", 3, &written, nullptr));
  ::CloseHandle(file);

  ASSERT_TRUE(mwtest::PutBytes(folder.Path(L"b.txt"), "old"));
  EXPECT_TRUE(ops.Copy(folder.Path(L"b.txt"), sub + L"\\b.txt"));
  EXPECT_FALSE(ops.Move(a, folder.Path(L"b.txt")));  // flags 0: the destination stays
  EXPECT_EQ("old", mwtest::GetBytes(folder.Path(L"b.txt")));
  EXPECT_TRUE(ops.Move(a, folder.Path(L"b.txt"), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED));
  EXPECT_TRUE(ops.Delete(sub + L"\\b.txt"));
  EXPECT_FALSE(ops.Delete(sub + L"\\b.txt"));
  EXPECT_TRUE(ops.Commit());

  EXPECT_EQ("new", mwtest::GetBytes(folder.Path(L"b.txt")));
  EXPECT_FALSE(mwtest::Exists(a));
  EXPECT_FALSE(mwtest::Exists(sub + L"\\b.txt"));
}
