// Options file reader: any input must parse without undefined behaviour, and
// whatever it accepts must survive a write and a second read unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "files/Options.h"
#include "files/RecentFiles.h"
#include "mwWinAPI/Utf.h"

using namespace orbiform;

namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_options: %s\n", what);
  std::abort();
}

// The file keeps only the day of the last search, not its time.
bool SameRecord(const Options& a, const Options& b) {
  return a.voxtrakPath == b.voxtrakPath && a.defaultAuthor == b.defaultAuthor &&
         a.defaultInfo == b.defaultInfo && a.undoSteps == b.undoSteps && a.redoSteps == b.redoSteps &&
         a.numberFormat == b.numberFormat && a.updateFrequency == b.updateFrequency &&
         a.lastSearch.year == b.lastSearch.year && a.lastSearch.month == b.lastSearch.month &&
         a.lastSearch.day == b.lastSearch.day && a.includeBetaUpdates == b.includeBetaUpdates &&
         a.recentFiles == b.recentFiles;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Date now{2024, 5, 1, 20, 14, 30, 0, 0};
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  Options first;
  if (!ParseOptions(bytes, first, now)) return 0;
  if (first.recentFiles.size() > static_cast<std::size_t>(kMaxRecentFiles)) Fail("recent-file list too long");
  for (const std::wstring& path : first.recentFiles) RecentFileDisplayText(path);
  UpdateDue(first, now);

  const std::wstring text = OptionsFileText(first);
  Options second;
  if (!ParseOptions(mwWinAPI::ToUtf8(text) + '\0', second, now)) Fail("written file does not parse");
  if (!SameRecord(first, second)) Fail("record changed by write and read");
  if (OptionsFileText(second) != text) Fail("second write differs");
  return 0;
}
