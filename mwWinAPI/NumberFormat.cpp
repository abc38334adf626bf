#include "mwWinAPI/NumberFormat.h"

#include <sstream>

namespace mwWinAPI {
namespace {

template <typename Char>
class GermanPunctuation : public std::numpunct<Char> {
 protected:
  Char do_decimal_point() const override { return Char(','); }
  Char do_thousands_sep() const override { return Char('.'); }
  std::string do_grouping() const override { return {}; }  // no grouping at all
};

template <typename T>
std::optional<T> Parse(const std::wstring& text, const std::locale& locale) {
  std::wistringstream in(text);
  in.imbue(locale);
  T value{};
  in >> std::skipws >> value;
  if (in.fail()) return std::nullopt;
  in >> std::ws;
  if (!in.eof()) return std::nullopt;  // "1.5" in German, "0,5" in classic, "3x"
  return value;
}

}  // namespace

std::locale GermanNumberLocale() {
  static const std::locale german(std::locale(std::locale::classic(), new GermanPunctuation<char>),
                                  new GermanPunctuation<wchar_t>);
  return german;
}

std::locale NumberLocale(int format) { return format == 1 ? GermanNumberLocale() : std::locale::classic(); }

std::wstring FormatNumber(double value, const std::locale& locale) {
  std::wostringstream out;
  out.imbue(locale);
  out << value;
  return out.str();
}

std::optional<double> ParseNumber(const std::wstring& text, const std::locale& locale) {
  return Parse<double>(text, locale);
}

std::optional<long> ParseInteger(const std::wstring& text, const std::locale& locale) {
  return Parse<long>(text, locale);
}

}  // namespace mwWinAPI
