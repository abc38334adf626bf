// The query address and the trust check.
#include "updater/QueryAddress.h"

#include "product/UpdateService.h"
#include "updater/PathSafety.h"

namespace updater {

std::wstring InstalledVersion(const QueryInput& input) {
  if (!input.editorVersion.empty()) return input.editorVersion;
  return input.updaterVersion.empty() ? kFallbackUpdaterVersion : input.updaterVersion;
}

std::wstring BuildQueryAddress(const QueryInput& input) {
  const std::wstring updater = input.updaterVersion.empty() ? kFallbackUpdaterVersion : input.updaterVersion;
  const std::wstring editor = input.repair ? L"0" : InstalledVersion(input);
  std::wstring address = input.commandLinePrefix.empty() ? mwWinAPI::UpdaterQueryPrefix(input.beta)
                                                         : input.commandLinePrefix + L"&version=";
  address += mwWinAPI::PercentEncode(editor) + L"&updaterversion=" + mwWinAPI::PercentEncode(updater);
  if (address.find(L"OSMin=") == std::wstring::npos) {
    address += L"&OSMaj=" + std::to_wstring(input.osMajor) + L"&OSMin=" + std::to_wstring(input.osMinor);
  }
  return address;
}

bool IsMakersAddress(const std::wstring& address) { return SameOrigin(address, mwWinAPI::ServiceAddress()); }

}  // namespace updater
