#pragma once
// The state of the updater's whole job, without threads or windows: which
// phase it is in, the reply's lines and, once parsed, its links and
// operations, and the downloaded data. The Windows downloader drives it from
// its worker threads and its window; every operation checks the state first.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "updater/Manifest.h"
#include "updater/UpdateInfos.h"

namespace updater {

enum DownloaderState : int {
  NOTHING_DONE = 0,             // nothing started, or the information phase was cancelled
  INFOS_DOWNLOADING = 1,        // the information thread runs
  INFOS_DOWNLOADED = 2,         // the reply is split into lines, not yet parsed
  READY_TO_DOWNLOAD_FILES = 3,  // parsed; also after a failed or cancelled file phase
  FILES_DOWNLOADING = 4,        // the file thread runs
  READY_TO_UPDATE = 5,          // every file is in memory and passed the checks
  READY_TO_COPY = 6,            // the targets are open for writing
  FILES_WRITTEN = 7,            // the files are written; the operations follow
  UPDATE_DONE = 8,              // operations done, transaction committed
};

// "NOTHING_DONE" ... "UPDATE_DONE"; "?" for anything else.
const wchar_t* StateName(int state);

class DownloadJob {
 public:
  int State() const { return state_; }
  // For the steps the job cannot see (install, a finished thread).
  void SetState(int state) { state_ = state; }

  // Throws mwstd::invalid_argument "Status des Downloaders nicht " and the
  // name of `state` unless the job is in it.
  void Require(int state) const;

  // NOTHING_DONE -> INFOS_DOWNLOADING. Throws as Require.
  void BeginInfos();
  // The information thread's body, in INFOS_DOWNLOADING (throws as Require):
  // Lines -> INFOS_DOWNLOADED with the lines kept; Invalid and NothingToDo ->
  // NOTHING_DONE.
  InfosReply TakeInfos(const std::string& body, InfosDecoder decode);

  // Parses the lines (UpdateInfos.h): true and READY_TO_DOWNLOAD_FILES with
  // only the links left as lines, or false for a faulty reply with nothing
  // changed. Throws as Require for INFOS_DOWNLOADED.
  bool ParseInfos();
  bool IsManualOnly() const { return infos_.IsManualOnly(); }
  std::wstring ManualAddress() const { return infos_.ManualAddress(); }
  const std::vector<std::pair<std::wstring, std::wstring>>& Operations() const { return infos_.operations; }

  // The number of lines (links once parsed). Throws mwstd::invalid_argument
  // "Download läuft" while the file thread runs.
  std::size_t LinkCount() const;
  // Throws mwstd::out_of_range "Der Index ist nicht vorhanden" for an index
  // at or above LinkCount().
  const std::wstring& Link(std::size_t index) const;
  // The links for the file thread, which runs while LinkCount refuses.
  const std::vector<std::wstring>& Links() const { return lines_; }
  // The link's path relative to the editor's folder (LocalPath); throws as Link.
  std::wstring TargetPath(std::size_t index) const;

  // The maker's signed manifest that the reply was found to match (the
  // information thread, before the window parses); the files are checked
  // against it. Throws as Require for INFOS_DOWNLOADING.
  void TakeManifest(Manifest manifest);
  // The size the manifest gives file `index`: the most its download may
  // read. 0 when there is no such file.
  std::uint64_t ExpectedSize(std::size_t index) const;

  // READY_TO_DOWNLOAD_FILES -> FILES_DOWNLOADING with one empty slot per
  // link. Throws as Require.
  void BeginFiles();
  // Keeps the body of link `index` when its size and SHA-256 (hex) are the
  // manifest's; otherwise returns false, so that the file thread stops at
  // the first wrong file. Called by the file thread
  // only. Throws mwstd::out_of_range "Der Index ist nicht vorhanden" for an
  // index without a slot.
  bool StoreFile(std::size_t index, std::string data, const std::string& sha256);
  // After the last file: every slot must be stored and pass the error-page
  // detector. A refused slot is emptied. True and READY_TO_UPDATE when all
  // passed, else READY_TO_DOWNLOAD_FILES. Throws as Require for
  // FILES_DOWNLOADING.
  bool FinishFiles(const std::string& errorPageAddress);
  const std::string& FileData(std::size_t index) const;
  bool IsDone(std::size_t index) const;

  // A phase that ended early (error or cancel): NOTHING_DONE from the first
  // three states, READY_TO_DOWNLOAD_FILES from the later ones; the file data
  // is dropped.
  void EndEarly();

 private:
  std::atomic<int> state_{NOTHING_DONE};
  std::vector<std::wstring> lines_;
  UpdateInfos infos_;
  Manifest manifest_;
  std::vector<std::string> data_;
  std::vector<bool> stored_;
  std::vector<bool> done_;
};

}  // namespace updater
