// The creation steps the wizard and orbiform-cli share: limits and texts,
// what survives a change of object kind, and that a refused step keeps the
// object as it was.
#include <gtest/gtest.h>

#include "geometry/ObjectRecipe.h"
#include "tests/geometry/ModelTexts.h"

using namespace orbiform;

namespace {

class RecipeTest : public EnglishTexts {};

TEST_F(RecipeTest, PointLimitsAndPlainChecksGiveTheWizardsTexts) {
  const std::wstring range = L"Total points must be at least 3 and at most 1000!";
  EXPECT_EQ(UserText([] { CheckWizardPoints(2); }), range);
  EXPECT_EQ(UserText([] { CheckWizardPoints(1001); }), range);
  EXPECT_EQ(UserText([] { CheckWizardPoints(-5); }), range);
  EXPECT_NO_THROW(CheckWizardPoints(3));
  EXPECT_NO_THROW(ShapeObject(nullptr, false, 1000, 0));

  auto object = ShapeObject(nullptr, false, 6, 2);
  const auto refusal = [&object](const PlainValues& plain) {
    return UserText([&] { AddPlain(*object, plain); });
  };
  EXPECT_EQ(refusal({0, 0, 1, 0, 360}), L"Please insert a radius greater than 0!");
  EXPECT_EQ(refusal({0, 1, -1, 0, 360}), L"Please insert a ellipse factor greater than 0!");
  EXPECT_EQ(object->AreaCount(), 0u);
  EXPECT_FALSE(GenerateRings(*object));  // no plain: nothing to generate

  AddPlain(*object, {0, 2, 1, 0, 360});
  EXPECT_EQ(UserText([&] { SetPlainRadius(object->GetArea(0), 0); }),
            L"Please insert a radius greater than 0!");
  EXPECT_EQ(object->GetArea(0).Radius(), 2);

  Sphere& sphere = static_cast<Sphere&>(*ShapeObject(nullptr, true, 4, 0).release());
  std::unique_ptr<Sphere> owner(&sphere);
  EXPECT_EQ(UserText([&] { SetSphereRings(sphere, 2); }), L"There must be at least 3 plains!");
  EXPECT_EQ(UserText([&] { SetSphereEndDegree(sphere, 361); }),
            L"Degree must be greater than 0 and less than or equal to 360!");
  EXPECT_EQ(sphere.Rings(), 3);
  EXPECT_EQ(sphere.EndDegree(), 360);
}

TEST_F(RecipeTest, ChangingTheKindKeepsLayersAndPropertiesButNotSphereParameters) {
  auto object = ShapeObject(nullptr, false, 5, 1);
  AddPlain(*object, {0, 1, 1, 0, 360});
  AddPlain(*object, {2, 1, 1, 0, 360});
  ASSERT_TRUE(GenerateRings(*object));
  SetNewObjectProperties(*object, L"Anna", L"Brücke");
  EXPECT_EQ(object->FileInfo(), std::wstring(L"Brücke") + kCreatorLine);
  ASSERT_EQ(object->TextureLevelCount(), 1u);
  EXPECT_EQ(object->GetTextureLevel(0).endPoint, 4u);
  EXPECT_EQ(object->GetTextureLevel(0).endArea, 1u);

  object = ShapeObject(std::move(object), true, 8, 3);
  ASSERT_TRUE(object->IsSphere());
  EXPECT_EQ(object->Axis(), 3);
  EXPECT_EQ(object->PointsPerRing(), 8u);
  EXPECT_EQ(object->FileAuthor(), L"Anna");
  EXPECT_EQ(object->TextureLevelCount(), 1u);  // not a second layer
  SetSphereRadius(static_cast<Sphere&>(*object), 7);

  object = ShapeObject(std::move(object), false, 8, 3);
  EXPECT_FALSE(object->IsSphere());
  EXPECT_EQ(object->AreaCount(), 2u);
  EXPECT_EQ(object->FileAuthor(), L"Anna");
}

TEST_F(RecipeTest, ARefusedSphereKeepsItsRingsAndFinishAppliesTheFirstLayer) {
  auto object = ShapeObject(nullptr, true, 1000, 0);
  auto& sphere = static_cast<Sphere&>(*object);
  SetSphereRings(sphere, 4);
  RegenerateSphere(sphere);
  ASSERT_EQ(sphere.AreaCount(), 4u);
  SetSphereRings(sphere, 6);  // 6000 points: over the limit
  EXPECT_EQ(UserText([&] { RegenerateSphere(sphere); }), L"The program cannot manage more than 5000 points!");
  EXPECT_EQ(sphere.AreaCount(), 4u);

  ASSERT_TRUE(GenerateRings(sphere));
  EXPECT_TRUE(FinishObject(sphere, TextureLevel::kWrap, {{{0, 0}, {64, 0}, {64, 64}, {0, 64}}}));
  EXPECT_TRUE(sphere.TexCoordsValid());
  EXPECT_EQ(sphere.GetTextureLevel(0).type, TextureLevel::kWrap);
}

}  // namespace

TEST_F(RecipeTest, InsertingAPlainPutsItBeforeTheIndexOrRefusesItWhole) {
  auto object = ShapeObject(nullptr, false, 1000, 0);
  for (double height : {0.0, 1.0, 2.0}) AddPlain(*object, {height, 1, 1, 0, 360});
  InsertPlain(*object, 1, {5, 2, 1, 0, 360});
  InsertPlain(*object, 99, {7, 1, 1, 0, 360});  // past the end: appended
  ASSERT_EQ(object->AreaCount(), 5u);
  EXPECT_EQ(object->GetArea(1).Height(), 5);
  EXPECT_EQ(object->GetArea(1).Radius(), 2);
  EXPECT_EQ(object->GetArea(2).Height(), 1);
  EXPECT_EQ(object->GetArea(4).Height(), 7);
  const auto refusal = [&object](const PlainValues& plain) {
    return UserText([&] { InsertPlain(*object, 0, plain); });
  };
  EXPECT_EQ(refusal({0, 1, 1, 0, 360}), L"The program cannot manage more than 5000 points!");
  EXPECT_EQ(refusal({0, 1, 0, 0, 360}), L"Please insert a ellipse factor greater than 0!");
  EXPECT_EQ(object->AreaCount(), 5u);
  EXPECT_EQ(object->GetArea(0).Height(), 0);
}
