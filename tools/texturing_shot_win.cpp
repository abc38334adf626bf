// texturing-shot: the texture layer dialog and the texture window over a
// bitmap, as the editor shows them, for looking at and for pictures.
//   texturing-shot BITMAP.bmp layer|face [de] [SECONDS]
// The window stays up SECONDS (default 8) and then closes.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>

#include "editor/MainWindow.h"
#include "editor/PrivateMessages.h"
#include "editor/TextureLayerDialog.h"
#include "geometry/ObjectRecipe.h"
#include "tests/mwWinAPI/PumpMessages.h"

using namespace orbiform;

int main() {
  int argc = 0;
  std::unique_ptr<wchar_t*, decltype(&::LocalFree)> argv(::CommandLineToArgvW(::GetCommandLineW(), &argc),
                                                         &::LocalFree);
  if (argc < 3) {
    std::fputs("usage: texturing-shot BITMAP.bmp layer|face [de] [SECONDS]\n", stderr);
    return 2;
  }
  int seconds = 8;
  for (int i = 3; i < argc; ++i) {
    const std::wstring arg = argv.get()[i];
    if (arg == L"de")
      ::SetThreadUILanguage(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
    else
      seconds = _wtoi(arg.c_str());
  }
  const bool layer = std::wstring(argv.get()[2]) == L"layer";
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  MainWindow::RegisterClasses(instance);
  mwWinAPI::RegisterWindowClass(instance, L"TexturingShot", nullptr,
                                reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)), nullptr);

  RoundObjectHandler handler;
  handler.SetCurrent(DefaultNewObject());
  RoundObject& object = *handler.Current();
  object.SetTexture(argv.get()[1]);
  // A region inside the samples' 256 x 256 brick bitmap.
  object.GetTextureLevel(0).coords = {{{30, 20}, {220, 35}, {235, 225}, {20, 210}}};
  object.ApplyTextures();

  HWND active = nullptr;
  EditPane edit(&active);
  TreePane tree;
  TextureWindow texture;
  mwWinAPI::Window frame(L"frame");
  frame.Create(instance, L"TexturingShot", L"Orbiform2", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 0, 470,
               820, nullptr);
  const DWORD pane = WS_CHILD | WS_VISIBLE | WS_BORDER;
  edit.Create(instance, kEditClass, L"", pane, 0, 0, 0, 300, 350, frame.Handle());
  texture.Create(instance, kTextureClass, L"", pane | WS_HSCROLL | WS_VSCROLL, 0, 0, 350, 450, 420,
                 frame.Handle());
  std::unique_ptr<TextureLayerDialog> dialog = CreateLayerDialog(instance, edit.Handle(), handler, tree);
  edit.SetDialogs(nullptr, dialog->Handle());
  ::ShowWindow(frame.Handle(), SW_SHOWNORMAL);

  const views::Selection selection = layer ? views::Selection::Layer(0) : views::Selection::Face(2);
  ::SendMessageW(texture.Handle(), TWM_SELECT, selection.ToParam(), reinterpret_cast<LPARAM>(&handler));
  if (layer)
    ::SendMessageW(edit.Handle(), TWM_SELECT_LAYER, 0, 0);
  else
    ::SendMessageW(edit.Handle(), TWM_SELECT, selection.ToParam(), 0);
  testui::PumpUntil([] { return false; }, seconds * 1000);
  dialog.reset();
  ::DestroyWindow(frame.Handle());
  return 0;
}
