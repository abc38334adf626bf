#pragma once
// What the programs need to talk to the maker's version and feedback
// services without any platform code: where the services live, the query
// addresses, percent-encoding, version comparison and the two reply formats.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace mwWinAPI {

// The maker's web address, the one place that names it. The shipped
// programs always talk to it. Programs built with the test seam (the object
// library orbiform_service_override: the tests, and the shipped programs
// only when CMake's ORBIFORM_SERVICE_OVERRIDE is on) take this environment
// variable instead when it is set, for example "http://127.0.0.1:8080".
constexpr wchar_t kDefaultServiceAddress[] = L"https://www.orbiform.example";
constexpr char kServiceAddressVariable[] = "ORBIFORM_SERVICE_URL";

// The override's source: the test seam installs one at start-up.
using ServiceOverrideSource = std::wstring (*)();
void SetServiceOverrideSource(ServiceOverrideSource source);

// The override in effect, without a trailing '/'; empty when none (always
// in a shipped build), so that a program can say it talks elsewhere.
std::wstring ServiceAddressOverride();

// The override when there is one, else the default; no trailing '/'.
std::wstring ServiceAddress();

// A version reply or a feedback request must be done within this time.
constexpr unsigned long kServiceDeadlineMs = 20000;
// The feedback service answers "OK" or a short refusal.
constexpr std::size_t kMaxFeedbackReplyBytes = 4096;

// True when `text` has no quote, backslash or control character: quoted,
// it stays one argument of a command line.
bool IsPlainArgument(const std::wstring& text);
// True for a download page the editor may hand to the browser: an https
// address, or one on the service's own origin, without control characters
// or quotes.
bool IsTrustedPage(const std::wstring& page);
// True for an updater query on the service's own origin that survives
// quoting as one argument (no quote, no backslash, no control character).
bool IsServiceQuery(const std::wstring& address);

// The editor's version query (the same for both channels).
std::wstring VersionQueryAddress();
// The updater's own query prefix, ending in "version=".
std::wstring UpdaterQueryPrefix(bool beta);

// The feedback text is cut to this many UTF-8 bytes (at a character
// boundary) before encoding; the service refuses anything longer than its
// own, larger limit, so a capped text is always accepted.
constexpr std::size_t kMaxFeedbackBytes = 1500;
constexpr std::size_t kMaxFeedbackMailBytes = 200;

// The feedback request with every value percent-encoded; the text and the
// mail address are capped first.
std::wstring FeedbackAddress(const std::wstring& version, const std::wstring& text, const std::wstring& mail);

// `value` as UTF-8 with every byte but A-Z a-z 0-9 - . _ ~ written as %XX.
std::wstring PercentEncode(const std::wstring& value);

// The first `maxBytes` UTF-8 bytes of `text`, never splitting a character.
std::string Utf8Prefix(const std::wstring& text, std::size_t maxBytes);

// Negative, 0 or positive as `a` is older than, equal to or newer than `b`.
// Dotted numbers ("2.1.10") compare number by number, a missing number
// counting as 0; anything else falls back to comparing the texts.
int CompareVersions(const std::wstring& a, const std::wstring& b);

// Both replies begin with this marker.
constexpr char kReplyMarker[] = "7315-2048-9962-4170-3385-6621";
constexpr std::size_t kReplyMarkerLength = sizeof(kReplyMarker) - 1;
// A version reply is a few lines; a longer body is no valid reply.
constexpr std::size_t kMaxVersionReplyBytes = 4096;

// Turns the reply's bytes (ANSI code page on Windows) into text.
using ReplyDecoder = std::wstring (*)(const std::string& bytes);

// The editor's reply: the version, line 2 (the updater's query prefix or
// "~~~" and a download page) and the notes behind it.
struct VersionReply {
  std::wstring version;
  std::wstring second;
  std::wstring notes;

  bool IsDownloadPage() const { return second.compare(0, 3, L"~~~") == 0; }
  std::wstring DownloadPage() const { return IsDownloadPage() ? second.substr(3) : std::wstring(); }
};

// False when the body is longer than kMaxVersionReplyBytes or the marker
// does not begin within its first 6 bytes (a byte-order mark may precede it).
bool ParseVersionReply(const std::string& body, ReplyDecoder decode, VersionReply& reply);

// The updater's reply to a links=true query.
struct UpdateInfo {
  std::wstring base;                                              // line 1
  std::vector<std::wstring> links;                                // base + local path + 5-character suffix
  std::vector<std::pair<std::wstring, std::wstring>> operations;  // from pairs of '*' lines

  bool IsManualOnly() const { return base.size() >= 5 && base.compare(0, 3, L"~~~") == 0; }
  std::wstring ManualAddress() const { return IsManualOnly() ? base.substr(3) : std::wstring(); }
};

enum class UpdateReply { Invalid, NothingToDo, Faulty, Update };

// The marker must stand at byte 0. NothingToDo for the bare marker; Faulty for
// a '*' line not followed by another '*' line; `info` is filled for Update.
UpdateReply ParseUpdateReply(const std::string& body, ReplyDecoder decode, UpdateInfo& info);

}  // namespace mwWinAPI
