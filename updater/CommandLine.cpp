// The updater's command-line switches.
#include "updater/CommandLine.h"

namespace updater {

StartOptions ParseCommandLine(const std::vector<std::wstring>& args) {
  StartOptions options;
  if (args.size() == 2 && args[1] == L"/repair") {
    options.repair = true;
    options.autoStart = true;
    return options;
  }
  if (args.size() >= 2) options.queryPrefix = args[1];
  if (args.size() >= 3) {
    const std::wstring& second = args[2];
    if (second == L"/auto") {
      options.autoStart = true;
    } else if (second == L"/tinyok") {
      options.autoStart = true;
      options.selfUpdate = 1;
    } else if (second == L"/tinyfailed") {
      options.selfUpdate = -1;
    }
  }
  return options;
}

}  // namespace updater
