#include "mwWinAPI/File.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <new>
#include <utility>

#include "mwWinAPI/Conversions.h"
#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/WinHelpers.h"

static_assert(sizeof(wchar_t) == 2, "Windows wide strings are UTF-16");

namespace mwWinAPI {
namespace {

// Zero bytes behind the data that ReadUnsafe reads.
constexpr unsigned long kPadding = 2;
// ReadFile takes a DWORD count and callers get the size as unsigned long; the
// buffer needs the padding on top, within the address space.
constexpr ULONGLONG kMaximumReadSize = std::min<ULONGLONG>(MAXDWORD, SIZE_MAX) - kPadding;

const wchar_t kUtf32NotImplemented[] = L"UTF-32 ist derzeit nicht implementiert";

[[noreturn]] void ThrowError(DWORD code) { throw mwstd::file_io_error(GetLastErrorS(code)); }
[[noreturn]] void ThrowLastError() { ThrowError(::GetLastError()); }

// A call that reported success but moved fewer bytes may have left no error
// code, or a stale one from an earlier call.
[[noreturn]] void ThrowShortTransfer(DWORD fallback) {
  const DWORD error = ::GetLastError();
  ThrowError(error != ERROR_SUCCESS ? error : fallback);
}

HANDLE Open(const std::wstring& path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
            DWORD creation, DWORD flags, HANDLE templateFile) {
  const HANDLE handle = ::CreateFileW(path.c_str(), access, share, security, creation, flags, templateFile);
  if (handle == INVALID_HANDLE_VALUE) ThrowLastError();
  return handle;
}

// One WriteFile of all `size` bytes; writing fewer counts as failure.
DWORD WriteAll(HANDLE file, const void* data, std::size_t size) {
  if (size > MAXDWORD) ThrowError(ERROR_FILE_TOO_LARGE);
  const DWORD wanted = static_cast<DWORD>(size);
  DWORD written = 0;
  ::SetLastError(ERROR_SUCCESS);
  if (!::WriteFile(file, data, wanted, &written, nullptr)) ThrowLastError();
  if (written != wanted) ThrowShortTransfer(ERROR_WRITE_FAULT);
  return written;
}

// UTF-16 code units of complete byte pairs from `start` up to the first zero
// unit or the end; a trailing odd byte is half a character and not taken.
std::wstring DecodeUtf16(const unsigned char* start, const unsigned char* end, bool bigEndian) {
  std::wstring text;
  text.reserve(static_cast<std::size_t>(end - start) / 2);
  for (const unsigned char* p = start; end - p >= 2; p += 2) {
    const unsigned unit = bigEndian ? (p[0] << 8) | p[1] : (p[1] << 8) | p[0];
    if (unit == 0) break;
    text.push_back(static_cast<wchar_t>(unit));
  }
  return text;
}

std::string EncodeUtf16(const std::wstring& text, bool bigEndian) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (const wchar_t c : text) {
    const auto unit = static_cast<unsigned>(c) & 0xFFFFu;
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes.push_back(bigEndian ? high : low);
    bytes.push_back(bigEndian ? low : high);
  }
  return bytes;
}

// Decodes the zero-terminated bytes at `start` from `codePage`, up to the first zero.
std::wstring DecodeTerminated(UINT codePage, const unsigned char* start) {
  std::wstring decoded;
  MultiByteToWideChar(codePage, 0, reinterpret_cast<const char*>(start), -1, decoded);
  return decoded.c_str();
}

}  // namespace

// --- File ---------------------------------------------------------------------

File::File(HANDLE handle) : handle_(handle) {
  if (handle_ == INVALID_HANDLE_VALUE) ThrowLastError();
}

File::File(const std::wstring& path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
           DWORD creation, DWORD flags, HANDLE templateFile)
    : handle_(Open(path, access, share, security, creation, flags, templateFile)) {}

File::File(const std::wstring& path, DWORD access, DWORD share, DWORD creation)
    : handle_(Open(path, access, share, nullptr, creation, 0, nullptr)) {}

File::File(File&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
  }
  return *this;
}

File::~File() { Close(); }

void File::Close() noexcept {
  if (handle_ != INVALID_HANDLE_VALUE) {
    ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }
}

DWORD File::WritesBytes(const std::string& bytes) const {
  return WriteAll(handle_, bytes.data(), bytes.size());
}

void File::ReadUnsafe(std::unique_ptr<char[]>& buffer, unsigned long& size) const {
  buffer.reset();
  size = 0;
  // GetFileSize's low part alone would silently cut files of 4 GiB or more.
  LARGE_INTEGER fileSize;
  if (!::GetFileSizeEx(handle_, &fileSize)) ThrowLastError();
  if (fileSize.QuadPart < 0 || static_cast<ULONGLONG>(fileSize.QuadPart) > kMaximumReadSize)
    ThrowError(ERROR_FILE_TOO_LARGE);
  const DWORD expected = static_cast<DWORD>(fileSize.QuadPart);

  std::unique_ptr<char[]> data;
  try {
    data = std::make_unique<char[]>(std::size_t{expected} + kPadding);  // zeroed, padding included
  } catch (const std::bad_alloc&) {
    ThrowError(ERROR_NOT_ENOUGH_MEMORY);
  }
  DWORD read = 0;
  ::SetLastError(ERROR_SUCCESS);
  if (!::ReadFile(handle_, data.get(), expected, &read, nullptr)) ThrowLastError();
  if (read != expected) ThrowShortTransfer(ERROR_HANDLE_EOF);
  data[read] = data[read + 1] = '\0';
  size = read;
  buffer = std::move(data);
}

unsigned long File::ReadBytes(std::string& bytes) const {
  std::unique_ptr<char[]> buffer;
  unsigned long size = 0;
  ReadUnsafe(buffer, size);
  bytes.assign(buffer.get(), std::size_t{size} + kPadding);
  return size;
}

// --- TextFile -----------------------------------------------------------------

TextFile::ENCODING TextFile::GetEncoding(const unsigned char* data, ENCODING fallback,
                                         const unsigned char*& textStart, unsigned long size) {
  textStart = data;
  const auto starts = [&](std::initializer_list<unsigned char> mark) {
    return size >= mark.size() && std::equal(mark.begin(), mark.end(), data);
  };
  ENCODING found = fallback;
  std::size_t markLength = 0;
  if (starts({0xEF, 0xBB, 0xBF})) {
    found = UTF8, markLength = 3;
  } else if (starts({0xFF, 0xFE, 0x00, 0x00})) {
    found = UTF32_LE, markLength = 4;
  } else if (starts({0xFF, 0xFE})) {
    found = UTF16_LE, markLength = 2;
  } else if (starts({0xFE, 0xFF})) {
    found = UTF16_BE, markLength = 2;
  } else if (starts({0x00, 0x00, 0xFE, 0xFF})) {
    found = UTF32_BE, markLength = 4;
  }
  textStart = data + markLength;
  return found;
}

TextFile::ENCODING TextFile::ReadText(std::wstring& text, int requested, bool* usedDefaultChar) const {
  std::unique_ptr<char[]> buffer;
  unsigned long size = 0;
  ReadUnsafe(buffer, size);
  const auto* data = reinterpret_cast<const unsigned char*>(buffer.get());
  const unsigned char* const end = data + size;

  // The flag only says whether a mark may override the request; it is never
  // an encoding itself, not even for files too short to be examined.
  const bool force = (requested & FORCE_ENCODING) != 0;
  const auto wanted = static_cast<ENCODING>(requested & ~FORCE_ENCODING);
  ENCODING used = wanted;
  const unsigned char* start = data;
  if (size >= 4) {
    const ENCODING found = GetEncoding(data, wanted, start, size);
    if (!force) used = found;
  }

  switch (used) {
    case UTF8:
      text = DecodeTerminated(CP_UTF8, start);
      break;
    case UTF16_LE:
    case UTF16_BE:
      text = DecodeUtf16(start, end, used == UTF16_BE);
      break;
    case UTF32_LE:
    case UTF32_BE:
      throw mwstd::file_io_error(kUtf32NotImplemented);
    default:  // ANSI and anything unknown, from the file's first byte
      text = DecodeTerminated(CP_ACP, data);
      break;
  }
  if (usedDefaultChar) *usedDefaultChar = false;
  return used;
}

DWORD TextFile::WriteText(const std::wstring& text, ENCODING encoding, bool* usedDefaultChar) const {
  if (usedDefaultChar) *usedDefaultChar = false;
  std::string bytes;
  switch (encoding) {
    case UTF8: {
      // Up to the first zero character; the count includes the terminating zero byte.
      std::string converted;
      const int count = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, converted, nullptr, nullptr);
      if (count <= 0) ThrowLastError();
      bytes.assign(converted, 0, static_cast<std::size_t>(count));
      break;
    }
    case UTF16_LE:
    case UTF16_BE: {
      const bool bigEndian = encoding == UTF16_BE;
      const unsigned char mark[2] = {static_cast<unsigned char>(bigEndian ? 0xFE : 0xFF),
                                     static_cast<unsigned char>(bigEndian ? 0xFF : 0xFE)};
      DWORD markWritten = 0;
      ::WriteFile(Handle(), mark, sizeof mark, &markWritten, nullptr);  // a failure shows in the text's write
      bytes = EncodeUtf16(text, bigEndian);
      break;
    }
    case UTF32_LE:
    case UTF32_BE:
      throw mwstd::file_io_error(kUtf32NotImplemented);
    default: {  // ANSI: the whole string, terminating zero byte included
      if (!text.empty()) {
        std::string converted;
        BOOL usedDefault = FALSE;
        const int count = WideCharToMultiByte(CP_ACP, 0, text, converted, nullptr, &usedDefault);
        if (count <= 0) ThrowLastError();
        if (usedDefaultChar) *usedDefaultChar = usedDefault != FALSE;
        bytes = std::move(converted);  // count bytes and the zero behind them
      } else {
        bytes.assign(1, '\0');
      }
      break;
    }
  }
  return WriteAll(Handle(), bytes.data(), bytes.size());
}

}  // namespace mwWinAPI
