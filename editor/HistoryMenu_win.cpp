#include "editor/HistoryMenu.h"

namespace orbiform {

void HistoryMenu::UpdateMenu(bool canUndo, bool canRedo) const {
  if (!menu_) return;
  ::EnableMenuItem(menu_, undoId_, MF_BYCOMMAND | (canUndo ? MF_ENABLED : MF_GRAYED));
  ::EnableMenuItem(menu_, redoId_, MF_BYCOMMAND | (canRedo ? MF_ENABLED : MF_GRAYED));
}

}  // namespace orbiform
