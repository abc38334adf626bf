#include "files/Options.h"

#include <algorithm>
#include <cstdint>

#include "files/XmlRead.h"
#include "files/XmlText.h"
#include "mwWinAPI/Split.h"

namespace orbiform {

namespace {

// Before this year no search has ever been recorded.
constexpr int kFirstSearchYear = 2006;
constexpr std::int64_t kMsPerDay = 86400000;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0);
}

// Days since 1970-01-01 of a proleptic Gregorian date; a month outside 1..12
// carries into the year, a day outside the month counts on from its first.
std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
  year += FloorDiv(month - 1, 12);
  month -= FloorDiv(month - 1, 12) * 12;
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = FloorDiv(year, 400);
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468 + (day - 1);
}

// A point in time as whole days and milliseconds into the day (0 .. one day).
struct Instant {
  std::int64_t days;
  std::int64_t ms;
};

Instant ToInstant(const Date& d) {
  const std::int64_t ms = std::int64_t{d.hour} * 3600000 + std::int64_t{d.minute} * 60000 +
                          std::int64_t{d.second} * 1000 + d.milliseconds;
  const std::int64_t carry = FloorDiv(ms, kMsPerDay);
  return {DaysFromCivil(d.year, d.month, d.day) + carry, ms - carry * kMsPerDay};
}

bool Later(const Instant& a, const Instant& b) {
  return a.days > b.days || (a.days == b.days && a.ms > b.ms);
}

// 0 = Sunday, as in the platform's record.
int DayOfWeek(const Date& d) {
  const std::int64_t days = DaysFromCivil(d.year, d.month, d.day);  // 1970-01-01 was a Thursday
  return static_cast<int>(days + 4 - FloorDiv(days + 4, 7) * 7);
}

// "d.m.y" as written by the options file; false unless the day is 1..31 and
// the month 1..12, so a damaged value does not become the stored date (a
// 31st of a shorter month simply counts on into the next one). "0.0.0" is
// what the writer stores for "never searched" and reads back as such.
bool ParseDate(const std::wstring& text, Date& date) {
  std::vector<std::wstring> parts;
  if (mwstd::split(parts, text, L'.') != 3) return false;
  std::int32_t day = 0, month = 0, year = 0;
  if (!xmlread::ParseInt(parts[0], day) || !xmlread::ParseInt(parts[1], month) ||
      !xmlread::ParseInt(parts[2], year))
    return false;
  if (day == 0 && month == 0 && year == 0) {
    date = Date{};
    return true;
  }
  if (day < 1 || day > 31 || month < 1 || month > 12) return false;
  date = Date{};
  date.year = year;
  date.month = month;
  date.day = day;
  return true;
}

class OptionsReader : public xmlread::StartElementReader {
 public:
  OptionsReader(Options& options, const Date& now) : options_(options), now_(now) {}

 protected:
  void OnStartElement(const XML_Char* name, const XML_Char** attributes) override {
    using xmlread::NameIs;
    for (const XML_Char** a = attributes; a[0] != nullptr && a[1] != nullptr; a += 2) {
      const XML_Char* attribute = a[0];
      const XML_Char* value = a[1];
      if (NameIs(name, "VoxtrakPath")) {
        if (NameIs(attribute, "Path")) options_.voxtrakPath = xmlread::ToWide(value);
      } else if (NameIs(name, "Restore")) {
        if (NameIs(attribute, "Undo")) ReadSteps(value, options_.undoSteps);
        if (NameIs(attribute, "Redo")) ReadSteps(value, options_.redoSteps);
      } else if (NameIs(name, "Locale")) {
        if (NameIs(attribute, "Format")) ReadInt(value, options_.numberFormat);
      } else if (NameIs(name, "RecentFiles")) {
        ReadRecentFile(attribute, value);
      } else if (NameIs(name, "StandardObjectProperties")) {
        if (NameIs(attribute, "Author")) options_.defaultAuthor = xmlread::ToWide(value);
        if (NameIs(attribute, "Info")) options_.defaultInfo = xmlread::ToWide(value);
      } else if (NameIs(name, "Updates")) {
        if (NameIs(attribute, "HowOften")) ReadInt(value, options_.updateFrequency);
        if (NameIs(attribute, "LastSearch")) {
          Date date;
          if (ParseDate(xmlread::ToWide(value), date)) SetLastSearch(options_, date, now_);
        }
        if (NameIs(attribute, "IncludeBetaUpdates")) {
          int beta = 0;
          if (ReadInt(value, beta)) options_.includeBetaUpdates = beta != 0;
        }
      }
    }
    // Entries padded for a higher index whose own attribute was empty or
    // unusable would show as blank menu items.
    if (NameIs(name, "RecentFiles")) {
      auto& files = options_.recentFiles;
      while (!files.empty() && files.back().empty()) files.pop_back();
    }
  }

 private:
  static bool ReadInt(const XML_Char* value, int& target) {
    std::int32_t parsed = 0;
    if (!xmlread::ParseInt(xmlread::ToWide(value), parsed)) return false;
    target = parsed;
    return true;
  }

  // The history sizes its stacks from these; a negative count cannot come
  // from the options dialog and must not reach it, a huge one is cut down.
  static void ReadSteps(const XML_Char* value, int& target) {
    int parsed = 0;
    if (ReadInt(value, parsed) && parsed >= 0) target = std::min(parsed, kMaxHistorySteps);
  }

  // "File<n>" puts the path at position n - 1; a name of four characters or
  // fewer puts it at the front. Positions beyond the menu's room are ignored,
  // so a damaged file cannot make the list (and the menu) grow without bound.
  void ReadRecentFile(const XML_Char* attribute, const XML_Char* value) {
    std::wstring path = xmlread::ToWide(value);
    if (path.empty()) return;
    const std::wstring name = xmlread::ToWide(attribute);
    if (name.size() <= 4) {
      AddRecentFile(options_, path, -1);
      return;
    }
    std::int32_t n = 0;
    if (!xmlread::ParseInt(name.substr(4), n) || n < 1 || n > kMaxRecentFiles) return;
    AddRecentFile(options_, path, n - 1);
  }

  Options& options_;
  const Date now_;
};

void AppendAttribute(std::wstring& out, const wchar_t* name, const std::wstring& value) {
  out += name;
  out += L"=\"";
  xmltext::AppendEscaped(out, value);
  out += L'"';
}

void AppendAttribute(std::wstring& out, const wchar_t* name, int value) {
  out += name;
  out += L"=\"";
  out += std::to_wstring(value);  // plain decimal, no grouping whatever the locale
  out += L'"';
}

}  // namespace

void SetDefaults(Options& options) { options = Options{}; }

bool ParseOptions(const std::string& bytes, Options& options, const Date& now) {
  const xmltext::ClassicLocaleGuard classic;
  OptionsReader reader(options, now);
  return reader.Parse(bytes);
}

std::wstring WriteOptions(const Options& options) {
  const xmltext::ClassicLocaleGuard classic;
  std::wstring out;
  out += L"<QZ7OPTIONS>\r\n";

  out += L"<VoxtrakPath ";
  AppendAttribute(out, L"Path", options.voxtrakPath);
  out += L" />\r\n";

  out += L"<Restore ";
  AppendAttribute(out, L"Undo", options.undoSteps);
  out += L' ';
  AppendAttribute(out, L"Redo", options.redoSteps);
  out += L" />\r\n";

  out += L"<Locale ";
  AppendAttribute(out, L"Format", options.numberFormat);
  out += L" />\r\n";

  const Date& last = options.lastSearch;
  out += L"<Updates ";
  AppendAttribute(out, L"HowOften", options.updateFrequency);
  out += L" LastSearch=\"" + std::to_wstring(last.day) + L'.' + std::to_wstring(last.month) + L'.' +
         std::to_wstring(last.year) + L"\" ";
  AppendAttribute(out, L"IncludeBetaUpdates", options.includeBetaUpdates ? 1 : 0);
  out += L"/>\r\n";

  out += L"<StandardObjectProperties ";
  AppendAttribute(out, L"Author", options.defaultAuthor);
  out += L' ';
  AppendAttribute(out, L"Info", options.defaultInfo);
  out += L" />\r\n";

  out += L"<RecentFiles ";
  for (std::size_t i = 0; i < options.recentFiles.size(); ++i) {
    AppendAttribute(out, (L"File" + std::to_wstring(i + 1)).c_str(), options.recentFiles[i]);
    out += L' ';
  }
  out += L"/>\r\n";

  out += L"</QZ7OPTIONS>";
  return out;
}

std::wstring OptionsFileText(const Options& options) {
  return L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n" + WriteOptions(options);
}

void AddRecentFile(Options& options, const std::wstring& path, int index) {
  // The menu has no room beyond; never let an index size the list.
  if (index >= kMaxRecentFiles) return;
  auto& files = options.recentFiles;
  files.erase(std::remove(files.begin(), files.end(), path), files.end());
  if (index < 0) {
    if (files.size() > kMaxRecentFiles - 1) files.pop_back();
    files.insert(files.begin(), path);
  } else {
    if (files.size() < static_cast<std::size_t>(index) + 1) files.resize(static_cast<std::size_t>(index) + 1);
    files[static_cast<std::size_t>(index)] = path;
  }
}

void SetLastSearch(Options& options, const Date& date, const Date& now) {
  const bool future = date.year > now.year || (date.year == now.year && date.month > now.month);
  if (!future) {
    options.lastSearch = date;
    return;
  }
  // A date ahead of the clock would hold back every search until it is
  // reached; a date in the month before now makes the schedule work again.
  Date pulledBack = now;
  if (now.month <= 1) {
    pulledBack.month = 12;
    pulledBack.year = now.year - 1;
  } else {
    pulledBack.month = now.month - 1;
  }
  pulledBack.day = 10;
  pulledBack.dayOfWeek = DayOfWeek(pulledBack);
  options.lastSearch = pulledBack;
}

bool UpdateDue(const Options& options, const Date& now) {
  // "Never" comes first: a user who chose it is never contacted, not even
  // before the first search was recorded.
  if (options.updateFrequency == 0) return false;
  if (options.updateFrequency == 1 || options.lastSearch.year < kFirstSearchYear) return true;
  const Instant current = ToInstant(now);
  const Instant last = ToInstant(options.lastSearch);
  if (!Later(current, last)) return false;
  // Whole days elapsed, counting time of day: the difference is days * one day
  // plus a remainder within (-1 day, 1 day).
  const std::int64_t days = current.days - last.days - (current.ms < last.ms ? 1 : 0);
  switch (options.updateFrequency) {
    case 2:
      return days >= 1;
    case 3:
      return days >= 7;
    case 4:
      return days >= 30;
    default:
      return false;
  }
}

}  // namespace orbiform
