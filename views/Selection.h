#pragma once
// What the tree, the main window, the 3D view and the texture window have
// selected: a face, a texture layer, nothing (the texture window keeps its
// bitmap) or cleared (the texture window lets the object go). It travels in
// a message's wParam as one signed value: a face as its index (>= 0), a
// layer as -6 - index (<= -6), nothing as -1, cleared as -2; -3 ... -5 read
// as cleared too. Nothing here throws.
#include <cstddef>
#include <cstdint>

namespace orbiform::views {

class Selection {
 public:
  enum class Kind { kNone, kCleared, kFace, kLayer };

  // Indices must stay below 2^31 - 6 to fit a 32-bit parameter.
  static constexpr Selection Face(std::size_t index) { return Selection(Kind::kFace, index); }
  static constexpr Selection Layer(std::size_t index) { return Selection(Kind::kLayer, index); }
  static constexpr Selection None() { return Selection(Kind::kNone, 0); }
  static constexpr Selection Cleared() { return Selection(Kind::kCleared, 0); }

  // The selection a message parameter (a WPARAM) carries.
  static constexpr Selection FromParam(std::uintptr_t param) {
    const auto value = static_cast<std::intptr_t>(param);
    if (value >= 0) return Face(static_cast<std::size_t>(value));
    if (value <= kFirstLayer) return Layer(static_cast<std::size_t>(-(value - kFirstLayer)));
    return value == kNone ? None() : Cleared();
  }
  // The parameter that carries this selection.
  constexpr std::uintptr_t ToParam() const {
    switch (kind_) {
      case Kind::kFace:
        return static_cast<std::uintptr_t>(index_);
      case Kind::kLayer:
        return static_cast<std::uintptr_t>(kFirstLayer - static_cast<std::intptr_t>(index_));
      case Kind::kNone:
        return static_cast<std::uintptr_t>(kNone);
      default:
        return static_cast<std::uintptr_t>(kCleared);
    }
  }

  constexpr Kind kind() const { return kind_; }
  constexpr bool IsFace() const { return kind_ == Kind::kFace; }
  constexpr bool IsLayer() const { return kind_ == Kind::kLayer; }
  constexpr bool IsCleared() const { return kind_ == Kind::kCleared; }
  // The face or layer index; 0 for nothing and cleared.
  constexpr std::size_t Index() const { return index_; }

  constexpr bool operator==(const Selection& other) const {
    return kind_ == other.kind_ && index_ == other.index_;
  }
  constexpr bool operator!=(const Selection& other) const { return !(*this == other); }

 private:
  static constexpr std::intptr_t kNone = -1;
  static constexpr std::intptr_t kCleared = -2;
  static constexpr std::intptr_t kFirstLayer = -6;

  constexpr Selection(Kind kind, std::size_t index) : kind_(kind), index_(index) {}

  Kind kind_;
  std::size_t index_;
};

}  // namespace orbiform::views
