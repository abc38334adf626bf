// The commands that make files for showing the object elsewhere: the glTF
// export and a picture of the 3D view.
#include "editor/MainWindow.h"

#include "editor/res/resource.h"
#include "files/GltfExport.h"
#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/StringTable.h"
#include "mwWinAPI/UserInteraction.h"
#include "views/ViewPicture.h"

namespace orbiform {

using mwWinAPI::FileFilter;
using mwWinAPI::LoadText;

void MainWindow::ExportGltf() {
  Export(FileFilter(L"glTF (*.glb)", L"*.glb"), [this](const std::wstring& path) {
    // The names inside come from the project; an object never saved takes the file's.
    return WriteGlbFile(*handler_.Current(), path, FileStem(projectPath_.empty() ? path : projectPath_));
  });
}

void MainWindow::SavePicture() {
  if (!view_.View()) return;
  const std::wstring path = FileDialog(true, FileFilter(L"PNG (*.png)", L"*.png"), Handle());
  if (path.empty()) return;
  try {
    if (!views::SaveViewPicture(view_, path)) Message(LoadText(IDS_PICTURE_NOT_MADE), MB_ICONWARNING);
  } catch (const mwstd::exception& e) {
    Message(e.what(), MB_ICONWARNING);
  }
}

}  // namespace orbiform
