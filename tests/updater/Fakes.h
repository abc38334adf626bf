#pragma once
// Stand-ins shared by the updater's window and download tests: the service's
// marker, texts that name their id, and a signature that is not the maker's.
#include <string>

namespace updatertest {

inline const std::string kMarker = "7315-2048-9962-4170-3385-6621";
inline std::wstring FakeText(unsigned id) { return L"<" + std::to_wstring(id) + L">"; }
// Stands in for the maker's signature where the tests are not about it.
inline std::string FakeSignature(const std::string& data) { return "signed:" + std::to_string(data.size()); }
inline bool FakeCheck(const std::string& data, const std::string& signature) {
  return signature == FakeSignature(data);
}

}  // namespace updatertest
