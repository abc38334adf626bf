#pragma once
// Whole-file reading and crash-safe writing. A write goes to a new file of a
// unique name beside the target and replaces the target only once complete,
// so a failed save never destroys the previous file and two saves to the same
// file at once leave one of the two complete files, never a mix.
#include <cstddef>
#include <string>

namespace mwWinAPI {

// Files read whole are refused beyond this size: the editor's files stay far
// below it, and endless or huge inputs must not exhaust the memory.
constexpr std::size_t kMaxReadBytes = std::size_t{32} << 20;

// The messages of the file_io_error for the helpers' own refusals (the
// systems have no common text for them).
inline constexpr wchar_t kFileTooLarge[] = L"File too large (more than 32 MiB)";
inline constexpr wchar_t kIsAFolder[] = L"Is a folder, not a file";

// Writes `text` up to its first zero character as UTF-8 without a mark,
// followed by one zero byte (the form of every XML file the programs write),
// replacing `path`. Throws mwstd::file_io_error with the system's text (it
// does not repeat the path).
//
// What belongs to the file stays: natively its permission bits, and a
// symbolic link stays a link, its target being what is replaced; on Windows
// ReplaceFileW keeps attributes and security. A file of the target's name
// plus a suffix is never touched.
void WriteUtf8FileReplacing(const std::wstring& path, const std::wstring& text);

// Replaces `path` by exactly `bytes`, the same way.
void WriteBytesReplacing(const std::wstring& path, const std::string& bytes);

// The whole file (opened for reading with read sharing). Throws
// mwstd::file_io_error: with kIsAFolder for a folder, with kFileTooLarge
// for more than `maxBytes` (an endless input included), else with the
// system's text.
std::string ReadFileBytes(const std::wstring& path, std::size_t maxBytes = kMaxReadBytes);

}  // namespace mwWinAPI
