#pragma once
// The command-line generator: builds objects as the creation wizard does and
// writes simulator or project files, converts and inspects project files.
// Portable: the thin mains turn argv and the console into these strings.
#include <string>
#include <vector>

namespace orbiform::cli {

// `args` without the program name. Messages for the user go to `out` and
// `err` as UTF-8. Returns the exit code: 0 success, 1 refused input or a
// failed file operation, 2 a usage error.
int Run(const std::vector<std::wstring>& args, std::string& out, std::string& err);

}  // namespace orbiform::cli
