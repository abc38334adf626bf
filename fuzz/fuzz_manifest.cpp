// libFuzzer target for the release manifest reader. A refused manifest is an
// expected outcome; a crash, a sanitizer report, or an accepted manifest
// that names an unsafe path or operation, a file above the cap or a
// checksum that is not 64 hex digits is a fault. An accepted one is also
// compared with a reply built from it, which must agree with it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "updater/Manifest.h"
#include "updater/PathSafety.h"

namespace {

bool AnySignature(const std::string&, const std::string&) { return true; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace updater;
  const std::string text(reinterpret_cast<const char*>(data), size);
  Manifest manifest;
  if (!ParseManifest(text, manifest)) return 0;
  for (const auto& file : manifest.files) {
    if (!IsSafeRelativePath(file.path) || file.size > kMaxFileBytes || file.sha256.size() != 64) std::abort();
  }
  for (const auto& op : manifest.operations) {
    if (!IsSafeOperation(op)) std::abort();
  }
  // The reply that the manifest describes is accepted as it stands.
  UpdateInfos offer;
  offer.base = L"https://h/f/";
  for (const auto& file : manifest.files) offer.links.push_back(offer.base + file.path + L".file");
  offer.operations = manifest.operations;
  const ReleaseExpectation expect{
      L"https://h/q?product=" + std::wstring(manifest.channel == "beta" ? L"XKVB" : L"XKV"), L"0", false,
      manifest.expires};
  Manifest again;
  const ReleaseVerdict verdict = CheckRelease(text, "", AnySignature, expect, &offer, again);
  if (manifest.product == kManifestProduct && (manifest.channel == "stable" || manifest.channel == "beta") &&
      manifest.version != L"0" && verdict != ReleaseVerdict::Accepted && verdict != ReleaseVerdict::NotNewer)
    std::abort();
  return 0;
}
