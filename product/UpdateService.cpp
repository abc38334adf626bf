// Portable half of the version and feedback services: addresses, encoding,
// version order and the reply formats.
#include "product/UpdateService.h"

#include "mwWinAPI/Origin.h"
#include "mwWinAPI/Split.h"
#include "mwWinAPI/Utf.h"

namespace mwWinAPI {
namespace {

constexpr wchar_t kServicePath[] = L"/Rodizozarizor/AutoServices/";

bool IsDottedNumber(const std::wstring& s) {
  if (s.empty() || s.front() == L'.' || s.back() == L'.') return false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == L'.') {
      if (s[i + 1] == L'.') return false;
    } else if (s[i] < L'0' || s[i] > L'9') {
      return false;
    }
  }
  return true;
}

// One number of a dotted version, compared as digits so that no length of
// number can overflow.
int CompareNumbers(std::wstring a, std::wstring b) {
  a.erase(0, a.find_first_not_of(L'0') == std::wstring::npos ? a.size() : a.find_first_not_of(L'0'));
  b.erase(0, b.find_first_not_of(L'0') == std::wstring::npos ? b.size() : b.find_first_not_of(L'0'));
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  const int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

namespace {

ServiceOverrideSource& OverrideSource() {
  static ServiceOverrideSource source = nullptr;
  return source;
}

}  // namespace

bool IsPlainArgument(const std::wstring& text) {
  for (const wchar_t c : text) {
    if (c < L' ' || c == 0x7F || c == L'"' || c == L'\\') return false;
  }
  return true;
}

void SetServiceOverrideSource(ServiceOverrideSource source) { OverrideSource() = source; }

std::wstring ServiceAddressOverride() {
  std::wstring address = OverrideSource() ? OverrideSource()() : std::wstring();
  while (!address.empty() && address.back() == L'/') address.pop_back();
  return address;
}

std::wstring ServiceAddress() {
  const std::wstring address = ServiceAddressOverride();
  return address.empty() ? std::wstring(kDefaultServiceAddress) : address;
}

bool IsTrustedPage(const std::wstring& page) {
  Origin origin;
  return IsPlainArgument(page) && ParseOrigin(page, origin) &&
         (origin.scheme == L"https" || SameOrigin(page, ServiceAddress()));
}

bool IsServiceQuery(const std::wstring& address) {
  return IsPlainArgument(address) && SameOrigin(address, ServiceAddress());
}

std::wstring VersionQueryAddress() {
  return ServiceAddress() + kServicePath + L"get_version.php?product=XKVD";
}

std::wstring UpdaterQueryPrefix(bool beta) {
  return ServiceAddress() + kServicePath +
         (beta ? L"get_version.php?product=XKVB&links=true&version="
               : L"get_version.php?product=XKV&links=true&version=");
}

std::string Utf8Prefix(const std::wstring& text, std::size_t maxBytes) {
  std::string bytes = ToUtf8(text);
  if (bytes.size() <= maxBytes) return bytes;
  std::size_t cut = maxBytes;
  while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80) --cut;  // inside a character
  bytes.resize(cut);
  return bytes;
}

namespace {

std::wstring EncodeBytes(const std::string& bytes) {
  static const wchar_t hex[] = L"0123456789ABCDEF";
  std::wstring out;
  out.reserve(bytes.size() * 3);
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' || b == '.' ||
        b == '_' || b == '~') {
      out.push_back(static_cast<wchar_t>(b));
    } else {
      out.push_back(L'%');
      out.push_back(hex[b >> 4]);
      out.push_back(hex[b & 15]);
    }
  }
  return out;
}

}  // namespace

std::wstring PercentEncode(const std::wstring& value) { return EncodeBytes(ToUtf8(value)); }

std::wstring FeedbackAddress(const std::wstring& version, const std::wstring& text,
                             const std::wstring& mail) {
  return ServiceAddress() + kServicePath + L"feedback.php?product=XKV&version=" + PercentEncode(version) +
         L"&text=" + EncodeBytes(Utf8Prefix(text, kMaxFeedbackBytes)) + L"&mail=" +
         EncodeBytes(Utf8Prefix(mail, kMaxFeedbackMailBytes));
}

int CompareVersions(const std::wstring& a, const std::wstring& b) {
  if (!IsDottedNumber(a) || !IsDottedNumber(b)) {
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  std::vector<std::wstring> x, y;
  mwstd::split(x, a, L'.');
  mwstd::split(y, b, L'.');
  for (std::size_t i = 0; i < x.size() || i < y.size(); ++i) {
    const int c = CompareNumbers(i < x.size() ? x[i] : L"0", i < y.size() ? y[i] : L"0");
    if (c != 0) return c;
  }
  return 0;
}

bool ParseVersionReply(const std::string& body, ReplyDecoder decode, VersionReply& reply) {
  if (body.size() > kMaxVersionReplyBytes) return false;
  const std::size_t at = body.find(kReplyMarker);
  if (at == std::string::npos || at > 5) return false;
  const std::wstring text = decode(body.substr(at + kReplyMarkerLength));
  const std::size_t first = text.find(L'\n');
  reply = VersionReply{};
  reply.version = text.substr(0, first);
  if (first == std::wstring::npos) return true;
  const std::size_t second = text.find(L'\n', first + 1);
  reply.second =
      text.substr(first + 1, second == std::wstring::npos ? std::wstring::npos : second - first - 1);
  if (second != std::wstring::npos) reply.notes = text.substr(second + 1);
  return true;
}

UpdateReply ParseUpdateReply(const std::string& body, ReplyDecoder decode, UpdateInfo& info) {
  if (body.compare(0, kReplyMarkerLength, kReplyMarker) != 0) return UpdateReply::Invalid;
  const std::wstring text = decode(body.substr(kReplyMarkerLength));
  if (text.empty()) return UpdateReply::NothingToDo;
  std::vector<std::wstring> lines;
  mwstd::split(lines, text, L'\n');
  UpdateInfo parsed;
  parsed.base = lines[0];
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::wstring& line = lines[i];
    // A '*' line pairs with the next whatever their lengths ("*" alone is an
    // empty second); only then are short lines dropped.
    if (!line.empty() && line[0] == L'*') {
      if (i + 1 >= lines.size() || lines[i + 1].empty() || lines[i + 1][0] != L'*')
        return UpdateReply::Faulty;
      parsed.operations.emplace_back(line.substr(1), lines[i + 1].substr(1));
      ++i;
    } else if (line.size() >= 4) {
      parsed.links.push_back(line);
    }
  }
  info = std::move(parsed);
  return UpdateReply::Update;
}

}  // namespace mwWinAPI
