// The strict manifest reader and the comparison of a reply with it.
#include "updater/Manifest.h"

#include "mwWinAPI/Utf.h"
#include "product/UpdateService.h"
#include "updater/PathSafety.h"
#include "updater/UpdaterIds.h"

namespace updater {
namespace {

constexpr std::size_t kMaxVersionParts = 8;
constexpr std::size_t kMaxVersionDigits = 9;

bool IsDigits(const std::string& text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Dotted numbers only ("2.1.10"), so that versions always compare as numbers.
bool IsVersion(const std::wstring& version) {
  std::size_t parts = 0;
  std::size_t from = 0;
  for (;;) {
    const std::size_t dot = version.find(L'.', from);
    const std::wstring part =
        version.substr(from, dot == std::wstring::npos ? std::wstring::npos : dot - from);
    if (++parts > kMaxVersionParts || !IsDigits(std::string(part.begin(), part.end()), kMaxVersionDigits))
      return false;
    if (dot == std::wstring::npos) return true;
    from = dot + 1;
  }
}

bool ParseDate(const std::string& text, Date& date) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  const std::string y = text.substr(0, 4), m = text.substr(5, 2), d = text.substr(8, 2);
  if (!IsDigits(y, 4) || !IsDigits(m, 2) || !IsDigits(d, 2)) return false;
  Date parsed{std::stoi(y), std::stoi(m), std::stoi(d)};
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (parsed.month < 1 || parsed.month > 12 || parsed.day < 1 || parsed.day > kDays[parsed.month - 1])
    return false;
  const bool leap = (parsed.year % 4 == 0 && parsed.year % 100 != 0) || parsed.year % 400 == 0;
  if (parsed.month == 2 && parsed.day == 29 && !leap) return false;
  date = parsed;
  return true;
}

bool IsSha256Hex(const std::string& text) {
  if (text.size() != 64) return false;
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

// "<size> <sha256> <path>": the path last, since it may hold blanks.
bool ParseFile(const std::string& value, ManifestFile& file) {
  const std::size_t first = value.find(' ');
  const std::size_t second = first == std::string::npos ? first : value.find(' ', first + 1);
  if (second == std::string::npos) return false;
  const std::string size = value.substr(0, first);
  if (!IsDigits(size, 12) || (size.size() > 1 && size[0] == '0')) return false;
  file.size = std::stoull(size);
  file.sha256 = value.substr(first + 1, second - first - 1);
  file.path = mwWinAPI::FromUtf8(value.substr(second + 1));
  return file.size <= kMaxFileBytes && IsSha256Hex(file.sha256) && IsSafeRelativePath(file.path);
}

// "<first>|<second>" as the reply's two '*' lines carry them.
bool ParseOperation(const std::string& value, std::pair<std::wstring, std::wstring>& op) {
  const std::size_t bar = value.find('|');
  if (bar == std::string::npos) return false;
  op.first = mwWinAPI::FromUtf8(value.substr(0, bar));
  op.second = mwWinAPI::FromUtf8(value.substr(bar + 1));
  return IsSafeOperation(op);
}

// Splits `text` into lines, each ending in a line feed; false for a
// carriage return, a zero byte or a text that does not end in a line feed.
bool SplitLines(const std::string& text, std::vector<std::string>& lines) {
  if (text.empty() || text.back() != '\n' || text.find_first_of(std::string("\r\0", 2)) != std::string::npos)
    return false;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find('\n', at);
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return true;
}

// The value of "<key>: <value>", or false when the line is another field.
bool Field(const std::string& line, const char* key, std::string& value) {
  const std::string prefix = std::string(key) + ": ";
  if (line.compare(0, prefix.size(), prefix) != 0) return false;
  value = line.substr(prefix.size());
  return true;
}

bool IsLoopback(const std::wstring& host) {
  return host == L"127.0.0.1" || host == L"localhost" || host == L"[::1]";
}

// On the query's origin, and over https unless the service is this machine
// (the tests' service).
bool IsServiceLink(const std::wstring& link, const Origin& service) {
  Origin origin;
  return ParseOrigin(link, origin) && origin == service &&
         (origin.scheme == L"https" || IsLoopback(origin.host));
}

ReleaseVerdict CompareOffer(const Manifest& manifest, const UpdateInfos& offered, const Origin& service) {
  for (const auto& link : offered.links) {
    if (!IsServiceLink(link, service)) return ReleaseVerdict::ForeignLink;
  }
  if (offered.links.size() != manifest.files.size()) return ReleaseVerdict::FilesDiffer;
  for (std::size_t i = 0; i < offered.links.size(); ++i) {
    if (LocalPath(offered.base, offered.links[i]) != manifest.files[i].path)
      return ReleaseVerdict::FilesDiffer;
  }
  return offered.operations == manifest.operations ? ReleaseVerdict::Accepted
                                                   : ReleaseVerdict::OperationsDiffer;
}

}  // namespace

bool ParseManifest(const std::string& text, Manifest& manifest) {
  std::vector<std::string> lines;
  if (text.size() > kMaxManifestBytes || !SplitLines(text, lines) || lines.size() < 6 ||
      lines[0] != kManifestHeader)
    return false;
  Manifest parsed;
  std::string version, released, expires;
  if (!Field(lines[1], "product", parsed.product) || !Field(lines[2], "channel", parsed.channel) ||
      !Field(lines[3], "version", version) || !Field(lines[4], "released", released) ||
      !Field(lines[5], "expires", expires) || !ParseDate(released, parsed.released) ||
      !ParseDate(expires, parsed.expires))
    return false;
  parsed.version = mwWinAPI::FromUtf8(version);
  if (!IsVersion(parsed.version)) return false;
  std::size_t i = 6;
  std::string value;
  for (; i < lines.size() && Field(lines[i], "file", value); ++i) {
    ManifestFile file;
    if (!ParseFile(value, file)) return false;
    parsed.files.push_back(std::move(file));
  }
  for (; i < lines.size(); ++i) {
    std::pair<std::wstring, std::wstring> op;
    if (!Field(lines[i], "operation", value) || !ParseOperation(value, op)) return false;
    parsed.operations.push_back(std::move(op));
  }
  manifest = std::move(parsed);
  return true;
}

std::string ChannelOfQuery(const std::wstring& query) {
  for (std::size_t at = query.find(L'?'); at != std::wstring::npos; at = query.find(L'&', at + 1)) {
    if (query.compare(at + 1, 8, L"product=") != 0) continue;
    const std::size_t end = query.find(L'&', at + 1);
    return query.substr(at + 9, end == std::wstring::npos ? end : end - at - 9) == L"XKVB" ? "beta"
                                                                                           : "stable";
  }
  return "stable";
}

std::wstring ManifestAddress(const std::wstring& query) {
  Origin origin;
  if (!ParseOrigin(query, origin)) return std::wstring();
  const bool defaultPort = origin.port == (origin.scheme == L"https" ? 443u : 80u);
  const std::string channel = ChannelOfQuery(query);
  return origin.scheme + L"://" + origin.host + (defaultPort ? L"" : L":" + std::to_wstring(origin.port)) +
         kManifestPath + std::wstring(channel.begin(), channel.end());
}

ReleaseVerdict CheckRelease(const std::string& text, const std::string& signature, SignatureCheck verify,
                            const ReleaseExpectation& expect, const UpdateInfos* offered,
                            Manifest& manifest) {
  // An error page where the manifest belongs: the service publishes none.
  if (text.compare(0, sizeof kManifestHeader - 2, kManifestHeader, sizeof kManifestHeader - 2) != 0)
    return ReleaseVerdict::Missing;
  if (!verify || !verify(text, signature)) return ReleaseVerdict::Unsigned;
  Manifest parsed;
  if (!ParseManifest(text, parsed)) return ReleaseVerdict::Unreadable;
  manifest = parsed;  // for the message, whatever follows
  if (parsed.product != kManifestProduct || parsed.channel != ChannelOfQuery(expect.query))
    return ReleaseVerdict::OtherRelease;
  if (expect.today.Key() > parsed.expires.Key()) return ReleaseVerdict::Expired;
  // An installed version that is no dotted number cannot be compared: it
  // counts as older, so that the current signed release can mend it.
  const int newer = IsVersion(expect.installedVersion)
                        ? mwWinAPI::CompareVersions(parsed.version, expect.installedVersion)
                        : 1;
  if (!offered) {
    if (newer > 0) return ReleaseVerdict::Withheld;
  } else {
    if (newer < 0 || (newer == 0 && !expect.repair)) return ReleaseVerdict::NotNewer;
    Origin service;
    if (!ParseOrigin(expect.query, service)) return ReleaseVerdict::ForeignLink;
    const ReleaseVerdict verdict = CompareOffer(parsed, *offered, service);
    if (verdict != ReleaseVerdict::Accepted) return verdict;
  }
  return ReleaseVerdict::Accepted;
}

unsigned VerdictText(ReleaseVerdict verdict) {
  switch (verdict) {
    case ReleaseVerdict::Missing:
      return IDS_MANIFEST_MISSING;
    case ReleaseVerdict::Unsigned:
      return IDS_MANIFEST_UNSIGNED;
    case ReleaseVerdict::Unreadable:
      return IDS_MANIFEST_UNREADABLE;
    case ReleaseVerdict::OtherRelease:
      return IDS_RELEASE_OTHER;
    case ReleaseVerdict::Expired:
      return IDS_RELEASE_EXPIRED;
    case ReleaseVerdict::NotNewer:
      return IDS_RELEASE_NOT_NEWER;
    case ReleaseVerdict::FilesDiffer:
      return IDS_RELEASE_FILES_DIFFER;
    case ReleaseVerdict::OperationsDiffer:
      return IDS_RELEASE_OPERATIONS_DIFFER;
    case ReleaseVerdict::ForeignLink:
      return IDS_RELEASE_FOREIGN_LINK;
    case ReleaseVerdict::Withheld:
      return IDS_UPDATE_WITHHELD;
    case ReleaseVerdict::Accepted:
      break;
  }
  return 0;
}

bool MatchesFile(const ManifestFile& file, std::size_t size, const std::string& sha256) {
  return size == file.size && sha256 == file.sha256;
}

}  // namespace updater
