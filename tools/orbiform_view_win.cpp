// orbiform-view: shows a project file's object in the editor's 3D pane (with
// its toolbar and mouse input) inside a plain window, for trying the view
// before the editor's main window exists.
//   orbiform-view FILE.ek7mobj [--flags N] [--rotate X,Y,Z] [--eye X,Y]
//                 [--distance D] [--scale S] [--face F] [--layer L]
//                 [--size W,H] [--seconds S] [--shot FILE.bmp|FILE.png]
//                 [--picture FILE.png]
// Flags set the toolbar's toggles: 1 numbers, 2 outline, 4 faces, 8 the
// selected face (--face) or layer (--layer). The window closes after
// --seconds (default: when the user closes it). --shot writes a picture of
// the window a second after it appeared and closes it: the window as GDI
// holds it, with the 3D area taken from the frame the view draws (some
// display servers under Wine do not show Direct3D output in child windows).
// --picture writes the 3D view alone as the editor's Save Picture does, and
// prints the 3D window's size.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstdint>
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
#include "views/ViewIds.h"
#include "views/ViewPane.h"
#include "views/ViewPicture.h"
#include "views/WindowShot.h"

using namespace orbiform;
using namespace orbiform::views;

namespace {

ViewPane* g_pane = nullptr;
bool g_failed = false;
std::wstring g_shot;
std::wstring g_picture;

// The pictures asked for; false when one could not be made.
bool TakePictures(HWND window) {
  bool ok = true;
  if (!g_shot.empty() && !SaveWindowShot(window, *g_pane, g_shot)) {
    std::fputs("orbiform-view: the picture could not be taken\n", stderr);
    ok = false;
  }
  if (!g_picture.empty()) {
    RECT client{};
    ::GetClientRect(g_pane->RenderHandle(), &client);
    bool saved = false;
    try {
      saved = SaveViewPicture(*g_pane, g_picture);
    } catch (const mwstd::exception& e) {
      std::fprintf(stderr, "orbiform-view: %ls\n", e.what().c_str());
    }
    if (saved) std::printf("picture %ldx%ld\n", client.right, client.bottom);
    if (!saved) std::fputs("orbiform-view: the view's picture could not be made\n", stderr);
    ok = ok && saved;
  }
  return ok;
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_SIZE:
      if (g_pane && g_pane->Handle()) ::MoveWindow(g_pane->Handle(), 0, 0, LOWORD(l), HIWORD(l), TRUE);
      return 0;
    case WM_TIMER:
      if (w == 2 && g_pane && !TakePictures(window)) g_failed = true;
      ::DestroyWindow(window);
      return 0;
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

std::unique_ptr<RoundObject> ReadProject(const std::wstring& project) {
  std::ifstream in(std::filesystem::path(project), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::unique_ptr<RoundObject> object;
  try {
    if (!in || !ParseProject(bytes, object)) object.reset();
  } catch (const std::exception&) {
    object.reset();
  }
  if (!object) return nullptr;
  object->SetTexture(ResolveTexturePath(object->Texture(), project, L""));
  if (!object->TexCoordsValid()) object->ApplyTextures();
  return object;
}

// Registers the host window's class and makes the window (its size from
// --size, remembering --shot and --picture); null when it cannot be made.
HWND CreateHost(HINSTANCE instance, const std::wstring& title, int argc, wchar_t** argv) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = L"OrbiformView";
  ::RegisterClassW(&wc);
  int width = 640, height = 560;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::vector<float> v = Numbers(argv[i + 1]);
    if (std::wstring(argv[i]) == L"--shot") g_shot = argv[i + 1];
    if (std::wstring(argv[i]) == L"--picture") g_picture = argv[i + 1];
    if (std::wstring(argv[i]) == L"--size" && v.size() == 2) {
      width = static_cast<int>(v[0]);
      height = static_cast<int>(v[1]);
    }
  }
  return ::CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                           width, height, nullptr, nullptr, instance, nullptr);
}

// Sets the toolbar, selection, label scale and camera the options name;
// returns --seconds (0: stay until closed).
unsigned ApplyOptions(ViewPane& pane, int argc, wchar_t** argv) {
  unsigned seconds = 0;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::wstring option = argv[i];
    const std::vector<float> v = Numbers(argv[i + 1]);
    if (v.empty()) continue;
    Camera& camera = pane.CameraState();
    if (option == L"--flags") {
      const int flags = static_cast<int>(v[0]);
      for (int bit = 0; bit < 4; ++bit)
        ::SendMessageW(pane.Toolbar(), TB_CHECKBUTTON, IDM_VIEW_SHOW_NUMBERS + bit, (flags >> bit) & 1);
      ::SendMessageW(pane.Handle(), WM_COMMAND, IDM_VIEW_SHOW_NUMBERS, 0);
    }
    if (option == L"--face" && v[0] >= 0)
      pane.ApplySelection(Selection::Face(static_cast<std::size_t>(v[0])));
    if (option == L"--layer" && v[0] >= 0)
      pane.ApplySelection(Selection::Layer(static_cast<std::size_t>(v[0])));
    if (option == L"--scale") pane.SetLabelScale(v[0]);
    if (option == L"--seconds") seconds = static_cast<unsigned>(v[0]);
    if (option == L"--distance") camera.distance = v[0];
    if (option == L"--rotate" && v.size() == 3) {
      camera.rotationX = v[0];
      camera.rotationY = v[1];
      camera.rotationZ = v[2];
    }
    if (option == L"--eye" && v.size() == 2) {
      camera.eyeX = v[0];
      camera.eyeY = v[1];
    }
  }
  return seconds;
}

}  // namespace

int main() {
  int argc = 0;
  std::unique_ptr<wchar_t*, decltype(&::LocalFree)> argv(::CommandLineToArgvW(::GetCommandLineW(), &argc),
                                                         &::LocalFree);
  if (!argv || argc < 2) {
    std::fputs(
        "usage: orbiform-view FILE.ek7mobj [--flags N] [--rotate X,Y,Z] [--eye X,Y] [--distance D] "
        "[--scale S] [--face F] [--layer L] [--size W,H] [--seconds S] [--shot FILE.bmp|FILE.png] "
        "[--picture FILE.png]\n",
        stderr);
    return 2;
  }
  const std::wstring project = argv.get()[1];
  const std::unique_ptr<RoundObject> object = ReadProject(project);
  if (!object) {
    std::fputs("orbiform-view: the project cannot be read\n", stderr);
    return 1;
  }

  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  HWND window = CreateHost(instance, project, argc, argv.get());
  if (!window) return 1;
  RECT client{};
  ::GetClientRect(window, &client);

  ViewPane pane;
  try {
    pane.CreatePane(instance, window, 0, 0, client.right, client.bottom);
  } catch (const mwstd::exception& e) {
    std::fprintf(stderr, "orbiform-view: %ls\n", e.what().c_str());
    return 1;
  }
  g_pane = &pane;
  // The device takes the window's visible area when it is made: show it first.
  ::ShowWindow(window, SW_SHOW);
  pane.SetObjectSource([&object] { return object.get(); });
  if (!pane.NewView(object->Texture())) {
    std::fputs("orbiform-view: no Direct3D 9 device\n", stderr);
    return 1;
  }

  const unsigned seconds = ApplyOptions(pane, argc, argv.get());
  if (seconds) ::SetTimer(window, 1, seconds * 1000, nullptr);
  if (!g_shot.empty() || !g_picture.empty()) ::SetTimer(window, 2, 1000, nullptr);
  ::InvalidateRect(pane.RenderHandle(), nullptr, FALSE);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  g_pane = nullptr;
  return g_failed ? 1 : 0;
}
