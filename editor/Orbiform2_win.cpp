// Orbiform2.exe: the editor.
#include <windows.h>

#include "editor/Entry.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  return orbiform::RunEditor(instance, ::GetCommandLineW(), show);
}
