// The downloader's two phases against a test server on 127.0.0.1 under Wine:
// a whole run into a temporary editor folder, and hostile replies (too big,
// unsafe paths, error pages, never ending), cancelling in both phases.
#include <gtest/gtest.h>

#include <vector>

#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/Utf.h"
#include "tests/mwWinAPI/TempFolder.h"
#include "tests/updater/Fakes.h"
#include "tests/updater/TestServer.h"
#include "updater/Downloader.h"
#include "updater/UpdaterMessages.h"

// after windows.h
#include <commctrl.h>

using namespace updater;

namespace {

using updatertest::FakeCheck;
using updatertest::FakeText;
using updatertest::kMarker;
using updatertest::ServeManifest;

// A message-only window whose queue collects what the threads post.
class Receiver {
 public:
  Receiver() {
    window_ = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  }
  ~Receiver() { ::DestroyWindow(window_); }
  HWND Window() const { return window_; }

  // Waits for `message`; its MSG, or one with message 0 after `ms`.
  MSG WaitFor(UINT message, DWORD ms = 15000) {
    const DWORD start = ::GetTickCount();
    for (;;) {
      MSG msg;
      while (::PeekMessageW(&msg, window_, 0, 0, PM_REMOVE)) {
        seen.push_back(msg);
        if (msg.message == message) return msg;
      }
      if (::GetTickCount() - start > ms) return MSG{};
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_POSTMESSAGE);
    }
  }
  int Count(UINT message) const {
    int n = 0;
    for (const MSG& m : seen) n += m.message == message;
    return n;
  }
  std::vector<MSG> seen;

 private:
  HWND window_;
};

class DownloaderTest : public ::testing::Test {
 protected:
  bool Logged(const std::wstring& part, int kind) const {
    for (std::size_t i = 0; i < log.Count(); ++i) {
      const LogEntry e = log.Entry(i);
      if (e.kind == kind && e.text.find(part) != std::wstring::npos) return true;
    }
    return false;
  }
  // Runs the information phase; the UM_INFOS_DONE message.
  MSG Infos(const std::string& path) {
    server.Start();
    downloader.StartInfos(receiver.Window(), receiver.Window(), server.Address(path));
    return receiver.WaitFor(UM_INFOS_DONE);
  }

  updatertest::TestServer server;
  UpdateLog log{SystemLogTime};
  Downloader downloader{log, FakeText, FakeCheck};
  Receiver receiver;
};

}  // namespace

TEST_F(DownloaderTest, WholeRunIntoTheEditorFolder) {
  const std::wstring wbase = server.Address("/files/");
  const std::string files(wbase.begin(), wbase.end());
  server.Serve("/info",
               kMarker + files + "\n" + files + "Orbiform2.exe.file\n" + files + "Tex/brick.bmp.file\n");
  server.Serve("/files/Orbiform2.exe.file", "MZ new editor");
  server.Serve("/files/Tex/brick.bmp.file", std::string(7000, 'b'));
  ServeManifest(server, {{"Orbiform2.exe", "MZ new editor"}, {"Tex/brick.bmp", std::string(7000, 'b')}});

  const MSG infos = Infos("/info");
  ASSERT_EQ(UM_INFOS_DONE, infos.message);
  EXPECT_EQ(1u, infos.wParam);
  EXPECT_EQ(1, infos.lParam);
  EXPECT_EQ(INFOS_DOWNLOADED, downloader.Job().State());
  EXPECT_TRUE(Logged(L"<136>", LOG_INFO));
  ASSERT_TRUE(downloader.ParseInfos());
  ASSERT_EQ(2u, downloader.Job().LinkCount());

  downloader.StartFiles(receiver.Window(), receiver.Window());
  const MSG done = receiver.WaitFor(UM_FILES_DONE);
  ASSERT_EQ(UM_FILES_DONE, done.message);
  EXPECT_EQ(2u, done.wParam);
  EXPECT_EQ(1, done.lParam);
  EXPECT_EQ(2, receiver.Count(UM_FILE_STARTED));
  EXPECT_GT(receiver.Count(UM_STATUS_TEXT), 0);
  for (const MSG& m : receiver.seen) {
    if (m.message == PBM_SETPOS) {
      EXPECT_LE(m.wParam, 100u);
    }
  }
  ASSERT_EQ(READY_TO_UPDATE, downloader.Job().State());

  mwtest::TempFolder folder;
  ASSERT_TRUE(mwtest::PutBytes(folder.Path(L"Orbiform2.exe"), "MZ old editor"));
  Installer installer(folder.Path(), downloader.Job(), log, downloader.Ops(), FakeText);
  ASSERT_TRUE(installer.OpenTargets());
  EXPECT_EQ(L"", installer.Install());
  EXPECT_EQ("MZ new editor", mwtest::GetBytes(folder.Path(L"Orbiform2.exe")));
  EXPECT_EQ(std::string(7000, 'b'), mwtest::GetBytes(folder.Path(L"Tex\\brick.bmp")));
  EXPECT_EQ("MZ old editor", mwtest::GetBytes(folder.Path(L"QZ7BackUp\\Orbiform2.exe")));
}

TEST_F(DownloaderTest, OversizedInformationIsRefused) {
  server.Serve("/info", kMarker + "http://h/f/\n" + std::string(kMaxInfosBytes, 'x') + "\n");
  const MSG infos = Infos("/info");
  ASSERT_EQ(UM_INFOS_DONE, infos.message);
  EXPECT_EQ(0u, infos.wParam);
  EXPECT_EQ(NOTHING_DONE, downloader.Job().State());
  EXPECT_TRUE(Logged(L"<115>: ", LOG_ERROR));
}

TEST_F(DownloaderTest, UnsafeLinksMakeTheReplyFaulty) {
  server.Serve("/info", kMarker + "http://h/f/\nhttp://h/f/..\\..\\Windows\\evil.dll.file\n");
  ASSERT_EQ(1u, Infos("/info").wParam);
  EXPECT_FALSE(downloader.ParseInfos());
  EXPECT_EQ(INFOS_DOWNLOADED, downloader.Job().State());
}

TEST_F(DownloaderTest, ErrorPageFailsTheFilePhase) {
  const std::wstring wbase = server.Address("/f/");
  const std::string files(wbase.begin(), wbase.end());
  std::string page = "<html><body>404 Error</body></html>";
  page.resize(300, ' ');
  server.Serve("/info", kMarker + files + "\n" + files + "a.exe.file\n");
  server.Serve("/f/a.exe.file", page);
  ServeManifest(server, {{"a.exe", page}});
  ASSERT_EQ(1u, Infos("/info").wParam);
  ASSERT_TRUE(downloader.ParseInfos());
  downloader.StartFiles(receiver.Window(), nullptr);
  const MSG done = receiver.WaitFor(UM_FILES_DONE);
  ASSERT_EQ(UM_FILES_DONE, done.message);
  EXPECT_EQ(0, done.lParam);
  EXPECT_EQ(READY_TO_DOWNLOAD_FILES, downloader.Job().State());
  EXPECT_FALSE(downloader.Job().IsDone(0));
}

TEST_F(DownloaderTest, ReplyThatNeverEndsRunsOutOfTime) {
  server.Stall("/info", "HTTP/1.0 200 OK\r\n\r\n" + kMarker + "http://h/f/\n");
  downloader.SetTimeLimits(1500, 1500);
  const DWORD start = ::GetTickCount();
  const MSG infos = Infos("/info");
  ASSERT_EQ(UM_INFOS_DONE, infos.message);
  EXPECT_EQ(0u, infos.wParam);
  EXPECT_LT(::GetTickCount() - start, 8000u);
  EXPECT_EQ(NOTHING_DONE, downloader.Job().State());
  EXPECT_TRUE(Logged(L"<115>: ", LOG_ERROR));
}

TEST_F(DownloaderTest, CancelDuringTheFilesReturnsToTheParsedState) {
  const std::wstring wbase = server.Address("/f/");
  const std::string files(wbase.begin(), wbase.end());
  server.Serve("/info", kMarker + files + "\n" + files + "a.exe.file\n");
  server.Stall("/f/a.exe.file", "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\nMZ");
  ServeManifest(server, {{"a.exe", std::string(100000, 'x')}});
  ASSERT_EQ(1u, Infos("/info").wParam);
  ASSERT_TRUE(downloader.ParseInfos());
  downloader.StartFiles(receiver.Window(), nullptr);
  ::Sleep(1000);
  EXPECT_TRUE(downloader.Cancel(5000));
  EXPECT_EQ(READY_TO_DOWNLOAD_FILES, downloader.Job().State());
  EXPECT_TRUE(Logged(L"<141>", LOG_INFO));
  EXPECT_THROW(downloader.Job().FileData(0), mwstd::out_of_range);
}

TEST_F(DownloaderTest, CancelDuringTheInformationReturnsToTheStart) {
  server.Stall("/info", "HTTP/1.0 200 OK\r\n\r\n" + kMarker);
  server.Start();
  downloader.StartInfos(receiver.Window(), nullptr, server.Address("/info"));
  ::Sleep(1000);
  EXPECT_TRUE(downloader.Cancel(5000));
  EXPECT_EQ(NOTHING_DONE, downloader.Job().State());
  EXPECT_TRUE(Logged(L"<137>", LOG_INFO));
  EXPECT_THROW(downloader.ParseInfos(), mwstd::invalid_argument);
  const MSG cancelled = receiver.WaitFor(UM_INFOS_DONE, 2000);
  EXPECT_EQ(UM_INFOS_DONE, cancelled.message);
  EXPECT_EQ(0u, cancelled.wParam);

  // A new start works although the aborted read has not ended yet.
  updatertest::TestServer other;
  other.Serve("/info", kMarker);
  ServeManifest(other, {}, {}, "2.1.0");
  downloader.SetInstalled(L"2.1.0", false);
  other.Start();
  downloader.StartInfos(receiver.Window(), nullptr, other.Address("/info"));
  const MSG again = receiver.WaitFor(UM_INFOS_DONE);
  ASSERT_EQ(UM_INFOS_DONE, again.message);
  EXPECT_EQ(1u, again.wParam) << mwWinAPI::ToUtf8(log.Entry(log.Count() - 1).text);
  EXPECT_EQ(0, again.lParam);  // nothing to update
}

TEST_F(DownloaderTest, OnlyWhatTheMakerSignedIsFetched) {
  const std::wstring wbase = server.Address("/f/");
  const std::string files(wbase.begin(), wbase.end());
  server.Serve("/info", kMarker + files + "\n" + files + "a.exe.file\n" + files + "big.bin.file\n" + files +
                            "never.bin.file\n");
  server.Serve("/f/a.exe.file", "MZ new editor");
  // Announces far more than the manifest's 10 bytes, then holds the line.
  server.Stall("/f/big.bin.file", "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n0123456789");
  server.Serve("/f/never.bin.file", "x");
  ServeManifest(server, {{"a.exe", "MZ new editor"}, {"big.bin", "0123456789"}, {"never.bin", "x"}});
  downloader.SetTimeLimits(30000, 30000);
  ASSERT_EQ(1u, Infos("/info").wParam);
  ASSERT_TRUE(downloader.ParseInfos());
  const DWORD start = ::GetTickCount();
  downloader.StartFiles(receiver.Window(), nullptr);
  const MSG done = receiver.WaitFor(UM_FILES_DONE);
  ASSERT_EQ(UM_FILES_DONE, done.message);
  EXPECT_EQ(0, done.lParam);
  EXPECT_LT(::GetTickCount() - start, 10000u);  // stopped at once, not at the stall limit
  EXPECT_TRUE(Logged(L"big.bin.file", LOG_ERROR));
  EXPECT_FALSE(Logged(L"never.bin.file", LOG_INFO));
  EXPECT_EQ(READY_TO_DOWNLOAD_FILES, downloader.Job().State());

  // A manifest that the maker's key (the one this program is built with)
  // did not sign: nothing is fetched beyond it. (The first server is held
  // by the stalled reply.)
  updatertest::TestServer other;
  other.Serve("/info", kMarker + files + "\n" + files + "a.exe.file\n");
  ServeManifest(other, {{"a.exe", "MZ new editor"}});
  other.Start();
  Downloader real(log, FakeText);
  real.StartInfos(receiver.Window(), nullptr, other.Address("/info"));
  EXPECT_EQ(0u, receiver.WaitFor(UM_INFOS_DONE).wParam);
  EXPECT_EQ(NOTHING_DONE, real.Job().State());
  EXPECT_TRUE(Logged(L"<171>", LOG_ERROR));
}
