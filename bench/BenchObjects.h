#pragma once
// The objects the benchmarks measure: the largest the editor allows.
#include <memory>

#include "geometry/RoundObject.h"

using namespace orbiform;

// `points` per ring and 5000 / points rings, one "wrap" layer over
// everything (plus `extraLayers` "same" layers over parts), points
// generated, as the wizard builds it; textures not yet applied.
inline std::unique_ptr<RoundObject> BuildLargest(unsigned points, int extraLayers) {
  auto object = std::make_unique<RoundObject>(points, 0);
  const unsigned rings = kMaxObjectPoints / points;
  for (unsigned r = 0; r < rings; ++r) object->AddArea(0, 360, r * 0.5, 2.0 + 0.01 * r, 1.0);
  TextureLevel& layer = object->GetTextureLevel(object->AddTextureLevel());
  layer.type = TextureLevel::kWrap;
  layer.coords = {{{0, 0}, {1024, 0}, {1024, 1024}, {0, 1024}}};
  for (int i = 0; i < extraLayers; ++i) {
    TextureLevel& part = object->GetTextureLevel(object->AddTextureLevel());
    part.SetAreas(static_cast<unsigned>(i) % rings, rings - 1);
    part.SetPoints(static_cast<unsigned>(i) % points, points - 1);
  }
  object->GenerateAllPoints();
  return object;
}
