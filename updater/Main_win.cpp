// QZ7Updater.exe: everything is in RunUpdater, which the tests drive too.
#include <windows.h>

#include "updater/UpdaterWindow.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  return updater::RunUpdater(instance, show);
}
