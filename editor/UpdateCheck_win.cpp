// The editor's search for a newer version and the feedback request.
#include "editor/UpdateCheck.h"

#include <commctrl.h>

#include <cstdio>
#include <vector>

#include "editor/Caption.h"
#include "editor/PrivateMessages.h"
#include "editor/res/resource.h"
#include "mwWinAPI/Conversions.h"
#include "mwWinAPI/Dialog.h"
#include "mwWinAPI/ErrorText.h"
#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/Handles.h"
#include "mwWinAPI/StringTable.h"
#include "mwWinAPI/UserInteraction.h"
#include "mwWinAPI/WinHelpers.h"
#include "product/UpdateService.h"

namespace orbiform {

namespace {

constexpr DWORD kWaitSlackMs = 2000;

std::wstring DecodeAnsi(const std::string& bytes) {
  std::wstring text;
  mwWinAPI::CharToTchar(text, bytes);
  // The conversion counts the terminating zero in.
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  return text;
}

using mwWinAPI::LoadText;

// Polls the search every 10 ms: the download's threads only write the
// progress and post, so the dialog reads what they left.
class ProgressDialog : public mwWinAPI::Dialog {
 public:
  explicit ProgressDialog(UpdateCheck& check) : Dialog(L"UpdateProgress Dialog"), check_(check) {}

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_INITDIALOG:
        ::SetTimer(Handle(), 1, 10, nullptr);
        ::SendMessageW(Item(IDC_UPDATE_PROGRESS), PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        return TRUE;
      case WM_TIMER:
        OnTimer();
        return TRUE;
      case WM_COMMAND:
        if (LOWORD(wParam) == IDC_UPDATE_CANCEL || LOWORD(wParam) == IDCANCEL) {
          check_.Cancel();
          End(1);
        }
        return TRUE;
      case WM_NCDESTROY:
        ::KillTimer(Handle(), 1);
        return FALSE;
    }
    return Dialog::HandleMessage(message, wParam, lParam);
  }

 private:
  void OnTimer() {
    switch (check_.CurrentState()) {
      case UpdateCheck::kHiding:
        ::ShowWindow(Handle(), SW_HIDE);
        break;
      case UpdateCheck::kFinished:
        End(0);
        break;
      default:
        ::SendMessageW(Item(IDC_UPDATE_PROGRESS), PBM_SETPOS, check_.Progress(), 0);
        // German in both languages, as the program always said it.
        ::SetDlgItemTextW(Handle(), IDC_UPDATE_STATUS,
                          check_.Downloading() ? L"Die benötigten Daten werden heruntergeladen..."
                                               : L"Die Verbindung wird hergestellt...");
    }
  }

  UpdateCheck& check_;
};

}  // namespace

std::wstring ReadOwnVersion() {
  wchar_t path[512];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, 512);
  if (length == 0 || length >= 512) return {};
  return ReadFileVersion(path);
}

UpdateCheck::UpdateCheck(HWND owner)
    : ownVersion_(ReadOwnVersion()), download_(TWM_UPDATE_STEP, owner), owner_(owner) {
  // The reply is a few lines: a service that sends more, or takes long, is
  // not waited for.
  download_.SetMaxBytes(mwWinAPI::kMaxVersionReplyBytes);
  download_.SetLimits({mwWinAPI::kServiceDeadlineMs, 0, mwWinAPI::kRateWindowMs});
}

UpdateCheck::~UpdateCheck() {
  try {
    Cancel();
  } catch (const mwstd::exception&) {
    // Only a WinINet that cannot be reopened; nothing is left to cancel.
  }
}

int UpdateCheck::Box(unsigned id, const std::wstring& tail, UINT flags) {
  return mwWinAPI::Ui().ShowMessage(owner_, LoadText(id) + tail, kCaption, flags);
}

bool UpdateCheck::Start(bool silent) {
  if (download_.IsBusy()) return false;
  silent_ = silent;
  state_ = kRunning;
  downloading_ = false;
  progress_ = 0;
  try {
    download_.OpenUrl(mwWinAPI::VersionQueryAddress(), &progress_);
  } catch (const mwstd::internet_error& error) {
    state_ = kFinished;
    Box(IDS_VERSION_UNKNOWN, error.what(), MB_ICONERROR);
    return true;
  }
  if (!silent) {
    ProgressDialog dialog(*this);
    dialog.RunModal(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_UPDATE_PROGRESS), owner_);
  }
  return true;
}

bool UpdateCheck::OnDownloadMessage() {
  // A cancelled search still gets the download's last notice; it must not
  // be taken for the next step.
  if (download_.IsBusy() || state_ == kFinished) return false;
  if (download_.IsError()) {
    state_ = kHiding;
    if (!silent_) Box(IDS_UPDATE_SEARCH_FAILED, download_.GetLastErrorMessage(), MB_ICONERROR);
    state_ = kFinished;
    return false;
  }
  if (!downloading_) {
    downloading_ = true;
    try {
      download_.StartDownload(&progress_);
    } catch (const mwstd::internet_error& error) {
      state_ = kHiding;
      if (!silent_) Box(IDS_UPDATE_SEARCH_FAILED, error.what(), MB_ICONERROR);
      state_ = kFinished;
    }
    return false;
  }
  state_ = kHiding;
  Evaluate();
  state_ = kFinished;
  return true;
}

void UpdateCheck::Evaluate() {
  mwWinAPI::VersionReply reply;
  if (!mwWinAPI::ParseVersionReply(download_.Data(), DecodeAnsi, reply)) {
    if (!silent_) Box(IDS_NEWEST_VERSION_UNKNOWN, L"", MB_ICONERROR);
    return;
  }
  // Dotted versions compare number by number: 2.1.10 is newer than 2.1.4.
  if (mwWinAPI::CompareVersions(ownVersion_, reply.version) >= 0) {
    if (!silent_) Box(IDS_NEWEST_VERSION, L"", MB_OK);
    return;
  }
  auto& ui = mwWinAPI::Ui();
  if (!reply.IsDownloadPage()) {
    // The updater runs with administrator rights: it is only ever pointed
    // at the service's own site, as one quoted argument.
    if (!mwWinAPI::IsServiceQuery(reply.second)) {
      Box(IDS_UPDATE_ADDRESS_REFUSED, reply.second, MB_ICONERROR);
      return;
    }
    if (Box(IDS_UPDATE_NOW_PROMPT, reply.notes, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    std::wstring updater;
    try {
      updater = mwWinAPI::FilePathExec(L"QZ7Updater.exe");
    } catch (const mwstd::exception&) {
      // The program's folder is unknown: no path, and the message below says so.
    }
    if (updater.empty() || !ui.OpenWithShell(owner_, updater, L"\"" + reply.second + L"\" /auto", SW_HIDE))
      Box(IDS_UPDATER_NOT_STARTED, L"", MB_ICONERROR);
    return;
  }
  // Only a web page goes to the shell, never a program, share or protocol
  // handler; the user sees where it leads before saying yes.
  const std::wstring page = reply.DownloadPage();
  if (!mwWinAPI::IsTrustedPage(page)) {
    Box(IDS_DOWNLOAD_SITE_REFUSED, page, MB_ICONWARNING);
    return;
  }
  if (Box(IDS_DOWNLOAD_SITE_PROMPT, page + L"\n" + reply.notes, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  if (!ui.OpenWithShell(owner_, page, L"", SW_SHOWNORMAL))
    ui.ShowMessage(owner_, LoadText(IDS_BROWSER_NOT_STARTED) + page + LoadText(IDS_DOWNLOAD_READY), kCaption,
                   MB_ICONWARNING);
}

void UpdateCheck::Cancel() {
  download_.Abort();
  state_ = kFinished;
}

std::wstring SendFeedbackRequest(const std::wstring& text, const std::wstring& mail) {
  try {
    mwWinAPI::UniqueHandle event(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!event) return mwWinAPI::GetLastErrorS();
    mwWinAPI::AsyncInternet net(event.Get());
    net.SetMaxBytes(mwWinAPI::kMaxFeedbackReplyBytes);
    net.SetLimits({mwWinAPI::kServiceDeadlineMs, 0, mwWinAPI::kRateWindowMs});
    // The download's own deadline ends each phase; this only guards it.
    const auto finished = [&] {
      return ::WaitForSingleObject(event.Get(), mwWinAPI::kServiceDeadlineMs + kWaitSlackMs) == WAIT_OBJECT_0;
    };
    net.OpenUrl(mwWinAPI::FeedbackAddress(ReadOwnVersion(), text, mail), nullptr);
    if (!finished()) return mwWinAPI::GetInternetErrorS(ERROR_INTERNET_TIMEOUT);
    if (net.IsError()) return net.GetLastErrorMessage();
    const DWORD status = net.HttpStatus();
    net.StartDownload(nullptr);
    if (!finished()) return mwWinAPI::GetInternetErrorS(ERROR_INTERNET_TIMEOUT);
    if (net.IsError()) return net.GetLastErrorMessage();
    // The service answers "OK"; an error status or any other body (an error
    // page, a refusal of an oversized text) means the feedback did not arrive.
    const bool success = status >= 200 && status < 300;
    const std::string& body = net.Data();
    if (success && body.compare(0, 2, "OK") == 0) return std::wstring();
    std::wstring failure = DecodeAnsi(body.substr(0, 200));
    while (!failure.empty() && (failure.back() == L'\n' || failure.back() == L'\r')) failure.pop_back();
    if (!success) failure = L"HTTP " + std::to_wstring(status) + (failure.empty() ? L"" : L": " + failure);
    return failure.empty() ? L"?" : failure;
  } catch (const mwstd::exception& error) {
    return error.what();
  } catch (const std::bad_alloc&) {
    return mwWinAPI::GetLastErrorS(ERROR_NOT_ENOUGH_MEMORY);
  }
}

void ShowFeedbackFailure(HWND owner, const std::wstring& detail) {
  // The English text ends without a separator; the detail goes on a line of its own.
  std::wstring message = LoadText(IDS_FEEDBACK_FAILED);
  if (!message.empty() && message.back() != L' ' && message.back() != L'\n') message += L'\n';
  mwWinAPI::Ui().ShowMessage(owner, message + detail, kCaption, MB_ICONERROR);
}

}  // namespace orbiform
