#pragma once
// Win32 file handle wrapper and text files with byte-order-mark detection.
// Every failure throws mwstd::file_io_error with the system's error text.
#include <windows.h>

#include <memory>
#include <string>

namespace mwWinAPI {

class File {
 public:
  // Takes `handle` over; throws for INVALID_HANDLE_VALUE (with the text of the
  // last error, so it can wrap a CreateFileW call directly).
  explicit File(HANDLE handle);
  File(const std::wstring& path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD creation,
       DWORD flags, HANDLE templateFile);
  File(const std::wstring& path, DWORD access, DWORD share, DWORD creation);

  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  virtual ~File();

  // Closes the handle if one is open; harmless when called again.
  void Close() noexcept;
  HANDLE Handle() const noexcept { return handle_; }

  // Writes all of `bytes` at the current position with one WriteFile; a short
  // write counts as failure. Returns the number of bytes written.
  DWORD WritesBytes(const std::string& bytes) const;

  // The whole file followed by two zero bytes (size + 2 bytes in `bytes`);
  // returns the file's size without them.
  unsigned long ReadBytes(std::string& bytes) const;

 protected:
  // The whole file into a new buffer of size + 2 bytes whose last two bytes
  // are zero, so that it is a terminated narrow string (and a terminated wide
  // string when the size is even). On failure `buffer` is left empty.
  void ReadUnsafe(std::unique_ptr<char[]>& buffer, unsigned long& size) const;

 private:
  HANDLE handle_;
};

class TextFile : public File {
 public:
  enum ENCODING : int {
    ANSI = 0,
    UTF8 = 1,
    UTF16_LE = 2,
    UTF16_BE = 3,
    UTF32_LE = 4,
    UTF32_BE = 5,
    // Added to a requested encoding: decode in it whatever mark the file has
    // (a recognised mark is still skipped).
    FORCE_ENCODING = 0x20
  };

  using File::File;
  TextFile(TextFile&&) noexcept = default;
  TextFile& operator=(TextFile&&) noexcept = default;
  ~TextFile() override = default;

  // Reads and decodes the whole file; a byte-order mark (files of 4 bytes or
  // more) overrides `requested` unless FORCE_ENCODING is added. Returns the
  // encoding used and clears *usedDefaultChar when given.
  ENCODING ReadText(std::wstring& text, int requested, bool* usedDefaultChar = nullptr) const;

  // Writes `text` at the current position: UTF8 and ANSI as converted bytes
  // with a terminating zero byte and no mark, UTF-16 with its mark. Returns
  // the number of bytes of the text's write (without the mark).
  // *usedDefaultChar tells whether the ANSI conversion lost characters.
  DWORD WriteText(const std::wstring& text, ENCODING encoding, bool* usedDefaultChar = nullptr) const;

 private:
  // The byte-order-mark detector: the encoding of the mark at `data`, or
  // `fallback`; `textStart` is set behind the mark. Needs `size` >= 4.
  static ENCODING GetEncoding(const unsigned char* data, ENCODING fallback, const unsigned char*& textStart,
                              unsigned long size);
};

}  // namespace mwWinAPI
