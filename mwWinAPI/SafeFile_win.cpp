#include <windows.h>

#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/File.h"
#include "mwWinAPI/SafeFile.h"
#include "mwWinAPI/WinHelpers.h"

namespace mwWinAPI {
namespace {

// The new content goes to this file beside the target; on the same volume the
// final move is a rename, so the target is either the old or the new file.
const wchar_t kTempSuffix[] = L".new~";

template <typename Write>
void Replace(const std::wstring& path, Write write) {
  const std::wstring temp = path + kTempSuffix;
  {
    // Unshared: nobody reads a half-written file. If this throws, nothing was created.
    TextFile file(temp, GENERIC_WRITE, 0, CREATE_ALWAYS);
    try {
      write(file);
      if (!::FlushFileBuffers(file.Handle())) throw mwstd::file_io_error(GetLastErrorS());
    } catch (...) {
      file.Close();
      ::DeleteFileW(temp.c_str());
      throw;
    }
  }
  // MoveFileExW rather than ReplaceFileW: when it fails the target is untouched,
  // whereas ReplaceFileW has failure modes that leave the target renamed away.
  if (!::MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = ::GetLastError();
    ::DeleteFileW(temp.c_str());
    throw mwstd::file_io_error(GetLastErrorS(error));
  }
}

}  // namespace

void WriteUtf8FileReplacing(const std::wstring& path, const std::wstring& text) {
  Replace(path, [&text](const TextFile& file) { file.WriteText(text, TextFile::UTF8); });
}

void WriteBytesReplacing(const std::wstring& path, const std::string& bytes) {
  Replace(path, [&bytes](const TextFile& file) { file.WritesBytes(bytes); });
}

std::string ReadFileBytes(const std::wstring& path) {
  const File file(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  std::string bytes;
  const unsigned long size = file.ReadBytes(bytes);
  bytes.resize(size);  // without the two zero bytes ReadBytes appends
  return bytes;
}

}  // namespace mwWinAPI
