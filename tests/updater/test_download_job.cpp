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

// A job with the reply parsed: two links and one operation.
void Parsed(DownloadJob& job) {
  job.BeginInfos();
  ASSERT_EQ(
      InfosReply::Lines,
      job.TakeInfos(kMarker + "http://h/f/\nhttp://h/f/a.exe.file\nhttp://h/f/Sub/b.dat.file\n*a.exe\n*exe\n",
                    Decode));
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

// Stands in for the signature check: "sig" is the only valid signature.
bool SigChecked(const std::string&, const std::string& signature) { return signature == "sig"; }

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
  job.BeginFiles();
  EXPECT_EQ(L"Download läuft", ThrownBy([](DownloadJob& j) { j.LinkCount(); }, job));
  job.StoreFile(0, "MZ program", "sig");
  job.StoreFile(1, "<html>404 Error</html>", "sig");
  EXPECT_FALSE(job.FinishFiles("http://h/error", SigChecked));
  EXPECT_EQ(READY_TO_DOWNLOAD_FILES, job.State());
  EXPECT_TRUE(job.IsDone(0));
  EXPECT_FALSE(job.IsDone(1));
  EXPECT_TRUE(job.FileData(1).empty());

  job.BeginFiles();  // a new attempt starts with empty slots
  EXPECT_TRUE(job.FileData(0).empty());
  job.StoreFile(0, "MZ program", "sig");
  job.StoreFile(1, "data", "sig");
  EXPECT_TRUE(job.FinishFiles("http://h/error", SigChecked));
  EXPECT_EQ(READY_TO_UPDATE, job.State());

  // Cancelling the file phase goes back to the parsed state, not further.
  job.SetState(FILES_DOWNLOADING);
  job.EndEarly();
  EXPECT_EQ(READY_TO_DOWNLOAD_FILES, job.State());
  EXPECT_THROW(job.FileData(0), mwstd::out_of_range);
}

TEST(DownloadJob, OversizedFileIsRefused) {
  DownloadJob job;
  Parsed(job);
  job.BeginFiles();
  job.StoreFile(0, std::string(kMaxFileBytes + 1, 'x'), "sig");
  job.StoreFile(1, "data", "sig");
  EXPECT_FALSE(job.FinishFiles("", SigChecked));
  EXPECT_FALSE(job.IsDone(0));
}

TEST(DownloadJob, FileWithoutAValidSignatureIsRefused) {
  DownloadJob job;
  Parsed(job);
  job.BeginFiles();
  job.StoreFile(0, "MZ program", "sig");
  job.StoreFile(1, "data", "");  // none came
  EXPECT_FALSE(job.FinishFiles("", SigChecked));
  EXPECT_TRUE(job.IsDone(0));
  EXPECT_FALSE(job.IsUnsigned(0));
  EXPECT_FALSE(job.IsDone(1));
  EXPECT_TRUE(job.IsUnsigned(1));
  EXPECT_TRUE(job.FileData(1).empty());
  EXPECT_EQ(READY_TO_DOWNLOAD_FILES, job.State());

  // Without a check nothing passes.
  job.BeginFiles();
  job.StoreFile(0, "MZ program", "sig");
  job.StoreFile(1, "data", "sig");
  EXPECT_FALSE(job.FinishFiles("", nullptr));
  EXPECT_FALSE(job.IsDone(0));
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
