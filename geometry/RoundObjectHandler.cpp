// The undo/redo stacks of whole-object copies.
#include "geometry/RoundObjectHandler.h"

#include <algorithm>

namespace orbiform {

void RoundObjectHandler::Stack::Push(std::unique_ptr<RoundObject> copy) {
  if (capacity <= 0) return;  // this stack keeps nothing
  // Full: the oldest copy goes; a deque drops it without moving the others.
  if (static_cast<int>(copies.size()) >= capacity) copies.pop_front();
  copies.push_back(std::move(copy));
}

std::unique_ptr<RoundObject> RoundObjectHandler::Stack::Pop() {
  std::unique_ptr<RoundObject> copy = std::move(copies.back());
  copies.pop_back();
  return copy;
}

void RoundObjectHandler::Stack::Resize(int newCapacity) {
  capacity = std::max(newCapacity, 0);
  // Drop the oldest copies that no longer fit, keeping the newest.
  while (static_cast<int>(copies.size()) > capacity) copies.pop_front();
}

void RoundObjectHandler::SetSteps(int undo, int redo) {
  undo_.Resize(undo);
  redo_.Resize(redo);
  Notify();
}

void RoundObjectHandler::SaveState() {
  redo_.Clear();
  if (current_ && undo_.capacity > 0) undo_.Push(current_->Clone());
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
