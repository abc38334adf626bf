#pragma once
// The updater's command line: the query prefix the editor or MiniSwap hands
// over, and the switch behind it ("/auto", "/tinyok", "/tinyfailed"), or
// "/repair" alone.
#include <string>
#include <vector>

namespace updater {

struct StartOptions {
  std::wstring queryPrefix;  // argument 1; empty when there is none
  bool autoStart = false;    // start the job without waiting for the user
  // MiniSwap's report on the replacement of the updater: 0 none, 1 success
  // ("/tinyok"), -1 failure ("/tinyfailed").
  int selfUpdate = 0;
  // "/repair" as the only argument: the user asks to reinstall the current
  // release, which may then be the installed version; the job starts by
  // itself on the built-in query.
  bool repair = false;
};

// `args` as CommandLineToArgvW splits the whole command line (argument 0 is
// the program). Argument 2 counts only when it is exactly one of the
// switches; a failure report never starts the job by itself.
StartOptions ParseCommandLine(const std::vector<std::wstring>& args);

}  // namespace updater
