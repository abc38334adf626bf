// orbiform-view: shows a project file's object in a Direct3D window, for
// looking at the scene before the editor's 3D pane exists.
//   orbiform-view FILE.ek7mobj [--flags N] [--rotate X,Y,Z] [--eye X,Y]
//                 [--distance D] [--scale S] [--layer L] [--seconds S]
// Flags: 1 numbers, 2 outline, 4 faces, 8 the layer given by --layer. The
// window closes after --seconds (default: when the user closes it).
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "files/ProjectFile.h"
#include "files/TexturePath.h"
#include "views/RenderView.h"
#include "views/ViewGeometry.h"

using namespace orbiform;
using namespace orbiform::views;

namespace {

RenderView* g_view = nullptr;
Camera g_camera;

LRESULT CALLBACK ShowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      ::BeginPaint(window, &paint);
      if (g_view) g_view->RenderScene(g_camera);
      ::EndPaint(window, &paint);
      return 0;
    }
    case WM_SIZE:
      ::InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_TIMER:
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(window, message, w, l);
  }
}

std::vector<float> Numbers(const wchar_t* text) {
  std::vector<float> values;
  wchar_t* end = nullptr;
  for (const wchar_t* at = text; *at;) {
    values.push_back(std::wcstof(at, &end));
    if (end == at) break;
    at = *end == L',' ? end + 1 : end;
  }
  return values;
}

}  // namespace

int main() {
  int argc = 0;
  std::unique_ptr<wchar_t*, decltype(&::LocalFree)> argv(::CommandLineToArgvW(::GetCommandLineW(), &argc),
                                                         &::LocalFree);
  if (!argv || argc < 2) {
    std::fputs(
        "usage: orbiform-view FILE.ek7mobj [--flags N] [--rotate X,Y,Z] [--eye X,Y] [--distance D] "
        "[--scale S] [--layer L] [--seconds S]\n",
        stderr);
    return 2;
  }
  const std::wstring project = argv.get()[1];
  int flags = kShowFaces, layer = -1;
  double scale = kInitialLabelScale;
  unsigned seconds = 0;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::wstring option = argv.get()[i];
    const std::vector<float> v = Numbers(argv.get()[i + 1]);
    if (v.empty()) continue;
    if (option == L"--flags") flags = static_cast<int>(v[0]);
    if (option == L"--layer") layer = static_cast<int>(v[0]);
    if (option == L"--scale") scale = v[0];
    if (option == L"--seconds") seconds = static_cast<unsigned>(v[0]);
    if (option == L"--distance") g_camera.distance = v[0];
    if (option == L"--rotate" && v.size() == 3) {
      g_camera.rotationX = v[0];
      g_camera.rotationY = v[1];
      g_camera.rotationZ = v[2];
    }
    if (option == L"--eye" && v.size() == 2) {
      g_camera.eyeX = v[0];
      g_camera.eyeY = v[1];
    }
  }

  std::ifstream in(std::filesystem::path(project), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::unique_ptr<RoundObject> object;
  try {
    if (!in || !ParseProject(bytes, object)) object.reset();
  } catch (const std::exception&) {
    object.reset();
  }
  if (!object) {
    std::fputs("orbiform-view: the project cannot be read\n", stderr);
    return 1;
  }
  object->SetTexture(ResolveTexturePath(object->Texture(), project, L""));
  if (!object->TexCoordsValid()) object->ApplyTextures();

  WNDCLASSW wc{};
  wc.lpfnWndProc = ShowProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = L"OrbiformView";
  ::RegisterClassW(&wc);
  HWND window = ::CreateWindowExW(0, wc.lpszClassName, project.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                  0, 640, 520, nullptr, nullptr, wc.hInstance, nullptr);
  RenderView view;
  if (!window || !view.InitView(window, object->Texture())) {
    std::fputs("orbiform-view: no Direct3D 9 device\n", stderr);
    return 1;
  }
  std::vector<Point> outline;
  std::vector<TexturedPoint> faces, selection;
  Indices outlineIndices, faceIndices, selectionIndices;
  if (BuildOutline(*object, outline, outlineIndices)) view.SetOutlineGeometry(outline, outlineIndices);
  view.RebuildLabels(PointLabelSources(*object));
  if (BuildFaces(*object, faces, faceIndices)) view.SetFaceGeometry(faces, faceIndices);
  if (layer >= 0 && BuildLayerFaces(*object, static_cast<std::size_t>(layer), selection, selectionIndices))
    view.SetSelectionGeometry(selection, selectionIndices);
  view.SetDisplayFlags(flags);
  view.SetLabelScale(scale);
  g_view = &view;
  if (seconds) ::SetTimer(window, 1, seconds * 1000, nullptr);
  ::InvalidateRect(window, nullptr, FALSE);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  g_view = nullptr;
  return 0;
}
