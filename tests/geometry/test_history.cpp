// The undo/redo history of RoundObjectHandler.
#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "geometry/RoundObjectHandler.h"

using namespace orbiform;

namespace {

// An object whose first ring's height tells the states apart.
std::unique_ptr<RoundObject> Marked(double mark) {
  auto object = std::make_unique<RoundObject>(4, 0);
  object->AddArea(0, 360, mark, 1, 1);
  return object;
}

double MarkOf(const RoundObjectHandler& handler) { return handler.Current()->GetArea(0).Height(); }

// The editor's pattern: record the state, then change the object.
void Edit(RoundObjectHandler& handler, double mark) {
  handler.SaveState();
  handler.Current()->GetArea(0).SetHeight(mark);
}

class Recorder : public HistoryObserver {
 public:
  void HistoryChanged(bool canUndo, bool canRedo) override { calls.emplace_back(canUndo, canRedo); }
  std::vector<std::pair<bool, bool>> calls;
};

// The marks met on undoing (or redoing) until nothing is left.
std::vector<double> Walk(RoundObjectHandler& handler, bool undo) {
  std::vector<double> marks;
  while (undo ? handler.Undo() : handler.Redo()) marks.push_back(MarkOf(handler));
  return marks;
}
constexpr bool kUndo = true, kRedo = false;
using Marks = std::vector<double>;

// Every field that a copy of the object must carry.
void ExpectSameObject(const RoundObject& a, const RoundObject& b) {
  EXPECT_EQ(std::make_tuple(a.PointsPerRing(), a.Axis(), a.Texture(), a.FileAuthor(), a.FileInfo(),
                            a.VectorsReversed(), a.TexCoordsValid(), a.GrundDeckFl()),
            std::make_tuple(b.PointsPerRing(), b.Axis(), b.Texture(), b.FileAuthor(), b.FileInfo(),
                            b.VectorsReversed(), b.TexCoordsValid(), b.GrundDeckFl()));
  ASSERT_EQ(a.AreaCount(), b.AreaCount());
  for (std::size_t r = 0; r < a.AreaCount(); ++r) {
    const Area &x = a.Areas()[r], &y = b.Areas()[r];
    EXPECT_EQ(std::make_tuple(x.Radius(), x.Ellipse(), x.Height(), x.StartDegree(), x.EndDegree()),
              std::make_tuple(y.Radius(), y.Ellipse(), y.Height(), y.StartDegree(), y.EndDegree()));
    ASSERT_EQ(x.PointCount(), y.PointCount());
    for (std::size_t i = 0; i < x.PointCount(); ++i) {
      const Point &p = x.GetPoint(i), &q = y.GetPoint(i);
      EXPECT_EQ(std::tie(p.x, p.y, p.z, p.nx, p.ny, p.nz), std::tie(q.x, q.y, q.z, q.nx, q.ny, q.nz));
    }
  }
  const auto& fa = a.GetTextures().faces;
  const auto& fb = b.GetTextures().faces;
  ASSERT_EQ(fa.size(), fb.size());
  for (std::size_t f = 0; f < fa.size(); ++f)
    EXPECT_EQ(std::tie(fa[f].points, fa[f].coords), std::tie(fb[f].points, fb[f].coords));
  ASSERT_EQ(a.TextureLevelCount(), b.TextureLevelCount());
  for (std::size_t l = 0; l < a.TextureLevelCount(); ++l) {
    const TextureLevel &x = a.TextureLevels()[l], &y = b.TextureLevels()[l];
    EXPECT_EQ(std::tie(x.coords, x.type, x.startPoint, x.endPoint, x.startArea, x.endArea),
              std::tie(y.coords, y.type, y.startPoint, y.endPoint, y.startArea, y.endArea));
  }
}

TEST(HistoryTest, BoundedUndoKeepsTheNewestStates) {
  RoundObjectHandler handler;
  handler.SetSteps(3, 3);
  handler.SetCurrent(Marked(0));
  for (int mark = 1; mark <= 4; ++mark) Edit(handler, mark);
  EXPECT_EQ(MarkOf(handler), 4);

  // State 0 was pushed out by the fourth save.
  EXPECT_EQ(Walk(handler, kUndo), (Marks{3, 2, 1}));
  EXPECT_FALSE(handler.CanUndo());
  EXPECT_EQ(MarkOf(handler), 1);
  EXPECT_EQ(Walk(handler, kRedo), (Marks{2, 3, 4}));
}

TEST(HistoryTest, NewChangeAfterUndoEmptiesRedo) {
  RoundObjectHandler handler;
  handler.SetSteps(5, 5);
  handler.SetCurrent(Marked(0));
  Edit(handler, 1);
  Edit(handler, 2);
  ASSERT_TRUE(handler.Undo());
  EXPECT_TRUE(handler.CanRedo());
  Edit(handler, 7);
  EXPECT_FALSE(handler.CanRedo());
  EXPECT_FALSE(handler.Redo());
  EXPECT_EQ(Walk(handler, kUndo), (Marks{1, 0}));
}

TEST(HistoryTest, UndoAndRedoRestoreTheWholeObject) {
  RoundObjectHandler handler;
  handler.SetSteps(4, 4);
  auto object = std::make_unique<RoundObject>(6, 4);
  object->AddArea(0, 360, 0, 2, 1.5);
  object->AddArea(20, 200, 1, 1, 1);
  object->AddArea(0, 360, 2, 0.5, 1);
  object->GenerateAllPoints();
  object->RotateVectors();
  object->SetTexture(L"bricks.bmp");
  object->SetFileAuthor(L"Author");
  object->SetFileInfo(L"line 1\r\nline 2");
  object->SetGrundDeckFl(2);
  object->AddTextureLevel();
  object->GetTextureLevel(0).SetPoints(1, 4);
  object->GetTextureLevel(0).type = TextureLevel::kWrap;
  object->SetTexCoordsValid(true);
  const std::unique_ptr<RoundObject> before = object->Clone();
  handler.SetCurrent(std::move(object));

  handler.SaveState();
  RoundObject& current = *handler.Current();
  current.RemoveArea(1);
  current.SetPointsPerRing(5);
  current.SetAxis(1);
  current.GenerateAllPoints();
  current.SetTexture(L"other.bmp");
  current.SetGrundDeckFl(0);
  current.AddTextureLevel();
  const std::unique_ptr<RoundObject> after = current.Clone();

  ASSERT_TRUE(handler.Undo());
  ExpectSameObject(*handler.Current(), *before);
  ASSERT_TRUE(handler.Redo());
  ExpectSameObject(*handler.Current(), *after);
}

TEST(HistoryTest, SphereParametersSurviveUndo) {
  RoundObjectHandler handler;
  handler.SetSteps(2, 2);
  auto sphere = std::make_unique<Sphere>(4);
  sphere->SetRings(4);
  sphere->SetRadius(5);
  sphere->SetEndDegree(180);
  sphere->GenerateSphere();
  handler.SetCurrent(std::move(sphere));
  handler.ResetHistory();
  EXPECT_TRUE(handler.Current()->IsSphere());

  handler.SaveState();
  static_cast<Sphere*>(handler.Current())->SetRadius(9);
  handler.Current()->RemoveArea(-1);
  ASSERT_TRUE(handler.Undo());
  ASSERT_TRUE(handler.Current()->IsSphere());
  const auto* restored = static_cast<const Sphere*>(handler.Current());
  EXPECT_EQ(restored->Radius(), 5);
  EXPECT_EQ(restored->Rings(), 4);
  EXPECT_EQ(restored->EndDegree(), 180);
  EXPECT_EQ(restored->AreaCount(), 4u);
  ASSERT_TRUE(handler.Redo());
  EXPECT_EQ(static_cast<const Sphere*>(handler.Current())->Radius(), 9);

  handler.SetCurrent(Marked(0));
  handler.ResetHistory();
  EXPECT_FALSE(handler.Current()->IsSphere());
  EXPECT_FALSE(handler.CanUndo());
  EXPECT_FALSE(handler.CanRedo());
}

TEST(HistoryTest, ZeroCapacityDisablesAStackCleanly) {
  RoundObjectHandler handler;
  handler.SetCurrent(Marked(0));
  Edit(handler, 1);  // a new handler has no slots yet
  EXPECT_FALSE(handler.CanUndo());
  EXPECT_FALSE(handler.Undo());

  handler.SetSteps(2, 0);
  Edit(handler, 2);
  ASSERT_TRUE(handler.Undo());
  EXPECT_EQ(MarkOf(handler), 1);
  EXPECT_FALSE(handler.CanRedo());

  handler.SetSteps(-1, 2);
  EXPECT_EQ(handler.UndoCapacity(), 0);
  Edit(handler, 3);
  EXPECT_FALSE(handler.CanUndo());
  EXPECT_EQ(MarkOf(handler), 3);
}

TEST(HistoryTest, ShrinkingCapacityKeepsNewestCopies) {
  RoundObjectHandler handler;
  handler.SetSteps(5, 5);
  handler.SetCurrent(Marked(0));
  for (int mark = 1; mark <= 4; ++mark) Edit(handler, mark);
  handler.SetSteps(2, 5);
  EXPECT_EQ(Walk(handler, kUndo), (Marks{3, 2}));

  // Two copies on the redo stack; shrinking it to one keeps the newer (3).
  handler.SetSteps(5, 1);
  EXPECT_EQ(Walk(handler, kRedo), (Marks{3}));
  // Growing again keeps what is there.
  handler.SetSteps(6, 6);
  ASSERT_TRUE(handler.Undo());
  EXPECT_EQ(MarkOf(handler), 2);
}

TEST(HistoryTest, WithoutObjectNothingBreaks) {
  RoundObjectHandler handler;
  handler.SetSteps(3, 3);
  handler.SaveState();
  EXPECT_FALSE(handler.CanUndo());
  EXPECT_FALSE(handler.Undo());
  EXPECT_FALSE(handler.Redo());

  handler.SetCurrent(Marked(0));
  Edit(handler, 1);
  handler.ClearAll();
  EXPECT_EQ(handler.Current(), nullptr);
  EXPECT_FALSE(handler.CanUndo());
  handler.SaveState();
  EXPECT_FALSE(handler.Undo());

  handler.CurrentSlot() = Marked(5);
  EXPECT_EQ(MarkOf(handler), 5);
}

TEST(HistoryTest, ObserverHearsEveryChangeOfState) {
  RoundObjectHandler handler;
  Recorder recorder;
  handler.SetObserver(&recorder);
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls.back(), std::make_pair(false, false));

  handler.SetSteps(3, 3);
  handler.SetCurrent(Marked(0));
  Edit(handler, 1);
  EXPECT_EQ(recorder.calls.back(), std::make_pair(true, false));
  handler.Undo();
  EXPECT_EQ(recorder.calls.back(), std::make_pair(false, true));
  handler.Redo();
  EXPECT_EQ(recorder.calls.back(), std::make_pair(true, false));
  handler.Undo();
  handler.ResetHistory();
  EXPECT_EQ(recorder.calls.back(), std::make_pair(false, false));
  Edit(handler, 2);
  handler.SetSteps(0, 0);
  EXPECT_EQ(recorder.calls.back(), std::make_pair(false, false));

  const std::size_t count = recorder.calls.size();
  handler.SetObserver(nullptr);
  handler.SetSteps(3, 3);
  handler.SaveState();
  EXPECT_EQ(recorder.calls.size(), count);
}

}  // namespace

// A huge capacity from a damaged options file once reserved every slot up
// front (gigabytes); it must cost only the copies actually held.
TEST(HistoryTest, HugeCapacityCostsOnlyTheCopiesHeld) {
  RoundObjectHandler handler;
  handler.SetCurrent(Marked(0));
  handler.SetSteps(2000000000, 2000000000);
  EXPECT_EQ(handler.UndoCapacity(), 2000000000);
  for (int mark = 1; mark <= 3; ++mark) Edit(handler, mark);
  EXPECT_EQ(Walk(handler, kUndo), (Marks{2, 1, 0}));
  EXPECT_EQ(Walk(handler, kRedo), (Marks{1, 2, 3}));
}
