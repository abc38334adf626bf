#pragma once
// How a new object is made: the creation wizard's pages and orbiform-cli both
// follow these steps, so that both build the same object from the same input.
// Failures the user reads throw mwstd::invalid_argument with the texts the
// wizard shows; plain model checks keep their own exceptions.
#include <array>
#include <memory>
#include <string>

#include "geometry/RoundObject.h"

namespace orbiform {

// Points per ring a new object starts with, and the range the wizard takes.
constexpr unsigned kDefaultPointsPerRing = 5;
constexpr long kMinWizardPoints = 3;
constexpr long kMaxWizardPoints = 1000;

// The line the editor adds to the info of every object it creates.
extern const wchar_t kCreatorLine[];

// One plain as the wizard's plain page takes it.
struct PlainValues {
  double height = 0, radius = 1, ellipse = 1, startDegree = 0, endDegree = 360;
};

// Throws mwstd::invalid_argument (text 159) outside 3..1000.
void CheckWizardPoints(long points);

// The type page's Next: turns `object` (or none) into a sphere or a cylinder
// of `points` per ring and axis sequence `axis`, keeping what the other kind
// shares with it, and gives it a first texture layer over all points when it
// has none. Returns the object to go on with. Throws as CheckWizardPoints and
// the model's constructors and SetPointsPerRing.
std::unique_ptr<RoundObject> ShapeObject(std::unique_ptr<RoundObject> object, bool sphere, unsigned points,
                                         int axis);

// The plain page's checked fields: mwstd::invalid_argument 160 / 161 for a
// value not above 0; the ring is left as it was.
void SetPlainRadius(Area& ring, double radius);
void SetPlainEllipse(Area& ring, double ellipse);
// Appends a plain after those checks; the ring checks of AddArea follow.
void AddPlain(RoundObject& object, const PlainValues& plain);
// Inserts a plain before `index` (appends when `index` is not below the
// plain count) after the same checks; the object is unchanged when refused.
void InsertPlain(RoundObject& object, std::size_t index, const PlainValues& plain);

// The sphere page's checked fields: mwstd::invalid_argument 163 (rings),
// 160 (radius), 161 (ellipse), 162 (degrees); the sphere keeps its value.
void SetSphereRings(Sphere& sphere, int rings);
void SetSphereRadius(Sphere& sphere, double radius);
void SetSphereEllipse(Sphere& sphere, double ellipse);
void SetSphereStartDegree(Sphere& sphere, double degree);
void SetSphereEndDegree(Sphere& sphere, double degree);
// The sphere page's Next: the rings are replaced by the generated ones.
void RegenerateSphere(Sphere& sphere);

// The plains page's Next: the first layer covers every plain and all points
// are computed. False, with nothing changed, when there is no plain.
bool GenerateRings(RoundObject& object);

// The final page's settings of the first layer, then Finish: the faces are
// computed from the layers (ApplyTextures' result is returned).
bool FinishObject(RoundObject& object, int technique, const std::array<TexCoord, 4>& corners);

// What New gives an object made from nothing: the default author, and the
// default info followed by the creator line.
void SetNewObjectProperties(RoundObject& object, const std::wstring& defaultAuthor,
                            const std::wstring& defaultInfo);

}  // namespace orbiform
