// libFuzzer target for the project reader. A refused file and a failed model
// check are expected outcomes; a crash, a sanitizer report, a load that
// reports success without an object, or an object whose own file does not
// load again are faults.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

#include "files/ProjectFile.h"
#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/Utf.h"

using namespace orbiform;

namespace {

// A file name without a folder, so that the texture path is written the way
// it was read and the second file can be compared byte for byte.
const std::wstring kSim = L"C:\\Sim";
const std::wstring kPath = L"fuzz.ek7mobj";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::unique_ptr<RoundObject> object;
  bool loaded = false;
  try {
    loaded = ParseProject(bytes, object);
  } catch (const std::logic_error&) {
    // The model's own parameter checks.
  } catch (const mwstd::logic_error&) {
  }
  if (loaded != (object != nullptr)) std::abort();
  if (!loaded) return 0;

  const std::wstring text = ProjectFileText(*object, kSim, kPath);
  std::unique_ptr<RoundObject> again;
  try {
    if (!ParseProject(mwWinAPI::ToUtf8(text), again)) std::abort();
  } catch (const mwstd::invalid_argument&) {
    // Numbers are stored with 6 significant digits: a ring whose span is a
    // hair above the 30-degree minimum can round to just below it.
    return 0;
  }
  if (ProjectFileText(*again, kSim, kPath) != text) std::abort();
  return 0;
}
