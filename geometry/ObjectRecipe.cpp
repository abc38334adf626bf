// The steps of object creation shared by the wizard and orbiform-cli.
#include "geometry/ObjectRecipe.h"

#include <stdexcept>

#include "geometry/ModelIds.h"
#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/StringTable.h"

namespace orbiform {
namespace {

[[noreturn]] void Refuse(unsigned id) { throw mwstd::invalid_argument(mwWinAPI::LoadText(id)); }

// Runs a checked sphere setter; its short English text becomes the page's.
template <typename Apply>
void Checked(Apply apply, unsigned id) {
  try {
    apply();
  } catch (const std::invalid_argument&) {
    Refuse(id);
  }
}

void AddFirstLayer(RoundObject& object, unsigned points) {
  if (object.TextureLevelCount() == 0)
    object.GetTextureLevel(object.AddTextureLevel()).SetPoints(0, points - 1);
}

}  // namespace

const wchar_t kCreatorLine[] = L"\r\nErstellt mit K7M Orbiform, Version 2.1";

void CheckWizardPoints(long points) {
  if (points < kMinWizardPoints || points > kMaxWizardPoints) Refuse(IDS_POINTS_RANGE);
}

std::unique_ptr<RoundObject> ShapeObject(std::unique_ptr<RoundObject> object, bool sphere, unsigned points,
                                         int axis) {
  CheckWizardPoints(static_cast<long>(points));
  if (sphere) {
    if (!object) {
      object = std::make_unique<Sphere>(points, axis);
    } else if (!object->IsSphere()) {
      object = std::make_unique<Sphere>(*object);
    }
    object->SetAxis(axis);
    object->SetPointsPerRing(points);
  } else {
    if (!object) {
      object = std::make_unique<RoundObject>(points, axis);
    } else if (object->IsSphere()) {
      // Only the RoundObject part goes on: the sphere parameters are dropped.
      object = std::make_unique<RoundObject>(static_cast<const RoundObject&>(*object));
    }
    object->SetAxis(axis);
    object->SetPointsPerRing(points);
  }
  AddFirstLayer(*object, points);
  return object;
}

void SetPlainRadius(Area& ring, double radius) {
  if (!(radius > 0)) Refuse(IDS_RADIUS_POSITIVE);
  ring.SetRadius(radius);
}

void SetPlainEllipse(Area& ring, double ellipse) {
  if (!(ellipse > 0)) Refuse(IDS_ELLIPSE_POSITIVE);
  ring.SetEllipse(ellipse);
}

void AddPlain(RoundObject& object, const PlainValues& plain) {
  if (!(plain.radius > 0)) Refuse(IDS_RADIUS_POSITIVE);
  if (!(plain.ellipse > 0)) Refuse(IDS_ELLIPSE_POSITIVE);
  object.AddArea(plain.startDegree, plain.endDegree, plain.height, plain.radius, plain.ellipse);
}

void InsertPlain(RoundObject& object, std::size_t index, const PlainValues& plain) {
  if (!(plain.radius > 0)) Refuse(IDS_RADIUS_POSITIVE);
  if (!(plain.ellipse > 0)) Refuse(IDS_ELLIPSE_POSITIVE);
  object.InsertArea(index, plain.startDegree, plain.endDegree, plain.height, plain.radius, plain.ellipse);
}

void SetSphereRings(Sphere& sphere, int rings) {
  Checked([&] { sphere.SetRings(rings); }, IDS_SPHERE_PLAINS);
}
void SetSphereRadius(Sphere& sphere, double radius) {
  Checked([&] { sphere.SetRadius(radius); }, IDS_RADIUS_POSITIVE);
}
void SetSphereEllipse(Sphere& sphere, double ellipse) {
  Checked([&] { sphere.SetEllipse(ellipse); }, IDS_ELLIPSE_POSITIVE);
}
void SetSphereStartDegree(Sphere& sphere, double degree) {
  Checked([&] { sphere.SetStartDegree(degree); }, IDS_SPHERE_DEGREE);
}
void SetSphereEndDegree(Sphere& sphere, double degree) {
  Checked([&] { sphere.SetEndDegree(degree); }, IDS_SPHERE_DEGREE);
}

void RegenerateSphere(Sphere& sphere) {
  // Checked before the rings go, so that a refused sphere keeps its rings.
  if (static_cast<std::size_t>(sphere.Rings()) * sphere.PointsPerRing() > kMaxObjectPoints) {
    sphere.GenerateSphere();  // throws the model's own text
  }
  sphere.RemoveArea(-1);
  sphere.GenerateSphere();
}

bool GenerateRings(RoundObject& object) {
  if (object.AreaCount() == 0) return false;
  object.GetTextureLevel(0).SetAreas(0, static_cast<unsigned>(object.AreaCount() - 1));
  object.GenerateAllPoints();
  return true;
}

bool FinishObject(RoundObject& object, int technique, const std::array<TexCoord, 4>& corners) {
  TextureLevel& layer = object.GetTextureLevel(0);
  layer.type = technique;
  layer.coords = corners;
  return object.ApplyTextures();
}

void SetNewObjectProperties(RoundObject& object, const std::wstring& defaultAuthor,
                            const std::wstring& defaultInfo) {
  object.SetFileAuthor(defaultAuthor);
  object.SetFileInfo(defaultInfo + kCreatorLine);
}

}  // namespace orbiform
