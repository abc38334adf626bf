// A plain timing harness for the same measurements as the benchmarks, for
// the Windows programs under Wine (Google Benchmark is native only): the
// median of repeated runs, and the peak memory of the process.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/BenchObjects.h"
#include "files/Export.h"
#include "files/ProjectFile.h"
#include "mwWinAPI/Utf.h"

#ifdef _WIN32
#include <windows.h>

#include <psapi.h>  // after windows.h, which it needs
#else
#include <sys/resource.h>
#endif

#include "bench/Median.h"

using namespace orbiform;
using orbiform::bench::MedianMilliseconds;

namespace {

double PeakMegabytes() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return counters.PeakWorkingSetSize / 1048576.0;
#else
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
#endif
}

}  // namespace

int main() {
  const std::wstring sim = L"C:\\Programme\\Voxtrak3D";
  std::printf("%-34s %10s\n", "5000 points", "median ms");
  for (const unsigned points : {1000u, 100u, 10u}) {
    const double build = MedianMilliseconds([&] {
      auto object = BuildLargest(points, 0);
      object->ApplyTextures();
      const std::wstring text = ExportFileText(*object, L"C:\\Objekte\\gross.k7mobj", sim);
      if (text.empty()) std::puts("empty export");
    });
    auto object = BuildLargest(points, 4);
    object->ApplyTextures();
    std::string bytes;
    const double save = MedianMilliseconds(
        [&] { bytes = mwWinAPI::ToUtf8(ProjectFileText(*object, sim, L"C:\\a.ek7mobj")); });
    const double load = MedianMilliseconds([&] {
      std::unique_ptr<RoundObject> loaded;
      if (!ParseProject(bytes, loaded)) std::puts("the project did not load");
    });
    std::printf("%4u x %-4u generate, wrap, export %10.2f\n", points, kMaxObjectPoints / points, build);
    std::printf("%4u x %-4u save project          %10.2f\n", points, kMaxObjectPoints / points, save);
    std::printf("%4u x %-4u load project          %10.2f\n", points, kMaxObjectPoints / points, load);
  }
  std::printf("peak memory %.1f MB\n", PeakMegabytes());
  return 0;
}
