#pragma once
// The updater's question to the version service: the query address built
// from a prefix, both programs' versions and the system version, and the
// check that an address belongs to the maker's service before anything is
// fetched from it.
#include <string>

namespace updater {

// Used when the updater's own version cannot be read.
constexpr wchar_t kFallbackUpdaterVersion[] = L"2.1.0";

struct QueryInput {
  // The first command-line argument (the editor passes its reply's prefix);
  // empty for the built-in prefix of the channel below.
  std::wstring commandLinePrefix;
  bool beta = false;
  // FileVersion texts; empty when they could not be read.
  std::wstring editorVersion;
  std::wstring updaterVersion;
  unsigned osMajor = 0;
  unsigned osMinor = 0;
  // The user asked to reinstall: the editor's version is sent as "0", so
  // that the service offers its current release whatever is installed.
  bool repair = false;
};

// The version a release must be newer than: the editor's, else the
// updater's, else kFallbackUpdaterVersion.
std::wstring InstalledVersion(const QueryInput& input);

// The prefix, the editor's version ("&version=" first for a prefix from the
// command line; the built-in one ends in "version="), "&updaterversion="
// and the updater's version, then "&OSMaj=" and "&OSMin=" unless the address
// has "OSMin=" already. A missing updater version is kFallbackUpdaterVersion;
// the editor's is InstalledVersion ("0" for a repair). Versions are
// percent-encoded.
std::wstring BuildQueryAddress(const QueryInput& input);

// True when `address` has the origin (scheme, host, port) of the maker's
// service (ServiceAddress, with its override): only then is it fetched
// without asking the user.
bool IsMakersAddress(const std::wstring& address);

}  // namespace updater
