#pragma once
// The release manifest: what the maker signs offline for every release
// (scripts/sign-release manifest) and the updater trusts instead of the
// reply. It names the product, channel, version, release and expiry dates,
// every file with its size and SHA-256, and the operations exactly as the
// reply lists them. This part reads it strictly and compares a reply and
// each downloaded file with it; fetching and the signature check itself
// are the downloader's. No platform code.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "updater/Signature.h"
#include "updater/UpdateInfos.h"

namespace updater {

// Bytes a manifest may have; a longer one is refused unread.
constexpr std::size_t kMaxManifestBytes = 64 * 1024;
// The first line of every manifest of this format.
constexpr char kManifestHeader[] = "Orbiform release manifest 1";
constexpr char kManifestProduct[] = "Orbiform";
// Where the service publishes a channel's current manifest, on the origin
// of the query: this path and the channel; its signature is at the same
// address plus kSignatureSuffix.
constexpr wchar_t kManifestPath[] = L"/Rodizozarizor/AutoServices/manifest.php/";

// A calendar day (UTC); compares as year, month, day.
struct Date {
  int year = 0, month = 0, day = 0;
  long Key() const { return (static_cast<long>(year) * 100 + month) * 100 + day; }
};

struct ManifestFile {
  std::wstring path;  // relative to the editor's folder, as the reply's local path
  std::uint64_t size = 0;
  std::string sha256;  // 64 lower-case hex digits
};

struct Manifest {
  std::string product;
  std::string channel;
  std::wstring version;
  Date released, expires;
  std::vector<ManifestFile> files;
  std::vector<std::pair<std::wstring, std::wstring>> operations;
};

// Reads the manifest's text (UTF-8, lines ending in a line feed, fields in
// their fixed order). False, with `manifest` untouched, for anything else:
// more than kMaxManifestBytes, a carriage return, an unknown or missing
// field, a version that is not dotted numbers, an impossible date, a size
// above kMaxFileBytes, a checksum that is not 64 lower-case hex digits, an
// unsafe path or operation.
bool ParseManifest(const std::string& text, Manifest& manifest);

// Why a release or a "nothing to update" reply is refused (or Accepted).
enum class ReleaseVerdict {
  Accepted,
  Missing,           // the manifest or its signature could not be fetched, or is none
  Unsigned,          // no built-in key verifies the signature
  Unreadable,        // signed, but not a manifest of this format
  OtherRelease,      // another product or channel
  Expired,           // past its expiry date
  NotNewer,          // not newer than the installed version (same: repair only)
  FilesDiffer,       // the reply's files or their local names differ
  OperationsDiffer,  // the reply's operations differ
  ForeignLink,       // a link off the service's origin, or plain http off this machine
  Withheld,          // "nothing to update", but the maker signed a newer version
};

// What the updater expects of a release.
struct ReleaseExpectation {
  std::wstring query;             // the query address: its origin and channel
  std::wstring installedVersion;  // the editor's version resource (or its fallback)
  bool repair = false;            // the user asked to reinstall the same version
  Date today;                     // UTC
};

// The channel a query asks for: "beta" for product XKVB, else "stable".
std::string ChannelOfQuery(const std::wstring& query);
// The manifest's address on the query's origin; empty when the query has none.
std::wstring ManifestAddress(const std::wstring& query);

// Checks the signature (`verify` with any built-in key), reads the manifest
// and compares it with what is expected and with the `offered` reply (null
// for the bare "nothing to update"). Once the signature holds and the text
// reads, `manifest` holds it (also when refused, for the message).
ReleaseVerdict CheckRelease(const std::string& text, const std::string& signature, SignatureCheck verify,
                            const ReleaseExpectation& expect, const UpdateInfos* offered, Manifest& manifest);

// The string id that tells the user why (none for Accepted).
unsigned VerdictText(ReleaseVerdict verdict);

// True when a downloaded file has the manifest's size and SHA-256 (hex).
bool MatchesFile(const ManifestFile& file, std::size_t size, const std::string& sha256);

}  // namespace updater
