#pragma once
// The update information as the version service sends it to the updater:
// the marker check and line split of the reply, the parsing of the lines into
// the base address, the file links and the operations, the local path of a
// link, the error-page detector and the limits on what is read into memory.
// Everything a server names is checked with PathSafety before it is kept.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace updater {

// Bytes the information reply may have; a longer body is refused unread.
constexpr std::size_t kMaxInfosBytes = 16 * 1024;
// Bytes one downloaded file may have; the reply cannot name a larger one.
constexpr std::size_t kMaxFileBytes = 64u * 1024 * 1024;
// Characters of a link that are not part of the local path ("/.file").
constexpr std::size_t kLinkSuffixLength = 5;

// The reply's bytes (ANSI code page on Windows) as text.
using InfosDecoder = std::wstring (*)(const std::string& bytes);

enum class InfosReply {
  Invalid,      // marker missing or not at byte 0, or longer than kMaxInfosBytes
  NothingToDo,  // the bare marker
  Lines,        // `lines` holds the split rest
};

// Checks the marker (exactly at byte 0: no byte-order mark or blank before
// it), drops it, decodes the rest and splits it at line feeds. `lines` is
// replaced only for Lines.
InfosReply SplitInfos(const std::string& body, InfosDecoder decode, std::vector<std::wstring>& lines);

struct UpdateInfos {
  std::wstring base;                                              // line 1
  std::vector<std::wstring> links;                                // base + local path + suffix
  std::vector<std::pair<std::wstring, std::wstring>> operations;  // (first, second) of '*' pairs

  // A base of at least 5 characters starting "~~~": no automatic download,
  // the rest is a web page to offer.
  bool IsManualOnly() const;
  std::wstring ManualAddress() const;
};

// Parses the split reply: line 1 is the base address; later lines under 4
// characters are dropped; a '*' line and the '*' line after it form one
// operation; any other line is a file link. False (faulty; `infos`
// untouched) when there are no lines, a '*' line is not followed by another,
// a manual page is no http(s) address, a link does not begin with the base
// (a web address) or its local path is unsafe, or an operation names an
// unsafe path. Nothing of a faulty reply may be used.
bool ParseInfos(const std::vector<std::wstring>& lines, UpdateInfos& infos);

// An operation whose paths stay inside the editor's folder: "exe" and "exeN"
// start the file, an empty second deletes it, anything else is the
// destination of a move.
bool IsSafeOperation(const std::pair<std::wstring, std::wstring>& op);

// The link less the base address at its front and less its 5-character
// suffix; empty when the link is not longer than that.
std::wstring LocalPath(const std::wstring& base, const std::wstring& link);
// The part of a path behind its last '/' and '\'.
std::wstring FileNameOf(const std::wstring& path);

// What a known error page of the maker's host contains (its address).
std::string KnownErrorPageAddress();

// The error-page detector: a file is accepted when it is longer than 5000
// bytes, or when it is not empty and either contains neither "<html>" nor
// `errorPageAddress`, or contains neither "404 Error" nor "Whoops - Seite n".
bool IsAcceptedFile(const std::string& data, const std::string& errorPageAddress);

}  // namespace updater
