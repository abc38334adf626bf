#pragma once
// Installing what the job downloaded into the editor's folder: the write
// test, the backups and opening of the targets, writing the files, the
// reply's operations (run, delete, move, and the move of the updater's own
// executable left to MiniSwap), the commit, and the log file. Every path is
// resolved below the editor's folder and refused if it lands outside.
#include <windows.h>

#include <string>
#include <vector>

#include "mwWinAPI/Handles.h"
#include "mwWinAPI/StringTable.h"
#include "updater/DownloadJob.h"
#include "updater/TransactedFileOps.h"
#include "updater/UpdateLog.h"

namespace updater {

// A text of the updater's string table by identifier.
using TextSource = std::wstring (*)(unsigned id);
// The running program's string table.
using mwWinAPI::LoadText;

// The folder for backups and the log, inside the editor's folder.
constexpr wchar_t kBackupFolder[] = L"QZ7BackUp";

// The write test: creates and deletes "UpdateTest.QZ7U" in `folder`; false
// when it cannot be created.
bool CanWrite(const std::wstring& folder);

class Installer {
 public:
  // `folder` is the editor's folder; `selfPath` the updater's executable
  // (empty: the running program's). All are kept by reference but the paths.
  Installer(const std::wstring& folder, DownloadJob& job, UpdateLog& log, TransactedFileOps& ops,
            TextSource text = LoadText, const std::wstring& selfPath = std::wstring());
  Installer(const Installer&) = delete;
  Installer& operator=(const Installer&) = delete;
  // Closes targets still open.
  ~Installer();

  // Backs up every existing target into QZ7BackUp (flat, by file name) and
  // opens every target for writing without changing it yet. True and
  // READY_TO_COPY when all are open; false with none left open (a file that
  // did not exist before is removed again). Throws mwstd::invalid_argument
  // "Status des Downloaders nicht READY_TO_UPDATE" in another state.
  bool OpenTargets();

  // Writes the files (in READY_TO_COPY), carries out the deletions and
  // moves, commits, then runs the "exe"/"exeN" programs in their order, and
  // returns the argument text for MiniSwap (empty when not needed); state
  // UPDATE_DONE. Throws mwstd::file_io_error with the text logged: for a
  // failed write (state READY_TO_UPDATE); for the last failed operation or a
  // failed commit, after rolling back (READY_TO_UPDATE when a transaction
  // undid the files, else FILES_WRITTEN; no transaction stays open); for
  // the last program that did not start, unless MiniSwap must still run.
  // Throws mwstd::invalid_argument "Status des Downloaders nicht
  // READY_TO_COPY" unless in READY_TO_COPY or FILES_WRITTEN.
  std::wstring Install();

 private:
  std::wstring Text(unsigned id) const { return text_(id); }
  void CloseTargets(bool removeCreated);
  // Writes every opened target (READY_TO_COPY -> FILES_WRITTEN); on a
  // failure rolls back, READY_TO_UPDATE, and throws as Install.
  void WriteFiles();
  // Starts a program of the folder, waiting for its end when asked; its
  // error text or "" on success.
  std::wstring RunProgram(const std::wstring& first, bool wait);
  // Runs one deletion or move; returns its error text or "" on success.
  std::wstring RunOperation(const std::wstring& first, const std::wstring& second, std::wstring& miniSwap);
  // A path of the reply resolved below the folder; "" when it lands outside.
  std::wstring Resolve(const std::wstring& relative) const;
  // Creates the folders on the way to `full` (inside the editor's folder).
  void CreateFoldersFor(const std::wstring& full);

  std::wstring folder_;
  DownloadJob& job_;
  UpdateLog& log_;
  TransactedFileOps& ops_;
  TextSource text_;
  std::wstring selfPath_;
  struct Target {
    mwWinAPI::UniqueHandle file;
    std::wstring path;
    bool created = false;  // did not exist before OpenTargets
  };
  std::vector<Target> targets_;
};

// The stamp of a log entry as the user reads it: the short date and the time
// without seconds in the user's locale, converted to local time.
std::wstring FormatLogStamp(const LogTime& time);

// Appends the log's block to "QZ7BackUp\QZ7Updater.log" in `folder` (ANSI),
// creating the folder if needed. Nothing for an empty log. Throws
// mwstd::file_io_error when the file cannot be opened or written.
void WriteLogFile(const std::wstring& folder, const UpdateLog& log);

// The system clock in UTC, for UpdateLog.
LogTime SystemLogTime();

}  // namespace updater
