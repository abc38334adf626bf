// The job's states: what each phase accepts, where an early end leads, and
// the checks on the files the thread delivers; and the log's text.
#include <gtest/gtest.h>

#include <thread>

#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/Utf.h"
#include "updater/DownloadJob.h"
#include "updater/UpdateLog.h"

using namespace updater;

namespace {

const std::string kMarker = "7315-2048-9962-4170-3385-6621";
std::wstring Decode(const std::string& bytes) { return mwWinAPI::FromUtf8(bytes); }

// The manifest entries of Parsed's two links.
Manifest Signed() {
  Manifest m;
  m.files = {{L"a.exe", 10, std::string(64, 'a')}, {L"Sub/b.dat", 4, std::string(64, 'b')}};
  return m;
}

// A job with the reply parsed: two links and one operation.
void Parsed(DownloadJob& job) {
  job.BeginInfos();
  ASSERT_EQ(
      InfosReply::Lines,
      job.TakeInfos(kMarker + "http://h/f/\nhttp://h/f/a.exe.file\nhttp://h/f/Sub/b.dat.file\n*a.exe\n*exe\n",
                    Decode));
  job.SetState(INFOS_DOWNLOADING);
  job.TakeManifest(Signed());
  job.SetState(INFOS_DOWNLOADED);
  ASSERT_TRUE(job.ParseInfos());
}

std::wstring ThrownBy(void (*call)(DownloadJob&), DownloadJob& job) {
  try {
    call(job);
  } catch (const mwstd::exception& e) {
    return e.what();
  }
  return L"";
}

}  // namespace

TEST(DownloadJob, WrongStateIsRefusedWithTheExpectedStateNamed) {
  DownloadJob job;
  EXPECT_EQ(L"Status des Downloaders nicht INFOS_DOWNLOADED",
            ThrownBy([](DownloadJob& j) { j.ParseInfos(); }, job));
  EXPECT_EQ(L"Status des Downloaders nicht READY_TO_DOWNLOAD_FILES",
            ThrownBy([](DownloadJob& j) { j.BeginFiles(); }, job));
  job.BeginInfos();
  EXPECT_EQ(L"Status des Downloaders nicht NOTHING_DONE",
            ThrownBy([](DownloadJob& j) { j.BeginInfos(); }, job));
  EXPECT_EQ(INFOS_DOWNLOADING, job.State());
  EXPECT_EQ(L"Der Index ist nicht vorhanden", ThrownBy([](DownloadJob& j) { j.Link(0); }, job));
}

TEST(DownloadJob, InformationPhaseOutcomes) {
  DownloadJob job;
  job.BeginInfos();
  EXPECT_EQ(InfosReply::NothingToDo, job.TakeInfos(kMarker, Decode));
  EXPECT_EQ(NOTHING_DONE, job.State());
  job.BeginInfos();
  EXPECT_EQ(InfosReply::Invalid, job.TakeInfos("\xEF\xBB\xBF" + kMarker + "b\n", Decode));
  EXPECT_EQ(NOTHING_DONE, job.State());

  // A faulty reply leaves the lines and the state for the window to report.
  job.BeginInfos();
  ASSERT_EQ(InfosReply::Lines, job.TakeInfos(kMarker + "http://h/f/\nhttp://h/f/../x.exe.file\n", Decode));
  EXPECT_FALSE(job.ParseInfos());
  EXPECT_EQ(INFOS_DOWNLOADED, job.State());
  job.EndEarly();
  EXPECT_EQ(NOTHING_DONE, job.State());

  DownloadJob parsed;
  Parsed(parsed);
  EXPECT_EQ(READY_TO_DOWNLOAD_FILES, parsed.State());
  ASSERT_EQ(2u, parsed.LinkCount());  // only the links are left
  EXPECT_EQ(L"Sub/b.dat", parsed.TargetPath(1));
  EXPECT_EQ(1u, parsed.Operations().size());
}

TEST(DownloadJob, FilePhaseChecksEveryFile) {
  DownloadJob job;
  Parsed(job);
  EXPECT_EQ(10u, job.ExpectedSize(0));
  EXPECT_EQ(0u, job.ExpectedSize(2));
  job.BeginFiles();
  EXPECT_EQ(L"Download läuft", ThrownBy([](DownloadJob& j) { j.LinkCount(); }, job));
  EXPECT_TRUE(job.StoreFile(0, "MZ program", std::string(64, 'a')));
  EXPECT_TRUE(job.StoreFile(1, "data", std::string(64, 'b')));
  EXPECT_TRUE(job.FinishFiles("http://h/error"));
  EXPECT_EQ(READY_TO_UPDATE, job.State());

  // Cancelling the file phase goes back to the parsed state, not further.
  job.SetState(FILES_DOWNLOADING);
  job.EndEarly();
  EXPECT_EQ(READY_TO_DOWNLOAD_FILES, job.State());
  EXPECT_THROW(job.FileData(0), mwstd::out_of_range);
}

TEST(DownloadJob, FileThatIsNotTheManifestsIsRefused) {
  DownloadJob job;
  Parsed(job);
  job.BeginFiles();  // a new attempt starts with empty slots
  EXPECT_FALSE(job.StoreFile(0, "MZ program", std::string(64, 'b')));  // other bytes, same size
  EXPECT_FALSE(job.StoreFile(1, "data+", std::string(64, 'b')));       // longer
  EXPECT_TRUE(job.FileData(0).empty());
  EXPECT_FALSE(job.FinishFiles(""));
  EXPECT_EQ(READY_TO_DOWNLOAD_FILES, job.State());

  // Without a manifest nothing is trusted.
  DownloadJob bare;
  bare.BeginInfos();
  ASSERT_EQ(InfosReply::Lines, bare.TakeInfos(kMarker + "http://h/f/\nhttp://h/f/a.exe.file\n", Decode));
  ASSERT_TRUE(bare.ParseInfos());
  bare.BeginFiles();
  EXPECT_FALSE(bare.StoreFile(0, "MZ program", std::string(64, 'a')));
}

TEST(UpdateLog, LinesAndFileBlock) {
  static int tick = 0;
  tick = 0;
  UpdateLog log([] {
    LogTime t;
    t.year = 2026;
    t.minute = ++tick;
    return t;
  });
  EXPECT_EQ(L"", log.FileBlock([](const LogTime&) { return std::wstring(L"x"); }));
  log.Add(L"first", LOG_INFO);
  log.Add(L"second", LOG_ERROR);
  const LogStampFormatter stamp = [](const LogTime& t) { return L"d " + std::to_wstring(t.minute); };
  EXPECT_EQ(L"d 2  second", log.Line(1, stamp));
  EXPECT_EQ(LOG_ERROR, log.Entry(1).kind);
  EXPECT_EQ(L"[Update d 1]\r\nd 1  first\r\nd 2  second\r\n\r\n\r\n", log.FileBlock(stamp));
}

TEST(UpdateLog, ThreadsAddWithoutLosingEntries) {
  UpdateLog log;
  std::thread a([&] {
    for (int i = 0; i < 500; ++i) log.Add(L"a", LOG_INFO);
  });
  for (int i = 0; i < 500; ++i) log.Add(L"b", LOG_INFO);
  a.join();
  EXPECT_EQ(1000u, log.Count());
  const LogTime t = log.Entry(0).time;
  EXPECT_GE(t.year, 2024);
  EXPECT_TRUE(t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour < 24);
}
