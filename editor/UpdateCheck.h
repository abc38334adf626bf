#pragma once
// The editor's search for a newer version: asks the version service in the
// background (with a small progress dialog unless the search runs silently),
// then offers to start the updater or to open the download page. Also the
// feedback request. The main window owns one UpdateCheck for its life and
// hands it every TWM_UPDATE_STEP message.
#include <windows.h>

#include <string>

#include "mwWinAPI/AsyncInternet.h"
#include "mwWinAPI/FileVersion.h"

namespace orbiform {

using mwWinAPI::ReadFileVersion;
// The running executable's FileVersion, or empty.
std::wstring ReadOwnVersion();

class UpdateCheck {
 public:
  enum State { kRunning = 0, kHiding = 1, kFinished = 2 };

  // Completion messages go to `owner` as TWM_UPDATE_STEP; `owner` is also the
  // parent of every box and of the progress dialog. Reads the own version.
  explicit UpdateCheck(HWND owner);
  UpdateCheck(const UpdateCheck&) = delete;
  UpdateCheck& operator=(const UpdateCheck&) = delete;
  // Cancels a running search.
  ~UpdateCheck();

  // Starts a search; false if one is already busy. Unless `silent`, shows the
  // progress dialog modally until the search ends or is cancelled. A search
  // that cannot even start is reported in a box (also when silent) and
  // counts as done.
  bool Start(bool silent);
  // Handles one TWM_UPDATE_STEP. True when the search came to an answer (the
  // reply was evaluated, even silently): the caller records the time of the
  // search. Messages of a cancelled or finished search are ignored.
  bool OnDownloadMessage();
  // Aborts the download; the search is finished at once.
  void Cancel();

  int CurrentState() const { return state_; }
  bool Downloading() const { return downloading_; }
  int Progress() const { return progress_; }
  // Tests set the version they compare against.
  void SetOwnVersion(std::wstring version) { ownVersion_ = std::move(version); }

 private:
  void Evaluate();
  int Box(unsigned id, const std::wstring& tail, UINT flags);

  std::wstring ownVersion_;
  mwWinAPI::AsyncInternet download_;
  HWND owner_;
  bool silent_ = false;
  volatile int state_ = kFinished;
  volatile bool downloading_ = false;
  int progress_ = 0;
};

// Sends the feedback text and mail address with the own version, bounded in
// size and time. Empty when the service accepted it, else what went wrong
// (no connection, or the service's refusal). Meant for a worker thread: it
// blocks and touches no window. Never throws.
std::wstring SendFeedbackRequest(const std::wstring& text, const std::wstring& mail);
// The feedback error box, owned by `owner`, with `detail` below.
void ShowFeedbackFailure(HWND owner, const std::wstring& detail);

}  // namespace orbiform
