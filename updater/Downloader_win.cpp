// The two download phases on worker threads. The threads talk to the window
// only by posted messages; the log is locked; the job is touched by the
// window only while no thread runs.
#include "updater/Downloader.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "mwWinAPI/Conversions.h"
#include "mwWinAPI/ErrorText.h"
#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/Worker.h"
#include "updater/SignatureCheck.h"
#include "updater/UpdateInfos.h"
#include "updater/UpdaterIds.h"
#include "updater/UpdaterMessages.h"

namespace updater {
namespace {

constexpr DWORD kSliceMs = 500;

std::wstring DecodeAnsi(const std::string& bytes) {
  std::wstring text;
  if (bytes.empty() || mwWinAPI::CharToTchar(text, bytes) <= 0) return std::wstring();
  if (!text.empty() && text.back() == L'\0') text.pop_back();
  return text;
}

int ReadProgress(const int& progress) { return *static_cast<const volatile int*>(&progress); }

unsigned InfosScale(int progress, unsigned, unsigned) { return static_cast<unsigned>(progress); }
// Opening is the first half of a file's share, reading the second.
unsigned OpenScale(int progress, unsigned n, unsigned i) {
  return static_cast<unsigned>(progress) / n / 2 + (100 / n) * i;
}
unsigned ReadScale(int progress, unsigned n, unsigned i) {
  return static_cast<unsigned>(progress) / n + (100 / n) * i;
}

}  // namespace

Downloader::Downloader(UpdateLog& log, TextSource text, SignatureCheck verify)
    : log_(log), text_(text), verify_(verify) {
  event_.Reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
  if (!event_) throw mwstd::runtime_error(L"Event konnten nicht erstellt werden");
  net_ = std::make_unique<mwWinAPI::AsyncInternet>(event_.Get());
  ops_ = std::make_unique<TransactedFileOps>();
}

Downloader::~Downloader() { Shutdown(); }

void Downloader::Status(Params& params, unsigned id) {
  if (params.window) ::PostMessageW(params.window, UM_STATUS_TEXT, id, 0);
}

void Downloader::Start(void (Downloader::*run)(Params&), HWND window, HWND progressBar,
                       const std::wstring& query) {
  ForgetThread();
  params_ = std::make_unique<Params>();
  params_->window = window;
  params_->progressBar = progressBar;
  params_->query = query;
  timedOut_ = false;
  try {
    thread_ = mwWinAPI::StartThread([this, run, params = params_.get()] { (this->*run)(*params); });
  } catch (const mwstd::runtime_error&) {
    params_.reset();
    job_.EndEarly();
    throw;
  }
}

void Downloader::StartInfos(HWND window, HWND progressBar, const std::wstring& query) {
  job_.BeginInfos();
  Start(&Downloader::RunInfos, window, progressBar, query);
}

void Downloader::StartFiles(HWND window, HWND progressBar) {
  job_.BeginFiles();
  Start(&Downloader::RunFiles, window, progressBar, std::wstring());
}

bool Downloader::Wait(Params& params, unsigned (*scale)(int, unsigned, unsigned), unsigned n, unsigned i,
                      DWORD limitMs, bool sinceLastProgress) {
  DWORD start = ::GetTickCount();
  int last = ReadProgress(progress_);
  for (;;) {
    if (!params.keepGoing) return false;
    const int now = ReadProgress(progress_);
    if (params.progressBar) ::PostMessageW(params.progressBar, PBM_SETPOS, scale(now, n, i), 0);
    if (sinceLastProgress && now != last) {
      last = now;
      start = ::GetTickCount();
    }
    if (::WaitForSingleObject(event_.Get(), kSliceMs) == WAIT_OBJECT_0) return params.keepGoing;
    if (::GetTickCount() - start >= limitMs) {
      timedOut_ = true;
      aborted_ = true;
      net_->Abort();
      return false;
    }
  }
}

bool Downloader::FetchWithin(Params& params, const std::wstring& address, std::size_t maxBytes, DWORD start,
                             std::string& body) {
  net_->SetMaxBytes(maxBytes);
  progress_ = 0;
  for (int step = 0; step < 2; ++step) {
    const DWORD spent = ::GetTickCount() - start;
    ::ResetEvent(event_.Get());
    if (step == 0) {
      net_->OpenUrl(address, &progress_);
    } else {
      net_->StartDownload(&progress_);
    }
    if (!Wait(params, InfosScale, 1, 0, spent < infosLimitMs_ ? infosLimitMs_ - spent : 1, false) ||
        net_->IsError())
      return false;
  }
  body = net_->Data();
  return true;
}

ReleaseVerdict Downloader::CheckWithManifest(Params& params, const std::string& body, DWORD start,
                                             std::wstring& detail) {
  std::vector<std::wstring> lines;
  const InfosReply reply = SplitInfos(body, DecodeAnsi, lines);
  UpdateInfos offered;
  // An invalid or faulty reply is refused as ever, a download page installs
  // nothing: no manifest is needed for those.
  if (reply == InfosReply::Invalid ||
      (reply == InfosReply::Lines && (!updater::ParseInfos(lines, offered) || offered.IsManualOnly())))
    return ReleaseVerdict::Accepted;
  // A reply that offers nothing is a "nothing to update" too: both must
  // agree with the signed manifest, or an old reply could freeze users.
  const bool nothing = offered.links.empty() && offered.operations.empty();
  const std::wstring address = ManifestAddress(params.query);
  std::string text, signature;
  if (address.empty() || !FetchWithin(params, address, kMaxManifestBytes, start, text) ||
      !FetchWithin(params, SignatureLink(address), kMaxSignatureBytes, start, signature))
    return ReleaseVerdict::Missing;
  SYSTEMTIME now;
  ::GetSystemTime(&now);
  const ReleaseExpectation expect{params.query, installed_, repair_, Date{now.wYear, now.wMonth, now.wDay}};
  Manifest manifest;
  const ReleaseVerdict verdict =
      CheckRelease(text, signature, verify_, expect, nothing ? nullptr : &offered, manifest);
  if (verdict == ReleaseVerdict::Withheld) detail = manifest.version;
  if (verdict == ReleaseVerdict::Accepted) job_.TakeManifest(std::move(manifest));
  return verdict;
}

void Downloader::RunInfos(Params& params) {
  try {
    Status(params, IDS_CONNECTING);
    // The whole phase shares one time limit.
    const DWORD start = ::GetTickCount();
    std::string body;
    if (FetchWithin(params, params.query, kMaxInfosBytes, start, body)) {
      std::wstring detail;
      const ReleaseVerdict verdict = CheckWithManifest(params, body, start, detail);
      if (verdict != ReleaseVerdict::Accepted && params.keepGoing) {
        log_.Add(text_(VerdictText(verdict)) + detail, LOG_ERROR);
        job_.EndEarly();
        ::PostMessageW(params.window, UM_INFOS_DONE, 0, 0);
        return;
      }
      if (verdict == ReleaseVerdict::Accepted) {
        const InfosReply reply = job_.TakeInfos(body, DecodeAnsi);
        if (reply == InfosReply::Invalid) {
          log_.Add(text_(IDS_INFOS_INVALID), LOG_ERROR);
          ::PostMessageW(params.window, UM_INFOS_DONE, 0, 0);
        } else {
          log_.Add(text_(IDS_INFOS_DOWNLOADED), LOG_INFO);
          ::PostMessageW(params.window, UM_INFOS_DONE, 1, reply == InfosReply::Lines ? 1 : 0);
        }
        return;
      }
    }
    if (params.keepGoing) {
      const std::wstring why =
          timedOut_ ? mwWinAPI::GetInternetErrorS(ERROR_INTERNET_TIMEOUT) : net_->GetLastErrorMessage();
      log_.Add(text_(IDS_INFOS_FAILED) + L": " + why, LOG_ERROR);
    } else {
      log_.Add(text_(IDS_INFOS_CANCELED), LOG_INFO);
    }
  } catch (const mwstd::internet_error& e) {
    log_.Add(text_(IDS_INFOS_FAILED) + L": " + e.what(), LOG_ERROR);
  }
  job_.EndEarly();
  ::PostMessageW(params.window, UM_INFOS_DONE, 0, 0);
}

void Downloader::RunFiles(Params& params) {
  const unsigned n = static_cast<unsigned>(job_.Links().size());
  if (params.progressBar) ::PostMessageW(params.progressBar, PBM_SETPOS, 0, 0);
  unsigned i = 0;
  bool cancelled = false;
  bool refused = false;
  std::wstring failure;
  try {
    for (; i < n && params.keepGoing; ++i) {
      const std::wstring& link = job_.Links()[i];
      Status(params, IDS_CONNECTING);
      // The manifest's size is the most a file may bring (0 would mean no cap).
      net_->SetMaxBytes(static_cast<std::size_t>(std::max<std::uint64_t>(job_.ExpectedSize(i), 1)));
      progress_ = 0;
      ::ResetEvent(event_.Get());
      net_->OpenUrl(link, &progress_);
      if (!Wait(params, OpenScale, n, i, stallLimitMs_, true) || net_->IsError()) break;
      Status(params, IDS_DOWNLOADING_FILE);
      ::ResetEvent(event_.Get());
      net_->StartDownload(&progress_);
      if (!Wait(params, ReadScale, n, i, stallLimitMs_, true) || net_->IsError()) break;
      std::string body = net_->Data();
      const std::string digest = Sha256Hex(body);
      if (!job_.StoreFile(i, std::move(body), digest)) {
        // The first file that is not the maker's ends the phase.
        log_.Add(link + text_(IDS_BAD_SIGNATURE), LOG_ERROR);
        refused = true;
        break;
      }
      log_.Add(link + text_(IDS_FILE_DOWNLOADED), LOG_INFO);
      ::PostMessageW(params.window, UM_FILE_STARTED, i, 1);
    }
    if (i == n && params.keepGoing) {
      const bool all = job_.FinishFiles(KnownErrorPageAddress());
      ::PostMessageW(params.window, UM_FILES_DONE, n, all ? 1 : 0);
      return;
    }
    if (refused) {
      job_.EndEarly();
      ::PostMessageW(params.window, UM_FILES_DONE, i, 0);
      return;
    }
    if (!params.keepGoing) {
      cancelled = true;
    } else {
      failure = timedOut_ ? mwWinAPI::GetInternetErrorS(ERROR_INTERNET_TIMEOUT) : net_->GetLastErrorMessage();
    }
  } catch (const mwstd::internet_error& e) {
    failure = e.what();
  }
  if (cancelled) {
    log_.Add(text_(IDS_FILES_CANCELED), LOG_INFO);
  } else {
    log_.Add(text_(IDS_FILE_FAILED) + (i < n ? job_.Links()[i] : std::wstring()) + L": " + failure,
             LOG_ERROR);
  }
  job_.EndEarly();
  ::PostMessageW(params.window, UM_FILES_DONE, i, 0);
}

void Downloader::ForgetThread() {
  thread_.Reset();
  params_.reset();
}

bool Downloader::Cancel(DWORD timeout) {
  if (params_) params_->keepGoing = false;
  const int state = job_.State();
  if (state != INFOS_DOWNLOADING && state != FILES_DOWNLOADING) {
    if (thread_) ::WaitForSingleObject(thread_.Get(), timeout);
    ForgetThread();
    return true;
  }
  aborted_ = true;
  net_->Abort();
  if (thread_ && ::WaitForSingleObject(thread_.Get(), timeout) == WAIT_TIMEOUT) return false;
  ForgetThread();
  job_.EndEarly();
  return true;
}

void Downloader::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  if (ops_) ops_->Rollback();
  if (params_) params_->keepGoing = false;
  if (thread_ && ::WaitForSingleObject(thread_.Get(), 0) == WAIT_TIMEOUT) {
    aborted_ = true;
    net_->Abort();
    // The thread sees the cleared flag within one wait slice. One that is
    // still running after that keeps what it uses: freeing it under its feet
    // would be worse than a leak at exit.
    if (::WaitForSingleObject(thread_.Get(), 1000) == WAIT_TIMEOUT &&
        ::WaitForSingleObject(thread_.Get(), 10000) == WAIT_TIMEOUT) {
      thread_.Release();
      params_.release();
      net_.release();
      event_.Release();
      return;
    }
  }
  ForgetThread();
  if (aborted_) {
    net_.release();  // see aborted_
    event_.Release();
  }
  net_.reset();
  ops_.reset();
}

}  // namespace updater
