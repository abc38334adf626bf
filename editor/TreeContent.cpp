// The tree's items and the meaning of a selection.
#include "editor/TreeContent.h"

#include <sstream>

#include "editor/res/resource.h"
#include "mwWinAPI/StringTable.h"

namespace orbiform {
namespace {

// Kind in the top byte, index below: 24 bits hold any index the object
// limits allow (5000 points, faces of 5000 points, 4096 layers).
constexpr int kIndexBits = 24;
constexpr std::uint32_t kIndexMask = (1u << kIndexBits) - 1;

using mwWinAPI::LoadText;

// Numbers as the dialogs show them: through the global locale.
std::wstring Number(std::size_t value) {
  std::wostringstream out;
  out << value;
  return out.str();
}

TreeItem Item(std::wstring text, int level, TreeKind kind, std::uint32_t index, int image,
              bool hasChildren = false) {
  return TreeItem{std::move(text), level, kind, index, image, hasChildren};
}

}  // namespace

std::intptr_t TreeValue(TreeKind kind, std::uint32_t index) {
  return static_cast<std::intptr_t>((static_cast<std::uint32_t>(kind) << kIndexBits) | (index & kIndexMask));
}
TreeKind TreeValueKind(std::intptr_t value) {
  return static_cast<TreeKind>((static_cast<std::uint32_t>(value) >> kIndexBits) & 0xFF);
}
std::uint32_t TreeValueIndex(std::intptr_t value) { return static_cast<std::uint32_t>(value) & kIndexMask; }

std::vector<TreeItem> TopItems(const RoundObject& object) {
  const std::size_t rings = object.AreaCount();
  std::vector<TreeItem> items;
  items.reserve(rings + object.TextureLevelCount() + 3);
  items.push_back(Item(LoadText(IDS_TREE_PLAINS), 1, TreeKind::kPlainsRoot, 0, 2, rings > 0));
  const std::wstring plain = LoadText(IDS_TREE_PLAIN);
  for (std::size_t p = 0; p < rings; ++p)
    items.push_back(Item(plain + Number(p + 1), 2, TreeKind::kPlain, static_cast<std::uint32_t>(p), 2,
                         object.PointsPerRing() > 0));
  const std::wstring layer = LoadText(IDS_TREE_LAYER);
  items.push_back(Item(layer, 1, TreeKind::kLayersRoot, 0, 1, true));
  for (std::size_t i = 0; i < object.TextureLevelCount(); ++i)
    items.push_back(
        Item(layer + L" " + Number(i + 1), 2, TreeKind::kLayer, static_cast<std::uint32_t>(i), 1));
  const int flags = object.GrundDeckFl();
  const bool faces = flags == 1 || flags == 3 || rings > 1;
  items.push_back(Item(LoadText(IDS_TREE_FACES), 2, TreeKind::kFacesNode, 0, 1, faces));
  return items;
}

std::vector<TreeItem> ChildItems(const RoundObject& object, TreeKind kind, std::uint32_t index) {
  const std::size_t rings = object.AreaCount();
  const std::size_t n = object.PointsPerRing();
  std::vector<TreeItem> items;
  if (kind == TreeKind::kPlain && index < rings) {
    const std::wstring point = LoadText(IDS_TREE_POINT);
    items.reserve(n);
    for (std::size_t q = 0; q < n; ++q) {
      const std::size_t global = index * n + q;
      items.push_back(
          Item(point + Number(global + 1), 3, TreeKind::kPoint, static_cast<std::uint32_t>(global), 0));
    }
  } else if (kind == TreeKind::kFacesNode) {
    const int flags = object.GrundDeckFl();
    if (flags == 1 || flags == 3) items.push_back(Item(LoadText(IDS_TREE_BASE), 3, TreeKind::kFace, 0, 1));
    if (rings > 1) {
      const std::wstring face = LoadText(IDS_TREE_FACE);
      items.reserve(items.size() + (rings - 1) * n + 1);
      for (std::size_t f = 1; f <= (rings - 1) * n; ++f)
        items.push_back(Item(face + Number(f), 3, TreeKind::kFace, static_cast<std::uint32_t>(f), 1));
      if (flags == 2 || flags == 3)
        items.push_back(Item(LoadText(IDS_TREE_TOP), 3, TreeKind::kFace,
                             static_cast<std::uint32_t>((rings - 1) * n + 1), 1));
    }
  }
  return items;
}

std::vector<TreeItem> AllItems(const RoundObject& object) {
  std::vector<TreeItem> all;
  for (TreeItem& item : TopItems(object)) {
    const TreeKind kind = item.kind;
    const std::uint32_t index = item.index;
    all.push_back(std::move(item));
    for (TreeItem& child : ChildItems(object, kind, index)) all.push_back(std::move(child));
  }
  return all;
}

TreeSelection SelectionOf(const RoundObject* object, std::intptr_t value) {
  TreeSelection selection;
  if (!object) return selection;
  const std::uint32_t index = TreeValueIndex(value);
  switch (TreeValueKind(value)) {
    case TreeKind::kLayersRoot:
      selection.kind = TreeSelection::kLayerSettings;
      break;
    case TreeKind::kPlain:
      if (index < object->AreaCount()) selection = {TreeSelection::kPlain, index, 0};
      break;
    case TreeKind::kPoint:
      if (object->PointsPerRing() > 0 && index < object->PointCount())
        selection = {TreeSelection::kPoint, index / object->PointsPerRing(), index % object->PointsPerRing()};
      break;
    case TreeKind::kLayer:
      if (index < object->TextureLevelCount()) selection = {TreeSelection::kLayer, index, 0};
      break;
    case TreeKind::kFace:
      if (index < object->FaceCount()) selection = {TreeSelection::kFace, index, 0};
      break;
    default:
      break;
  }
  return selection;
}

}  // namespace orbiform
