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
#include <vector>

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

// How long one address may take, from OpenUrl to the last byte of its body,
// and the least it must deliver: averaged over each window, a transfer
// slower than the rate fails with ERROR_INTERNET_TIMEOUT (so does an opening
// that brings no headers within the first window). A server that trickles or
// holds a connection open can thus never hold a program for long.
constexpr DWORD kFileDeadlineMs = 30 * 60 * 1000;
constexpr DWORD kMinBytesPerSecond = 2048;
constexpr DWORD kRateWindowMs = 30 * 1000;
// Redirects are followed only within the address's own origin, this often;
// any other ends the opening with ERROR_HTTP_REDIRECT_FAILED.
constexpr int kMaxRedirects = 5;

struct TransferLimits {
  DWORD deadlineMs = kFileDeadlineMs;
  DWORD minBytesPerSecond = kMinBytesPerSecond;  // 0: no minimum
  DWORD windowMs = kRateWindowMs;
};

class AsyncInternet {
 public:
  // Completions are posted to `window` as `message` (wParam 1 or 0, lParam 0).
  // Throws mwstd::internet_error when WinINet cannot be opened.
  AsyncInternet(UINT message, HWND window);
  // Completions set `event`, which each phase resets as it starts; the owner
  // asks IsError. Throws as above.
  explicit AsyncInternet(HANDLE event);
  AsyncInternet(const AsyncInternet&) = delete;
  AsyncInternet& operator=(const AsyncInternet&) = delete;
  // Gives up a running phase without a notice; nothing calls back afterwards.
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

  // Cancels the running phase. Opening (or nothing): a notice of success 1
  // follows at once, with no address open. Reading: a notice of success 0
  // follows at once. Whatever WinINet still delivers for the request given up
  // is dropped. Never throws.
  void Abort();

  bool IsError() const { return lastError_ != 0; }
  // The text of the last error; clears it.
  std::wstring GetLastErrorMessage();

  // The most bytes a body may have (0: no limit, the default). A body that
  // announces or reaches more fails with ERROR_FILE_TOO_LARGE, so a hostile
  // server cannot fill the memory. Set it between downloads.
  void SetMaxBytes(std::size_t maxBytes) { maxBytes_ = maxBytes; }
  // The time limits of the next addresses (the defaults above until set).
  void SetLimits(const TransferLimits& limits) { limits_ = limits; }

  bool IsBusy() const { return busy_; }
  // The body; complete after a successful download. Not to be read while busy.
  const std::string& Data() const { return *body_; }
  DWORD ContentLength() const { return contentLength_; }
  // The HTTP status of the opened address (0 before one was opened).
  DWORD HttpStatus() const { return httpStatus_; }

  // WinINet's status callback; `context` is the ticket of one request.
  static void CALLBACK StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info,
                                      DWORD infoLength);

 private:
  enum class Phase { kIdle, kOpening, kOpened, kReading };
  friend struct Tickets;

  void OpenRoot();
  void Notify(bool success);
  void SetProgress(int value);
  void UpdateReadProgress();
  // The rest run under the tickets' lock. Handles to close gather in
  // closing_, which the caller closes once the lock is released.
  // Starts opening; the code of a failure that happened at once, else 0.
  DWORD BeginOpen(const std::wstring& address);
  void OnOpened();
  // Reads on until the body ends or a read is pending; `afterRead`: a read
  // has just completed into the transfer record.
  void ContinueReading(bool afterRead);
  // After a read: the next one's size, from how long this one took.
  void AdaptReadSize();
  void Fail(DWORD code);
  // Detaches the current request from this object: WinINet may still finish
  // it, into a body that is no longer this object's.
  void GiveUp();
  void OnStatus(DWORD status, const void* info);
  void CheckLimits();
  static void CALLBACK OnTimer(PVOID self, BOOLEAN);

  HINTERNET root_ = nullptr;
  HINTERNET request_ = nullptr;
  DWORD_PTR ticket_ = 0;  // of the request under way, 0 when none
  Phase phase_ = Phase::kIdle;
  std::wstring address_;  // the address being opened (redirects resolve against it)
  int redirects_ = 0;
  std::unique_ptr<std::string> body_ = std::make_unique<std::string>();
  std::unique_ptr<std::string> spare_;  // takes the body's place when a read is given up
  std::size_t received_ = 0;
  DWORD contentLength_ = 0;
  DWORD httpStatus_ = 0;
  std::size_t maxBytes_ = 0;
  INTERNET_BUFFERSA transfer_{};
  DWORD readSize_ = 0;        // of the next read
  DWORD readTick_ = 0;        // when the last read was started
  bool readPending_ = false;  // WinINet writes into the body
  bool quiet_ = false;        // in an owner's call: failures are thrown, not announced
  std::vector<HINTERNET> closing_;
  TransferLimits limits_;
  DWORD startTick_ = 0;   // OpenUrl of this address
  DWORD windowTick_ = 0;  // start of the current rate window
  std::size_t windowBytes_ = 0;
  HANDLE timer_ = nullptr;
  HANDLE event_;
  UINT message_ = 0;
  HWND window_ = nullptr;
  int* progress_ = nullptr;
  std::atomic<DWORD> lastError_{0};
  std::atomic<bool> busy_{false};
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
