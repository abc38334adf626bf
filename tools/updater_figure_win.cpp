// Times a whole update by QZ7Updater.exe: starts it in FOLDER with the query
// prefix and "/auto", waits until it offers the installation, presses its
// button as a user would, waits for "done" (the button disabled) and closes
// it. Prints the times in seconds from the start.
//   updater-figure FOLDER PREFIX [--keep]   (--keep: 5 s before closing, for a picture)
#include <windows.h>

#include <cstdio>
#include <string>
#include "tests/updater/FindUpdater.h"

namespace {

HWND FindUpdater(DWORD pid) { return updatertest::FindUpdaterWindow(pid); }

std::wstring Text(HWND w) {
  wchar_t text[128] = {};
  ::GetWindowTextW(w, text, 128);
  return text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 && !(argc == 4 && std::wstring(argv[3]) == L"--keep")) {
    std::fprintf(stderr, "usage: updater-figure FOLDER PREFIX [--keep]\n");
    return 2;
  }
  const std::wstring folder = argv[1];
  std::wstring line = L"\"" + folder + L"\\QZ7Updater.exe\" \"" + argv[2] + L"\" /auto";
  LARGE_INTEGER frequency, start, now;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  auto seconds = [&] {
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart;
  };
  STARTUPINFOW info{};
  info.cb = sizeof info;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &info,
                        &process)) {
    std::fprintf(stderr, "updater-figure: cannot start the updater\n");
    return 1;
  }
  // The window is listed before its controls exist.
  HWND window = nullptr, button = nullptr;
  while (!button && seconds() < 30) {
    window = FindUpdater(process.dwProcessId);
    if (window) button = ::GetDlgItem(window, 2);
    if (!button) ::Sleep(10);
  }
  while (button && Text(button) != L"Start Update" && seconds() < 300) ::Sleep(10);
  const double downloaded = seconds();
  ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), 0);
  while (button && ::IsWindowEnabled(button) && seconds() < 300) ::Sleep(10);
  const double done = seconds();
  const bool ok = button && Text(button) == L"Ready";
  if (argc == 4) ::Sleep(5000);
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  ::WaitForSingleObject(process.hProcess, 15000);
  std::printf("updater: files downloaded and checked after %.2f s, done after %.2f s%s\n", downloaded, done,
              ok ? "" : " (NOT done)");
  ::CloseHandle(process.hProcess);
  ::CloseHandle(process.hThread);
  return ok ? 0 : 1;
}
