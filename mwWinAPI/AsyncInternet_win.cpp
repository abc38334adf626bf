// WinINet in asynchronous mode. Every request carries a ticket of its own as
// WinINet's context, never the object's address: the status callback looks
// the ticket up under one lock, so a request that was given up (cancelled,
// out of time, its owner destroyed) can still complete on WinINet's threads
// without touching the object or its next request. The callback's notice is
// the last thing it does with the object, because the owner may reuse or
// destroy it as soon as the notice arrives.
#include "AsyncInternet.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <vector>

#include "Exceptions.h"
#include "Origin.h"
#include "StringTable.h"
#include "WinHelpers.h"

namespace mwWinAPI {
namespace {

constexpr wchar_t kAgent[] = L"Microsoft Internet Explorer";
const HANDLE kMessageMode = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-1));

// Each query must reach the service; the body is kept in memory only.
// Redirects are looked at here (same origin only), not followed by WinINet.
constexpr DWORD kOpenFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT;
// Reads go straight into the body; without a length it grows by this much
// at least.
constexpr std::size_t kGrowBytes = 256 * 1024;
// A read completes only when its buffer is full (or the body ends), so its
// size follows the link: doubled after a quick read, halved after a slow
// one. Large reads keep WinINet's per-call cost out of a fast transfer;
// small ones let a slow link show its progress to the rate check in time.
constexpr DWORD kFirstReadBytes = 16 * 1024;
constexpr DWORD kMinReadBytes = 8 * 1024;
constexpr DWORD kMaxReadBytes = 8u << 20;
constexpr DWORD kQuickReadMs = 250;
constexpr DWORD kSlowReadMs = 1000;
// An announced length above this is not reserved in advance: it may lie.
constexpr DWORD kMaxReserve = 256u << 20;
constexpr DWORD kTimerTickMs = 100;

[[noreturn]] void ThrowInternet(DWORD code) { throw mwstd::internet_error(GetInternetErrorS(code)); }

// Handles are closed outside the tickets' lock: closing may wait for a
// callback that is itself waiting for the lock.
void CloseAll(const std::vector<HINTERNET>& handles) {
  for (HINTERNET handle : handles) ::InternetCloseHandle(handle);
}

std::wstring QueryText(HINTERNET request, DWORD what) {
  DWORD bytes = 0;
  ::HttpQueryInfoW(request, what, nullptr, &bytes, nullptr);
  if (bytes == 0 || bytes > 16384) return {};
  std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
  if (!::HttpQueryInfoW(request, what, text.data(), &bytes, nullptr)) return {};
  text.resize(bytes / sizeof(wchar_t));
  return text;
}

}  // namespace

// The requests WinINet may still call back for, by ticket. An entry without
// an owner was given up: its completion only frees what WinINet used.
struct Tickets {
  struct Entry {
    AsyncInternet* owner = nullptr;
    bool opening = false;                 // its completion brings a handle to close
    std::unique_ptr<std::string> orphan;  // a body a pending read still writes into
  };
  struct Lock {
    Lock() { ::EnterCriticalSection(&Tickets::Get().section); }
    ~Lock() { ::LeaveCriticalSection(&Tickets::Get().section); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
  };

  static Tickets& Get() {
    static Tickets tickets;  // never destroyed: callbacks may come at exit
    return tickets;
  }
  DWORD_PTR Add(AsyncInternet* owner) {
    entries[++next].owner = owner;
    return next;
  }

  // The owner a callback of `ticket` may act on: only a live object whose
  // request under way is that very ticket. Anything else is a request given
  // up, whatever an entry still says.
  AsyncInternet* OwnerOf(DWORD_PTR ticket, const Entry& entry) const {
    AsyncInternet* owner = entry.owner;
    return owner && live.count(owner) != 0 && owner->ticket_ == ticket ? owner : nullptr;
  }

  CRITICAL_SECTION section;
  std::map<DWORD_PTR, Entry> entries;
  std::set<const AsyncInternet*> live;
  DWORD_PTR next = 0;

 private:
  // A recursive lock: WinINet may call back on the thread that is calling it.
  Tickets() { ::InitializeCriticalSection(&section); }
};

AsyncInternet::AsyncInternet(UINT message, HWND window)
    : event_(kMessageMode), message_(message), window_(window) {
  OpenRoot();
}

AsyncInternet::AsyncInternet(HANDLE event) : event_(event) { OpenRoot(); }

AsyncInternet::~AsyncInternet() {
  std::vector<HINTERNET> closing;
  {
    Tickets::Lock lock;
    GiveUp();
    Tickets::Get().live.erase(this);
    closing.swap(closing_);
  }
  CloseAll(closing);
  // Waits for a running tick; none starts afterwards.
  if (timer_) ::DeleteTimerQueueTimer(nullptr, timer_, INVALID_HANDLE_VALUE);
  ::InternetSetStatusCallbackW(root_, nullptr);
  ::InternetCloseHandle(root_);
}

void AsyncInternet::OpenRoot() {
  closing_.reserve(4);  // so that no callback needs memory to hand a handle on
  {
    Tickets::Lock lock;
    Tickets::Get().live.insert(this);
  }
  root_ = ::InternetOpenW(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, INTERNET_FLAG_ASYNC);
  if (!root_) {
    const DWORD code = ::GetLastError();
    Tickets::Lock lock;
    Tickets::Get().live.erase(this);
    ThrowInternet(code);
  }
  ::InternetSetStatusCallbackW(root_, &AsyncInternet::StatusCallback);
  if (!::CreateTimerQueueTimer(&timer_, nullptr, &AsyncInternet::OnTimer, this, kTimerTickMs, kTimerTickMs,
                               WT_EXECUTEDEFAULT)) {
    const DWORD code = ::GetLastError();
    timer_ = nullptr;
    ::InternetCloseHandle(root_);
    Tickets::Lock lock;
    Tickets::Get().live.erase(this);
    ThrowInternet(code);
  }
}

void AsyncInternet::Notify(bool success) {
  if (event_ == kMessageMode)
    ::PostMessageW(window_, message_, success ? 1 : 0, 0);
  else
    ::SetEvent(event_);
}

void AsyncInternet::SetProgress(int value) {
  if (progress_) *progress_ = value;
}

void AsyncInternet::UpdateReadProgress() {
  if (contentLength_ != 0)
    SetProgress(static_cast<int>(std::min<unsigned long long>(
        100, static_cast<unsigned long long>(received_) * 100 / contentLength_)));
}

void AsyncInternet::GiveUp() {
  if (request_) closing_.push_back(request_);
  request_ = nullptr;
  auto& entries = Tickets::Get().entries;
  const auto it = entries.find(ticket_);
  if (it != entries.end()) {
    if (readPending_) {
      it->second.owner = nullptr;
      it->second.orphan = std::move(body_);
      body_ = std::move(spare_);  // made before the read: nothing is allocated here
    } else if (phase_ == Phase::kOpening) {
      it->second.owner = nullptr;
      it->second.opening = true;
    } else {
      entries.erase(it);
    }
  }
  ticket_ = 0;
  readPending_ = false;
  phase_ = Phase::kIdle;
  busy_ = false;
}

void AsyncInternet::Fail(DWORD code) {
  GiveUp();
  if (body_->size() > received_) body_->resize(received_);  // what came, not the room for more
  progress_ = nullptr;
  lastError_ = code;
  if (!quiet_) Notify(false);
}

DWORD AsyncInternet::BeginOpen(const std::wstring& address) {
  GiveUp();
  address_ = address;
  ticket_ = Tickets::Get().Add(this);
  phase_ = Phase::kOpening;
  busy_ = true;  // before the call: its completion may arrive on another thread first
  HINTERNET handle = ::InternetOpenUrlW(root_, address.c_str(), nullptr, 0, kOpenFlags, ticket_);
  const DWORD code = ::GetLastError();
  if (handle) {
    request_ = handle;
    OnOpened();
    return 0;
  }
  if (code == ERROR_IO_PENDING) return 0;
  GiveUp();
  return code;
}

void AsyncInternet::OnOpened() {
  phase_ = Phase::kOpened;
  DWORD status = 0, size = sizeof status;
  ::HttpQueryInfoW(request_, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
  httpStatus_ = status;
  if (status >= 300 && status < 400 && status != 304) {
    // Only a redirect within the address's own origin is followed: a server
    // or a man in the middle may not send the program elsewhere.
    const std::wstring target = ResolveLocation(address_, QueryText(request_, HTTP_QUERY_LOCATION));
    if (target.empty() || !SameOrigin(target, address_) || ++redirects_ > kMaxRedirects) {
      Fail(ERROR_HTTP_REDIRECT_FAILED);
    } else if (const DWORD code = BeginOpen(target)) {
      Fail(code);
    }
    return;
  }
  SetProgress(100);
  progress_ = nullptr;
  busy_ = false;
  Notify(true);
}

bool AsyncInternet::OpenUrl(const wchar_t* address, int* progress) {
  std::vector<HINTERNET> closing;
  DWORD code;
  bool done;
  {
    Tickets::Lock lock;
    if (busy_) throw mwstd::internet_error(LoadText(IDS_NET_BUSY));
    if (event_ != kMessageMode) ::ResetEvent(event_);  // a notice of the last phase is no news now
    progress_ = progress;
    SetProgress(0);
    // A new request starts clean: an error nobody collected (a cancelled
    // request's last notice) must not fail it.
    lastError_ = 0;
    redirects_ = 0;
    startTick_ = windowTick_ = ::GetTickCount();
    windowBytes_ = received_ = 0;
    // Failures found during the owner's call are thrown, not announced.
    quiet_ = true;
    code = BeginOpen(address);
    quiet_ = false;
    if (code != 0) lastError_ = code;
    code = lastError_;
    done = phase_ == Phase::kOpened;
    if (code != 0) progress_ = nullptr;
    closing.swap(closing_);
  }
  CloseAll(closing);
  if (code != 0) ThrowInternet(code);
  return done;
}

bool AsyncInternet::StartDownload(int* progress) {
  std::vector<HINTERNET> closing;
  DWORD code = 0;
  bool done;
  {
    Tickets::Lock lock;
    if (phase_ != Phase::kOpened || !request_) throw mwstd::internet_error(LoadText(IDS_NET_NOT_OPEN));
    if (busy_) throw mwstd::internet_error(LoadText(IDS_NET_BUSY));
    if (event_ != kMessageMode) ::ResetEvent(event_);
    if (!spare_) spare_ = std::make_unique<std::string>();
    busy_ = true;
    progress_ = progress;
    SetProgress(0);
    body_->clear();
    received_ = 0;
    contentLength_ = 0;
    windowTick_ = ::GetTickCount();
    windowBytes_ = 0;

    DWORD length = 0, size = sizeof(length);
    if (::HttpQueryInfoW(request_, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size,
                         nullptr))
      contentLength_ = length;
    quiet_ = true;
    phase_ = Phase::kReading;
    if (maxBytes_ != 0 && contentLength_ > maxBytes_) {
      Fail(ERROR_FILE_TOO_LARGE);
    } else {
      // The announced length is only a hint (it may lie): the body grows as
      // it arrives, but a truthful one is read without a copy.
      body_->resize(contentLength_ != 0 && contentLength_ <= kMaxReserve ? contentLength_ : kGrowBytes);
      transfer_ = INTERNET_BUFFERSA{};
      transfer_.dwStructSize = sizeof(INTERNET_BUFFERSA);
      readSize_ = kFirstReadBytes;
      try {
        ContinueReading(false);
      } catch (const std::bad_alloc&) {
        Fail(ERROR_NOT_ENOUGH_MEMORY);
      }
    }
    quiet_ = false;
    done = phase_ != Phase::kReading;
    if (done) code = lastError_;
    closing.swap(closing_);
  }
  CloseAll(closing);
  if (code != 0) ThrowInternet(code);
  return done;
}

void AsyncInternet::ContinueReading(bool afterRead) {
  // A completed read of no bytes is the end of the body.
  bool ended = afterRead && transfer_.dwBufferLength == 0;
  received_ += transfer_.dwBufferLength;
  if (afterRead) AdaptReadSize();
  for (;;) {
    UpdateReadProgress();
    if (maxBytes_ != 0 && received_ > maxBytes_) return Fail(ERROR_FILE_TOO_LARGE);
    std::string& body = *body_;
    if (ended) {
      body.resize(received_);
      closing_.push_back(request_);
      request_ = nullptr;
      Tickets::Get().entries.erase(ticket_);
      ticket_ = 0;
      phase_ = Phase::kIdle;
      progress_ = nullptr;
      busy_ = false;
      Notify(true);
      return;
    }
    if (received_ == body.size()) body.resize(body.size() + std::max(kGrowBytes, body.size() / 2));
    std::size_t room = body.size() - received_;
    // Never read much past the limit: one byte over tells enough.
    if (maxBytes_ != 0) room = std::min(room, maxBytes_ + 1 - received_);
    transfer_.lpvBuffer = &body[received_];
    transfer_.dwBufferLength = static_cast<DWORD>(std::min<std::size_t>(room, readSize_));
    readTick_ = ::GetTickCount();
    readPending_ = true;
    if (!::InternetReadFileExA(request_, &transfer_, IRF_ASYNC, ticket_)) {
      const DWORD code = ::GetLastError();
      if (code == ERROR_IO_PENDING || code == 0) return;  // StatusCallback goes on
      readPending_ = false;
      return Fail(code);
    }
    readPending_ = false;
    ended = transfer_.dwBufferLength == 0;
    received_ += transfer_.dwBufferLength;
    AdaptReadSize();
  }
}

void AsyncInternet::AdaptReadSize() {
  const DWORD took = ::GetTickCount() - readTick_;
  if (took < kQuickReadMs) readSize_ = std::min(readSize_ * 2, kMaxReadBytes);
  if (took > kSlowReadMs) readSize_ = std::max(readSize_ / 2, kMinReadBytes);
}

void AsyncInternet::OnStatus(DWORD status, const void* info) {
  static const struct {
    DWORD status;
    int progress;
  } kSteps[] = {{INTERNET_STATUS_HANDLE_CREATED, 10},      {INTERNET_STATUS_RESOLVING_NAME, 20},
                {INTERNET_STATUS_NAME_RESOLVED, 30},       {INTERNET_STATUS_CONNECTING_TO_SERVER, 40},
                {INTERNET_STATUS_CONNECTED_TO_SERVER, 50}, {INTERNET_STATUS_SENDING_REQUEST, 60},
                {INTERNET_STATUS_REQUEST_SENT, 70},        {INTERNET_STATUS_RECEIVING_RESPONSE, 80},
                {INTERNET_STATUS_RESPONSE_RECEIVED, 90}};
  if (status != INTERNET_STATUS_REQUEST_COMPLETE) {
    // The opening steps count only while the address is being opened; during
    // the body the bytes read alone count.
    for (const auto& step : kSteps) {
      if (step.status == status && phase_ == Phase::kOpening) SetProgress(step.progress);
    }
    return;
  }
  if (!info) return;
  const auto& result = *static_cast<const INTERNET_ASYNC_RESULT*>(info);
  if (phase_ == Phase::kOpening) {
    if (result.dwError != 0) return Fail(result.dwError);
    request_ = reinterpret_cast<HINTERNET>(result.dwResult);
    return OnOpened();
  }
  if (phase_ == Phase::kReading && readPending_) {
    readPending_ = false;
    if (result.dwError != 0) return Fail(result.dwError);
    ContinueReading(true);
  }
}

void CALLBACK AsyncInternet::StatusCallback(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD) {
  std::vector<HINTERNET> closing;
  HINTERNET opened = nullptr;
  {
    Tickets::Lock lock;
    auto& entries = Tickets::Get().entries;
    const auto it = entries.find(context);
    if (it == entries.end()) return;
    if (AsyncInternet* self = Tickets::Get().OwnerOf(context, it->second)) {
      try {
        self->OnStatus(status, info);
      } catch (...) {
        // Nothing may leave WinINet's thread; out of memory fails the transfer.
        self->Fail(ERROR_NOT_ENOUGH_MEMORY);
      }
      closing.swap(self->closing_);
    } else if (status == INTERNET_STATUS_REQUEST_COMPLETE) {
      // A request given up has finished with WinINet: free what it used.
      const auto* result = static_cast<const INTERNET_ASYNC_RESULT*>(info);
      if (it->second.opening && result && result->dwError == 0)
        opened = reinterpret_cast<HINTERNET>(result->dwResult);
      entries.erase(it);
    }
  }
  CloseAll(closing);
  if (opened) ::InternetCloseHandle(opened);
}

void AsyncInternet::CheckLimits() {
  if (!busy_ || (phase_ != Phase::kOpening && phase_ != Phase::kReading)) return;
  const DWORD now = ::GetTickCount();
  if (now - startTick_ >= limits_.deadlineMs) return Fail(ERROR_INTERNET_TIMEOUT);
  const DWORD span = now - windowTick_;
  if (limits_.minBytesPerSecond == 0 || span < limits_.windowMs) return;
  if (static_cast<unsigned long long>(received_ - windowBytes_) * 1000 <
      static_cast<unsigned long long>(limits_.minBytesPerSecond) * span)
    return Fail(ERROR_INTERNET_TIMEOUT);
  windowTick_ = now;
  windowBytes_ = received_;
}

void CALLBACK AsyncInternet::OnTimer(PVOID self, BOOLEAN) {
  auto& net = *static_cast<AsyncInternet*>(self);
  std::vector<HINTERNET> closing;
  {
    Tickets::Lock lock;
    net.CheckLimits();
    closing.swap(net.closing_);
  }
  CloseAll(closing);
}

void AsyncInternet::Abort() {
  std::vector<HINTERNET> closing;
  {
    Tickets::Lock lock;
    const Phase phase = phase_;
    GiveUp();
    progress_ = nullptr;
    if (phase == Phase::kReading) {
      lastError_ = ERROR_INTERNET_OPERATION_CANCELLED;
      Notify(false);
    } else if (phase != Phase::kOpened) {
      Notify(true);
    }
    closing.swap(closing_);
  }
  CloseAll(closing);
}

std::wstring AsyncInternet::GetLastErrorMessage() {
  const std::wstring text = GetInternetErrorS(lastError_);
  lastError_ = 0;
  return text;
}

std::wstring GetInternetErrorS(DWORD code) {
  wchar_t message[256] = {};
  if (!::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE, ::GetModuleHandleW(L"wininet.dll"), code, 0, message,
                        256, nullptr))
    return GetLastErrorS(code);
  if (code == ERROR_INTERNET_EXTENDED_ERROR) {
    DWORD error = 0, length = 0;
    ::InternetGetLastResponseInfoW(&error, nullptr, &length);
    std::wstring response(length + 1, L'\0');
    DWORD capacity = length + 1;
    if (::InternetGetLastResponseInfoW(&error, response.data(), &capacity)) {
      response.resize(std::wcslen(response.c_str()));
      return std::wstring(message) + L"\r\n" + response;
    }
  }
  return message;
}

std::wstring GetInternetErrorS() { return GetInternetErrorS(::GetLastError()); }

unsigned long DownloadFile(const std::wstring& address, std::string& body, const volatile bool* keepGoing,
                           unsigned long* httpStatus) {
  struct Handle {
    HINTERNET h;
    ~Handle() {
      if (h) ::InternetCloseHandle(h);
    }
  };
  Handle root{::InternetOpenW(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)};
  if (!root.h) throw mwstd::internet_error(LoadText(IDS_NET_CONNECT) + GetLastErrorS());
  Handle url{::InternetOpenUrlW(root.h, address.c_str(), nullptr, 0,
                                INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_AUTO_REDIRECT, 0)};
  if (!url.h || (keepGoing && !*keepGoing))
    throw mwstd::internet_error(LoadText(IDS_NET_OPEN) + GetLastErrorS());
  DWORD status = 0, size = sizeof status;
  if (!::HttpQueryInfoW(url.h, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
    status = 0;
  // Not followed: a redirect could lead anywhere.
  if (status >= 300 && status < 400 && status != 304)
    throw mwstd::internet_error(LoadText(IDS_NET_OPEN) + GetInternetErrorS(ERROR_HTTP_REDIRECT_FAILED));
  if (httpStatus) *httpStatus = status;
  body.clear();
  unsigned long total = 0;
  char chunk[128];
  for (;;) {
    DWORD read = 0;
    if (!::InternetReadFile(url.h, chunk, sizeof(chunk), &read))
      throw mwstd::internet_error(LoadText(IDS_NET_READ) + GetLastErrorS());
    if (read == 0 || (keepGoing && !*keepGoing)) break;
    body.append(chunk, read);
    total += read;
  }
  if (keepGoing && !*keepGoing) throw mwstd::internet_error(LoadText(IDS_NET_STOPPED));
  return total;
}

}  // namespace mwWinAPI
