#pragma once
// Whole-file reading and crash-safe writing. A write goes to a new file
// beside the target and replaces the target only once complete, so a failed
// save never destroys the previous file.
#include <string>

namespace mwWinAPI {

// Writes `text` up to its first zero character as UTF-8 without a mark,
// followed by one zero byte (the form of every XML file the programs write),
// replacing `path`. Throws mwstd::file_io_error with the system's text.
void WriteUtf8FileReplacing(const std::wstring& path, const std::wstring& text);

// Replaces `path` by exactly `bytes`, the same way.
void WriteBytesReplacing(const std::wstring& path, const std::string& bytes);

// The whole file (opened for reading with read sharing). Throws
// mwstd::file_io_error.
std::string ReadFileBytes(const std::wstring& path);

}  // namespace mwWinAPI
