// WinINet in asynchronous mode. The status callback runs on WinINet's own
// threads: it only stores results and sends the completion notice, which is
// always the last thing it does with the object, because the owner may reuse
// or destroy it as soon as the notice arrives.
#include "AsyncInternet.h"

#include <cstring>

#include "Exceptions.h"
#include "StringTable.h"
#include "WinHelpers.h"

namespace mwWinAPI {
namespace {

constexpr wchar_t kAgent[] = L"Microsoft Internet Explorer";
constexpr DWORD kUnknownLengthBuffer = 32768;
const HANDLE kMessageMode = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-1));

// Each query must reach the service; the body is kept in memory only.
constexpr DWORD kOpenFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;

[[noreturn]] void ThrowInternet(DWORD code) { throw mwstd::internet_error(GetInternetErrorS(code)); }

}  // namespace

AsyncInternet::AsyncInternet(UINT message, HWND window)
    : event_(kMessageMode), message_(message), window_(window) {
  OpenRoot();
}

AsyncInternet::AsyncInternet(HANDLE event) : event_(event) { OpenRoot(); }

AsyncInternet::~AsyncInternet() {
  if (HINTERNET request = request_) {
    if (!requestClosed_.exchange(true)) ::InternetCloseHandle(request);
    // A pending read writes into the buffer and calls back with this object:
    // give it time to end. Should it not (Wine does not cut a read from a
    // silent server short), the buffer is left to it rather than freed.
    for (int i = 0; i < 300 && readPending_; ++i) ::Sleep(10);
    if (readPending_) {
      ::InternetSetStatusCallbackW(request, nullptr);
      buffer_.release();  // deliberately leaked, see above
    }
  }
  CloseRoot();
}

void AsyncInternet::OpenRoot() {
  root_ = ::InternetOpenW(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, INTERNET_FLAG_ASYNC);
  if (!root_) ThrowInternet(::GetLastError());
  ::InternetSetStatusCallbackW(root_, &AsyncInternet::StatusCallback);
}

void AsyncInternet::CloseRoot() {
  if (!root_) return;
  ::InternetSetStatusCallbackW(root_, nullptr);
  ::InternetCloseHandle(root_);
  root_ = nullptr;
}

void AsyncInternet::Notify(bool success) {
  if (event_ == kMessageMode)
    ::PostMessageW(window_, message_, success ? 1 : 0, 0);
  else
    ::SetEvent(event_);
}

void AsyncInternet::SetProgress(int value) {
  if (int* progress = progress_) *progress = value;
}

void AsyncInternet::UpdateReadProgress() {
  if (contentLength_ != 0)
    SetProgress(static_cast<int>(static_cast<unsigned long long>(data_.size()) * 100 / contentLength_));
}

void AsyncInternet::FreeBuffer() {
  buffer_.reset();
  bufferSize_ = 0;
  transfer_ = INTERNET_BUFFERSA{};
  transfer_.dwStructSize = sizeof(INTERNET_BUFFERSA);
}

bool AsyncInternet::OpenUrl(const wchar_t* address, int* progress) {
  if (busy_) throw mwstd::internet_error(LoadText(IDS_NET_BUSY));
  progress_ = progress;
  SetProgress(0);
  // A new request starts clean: an error nobody collected (a cancelled
  // request's last notice) must not fail it.
  lastError_ = 0;
  if (HINTERNET old = request_.exchange(nullptr)) {
    if (!requestClosed_) ::InternetCloseHandle(old);
  }
  requestClosed_ = false;
  busy_ = true;  // before the call: its completion may arrive on another thread first
  HINTERNET handle =
      ::InternetOpenUrlW(root_, address, nullptr, 0, kOpenFlags, reinterpret_cast<DWORD_PTR>(this));
  if (handle) {
    request_ = handle;
    SetProgress(100);
    busy_ = false;
    Notify(true);
    return true;
  }
  const DWORD code = ::GetLastError();
  if (code == ERROR_IO_PENDING) return false;
  busy_ = false;
  ThrowInternet(code);
}

bool AsyncInternet::StartDownload(int* progress) {
  if (!request_ || requestClosed_) throw mwstd::internet_error(LoadText(IDS_NET_NOT_OPEN));
  if (busy_) throw mwstd::internet_error(LoadText(IDS_NET_BUSY));
  busy_ = true;
  progress_ = progress;
  SetProgress(0);
  data_.clear();
  FreeBuffer();
  contentLength_ = 0;

  DWORD length = 0, size = sizeof(length);
  if (::HttpQueryInfoW(request_, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, nullptr))
    contentLength_ = length;
  if (maxBytes_ != 0 && contentLength_ > maxBytes_) FailReading(ERROR_FILE_TOO_LARGE);
  // A lying or huge length must not make the buffer overflow its size type;
  // it is only the read size, the data grows as it arrives.
  bufferSize_ =
      contentLength_ != 0 && contentLength_ < (64u << 20) ? contentLength_ + 2 : kUnknownLengthBuffer;
  buffer_ = std::make_unique<char[]>(bufferSize_);  // zero-filled
  transfer_.lpvBuffer = buffer_.get();
  transfer_.dwBufferLength = bufferSize_;

  if (::InternetReadFileExA(request_, &transfer_, 0, reinterpret_cast<DWORD_PTR>(this)))
    return ContinueReading();
  const DWORD code = ::GetLastError();
  if (code == ERROR_IO_PENDING) return false;
  busy_ = false;
  ThrowInternet(code);
}

bool AsyncInternet::ContinueReading() {
  data_.append(static_cast<const char*>(transfer_.lpvBuffer), transfer_.dwBufferLength);
  transfer_.dwBufferLength = bufferSize_;
  UpdateReadProgress();
  BOOL ok;
  auto read = [this] {
    readPending_ = true;
    const BOOL done =
        ::InternetReadFileExA(request_, &transfer_, IRF_ASYNC, reinterpret_cast<DWORD_PTR>(this));
    if (done || (::GetLastError() != ERROR_IO_PENDING && ::GetLastError() != 0)) readPending_ = false;
    return done;
  };
  if (TooLarge()) FailReading(ERROR_FILE_TOO_LARGE);
  while ((ok = read()) && transfer_.dwBufferLength != 0) {
    data_.append(static_cast<const char*>(transfer_.lpvBuffer), transfer_.dwBufferLength);
    transfer_.dwBufferLength = bufferSize_;
    UpdateReadProgress();
    if (TooLarge()) FailReading(ERROR_FILE_TOO_LARGE);
  }
  UpdateReadProgress();
  if (ok) {
    if (HINTERNET request = request_.exchange(nullptr)) {
      if (!requestClosed_) ::InternetCloseHandle(request);
    }
    FreeBuffer();
    progress_ = nullptr;
    busy_ = false;
    Notify(true);
    return true;
  }
  const DWORD code = ::GetLastError();
  if (code == 0 || code == ERROR_IO_PENDING) return false;
  FailReading(code);
}

void AsyncInternet::FailReading(DWORD code) {
  if (HINTERNET request = request_.exchange(nullptr)) {
    if (!requestClosed_) ::InternetCloseHandle(request);
  }
  lastError_ = code;
  busy_ = false;
  ThrowInternet(code);
}

void CALLBACK AsyncInternet::StatusCallback(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD) {
  auto* self = reinterpret_cast<AsyncInternet*>(context);
  if (!self) return;
  int step = 0;
  switch (status) {
    case INTERNET_STATUS_HANDLE_CREATED:
      step = 10;
      break;
    case INTERNET_STATUS_RESOLVING_NAME:
      step = 20;
      break;
    case INTERNET_STATUS_NAME_RESOLVED:
      step = 30;
      break;
    case INTERNET_STATUS_CONNECTING_TO_SERVER:
      step = 40;
      break;
    case INTERNET_STATUS_CONNECTED_TO_SERVER:
      step = 50;
      break;
    case INTERNET_STATUS_SENDING_REQUEST:
      step = 60;
      break;
    case INTERNET_STATUS_REQUEST_SENT:
      step = 70;
      break;
    case INTERNET_STATUS_RECEIVING_RESPONSE:
      step = 80;
      break;
    case INTERNET_STATUS_RESPONSE_RECEIVED:
      step = 90;
      break;
    case INTERNET_STATUS_REQUEST_COMPLETE:
      if (info) self->OnRequestComplete(*static_cast<const INTERNET_ASYNC_RESULT*>(info));
      return;
    default:
      return;
  }
  // The opening steps count only while the address is being opened; during
  // the body the bytes read alone count.
  if (!self->request_) self->SetProgress(step);
}

void AsyncInternet::OnRequestComplete(const INTERNET_ASYNC_RESULT& result) {
  readPending_ = false;  // whatever completed, nothing waits in WinINet now
  if (result.dwError != 0) {
    if (requestClosed_) {
      request_ = nullptr;
      requestClosed_ = false;
    }
    lastError_ = result.dwError;
    busy_ = false;
    Notify(false);
    return;
  }
  if (!request_) {
    if (!busy_) return;  // an opening that Abort has already ended
    request_ = reinterpret_cast<HINTERNET>(result.dwResult);
    SetProgress(100);
    progress_ = nullptr;
    busy_ = false;
    Notify(true);
    return;
  }
  if (!buffer_) return;
  if (requestClosed_) {  // the read that Abort cut short ended without an error code
    request_ = nullptr;
    requestClosed_ = false;
    lastError_ = ERROR_INTERNET_OPERATION_CANCELLED;
    busy_ = false;
    Notify(false);
    return;
  }
  try {
    ContinueReading();
  } catch (const mwstd::internet_error&) {
    Notify(false);  // ContinueReading kept the code and cleared busy
  }
}

void AsyncInternet::Abort() {
  if (request_) {
    if (!requestClosed_.exchange(true)) ::InternetCloseHandle(request_);
    busy_ = false;
    return;
  }
  CloseRoot();
  busy_ = false;
  OpenRoot();
  progress_ = nullptr;
  Notify(true);
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
  Handle url{::InternetOpenUrlW(root.h, address.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0)};
  if (!url.h || (keepGoing && !*keepGoing))
    throw mwstd::internet_error(LoadText(IDS_NET_OPEN) + GetLastErrorS());
  if (httpStatus) {
    DWORD code = 0, size = sizeof code;
    *httpStatus =
        ::HttpQueryInfoW(url.h, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size, nullptr) ? code
                                                                                                        : 0;
  }
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
