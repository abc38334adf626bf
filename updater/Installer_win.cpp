// Installation steps on the Win32 file functions, through the transaction
// wrapper so that one run takes effect at the commit or not at all.
#include "updater/Installer.h"

// after windows.h
#include <shellapi.h>

#include "mwWinAPI/ErrorText.h"
#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/File.h"
#include "mwWinAPI/StringTable.h"
#include "updater/FolderPaths.h"
#include "updater/UpdateInfos.h"
#include "updater/UpdaterIds.h"

namespace updater {
namespace {

bool IsProgram(const std::wstring& second) { return second == L"exe" || second == L"exeN"; }

bool IsFile(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ErrorText(DWORD code) { return mwWinAPI::GetLastErrorS(code); }

SYSTEMTIME ToSystemTime(const LogTime& t) {
  SYSTEMTIME s{};
  s.wYear = static_cast<WORD>(t.year);
  s.wMonth = static_cast<WORD>(t.month);
  s.wDay = static_cast<WORD>(t.day);
  s.wHour = static_cast<WORD>(t.hour);
  s.wMinute = static_cast<WORD>(t.minute);
  s.wSecond = static_cast<WORD>(t.second);
  s.wMilliseconds = static_cast<WORD>(t.milliseconds);
  return s;
}

}  // namespace

bool CanWrite(const std::wstring& folder) {
  const std::wstring path = folder + L"\\UpdateTest.QZ7U";
  const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  ::DeleteFileW(path.c_str());
  return true;
}

Installer::Installer(const std::wstring& folder, DownloadJob& job, UpdateLog& log, TransactedFileOps& ops,
                     TextSource text, const std::wstring& selfPath)
    : folder_(FullPath(folder)), job_(job), log_(log), ops_(ops), text_(text), selfPath_(selfPath) {
  while (!folder_.empty() && (folder_.back() == L'\\' || folder_.back() == L'/')) folder_.pop_back();
  if (selfPath_.empty()) {
    wchar_t own[MAX_PATH] = {};
    selfPath_.assign(own, ::GetModuleFileNameW(nullptr, own, MAX_PATH));
  }
}

Installer::~Installer() { CloseTargets(false); }

std::wstring Installer::Resolve(const std::wstring& relative) const {
  std::wstring full;
  return ResolveInside(folder_, relative, full) ? full : std::wstring();
}

void Installer::CreateFoldersFor(const std::wstring& full) {
  // Each level below the editor's folder, outermost first; existing ones fail
  // harmlessly.
  for (std::size_t at = full.find(L'\\', folder_.size() + 1); at != std::wstring::npos;
       at = full.find(L'\\', at + 1)) {
    ops_.CreateFolder(full.substr(0, at));
  }
}

void Installer::CloseTargets(bool removeCreated) {
  for (auto& target : targets_) {
    const bool open = static_cast<bool>(target.file);
    target.file.Reset();
    // A file OpenTargets created itself is empty: leave no trace of it.
    if (removeCreated && open && target.created) ops_.Delete(target.path);
  }
  targets_.clear();
}

bool Installer::OpenTargets() {
  job_.Require(READY_TO_UPDATE);
  // A new transaction after an earlier commit or rollback in this process.
  ops_.Begin();
  const std::wstring backup = folder_ + L"\\" + kBackupFolder;
  ops_.CreateFolder(backup);
  CloseTargets(false);
  const std::size_t count = job_.LinkCount();
  for (std::size_t i = 0; i < count; ++i) {
    Target target;
    target.path = Resolve(job_.TargetPath(i));
    bool mayOpen = !target.path.empty();
    if (mayOpen && IsFile(target.path)) {
      // Flat backups: a later file of the same name replaces an earlier one.
      mayOpen = ops_.Copy(target.path, backup + L"\\" + FileNameOf(target.path));
    }
    if (mayOpen) {
      CreateFoldersFor(target.path);
      // Opened without truncating: should a later target fail, the editor's
      // files must still be whole.
      const HANDLE file = ops_.OpenForWriting(target.path, OPEN_ALWAYS);
      target.created = file != INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_ALREADY_EXISTS;
      target.file.Reset(file);
    }
    const bool opened = static_cast<bool>(target.file);
    targets_.push_back(std::move(target));
    if (!opened) {
      CloseTargets(true);
      return false;
    }
  }
  job_.SetState(READY_TO_COPY);
  return true;
}

std::wstring Installer::Install() {
  const int state = job_.State();
  if (state != READY_TO_COPY && state != FILES_WRITTEN) job_.Require(READY_TO_COPY);

  if (state == READY_TO_COPY) WriteFiles();

  // Programs run only once the rest is committed: a release's own new
  // set-up program must be there for the program that runs it.
  std::wstring miniSwap;
  std::wstring error;
  std::vector<const std::pair<std::wstring, std::wstring>*> programs;
  for (const auto& op : job_.Operations()) {
    if (IsProgram(op.second)) {
      programs.push_back(&op);
      continue;
    }
    const std::wstring failure = RunOperation(op.first, op.second, miniSwap);
    if (!failure.empty()) {
      log_.Add(failure, LOG_ERROR);
      error = failure;
    }
  }
  const bool transacted = ops_.HasTransaction();
  if (error.empty() && !ops_.Commit()) {
    // Reporting success here would claim files that are not there.
    error = ErrorText(::GetLastError());
    log_.Add(error, LOG_ERROR);
  }
  if (!error.empty()) {
    // Nothing stays half done: with a transaction everything is undone and
    // a retry starts from the files in memory; without one the files stay
    // written and a retry repeats the operations.
    ops_.Rollback();
    job_.SetState(transacted ? READY_TO_UPDATE : FILES_WRITTEN);
    throw mwstd::file_io_error(error);
  }
  job_.SetState(UPDATE_DONE);
  if (!miniSwap.empty()) miniSwap += L" \"" + selfPath_;
  for (const auto* op : programs) {
    const std::wstring failure = RunProgram(op->first, op->second == L"exe");
    if (!failure.empty()) {
      log_.Add(failure, LOG_ERROR);
      error = failure;
    }
  }
  // The files are committed; MiniSwap must still finish them, so a program
  // that did not start is only reported when nothing is left to hand on.
  if (!error.empty() && miniSwap.empty()) throw mwstd::file_io_error(error);
  return miniSwap;
}

void Installer::WriteFiles() {
  // The open targets belong to the installer that opened them; another
  // would write nothing and report it done.
  if (targets_.size() != job_.LinkCount()) {
    targets_.clear();
    job_.SetState(READY_TO_UPDATE);
    job_.Require(READY_TO_COPY);
  }
  for (std::size_t i = 0; i < targets_.size(); ++i) {
    const std::string& data = job_.FileData(i);
    const HANDLE file = targets_[i].file.Get();
    DWORD written = 0;
    const bool ok = ::SetFilePointer(file, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
                    ::WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
                    written == data.size() && ::SetEndOfFile(file);
    if (!ok) {
      const DWORD code = ::GetLastError();
      const std::wstring path = job_.TargetPath(i);
      for (std::size_t j = i; j < targets_.size(); ++j) targets_[j].file.Reset();
      targets_.clear();
      ops_.Rollback();
      job_.SetState(READY_TO_UPDATE);
      const std::wstring text = path + Text(IDS_NOT_CREATED) + ErrorText(code);
      log_.Add(text, LOG_ERROR);
      throw mwstd::file_io_error(text);
    }
    targets_[i].file.Reset();
    log_.Add(job_.TargetPath(i) + Text(IDS_CREATED), LOG_INFO);
  }
  targets_.clear();
  job_.SetState(FILES_WRITTEN);
}

std::wstring Installer::RunProgram(const std::wstring& first, bool wait) {
  // Only a program inside the editor's folder is ever started.
  const std::wstring from = Resolve(first);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpVerb = L"open";
  info.lpFile = from.c_str();
  info.lpDirectory = folder_.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (from.empty() || !::ShellExecuteExW(&info)) {
    return first + Text(IDS_NOT_EXECUTED) + ErrorText(from.empty() ? ERROR_ACCESS_DENIED : ::GetLastError());
  }
  mwWinAPI::UniqueHandle process(info.hProcess);
  if (wait && process) ::WaitForSingleObject(process.Get(), INFINITE);
  log_.Add(first + Text(IDS_EXECUTED), LOG_INFO);
  return std::wstring();
}

std::wstring Installer::RunOperation(const std::wstring& first, const std::wstring& second,
                                     std::wstring& miniSwap) {
  const std::wstring from = Resolve(first);
  if (second.empty()) {
    // The backup keeps the file's sub-folders, so they are created first.
    const std::wstring backup = Resolve(std::wstring(kBackupFolder) + L"\\" + first);
    bool ok = !from.empty() && !backup.empty();
    if (ok) {
      CreateFoldersFor(backup);
      ok = ops_.Copy(from, backup) && ops_.Delete(from);
    }
    if (!ok)
      return first + Text(IDS_NOT_DELETED) + ErrorText(from.empty() ? ERROR_ACCESS_DENIED : ::GetLastError());
    log_.Add(first + Text(IDS_DELETED), LOG_INFO);
    return std::wstring();
  }
  const std::wstring to = Resolve(second);
  if (from.empty() || to.empty()) {
    return first + Text(IDS_NOT_MOVED_TO) + second + Text(IDS_SEPARATOR) + ErrorText(ERROR_ACCESS_DENIED);
  }
  if (second.find_first_of(L"\\/") != std::wstring::npos) CreateFoldersFor(to);
  if (second == FileNameOf(FullPath(selfPath_))) {
    // The running updater cannot replace itself: MiniSwap does it afterwards.
    miniSwap += L"\"" + first + L"\" \"" + second + L"\"";
    return std::wstring();
  }
  if (!ops_.Move(from, to)) {
    return first + Text(IDS_NOT_MOVED_TO) + second + Text(IDS_SEPARATOR) + ErrorText(::GetLastError());
  }
  log_.Add(first + Text(IDS_MOVED_TO) + second + Text(IDS_MOVED_END), LOG_INFO);
  return std::wstring();
}

std::wstring FormatLogStamp(const LogTime& time) {
  const SYSTEMTIME utc = ToSystemTime(time);
  SYSTEMTIME local = utc;
  if (!::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
  wchar_t date[80] = {};
  wchar_t clock[80] = {};
  ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, 80);
  ::GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &local, nullptr, clock, 80);
  return std::wstring(date) + L" " + clock;
}

void WriteLogFile(const std::wstring& folder, const UpdateLog& log) {
  const std::wstring block = log.FileBlock(FormatLogStamp);
  if (block.empty()) return;
  const std::wstring backup = folder + L"\\" + kBackupFolder;
  ::CreateDirectoryW(backup.c_str(), nullptr);
  mwWinAPI::TextFile file(backup + L"\\QZ7Updater.log", FILE_APPEND_DATA, 0, OPEN_ALWAYS);
  file.WriteText(block, mwWinAPI::TextFile::ANSI);
}

LogTime SystemLogTime() {
  SYSTEMTIME s;
  ::GetSystemTime(&s);
  LogTime t;
  t.year = s.wYear;
  t.month = s.wMonth;
  t.day = s.wDay;
  t.hour = s.wHour;
  t.minute = s.wMinute;
  t.second = s.wSecond;
  t.milliseconds = s.wMilliseconds;
  return t;
}

}  // namespace updater
