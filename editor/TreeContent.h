#pragma once
// What the tree pane shows of an object, computed without any window: the
// items in order with their texts, levels and images, and what selecting an
// item means. The control only shows these; the points of a plain and the
// faces are produced when their parent is first opened, so a refresh of the
// largest object stays quick.
#include <cstdint>
#include <string>
#include <vector>

#include "geometry/RoundObject.h"

namespace orbiform {

// Kinds of tree items. An item's value packs its kind and one index; values
// live only in the control (never stored), so the packing can change.
enum class TreeKind : std::uint8_t {
  kPlainsRoot = 1,  // "plains"
  kLayersRoot,      // "texture layer"
  kFacesNode,       // "texture plaines"
  kPlain,           // index = plain
  kPoint,           // index = point of the object (plain * N + point in plain)
  kLayer,           // index = texture layer
  kFace,            // index = face (0 the base area, the last the top area)
};

struct TreeItem {
  std::wstring text;
  int level = 1;  // 1 root, 2 child of the last level-1 item, 3 child of the last level-2 item
  TreeKind kind = TreeKind::kPlainsRoot;
  std::uint32_t index = 0;
  int image = 0;             // 0 point, 1 texture, 2 plain
  bool hasChildren = false;  // filled on first opening (ChildItems)
};

// The item value stored in the control and its inverse.
std::intptr_t TreeValue(TreeKind kind, std::uint32_t index);
TreeKind TreeValueKind(std::intptr_t value);
std::uint32_t TreeValueIndex(std::intptr_t value);

// The items down to the plains, the layers and the faces node, in order.
std::vector<TreeItem> TopItems(const RoundObject& object);
// The children of a plain (its points) or of the faces node (base, faces,
// top); none for other items or indices beyond the object.
std::vector<TreeItem> ChildItems(const RoundObject& object, TreeKind kind, std::uint32_t index);
// Every item as the full tree lists them (top items with their children in
// place), for tests and tools.
std::vector<TreeItem> AllItems(const RoundObject& object);

// What a selection tells the edit pane. Indices are checked against the
// object: anything outside it selects nothing.
struct TreeSelection {
  enum Kind { kNone, kLayerSettings, kPlain, kPoint, kLayer, kFace } kind = kNone;
  std::uint32_t first = 0;   // plain, layer or face
  std::uint32_t second = 0;  // point within the plain
};
TreeSelection SelectionOf(const RoundObject* object, std::intptr_t value);

}  // namespace orbiform
