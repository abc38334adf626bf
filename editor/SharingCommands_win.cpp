// The commands that make files for showing the object elsewhere: the glTF
// export and a picture of the 3D view.
#include "editor/MainWindow.h"

#include "editor/res/resource.h"
#include "files/GltfExport.h"
#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/StringTable.h"
#include "views/ViewPicture.h"

namespace orbiform {

namespace {

std::wstring Text(unsigned id) { return mwWinAPI::StringTable().LoadS(id); }

constexpr wchar_t kGltfFilter[] = L"glTF (*.glb)\0*.glb\0";
constexpr wchar_t kPictureFilter[] = L"PNG (*.png)\0*.png\0";

}  // namespace

void MainWindow::ExportGltf() {
  // As Save K7M: stale coordinates are refused, not written.
  if (!EnsureTextures()) {
    Message(Text(IDS_LAYER_NOT_APPLIED), MB_ICONWARNING);
    return;
  }
  const std::wstring path = FileDialog(true, std::wstring(kGltfFilter, std::size(kGltfFilter) - 1), Handle());
  if (path.empty()) return;
  // The names inside come from the project; an object never saved takes the file's.
  const std::wstring name = FileStem(projectPath_.empty() ? path : projectPath_);
  try {
    const std::wstring note = WriteGlbFile(*handler_.Current(), path, name);
    if (!note.empty()) Message(note, MB_ICONINFORMATION);
  } catch (const mwstd::exception& e) {
    Message(e.what(), MB_ICONWARNING);
  }
}

void MainWindow::SavePicture() {
  if (!view_.View()) return;
  const std::wstring path =
      FileDialog(true, std::wstring(kPictureFilter, std::size(kPictureFilter) - 1), Handle());
  if (path.empty()) return;
  try {
    if (!views::SaveViewPicture(view_, path)) Message(Text(IDS_PICTURE_NOT_MADE), MB_ICONWARNING);
  } catch (const mwstd::exception& e) {
    Message(e.what(), MB_ICONWARNING);
  }
}

}  // namespace orbiform
