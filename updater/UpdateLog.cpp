// The log's entries under one lock.
#include "updater/UpdateLog.h"

#include <chrono>
#include <ctime>

namespace updater {
namespace {

LogTime SystemUtc() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(now);
  // Days and seconds since 1970 by hand: gmtime is not safe beside other threads.
  long long days = static_cast<long long>(seconds) / 86400;
  long long rest = static_cast<long long>(seconds) % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  // Civil date from the day count (eras of 400 years, March-based years).
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long doe = days - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  LogTime t;
  t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2 ? 1 : 0));
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest / 60 % 60);
  t.second = static_cast<int>(rest % 60);
  t.milliseconds = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  return t;
}

}  // namespace

UpdateLog::UpdateLog(Clock clock) : clock_(clock ? clock : SystemUtc) {}

void UpdateLog::Add(const std::wstring& text, int kind) {
  LogEntry entry{clock_(), text, kind};
  std::lock_guard<std::mutex> hold(lock_);
  entries_.push_back(std::move(entry));
}

std::size_t UpdateLog::Count() const {
  std::lock_guard<std::mutex> hold(lock_);
  return entries_.size();
}

LogEntry UpdateLog::Entry(std::size_t index) const {
  std::lock_guard<std::mutex> hold(lock_);
  return index < entries_.size() ? entries_[index] : LogEntry{};
}

std::wstring UpdateLog::Line(std::size_t index, LogStampFormatter stamp) const {
  const LogEntry entry = Entry(index);
  return stamp(entry.time) + L"  " + entry.text;
}

std::wstring UpdateLog::FileBlock(LogStampFormatter stamp) const {
  std::vector<LogEntry> entries;
  {
    std::lock_guard<std::mutex> hold(lock_);
    entries = entries_;
  }
  if (entries.empty()) return std::wstring();
  std::wstring block = L"[Update " + stamp(entries.front().time) + L"]\r\n";
  for (const auto& entry : entries) block += stamp(entry.time) + L"  " + entry.text + L"\r\n";
  return block + L"\r\n\r\n";
}

}  // namespace updater
