// Strict readers of the signature and key formats.
#include "updater/Signature.h"

#include <algorithm>

namespace updater {
namespace {

// One DER INTEGER at `at` into 32 big-endian bytes; advances `at`.
bool ReadInteger(const std::string& der, std::size_t& at, unsigned char* out) {
  if (at + 2 > der.size() || static_cast<unsigned char>(der[at]) != 0x02) return false;
  const std::size_t length = static_cast<unsigned char>(der[at + 1]);
  at += 2;
  if (length == 0 || length > 33 || at + length > der.size()) return false;
  const auto* bytes = reinterpret_cast<const unsigned char*>(der.data()) + at;
  if (bytes[0] & 0x80) return false;  // negative
  // Minimal: a leading zero only in front of a byte with its top bit set.
  if (length > 1 && bytes[0] == 0 && !(bytes[1] & 0x80)) return false;
  const unsigned char* value = bytes;
  std::size_t size = length;
  if (size == 33) {
    if (value[0] != 0) return false;
    ++value;
    --size;
  }
  if (std::all_of(value, value + size, [](unsigned char b) { return b == 0; })) return false;
  std::fill(out, out + 32, 0);
  std::copy(value, value + size, out + (32 - size));
  at += length;
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::wstring SignatureLink(const std::wstring& link) { return link + kSignatureSuffix; }

bool DecodeDerSignature(const std::string& der, RawSignature& raw) {
  if (der.size() < 8 || der.size() > 72 || static_cast<unsigned char>(der[0]) != 0x30) return false;
  if (static_cast<unsigned char>(der[1]) != der.size() - 2) return false;
  RawSignature out{};
  std::size_t at = 2;
  if (!ReadInteger(der, at, out.data()) || !ReadInteger(der, at, out.data() + 32) || at != der.size())
    return false;
  raw = out;
  return true;
}

bool ParsePublicKeyHex(const std::string& text, PublicKey& key) {
  std::string digits;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    if (HexDigit(c) < 0) return false;
    digits += c;
  }
  if (digits.size() != 130 || digits.compare(0, 2, "04") != 0) return false;
  for (std::size_t i = 0; i < key.size(); ++i) {
    key[i] = static_cast<unsigned char>(HexDigit(digits[2 + 2 * i]) * 16 + HexDigit(digits[3 + 2 * i]));
  }
  return true;
}

}  // namespace updater
