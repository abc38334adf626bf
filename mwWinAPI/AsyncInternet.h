#pragma once
// One HTTP resource at a time through WinINet's asynchronous mode, so that the
// caller's thread never blocks: OpenUrl waits for the response headers,
// StartDownload reads the body into memory. Each phase ends with one
// completion notice (a posted window message carrying success 1 or 0, or a
// set event) and keeps a progress value in percent up to date.
#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <memory>
#include <string>

namespace mwWinAPI {

// Identifiers of the library's texts in the host program's string table.
// A range of their own: both programs' tables (LibraryStrings.inc) hold them
// beside the program's texts, which start at 101.
enum LibraryString : unsigned {
  IDS_NET_CONNECT = 901,
  IDS_NET_OPEN = 902,
  IDS_NET_READ = 903,
  IDS_NET_STOPPED = 904,
  IDS_NET_BUSY = 905,
  IDS_NET_NOT_OPEN = 906,
};

class AsyncInternet {
 public:
  // Completions are posted to `window` as `message` (wParam 1 or 0, lParam 0).
  // Throws mwstd::internet_error when WinINet cannot be opened.
  AsyncInternet(UINT message, HWND window);
  // Completions set `event`; the owner asks IsError. Throws as above.
  explicit AsyncInternet(HANDLE event);
  AsyncInternet(const AsyncInternet&) = delete;
  AsyncInternet& operator=(const AsyncInternet&) = delete;
  ~AsyncInternet();

  // Starts opening `address`; `progress` (may be null) goes 0..100 meanwhile.
  // True when it completed at once (the notice is sent all the same). Throws
  // mwstd::internet_error while busy or when the request cannot be started.
  bool OpenUrl(const wchar_t* address, int* progress);
  bool OpenUrl(const std::wstring& address, int* progress) { return OpenUrl(address.c_str(), progress); }

  // Starts reading the opened address's body. True when it was read at once.
  // Throws mwstd::internet_error with no open address, while busy, or when
  // the read cannot be started.
  bool StartDownload(int* progress);

  // Cancels the running phase. Opening: a notice of success 1 follows at once,
  // with no address open. Reading: the pending read ends with a notice of
  // success 0. Throws mwstd::internet_error only if WinINet cannot be reopened.
  void Abort();

  bool IsError() const { return lastError_ != 0; }
  // The text of the last error; clears it.
  std::wstring GetLastErrorMessage();

  // The most bytes a body may have (0: no limit, the default). A body that
  // announces or reaches more fails with ERROR_FILE_TOO_LARGE, so a hostile
  // server cannot fill the memory. Set it between downloads.
  void SetMaxBytes(std::size_t maxBytes) { maxBytes_ = maxBytes; }

  bool IsBusy() const { return busy_; }
  // The body; complete after a successful download. Not to be read while busy.
  const std::string& Data() const { return data_; }
  DWORD ContentLength() const { return contentLength_; }

  // WinINet's status callback; `context` is the object.
  static void CALLBACK StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info,
                                      DWORD infoLength);

 private:
  void OpenRoot();
  void CloseRoot();
  void Notify(bool success);
  void SetProgress(int value);
  void UpdateReadProgress();
  void FreeBuffer();
  // After a completed read: appends it and reads on until the body ends (true,
  // notice sent) or a read is pending (false). Throws mwstd::internet_error
  // for a failed read, with the request closed and the code kept.
  bool ContinueReading();
  bool TooLarge() const { return maxBytes_ != 0 && data_.size() > maxBytes_; }
  // Closes the request after a failure of the read phase and throws its text.
  [[noreturn]] void FailReading(DWORD code);
  void OnRequestComplete(const INTERNET_ASYNC_RESULT& result);

  HINTERNET root_ = nullptr;
  std::atomic<HINTERNET> request_{nullptr};
  std::atomic<bool> requestClosed_{false};  // Abort closed it; its pending read still reports
  std::string data_;
  DWORD contentLength_ = 0;
  std::size_t maxBytes_ = 0;
  INTERNET_BUFFERSA transfer_{};
  std::unique_ptr<char[]> buffer_;
  DWORD bufferSize_ = 0;
  HANDLE event_;
  UINT message_ = 0;
  HWND window_ = nullptr;
  std::atomic<int*> progress_{nullptr};
  std::atomic<DWORD> lastError_{0};
  std::atomic<bool> busy_{false};
  std::atomic<bool> readPending_{false};  // WinINet still owns the buffer
};

// The text of an internet error code (for 12003 followed by a line break and
// the server's last response text), or of GetLastError().
std::wstring GetInternetErrorS(DWORD code);
std::wstring GetInternetErrorS();

// Downloads `address` synchronously into `body` and returns its length. A
// `keepGoing` flag (may be null) that is or turns false stops it. Throws
// mwstd::internet_error (texts 101 to 104) on failure or when stopped. An
// error page is a download too: `httpStatus` (may be null) receives the HTTP
// status code, 0 when the server sent none.
unsigned long DownloadFile(const std::wstring& address, std::string& body, const volatile bool* keepGoing,
                           unsigned long* httpStatus = nullptr);

}  // namespace mwWinAPI
