#pragma once
// Owner of the object being edited and of its undo/redo history: two bounded
// stacks of whole-object copies. The editor calls SaveState before every
// change.
#include <deque>
#include <memory>

#include "geometry/RoundObject.h"

namespace orbiform {

// Told whenever Undo or Redo may have become available or unavailable; the
// editor enables its menu items from it.
class HistoryObserver {
 public:
  virtual ~HistoryObserver() = default;
  virtual void HistoryChanged(bool canUndo, bool canRedo) = 0;
};

class RoundObjectHandler {
 public:
  RoundObjectHandler() = default;
  RoundObjectHandler(const RoundObjectHandler&) = delete;
  RoundObjectHandler& operator=(const RoundObjectHandler&) = delete;
  virtual ~RoundObjectHandler() = default;

  RoundObject* Current() const { return current_.get(); }
  // The slot itself, for the project reader to fill.
  std::unique_ptr<RoundObject>& CurrentSlot() { return current_; }
  // Replaces the current object; the history is left alone (ResetHistory).
  void SetCurrent(std::unique_ptr<RoundObject> object) { current_ = std::move(object); }

  // Capacities of the two stacks; negative counts as 0, which disables that
  // stack. Shrinking keeps the newest copies. A capacity costs nothing until
  // copies fill it.
  void SetSteps(int undo, int redo);
  int UndoCapacity() const { return undo_.capacity; }
  int RedoCapacity() const { return redo_.capacity; }

  // Empties the redo stack and pushes a copy of the current object onto the
  // undo stack (dropping the oldest copy when it is full).
  void SaveState();
  // Swap the current object with the newest copy of a stack; false when that
  // stack is empty.
  bool Undo();
  bool Redo();
  bool CanUndo() const { return !undo_.copies.empty(); }
  bool CanRedo() const { return !redo_.copies.empty(); }

  // Deletes every copy. History copies are Clone()s, so a sphere's keep
  // their type without the handler tracking what the object is.
  void ResetHistory();
  // ResetHistory, and the current object is deleted too.
  void ClearAll();

  // Not owned; null for none. Told the current state at once.
  void SetObserver(HistoryObserver* observer);

 private:
  struct Stack {
    std::deque<std::unique_ptr<RoundObject>> copies;  // oldest first, at most capacity
    int capacity = 0;
    void Push(std::unique_ptr<RoundObject> copy);
    std::unique_ptr<RoundObject> Pop();
    void Clear() { copies.clear(); }
    void Resize(int newCapacity);
  };

  void Notify() const;

  std::unique_ptr<RoundObject> current_;
  Stack undo_;
  Stack redo_;
  HistoryObserver* observer_ = nullptr;
};

}  // namespace orbiform
