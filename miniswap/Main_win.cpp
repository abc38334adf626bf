// MiniSwap's entry: replaces the files the updater could not replace while
// it ran, then restarts it. No window, no message: the updater reports.
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <string>
#include <vector>

#include "miniswap/Swap.h"
#include "updater/FolderPaths.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!argv) return 0;
    const std::vector<std::wstring> args(argv, argv + count);
    ::LocalFree(argv);

    // MiniSwap lives in the editor's folder; the pairs are relative to it.
    const std::wstring folder = updater::ProgramFolder();
    if (folder.empty() || !::SetCurrentDirectoryW(folder.c_str())) return 0;

    updater::TransactedFileOps ops;
    const miniswap::SwapOutcome outcome = miniswap::SwapFiles(args, folder, ops);
    if (outcome.restart) {
      ::ShellExecuteW(nullptr, L"open", outcome.updater.c_str(), outcome.parameters.c_str(), nullptr,
                      SW_SHOWNORMAL);
    }
  } catch (...) {
    // Out of memory: nothing sensible is left to do.
  }
  return 0;
}
