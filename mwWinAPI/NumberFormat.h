#pragma once
// The two number formats of the dialogs. The user's choice becomes the global
// locale, and every number field is shown and parsed through it; files always
// use the classic locale whatever the user chose.
#include <locale>
#include <optional>
#include <string>

namespace mwWinAPI {

// The German format: the classic locale with ',' as the decimal point and no
// thousands grouping (a grouped "1.024" in a coordinate field would read as
// a fraction elsewhere). This C++ runtime has no named German locale.
std::locale GermanNumberLocale();

// GermanNumberLocale() for format 1, the classic locale for any other value.
std::locale NumberLocale(int format);

// `value` as a stream in `locale` writes it (default precision).
std::wstring FormatNumber(double value, const std::locale& locale = std::locale());

// The number that fills all of `text` but for surrounding blanks, read in
// `locale`; nullopt for an empty, partial or malformed text.
std::optional<double> ParseNumber(const std::wstring& text, const std::locale& locale = std::locale());
std::optional<long> ParseInteger(const std::wstring& text, const std::locale& locale = std::locale());

}  // namespace mwWinAPI
