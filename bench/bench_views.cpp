// The 3D view's geometry builds for the largest objects: what a refresh of
// the view computes before anything reaches the GPU (goal: well under 5 ms
// together).
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/BenchObjects.h"
#include "views/ViewGeometry.h"

namespace {

using namespace orbiform;
using namespace orbiform::views;

std::unique_ptr<RoundObject> Textured(unsigned points) {
  auto object = BuildLargest(points, 0);
  object->ApplyTextures();
  return object;
}

void ViewOutline(benchmark::State& state) {
  const auto object = Textured(static_cast<unsigned>(state.range(0)));
  for (auto _ : state) {
    std::vector<Point> vertices;
    Indices indices;
    benchmark::DoNotOptimize(BuildOutline(*object, vertices, indices));
  }
}
BENCHMARK(ViewOutline)->Arg(1000)->Arg(100)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();

void ViewFaces(benchmark::State& state) {
  const auto object = Textured(static_cast<unsigned>(state.range(0)));
  for (auto _ : state) {
    std::vector<TexturedPoint> vertices;
    Indices indices;
    benchmark::DoNotOptimize(BuildFaces(*object, vertices, indices));
  }
}
BENCHMARK(ViewFaces)->Arg(1000)->Arg(100)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();

void ViewLayerFaces(benchmark::State& state) {
  const auto object = Textured(static_cast<unsigned>(state.range(0)));  // one layer over everything
  for (auto _ : state) {
    std::vector<TexturedPoint> vertices;
    Indices indices;
    benchmark::DoNotOptimize(BuildLayerFaces(*object, 0, vertices, indices));
  }
}
BENCHMARK(ViewLayerFaces)->Arg(1000)->Arg(100)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();

// A whole refresh: outline, faces and the selected layer.
void ViewRefreshGeometry(benchmark::State& state) {
  const auto object = Textured(static_cast<unsigned>(state.range(0)));
  for (auto _ : state) {
    std::vector<Point> outline;
    std::vector<TexturedPoint> faces, layer;
    Indices lines, triangles, selected;
    benchmark::DoNotOptimize(BuildOutline(*object, outline, lines) && BuildFaces(*object, faces, triangles) &&
                             BuildLayerFaces(*object, 0, layer, selected));
  }
}
BENCHMARK(ViewRefreshGeometry)->Arg(1000)->Arg(100)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
