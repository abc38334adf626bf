#pragma once
// The maker signs each release's manifest (ECDSA P-256 over SHA-256, made by
// scripts/sign-release with openssl; every file too, for older updaters);
// the updater fetches the signature beside the manifest and installs nothing
// that the manifest does not vouch for. This part reads the formats; the
// check itself uses the system's cryptography.
#include <array>
#include <cstddef>
#include <string>

namespace updater {

// A signature is served at its manifest's (or file's) address plus this suffix.
constexpr wchar_t kSignatureSuffix[] = L".sig";
// A DER-encoded P-256 signature has at most 72 bytes; anything much longer
// is no signature and is not read.
constexpr std::size_t kMaxSignatureBytes = 256;

// r and s, 32 bytes each, big-endian: the form the system's check takes.
using RawSignature = std::array<unsigned char, 64>;
// The public key's point X and Y, 32 bytes each, big-endian.
using PublicKey = std::array<unsigned char, 64>;

// Where the signature of what `link` addresses is served.
std::wstring SignatureLink(const std::wstring& link);

// Reads openssl's DER form (SEQUENCE of two positive INTEGERs, short
// lengths, minimal encoding, nothing behind it) into `raw`. False, with
// `raw` untouched, for anything else, so that a malformed or padded
// signature is refused rather than guessed at.
bool DecodeDerSignature(const std::string& der, RawSignature& raw);

// The public key from its text form as sign-release writes it: 130 hex
// digits of the uncompressed point ("04", X, Y), blanks and line ends
// ignored. False for anything else.
bool ParsePublicKeyHex(const std::string& text, PublicKey& key);

// Checks `signature` (DER) of `data` against a public key; true only for a
// valid signature.
using SignatureCheck = bool (*)(const std::string& data, const std::string& signature);

}  // namespace updater
