#include <windows.h>

#include <cstdio>

#include "cli/Cli.h"

int wmain(int argc, wchar_t** argv) {
  // Our messages are UTF-8; let the console show umlauts as such.
  ::SetConsoleOutputCP(CP_UTF8);
  std::vector<std::wstring> args(argv + 1, argv + argc);
  std::string out, err;
  const int code = orbiform::cli::Run(args, out, err);
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fwrite(err.data(), 1, err.size(), stderr);
  return code;
}
