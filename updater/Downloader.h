#pragma once
// The updater's engine: the two download phases on worker threads (the
// update information, then the listed files), both on one AsyncInternet in
// event mode, cancelling, and the end of it all. The job's state and data
// live in a DownloadJob; the transaction wrapper for the installation is
// owned here so that it lives as long as the job.
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "mwWinAPI/AsyncInternet.h"
#include "mwWinAPI/Handles.h"
#include "updater/DownloadJob.h"
#include "updater/Installer.h"
#include "updater/SignatureCheck.h"
#include "updater/TransactedFileOps.h"
#include "updater/UpdateLog.h"

namespace updater {

class Downloader {
 public:
  // Creates the completion event, the internet object and the transaction.
  // The channel's manifest must pass `verify` with its signature (the
  // maker's keys by default); every file must match the manifest. Throws
  // mwstd::runtime_error "Event konnten nicht erstellt werden" without an
  // event, mwstd::internet_error when the internet cannot be opened.
  explicit Downloader(UpdateLog& log, TextSource text = LoadText,
                      SignatureCheck verify = VerifyReleaseSignature);
  Downloader(const Downloader&) = delete;
  Downloader& operator=(const Downloader&) = delete;
  // Shutdown.
  ~Downloader();

  DownloadJob& Job() { return job_; }
  TransactedFileOps& Ops() { return *ops_; }

  // The information phase: a thread fetches `query` and posts UM_INFOS_DONE
  // to `window` (wParam 1 success; lParam 1 when there is work), progress as
  // PBM_SETPOS to `progressBar` and status texts as UM_STATUS_TEXT. Throws
  // mwstd::invalid_argument "Status des Downloaders nicht NOTHING_DONE".
  void StartInfos(HWND window, HWND progressBar, const std::wstring& query);
  // What a release must be newer than (the editor's version resource or its
  // fallback), and whether the user asked to reinstall the same version.
  // Set before StartInfos; an unset version counts as older than any.
  void SetInstalled(const std::wstring& version, bool repair) {
    installed_ = version;
    repair_ = repair;
  }

  // Throws as DownloadJob::ParseInfos.
  bool ParseInfos() { return job_.ParseInfos(); }
  // The file phase: posts UM_FILE_STARTED per file and UM_FILES_DONE at the
  // end. Throws mwstd::invalid_argument "Status des Downloaders nicht
  // READY_TO_DOWNLOAD_FILES".
  void StartFiles(HWND window, HWND progressBar);

  // Stops a running phase and waits up to `timeout` ms for its thread; false
  // when it did not end in time. Afterwards NOTHING_DONE (information phase)
  // or READY_TO_DOWNLOAD_FILES (file phase).
  bool Cancel(DWORD timeout);
  // Rolls back what was not committed, stops the thread and frees it all.
  void Shutdown();

  // A phase that has not finished after `infosMs` (information) or that
  // receives nothing for `stallMs` (files) is aborted as failed, so that a
  // reply that never ends cannot hold the updater forever.
  void SetTimeLimits(DWORD infosMs, DWORD stallMs) {
    infosLimitMs_ = infosMs;
    stallLimitMs_ = stallMs;
  }

 private:
  struct Params {
    HWND window = nullptr;
    HWND progressBar = nullptr;
    std::atomic<bool> keepGoing{true};
    std::wstring query;
  };

  // Runs `run` on a worker thread (mwWinAPI::StartThread); thread_ is set
  // when it has ended.
  void Start(void (Downloader::*run)(Params&), HWND window, HWND progressBar, const std::wstring& query);
  void RunInfos(Params& params);
  void RunFiles(Params& params);
  // Fetches `address` whole, at most `maxBytes`, within what is left of the
  // information phase's time from `start`. False when cancelled or failed.
  bool FetchWithin(Params& params, const std::wstring& address, std::size_t maxBytes, DWORD start,
                   std::string& body);
  // Checks a valid reply against the channel's signed manifest when it
  // installs something or says there is nothing to do; keeps the manifest
  // in the job. `detail` is added to the refusal's text.
  ReleaseVerdict CheckWithManifest(Params& params, const std::string& body, DWORD start,
                                   std::wstring& detail);
  // Waits for the completion event in 500 ms slices, posting the progress as
  // `scale` makes it. False when cancelled or out of time (then aborted).
  bool Wait(Params& params, unsigned (*scale)(int progress, unsigned n, unsigned i), unsigned n, unsigned i,
            DWORD limitMs, bool sinceLastProgress);
  void Status(Params& params, unsigned id);
  void ForgetThread();

  UpdateLog& log_;
  TextSource text_;
  SignatureCheck verify_;
  std::wstring installed_;
  bool repair_ = false;
  DownloadJob job_;
  mwWinAPI::UniqueHandle event_;
  std::unique_ptr<mwWinAPI::AsyncInternet> net_;
  std::unique_ptr<TransactedFileOps> ops_;
  mwWinAPI::UniqueHandle thread_;
  std::unique_ptr<Params> params_;
  int progress_ = 0;       // written by the internet callbacks
  bool timedOut_ = false;  // the running phase ran out of time
  // A read was aborted: it may still complete into the internet object
  // later (Wine ends it only when the server lets go), so that object and
  // its event are never freed or reused.
  std::atomic<bool> aborted_{false};
  DWORD infosLimitMs_ = 30000;
  DWORD stallLimitMs_ = 60000;
  bool shutDown_ = false;
};

}  // namespace updater
