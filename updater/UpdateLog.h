#pragma once
// The updater's log: every step of the job with its time and kind, written
// by the worker threads and the window thread, shown in the window and
// appended to the log file at the end.
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace updater {

enum LogKind : int { LOG_INFO = 0, LOG_WARNING = 1, LOG_ERROR = 2, LOG_SUCCESS = 3 };

// A moment in UTC, as the system clock reports it.
struct LogTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, milliseconds = 0;
};

struct LogEntry {
  LogTime time;
  std::wstring text;
  int kind = LOG_INFO;
};

// The date and time of an entry as the user reads them ("08.12.2026 13:05").
using LogStampFormatter = std::wstring (*)(const LogTime& time);

class UpdateLog {
 public:
  using Clock = LogTime (*)();
  // `clock` stamps the entries; the default reads the system clock in UTC.
  explicit UpdateLog(Clock clock = nullptr);

  // Any thread. Throws std::bad_alloc only.
  void Add(const std::wstring& text, int kind);
  std::size_t Count() const;
  // A copy of entry `index`; an empty entry past the end.
  LogEntry Entry(std::size_t index) const;
  // "date time  text", the line shown in the window and written to the file.
  std::wstring Line(std::size_t index, LogStampFormatter stamp) const;

  // The block appended to the log file: "[Update " and the first entry's
  // stamp and "]", every line, each ending in CR LF, and an empty line
  // pair; empty when there are no entries.
  std::wstring FileBlock(LogStampFormatter stamp) const;

 private:
  Clock clock_;
  mutable std::mutex lock_;
  std::vector<LogEntry> entries_;
};

}  // namespace updater
