// Timing of the texturing windows and the wizard under Wine: the texture
// window's repaint and corner drag on a large bitmap, a corner drag in the
// editor with the 3D view following, and the wizard's plains page for 100
// plains. Medians of repeated runs; needs a display (Xvfb will do).
//   orbiform_texturing_timing
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/Median.h"
#include "editor/MainWindow.h"
#include "editor/PrivateMessages.h"
#include "editor/TextureWindow.h"
#include "editor/Wizard.h"
#include "editor/res/resource.h"
#include "geometry/ObjectRecipe.h"
#include "mwWinAPI/UserInteraction.h"
#include "tests/mwWinAPI/PumpMessages.h"

using namespace orbiform;
using orbiform::bench::MedianMilliseconds;

namespace {

// A 24-bit bitmap file of width x height grey pixels.
void WriteBitmap(const std::filesystem::path& path, int width, int height) {
  const int stride = (width * 3 + 3) / 4 * 4;
  std::string file(54 + static_cast<std::size_t>(stride) * height, '\x80');
  const auto put = [&](std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  file.replace(0, 54, 54, '\0');
  file[0] = 'B';
  file[1] = 'M';
  put(2, static_cast<std::uint32_t>(file.size()));
  put(10, 54);
  put(14, 40);
  put(18, static_cast<std::uint32_t>(width));
  put(22, static_cast<std::uint32_t>(height));
  file[26] = 1;
  file[28] = 24;
  std::ofstream(path, std::ios::binary).write(file.data(), static_cast<std::streamsize>(file.size()));
}

LPARAM At(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

void Drag(HWND window, POINT from, POINT to) {
  ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, At(from.x, from.y));
  ::SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, At(to.x, to.y));
  ::SendMessageW(window, WM_LBUTTONUP, 0, At(to.x, to.y));
}

void Idle(int milliseconds) {
  testui::PumpUntil([] { return false; }, milliseconds);
}

// The texture window alone over a 4,096 x 4,096 bitmap at zoom 2, with 2,400
// corner marks in view: a repaint, and a drag step.
void TextureWindowFigures(const std::filesystem::path& folder) {
  const std::wstring bitmap = (folder / "large.bmp").wstring();
  WriteBitmap(bitmap, 4096, 4096);
  std::unique_ptr<RoundObject> object = ShapeObject(nullptr, false, 1000, 0);
  AddPlain(*object, PlainValues{0, 1, 1, 0, 360});
  AddPlain(*object, PlainValues{2, 1, 1, 0, 360});
  object->SetPointsPerRing(2400);
  GenerateRings(*object);
  FinishObject(*object, 0, {TexCoord{0, 0}, TexCoord{255, 0}, TexCoord{255, 255}, TexCoord{0, 255}});
  object->SetTexture(bitmap);
  for (std::size_t i = 0; i < 2400; ++i) {
    const double angle = 6.2831853 * static_cast<double>(i) / 2400;
    object->SetTexCoordinate(0, i, static_cast<std::int32_t>(80 + 60 * std::cos(angle)),
                             static_cast<std::int32_t>(70 + 60 * std::sin(angle)));
  }
  RoundObjectHandler handler;
  handler.SetSteps(20, 20);
  handler.SetCurrent(std::move(object));

  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  mwWinAPI::RegisterWindowClass(instance, L"TimingParent", nullptr, nullptr, nullptr);
  const HWND parent = ::CreateWindowExW(0, L"TimingParent", L"", WS_OVERLAPPEDWINDOW, 0, 0, 800, 800, nullptr,
                                        nullptr, instance, nullptr);
  TextureWindow texture;
  texture.Create(instance, kTextureClass, L"", WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL, 0, 0, 0, 320,
                 320, parent);
  texture.SetZoom(2.0f);
  ::SendMessageW(texture.Handle(), TWM_SELECT, 0, reinterpret_cast<LPARAM>(&handler));
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP canvas = ::CreateCompatibleBitmap(screen, 320, 320);
  ::ReleaseDC(nullptr, screen);
  HGDIOBJ old = ::SelectObject(dc, canvas);
  const double paint = MedianMilliseconds([&] {
    ::SendMessageW(texture.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    ::GdiFlush();
  });
  ::SelectObject(dc, old);
  ::DeleteObject(canvas);
  ::DeleteDC(dc);
  bool there = false;
  const double drag = MedianMilliseconds(
      [&] {
        // Corner 0 at bitmap (140, 70), there and back.
        there ? Drag(texture.Handle(), {270, 150}, {280, 140})
              : Drag(texture.Handle(), {280, 140}, {270, 150});
        there = !there;
      },
      7);
  std::printf(
      "texture window, 4096 x 4096 bitmap at zoom 2, 2,400 corner marks: repaint %.1f ms, drag step %.1f "
      "ms\n",
      paint, drag);
  ::DestroyWindow(parent);
  Idle(20);
}

// A corner drag in the editor: the texture window tells the main window,
// which rebuilds the 3D view of a 5,000-point object.
void EditorDragFigure(const std::filesystem::path& folder) {
  const std::wstring bitmap = (folder / "picture.bmp").wstring();
  WriteBitmap(bitmap, 1024, 1024);
  mwWinAPI::ScriptedInteraction script;
  HWND active = nullptr;
  MainWindow window(&active);
  window.SetDialogs({[](HWND, Options&) { return true; }, nullptr, nullptr, nullptr});
  window.SetWizard([bitmap](HWND, std::unique_ptr<RoundObject>) {
    std::unique_ptr<RoundObject> object = ShapeObject(nullptr, false, 1000, 0);
    for (int plain = 0; plain < 5; ++plain) AddPlain(*object, PlainValues{plain * 2.0, 1, 1, 0, 360});
    GenerateRings(*object);
    FinishObject(*object, 0, {TexCoord{0, 0}, TexCoord{1000, 0}, TexCoord{1000, 1000}, TexCoord{0, 1000}});
    object->SetTexture(bitmap);
    return object;
  });
  window.CreateMain(::GetModuleHandleW(nullptr), (folder / "options.xml").wstring());
  ::ShowWindow(window.Handle(), SW_SHOWNORMAL);
  ::SendMessageW(window.Handle(), WM_COMMAND, IDM_NEW, 0);
  testui::PumpUntil([&] { return !window.Loading() && window.View().View(); });
  window.Handler().Current()->SetTexCoordinate(1, 0, 30, 30);
  const HWND texture = window.Texture().Handle();
  ::SendMessageW(texture, TWM_SELECT, 1, reinterpret_cast<LPARAM>(&window.Handler()));
  Idle(200);
  bool there = false;
  const double step = MedianMilliseconds(
      [&] {
        there ? Drag(texture, {50, 60}, {30, 30}) : Drag(texture, {30, 30}, {50, 60});
        there = !there;
        ::UpdateWindow(window.View().Handle());
      },
      7);
  std::printf("corner drag step in the editor with the 3D view of 5,000 points: %.1f ms\n", step);
  window.Handler().ResetHistory();
  ::DestroyWindow(window.Handle());
  Idle(20);
}

// From Next on the wizard's type page until the plains page for 100 plains
// is up; the page closes itself then.
std::chrono::steady_clock::time_point g_pressed;
std::vector<double> g_pageTimes;

BOOL CALLBACK TakePage(HWND window, LPARAM found) {
  wchar_t name[16] = {};
  ::GetClassNameW(window, name, 16);
  if (std::wstring(name) != L"#32770" || !::IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

void CALLBACK WizardTick(HWND, UINT, UINT_PTR, DWORD) {
  HWND page = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), TakePage, reinterpret_cast<LPARAM>(&page));
  if (!page) return;
  if (::GetDlgItem(page, IDC_TYPE_AXIS_TEXT)) {
    g_pressed = std::chrono::steady_clock::now();
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_WIZARD_NEXT, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(page, IDC_WIZARD_NEXT)));
    return;
  }
  if (::GetDlgItem(page, IDC_PLAINS_TABS))
    g_pageTimes.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - g_pressed).count());
  ::SendMessageW(page, WM_CLOSE, 0, 0);
}

void WizardFigure() {
  mwWinAPI::ScriptedInteraction script;
  for (int run = 0; run < 5; ++run) {
    auto start = std::make_unique<RoundObject>(5, 0);
    for (int i = 0; i < 100; ++i) start->AddArea(0, 360, i, 1, 1);
    start->GetTextureLevel(start->AddTextureLevel()).SetPoints(0, 4);
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, WizardTick);
    RunWizard(nullptr, std::move(start));
    ::KillTimer(nullptr, timer);
  }
  if (g_pageTimes.empty()) {
    std::printf("wizard: the plains page did not come up\n");
    return;
  }
  std::sort(g_pageTimes.begin(), g_pageTimes.end());
  std::printf("wizard, plains page for 100 plains up after %.0f ms (median of %zu)\n",
              g_pageTimes[g_pageTimes.size() / 2], g_pageTimes.size());
}

}  // namespace

int main() {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES};
  ::InitCommonControlsEx(&controls);
  if (!MainWindow::RegisterClasses(::GetModuleHandleW(nullptr))) return 1;
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "orbiform-texturing-timing";
  std::filesystem::create_directories(folder);
  TextureWindowFigures(folder);
  EditorDragFigure(folder);
  WizardFigure();
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return 0;
}
