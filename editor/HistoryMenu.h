#pragma once
// Keeps the Undo and Redo menu items enabled exactly while the history has
// something to undo or redo.
#include <windows.h>

#include "geometry/RoundObjectHandler.h"

namespace orbiform {

constexpr UINT kCmdUndo = 32803;
constexpr UINT kCmdRedo = 32804;

class HistoryMenu : public HistoryObserver {
 public:
  HistoryMenu(HMENU menu = nullptr, UINT undoId = kCmdUndo, UINT redoId = kCmdRedo)
      : menu_(menu), undoId_(undoId), redoId_(redoId) {}

  void SetMenu(HMENU menu) { menu_ = menu; }
  // Enables or grays the two items; nothing happens without a menu.
  void UpdateMenu(bool canUndo, bool canRedo) const;
  void HistoryChanged(bool canUndo, bool canRedo) override { UpdateMenu(canUndo, canRedo); }

 private:
  HMENU menu_;
  UINT undoId_;
  UINT redoId_;
};

}  // namespace orbiform
