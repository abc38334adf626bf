// libFuzzer target for the addresses a server hands the programs: the
// editor's reply (its download page and the updater's query) and a
// redirect's target. A refusal is an expected outcome; a crash, a sanitizer
// report, or an accepted address that leaves the trusted origins or would
// not stay one quoted argument is a fault.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "mwWinAPI/Origin.h"
#include "mwWinAPI/Utf.h"
#include "product/UpdateService.h"

namespace {

std::wstring Decode(const std::string& bytes) { return mwWinAPI::FromUtf8(bytes); }

bool StartsWithHttps(const std::wstring& address) {
  mwWinAPI::Origin origin;
  return mwWinAPI::ParseOrigin(address, origin) && origin.scheme == L"https";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mwWinAPI;
  const std::string body(reinterpret_cast<const char*>(data), size);
  VersionReply reply;
  if (ParseVersionReply(body, Decode, reply)) {
    const std::wstring page = reply.DownloadPage();
    if (IsTrustedPage(page) &&
        (!IsPlainArgument(page) || !(StartsWithHttps(page) || SameOrigin(page, ServiceAddress()))))
      std::abort();
    if (IsServiceQuery(reply.second) &&
        (!IsPlainArgument(reply.second) || !SameOrigin(reply.second, ServiceAddress())))
      std::abort();
  }
  // The body as a Location header: a path resolves within its origin.
  const std::wstring from = L"https://maker.example:8443/a/b?c";
  const std::wstring location = Decode(body);
  const std::wstring target = ResolveLocation(from, location);
  if (!target.empty() && location.find(L"://") == std::wstring::npos && !SameOrigin(target, from))
    std::abort();
  return 0;
}
