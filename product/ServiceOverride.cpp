// The test seam: linked into the test programs (and into the shipped ones
// only when CMake's ORBIFORM_SERVICE_OVERRIDE is on), it lets the
// environment name the service, so that the tests reach one on 127.0.0.1.
#include <cstdlib>

#include "mwWinAPI/Utf.h"
#include "product/UpdateService.h"

namespace {

std::wstring FromEnvironment() {
  const char* value = std::getenv(mwWinAPI::kServiceAddressVariable);
  return value && *value ? mwWinAPI::FromUtf8(value) : std::wstring();
}

const bool installed = (mwWinAPI::SetServiceOverrideSource(&FromEnvironment), true);

}  // namespace
