// The tree's items and selections, natively: order, texts and numbering for
// small objects and the largest, and indices that must not collide.
#include <gtest/gtest.h>

#include <memory>

#include "editor/TreeContent.h"
#include "mwWinAPI/NativeStrings.h"

using namespace orbiform;

namespace {

std::unique_ptr<RoundObject> Rings(unsigned points, unsigned rings, int flags) {
  auto object = std::make_unique<RoundObject>(points, 0);
  for (unsigned r = 0; r < rings; ++r) object->AddArea(0, 360, r, 1, 1);
  object->AddTextureLevel();
  object->AddTextureLevel();
  object->GenerateAllPoints();
  object->ApplyTextures();
  object->SetGrundDeckFl(flags);
  return object;
}

std::vector<std::wstring> Texts(const std::vector<TreeItem>& items) {
  std::vector<std::wstring> texts;
  for (const TreeItem& item : items) texts.push_back(std::to_wstring(item.level) + L":" + item.text);
  return texts;
}

TEST(TreeContent, SmallObjectsInOrderWithTheirTexts) {
  auto one = Rings(3, 1, 3);
  EXPECT_EQ((std::vector<std::wstring>{L"1:plains", L"2:plain1", L"3:point 1", L"3:point 2", L"3:point 3",
                                       L"1:texture layer", L"2:texture layer 1", L"2:texture layer 2",
                                       L"2:texture plaines", L"3:base"}),
            Texts(AllItems(*one)));

  auto three = Rings(3, 3, 0);
  const auto all = Texts(AllItems(*three));
  ASSERT_EQ(23u, all.size());
  EXPECT_EQ(L"3:point 4", all[6]);  // plain 2's first point runs on from plain 1
  EXPECT_EQ(L"2:texture plaines", all[16]);
  EXPECT_EQ(L"3:texture plaine 6", all.back());  // no base, no top

  three->SetGrundDeckFl(3);
  const auto items = AllItems(*three);
  EXPECT_EQ(L"base", items[17].text);
  EXPECT_EQ(L"top area", items.back().text);
  EXPECT_EQ(7u, items.back().index);  // (R - 1) * N + 1

  mwWinAPI::SetNativeLanguage(mwWinAPI::Language::German);
  EXPECT_EQ(L"Ebene 1", AllItems(*three)[1].text);
  EXPECT_EQ(L"Texturebene 2", AllItems(*three)[15].text);
  mwWinAPI::SetNativeLanguage(mwWinAPI::Language::English);
}

TEST(TreeContent, LargestObjectAndLazyChildren) {
  auto largest = Rings(3, 1666, 3);
  const auto top = TopItems(*largest);
  EXPECT_EQ(1666u + 5u, top.size());
  EXPECT_TRUE(top[1].hasChildren);
  EXPECT_EQ(3u, ChildItems(*largest, TreeKind::kPlain, 1665).size());
  EXPECT_TRUE(ChildItems(*largest, TreeKind::kPlain, 1666).empty());
  EXPECT_EQ(1665u * 3 + 2, ChildItems(*largest, TreeKind::kFacesNode, 0).size());
  EXPECT_EQ(1666u * 4 + 5 + 1665 * 3 + 2, AllItems(*largest).size());
}

TEST(TreeContent, SelectionsDecodeWithoutCollisionsAndOnlyInsideTheObject) {
  // 3000 points per ring: point 1500 of plain 0 must not read as plain 1.
  auto wide = Rings(1000, 3, 3);
  const auto point = SelectionOf(wide.get(), TreeValue(TreeKind::kPoint, 2 * 1000 + 999));
  EXPECT_EQ(TreeSelection::kPoint, point.kind);
  EXPECT_EQ(2u, point.first);
  EXPECT_EQ(999u, point.second);
  EXPECT_EQ(TreeSelection::kPlain, SelectionOf(wide.get(), TreeValue(TreeKind::kPlain, 2)).kind);
  EXPECT_EQ(TreeSelection::kNone, SelectionOf(wide.get(), TreeValue(TreeKind::kPlain, 3)).kind);
  EXPECT_EQ(TreeSelection::kNone, SelectionOf(wide.get(), TreeValue(TreeKind::kPoint, 3000)).kind);
  EXPECT_EQ(TreeSelection::kNone, SelectionOf(wide.get(), TreeValue(TreeKind::kLayer, 2)).kind);
  EXPECT_EQ(TreeSelection::kLayer, SelectionOf(wide.get(), TreeValue(TreeKind::kLayer, 1)).kind);
  EXPECT_EQ(TreeSelection::kFace, SelectionOf(wide.get(), TreeValue(TreeKind::kFace, 2001)).kind);
  EXPECT_EQ(TreeSelection::kNone, SelectionOf(wide.get(), TreeValue(TreeKind::kFace, 2002)).kind);
  EXPECT_EQ(TreeSelection::kLayerSettings, SelectionOf(wide.get(), TreeValue(TreeKind::kLayersRoot, 0)).kind);
  EXPECT_EQ(TreeSelection::kNone, SelectionOf(wide.get(), TreeValue(TreeKind::kPlainsRoot, 0)).kind);
  EXPECT_EQ(TreeSelection::kNone, SelectionOf(wide.get(), TreeValue(TreeKind::kFacesNode, 0)).kind);
  EXPECT_EQ(TreeSelection::kNone, SelectionOf(nullptr, TreeValue(TreeKind::kPlain, 0)).kind);
}

}  // namespace
