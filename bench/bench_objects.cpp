// The largest objects the editor allows (5000 points): generating, texturing
// and writing them, and loading projects back. Goal: each under 10 ms.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/BenchObjects.h"
#include "files/Export.h"
#include "files/ProjectFile.h"
#include "geometry/RoundObject.h"
#include "mwWinAPI/Utf.h"

using namespace orbiform;

namespace {

void GenerateTextureExport(benchmark::State& state) {
  const auto points = static_cast<unsigned>(state.range(0));
  for (auto _ : state) {
    auto object = BuildLargest(points, 0);
    object->ApplyTextures();
    const std::wstring text =
        ExportFileText(*object, L"C:\\Objekte\\gross.k7mobj", L"C:\\Programme\\Voxtrak3D");
    benchmark::DoNotOptimize(text.data());
  }
}
BENCHMARK(GenerateTextureExport)->Arg(1000)->Arg(100)->Arg(10)->Unit(benchmark::kMillisecond);

void SaveProject(benchmark::State& state) {
  auto object = BuildLargest(static_cast<unsigned>(state.range(0)), 4);
  object->ApplyTextures();
  for (auto _ : state) {
    const std::string bytes =
        mwWinAPI::ToUtf8(ProjectFileText(*object, L"C:\\Programme\\Voxtrak3D", L"C:\\a.ek7mobj"));
    benchmark::DoNotOptimize(bytes.data());
  }
}
BENCHMARK(SaveProject)->Arg(1000)->Arg(100)->Unit(benchmark::kMillisecond);

void LoadProject(benchmark::State& state) {
  auto object = BuildLargest(static_cast<unsigned>(state.range(0)), 4);
  object->ApplyTextures();
  const std::string bytes =
      mwWinAPI::ToUtf8(ProjectFileText(*object, L"C:\\Programme\\Voxtrak3D", L"C:\\a.ek7mobj"));
  for (auto _ : state) {
    std::unique_ptr<RoundObject> loaded;
    if (!ParseProject(bytes, loaded)) state.SkipWithError("the project did not load");
    benchmark::DoNotOptimize(loaded.get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(LoadProject)->Arg(1000)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace
