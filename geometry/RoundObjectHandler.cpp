// The undo/redo stacks of whole-object copies.
#include "geometry/RoundObjectHandler.h"

#include <algorithm>

namespace orbiform {

void RoundObjectHandler::Stack::Push(std::unique_ptr<RoundObject> copy) {
  if (slots.empty()) return;  // capacity 0: this stack keeps nothing
  if (top >= static_cast<int>(slots.size()) - 1) {
    // Full: the oldest copy goes, the others move down one slot.
    std::move(slots.begin() + 1, slots.end(), slots.begin());
    slots.back() = std::move(copy);
    top = static_cast<int>(slots.size()) - 1;
  } else {
    slots[static_cast<std::size_t>(++top)] = std::move(copy);
  }
}

std::unique_ptr<RoundObject> RoundObjectHandler::Stack::Pop() {
  std::unique_ptr<RoundObject> copy = std::move(slots[static_cast<std::size_t>(top)]);
  --top;
  return copy;
}

void RoundObjectHandler::Stack::Clear() {
  for (auto& slot : slots) slot.reset();
  top = -1;
}

void RoundObjectHandler::Stack::Resize(int capacity) {
  capacity = std::max(capacity, 0);
  const int kept = std::min(top + 1, capacity);
  // Drop the oldest copies that no longer fit, keeping the newest at the top.
  const int dropped = top + 1 - kept;
  if (dropped > 0) {
    std::move(slots.begin() + dropped, slots.begin() + top + 1, slots.begin());
    for (int i = kept; i <= top; ++i) slots[static_cast<std::size_t>(i)].reset();
  }
  slots.resize(static_cast<std::size_t>(capacity));
  top = kept - 1;
}

void RoundObjectHandler::SetSteps(int undo, int redo) {
  undo_.Resize(undo);
  redo_.Resize(redo);
  Notify();
}

void RoundObjectHandler::SaveState() {
  redo_.Clear();
  if (current_ && !undo_.slots.empty()) undo_.Push(current_->Clone());
  Notify();
}

bool RoundObjectHandler::Undo() {
  if (!CanUndo()) return false;
  // The current object itself moves to the other stack; a copy would be
  // identical.
  if (current_) redo_.Push(std::move(current_));
  current_ = undo_.Pop();
  Notify();
  return true;
}

bool RoundObjectHandler::Redo() {
  if (!CanRedo()) return false;
  if (current_) undo_.Push(std::move(current_));
  current_ = redo_.Pop();
  Notify();
  return true;
}

void RoundObjectHandler::ResetHistory() {
  undo_.Clear();
  redo_.Clear();
  Notify();
}

void RoundObjectHandler::ClearAll() {
  ResetHistory();
  current_.reset();
}

void RoundObjectHandler::SetObserver(HistoryObserver* observer) {
  observer_ = observer;
  Notify();
}

void RoundObjectHandler::Notify() const {
  if (observer_) observer_->HistoryChanged(CanUndo(), CanRedo());
}

}  // namespace orbiform
