#include <cstdio>

#include "cli/Cli.h"
#include "mwWinAPI/Utf.h"

int main(int argc, char** argv) {
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.push_back(mwWinAPI::FromUtf8(argv[i]));
  std::string out, err;
  const int code = orbiform::cli::Run(args, out, err);
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fwrite(err.data(), 1, err.size(), stderr);
  return code;
}
