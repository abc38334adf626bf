#pragma once
// Helpers every XML writer of the editor shares: attribute escaping, the
// line-break convention of multi-line texts, numbers in the classic locale,
// and a guard that keeps the global locale classic while a file is written
// or read (the user's number format must never reach a file).
#include <locale>
#include <sstream>
#include <string>

namespace orbiform {

namespace xmltext {

// Sets the global C++ locale to the classic one and restores the previous
// global locale when it goes out of scope.
class ClassicLocaleGuard {
 public:
  ClassicLocaleGuard() : saved_(std::locale::global(std::locale::classic())) {}
  ~ClassicLocaleGuard() { std::locale::global(saved_); }
  ClassicLocaleGuard(const ClassicLocaleGuard&) = delete;
  ClassicLocaleGuard& operator=(const ClassicLocaleGuard&) = delete;

 private:
  std::locale saved_;
};

// Appends `text` for use inside a double-quoted attribute value: & < > "
// become entities; tab, CR and LF become character references so that the
// parser's attribute normalisation does not turn them into blanks. Characters
// XML cannot carry at all (other control characters, U+FFFE, U+FFFF) are
// left out, since one of them would make the whole file unreadable. Text
// without any of these characters is appended unchanged.
void AppendEscaped(std::wstring& out, const std::wstring& text);

// Multi-line texts (object info) are stored on one line: every CR LF, then
// every remaining LF, becomes the two characters slash and n ("/n"), the form
// the simulator and older files use. DecodeLineBreaks turns every "/n" back
// into CR LF, so a "/n" the user typed himself comes back as a line break.
std::wstring EncodeLineBreaks(const std::wstring& text);
std::wstring DecodeLineBreaks(const std::wstring& text);

// Formats numbers as a classic-locale stream does by default: doubles in
// general notation with 6 significant digits (2.0 -> "2", 0.5 -> "0.5"),
// integers plain decimal. std::to_chars gives exactly that, whatever the
// global locale, and many times faster than a stream. A double that is not
// finite throws mwstd::invalid_argument (string 230) rather than write a
// file no reader accepts.
class NumberFormatter {
 public:
  void Append(std::wstring& out, double value);
  void Append(std::wstring& out, long long value);
  void Append(std::wstring& out, unsigned long long value);
  void Append(std::wstring& out, int value) { Append(out, static_cast<long long>(value)); }
  void Append(std::wstring& out, unsigned value) { Append(out, static_cast<unsigned long long>(value)); }
};

}  // namespace xmltext

}  // namespace orbiform
