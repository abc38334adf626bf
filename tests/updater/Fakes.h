#pragma once
// Stand-ins shared by the updater's window and download tests: the service's
// marker, texts that name their id, a signature that is not the maker's, and
// the channel's manifest served with it.
#include <string>
#include <utility>
#include <vector>

#include "tests/updater/TestServer.h"
#include "updater/Manifest.h"
#include "updater/SignatureCheck.h"

namespace updatertest {

inline const std::string kMarker = "7315-2048-9962-4170-3385-6621";
inline std::wstring FakeText(unsigned id) { return L"<" + std::to_wstring(id) + L">"; }
// Stands in for the maker's signature where the tests are not about it.
inline std::string FakeSignature(const std::string& data) { return "signed:" + std::to_string(data.size()); }
inline bool FakeCheck(const std::string& data, const std::string& signature) {
  return signature == FakeSignature(data);
}

// Serves the stable channel's manifest for `files` (local name, bytes) and
// `operations` ("first|second"), of `version`, with the stand-in signature.
inline void ServeManifest(TestServer& server, const std::vector<std::pair<std::string, std::string>>& files,
                          const std::vector<std::string>& operations = {},
                          const std::string& version = "9.0.0") {
  std::string text = std::string(updater::kManifestHeader) +
                     "\nproduct: Orbiform\nchannel: stable\nversion: " + version +
                     "\nreleased: 2026-01-01\nexpires: 2099-12-31\n";
  for (const auto& [name, bytes] : files)
    text += "file: " + std::to_string(bytes.size()) + " " + updater::Sha256Hex(bytes) + " " + name + "\n";
  for (const auto& op : operations) text += "operation: " + op + "\n";
  server.Serve("/Rodizozarizor/AutoServices/manifest.php/stable", text);
  server.Serve("/Rodizozarizor/AutoServices/manifest.php/stable.sig", FakeSignature(text));
}

}  // namespace updatertest
