#pragma once
// The editor's settings and the options file ("options.xml") that keeps them
// between runs. Pure logic: reading the clock and finding the application-data
// folder belong to the platform code, which passes the current time in.
#include <string>
#include <vector>

namespace orbiform {

// The fields of the platform's system-time record.
struct Date {
  int year = 0, month = 0, dayOfWeek = 0, day = 0, hour = 0, minute = 0, second = 0, milliseconds = 0;
};

// The menu has room for this many recent files; the list never grows beyond.
constexpr int kMaxRecentFiles = 5;
// Undo and redo steps beyond this are cut to it when read or entered: each
// step may hold a whole copy of the object.
constexpr int kMaxHistorySteps = 1000;

struct Options {
  std::wstring voxtrakPath = L"C:\\Programme\\Voxtrak3D";  // simulator folder
  std::wstring defaultAuthor;
  std::wstring defaultInfo =
      L"Dieses Objekt darf, mit Erw\u00e4hnung des urspr\u00fcnglichen Erstellers, ohne "
      L"Einschr\u00e4nkung ver\u00e4ndert und weitergegeben werden";
  int undoSteps = 30;
  int redoSteps = 15;
  int numberFormat = 0;     // 0 classic ("0.1"), 1 German ("0,1")
  int updateFrequency = 0;  // 0 never, 1 each start, 2 daily, 3 weekly, 4 monthly
  Date lastSearch;          // all zero: never searched
  bool includeBetaUpdates = false;
  std::vector<std::wstring> recentFiles;  // most recent first
};

void SetDefaults(Options& options);

// Reads an options file's bytes (up to their first zero byte) into `options`;
// attributes the file lacks, or whose value is unusable, keep their current
// value. `now` is needed because a last-search date in the future is pulled
// back (SetLastSearch); "0.0.0" reads as never searched. Returns false for
// malformed XML or a document type declaration; what was read before the
// error stays set.
bool ParseOptions(const std::string& bytes, Options& options, const Date& now);

// The file's elements, CR LF line ends, without the XML declaration.
std::wstring WriteOptions(const Options& options);
// The whole file: the declaration and WriteOptions; written with
// mwWinAPI::WriteUtf8FileReplacing.
std::wstring OptionsFileText(const Options& options);

// Removes `path` from the list, then puts it at the front (index < 0; the
// oldest entry falls off a full list) or at position `index`, padding the list
// with empty entries up to it.
void AddRecentFile(Options& options, const std::wstring& path, int index);

// Records the last update search. A date later than `now` by year and month is
// replaced by the 10th of the month before `now`.
void SetLastSearch(Options& options, const Date& date, const Date& now);

// Whether the automatic update search should run at `now`: never with the
// frequency 0 ("never"), else at once when no search was recorded.
bool UpdateDue(const Options& options, const Date& now);

}  // namespace orbiform
