// The largest objects the editor allows (5000 points): generating, texturing
// and writing them, and loading projects back. Goal: each under 10 ms.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "files/Export.h"
#include "files/ProjectFile.h"
#include "geometry/RoundObject.h"
#include "mwWinAPI/Utf.h"

namespace {

// `points` per ring, 5000 / points rings, one "wrap" layer over everything
// (plus `extraLayers` "same" layers over parts), as the wizard builds it.
std::unique_ptr<RoundObject> Build(unsigned points, int extraLayers) {
  auto object = std::make_unique<RoundObject>(points, 0);
  const unsigned rings = 5000 / points;
  for (unsigned r = 0; r < rings; ++r) object->AddArea(0, 360, r * 0.5, 2.0 + 0.01 * r, 1.0);
  TextureLevel& layer = object->GetTextureLevel(object->AddTextureLevel());
  layer.type = TextureLevel::kWrap;
  layer.coords = {{{0, 0}, {1024, 0}, {1024, 1024}, {0, 1024}}};
  for (int i = 0; i < extraLayers; ++i) {
    TextureLevel& part = object->GetTextureLevel(object->AddTextureLevel());
    part.SetAreas(static_cast<unsigned>(i % rings), rings - 1);
    part.SetPoints(static_cast<unsigned>(i % points), points - 1);
  }
  object->GenerateAllPoints();
  return object;
}

void GenerateTextureExport(benchmark::State& state) {
  const auto points = static_cast<unsigned>(state.range(0));
  for (auto _ : state) {
    auto object = Build(points, 0);
    object->ApplyTextures();
    const std::wstring text =
        ExportFileText(*object, L"C:\\Objekte\\gross.k7mobj", L"C:\\Programme\\Voxtrak3D");
    benchmark::DoNotOptimize(text.data());
  }
}
BENCHMARK(GenerateTextureExport)->Arg(1000)->Arg(100)->Arg(10)->Unit(benchmark::kMillisecond);

void SaveProject(benchmark::State& state) {
  auto object = Build(static_cast<unsigned>(state.range(0)), 4);
  object->ApplyTextures();
  for (auto _ : state) {
    const std::string bytes =
        mwWinAPI::ToUtf8(ProjectFileText(*object, L"C:\\Programme\\Voxtrak3D", L"C:\\a.ek7mobj"));
    benchmark::DoNotOptimize(bytes.data());
  }
}
BENCHMARK(SaveProject)->Arg(1000)->Arg(100)->Unit(benchmark::kMillisecond);

void LoadProject(benchmark::State& state) {
  auto object = Build(static_cast<unsigned>(state.range(0)), 4);
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
