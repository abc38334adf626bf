#pragma once
// The signature check and SHA-256 on the system's own cryptography (CNG),
// and the maker's public keys that the updater is built with.
#include <cstddef>
#include <string>

#include "updater/Signature.h"

namespace updater {

// True only when `der` is a valid ECDSA P-256 signature of SHA-256(`data`)
// under `key`. Never throws.
bool VerifySignature(const std::string& data, const std::string& der, const PublicKey& key);

// The maker's trusted public keys as text (ParsePublicKeyHex), usually the
// current one and the next, so that the key can be replaced by first
// shipping an updater that knows both. Defined by the generated source each
// program links (ORBIFORM_RELEASE_KEY in CMake, a list of files), so that
// the tests can build with keys of their own.
extern const char* const kReleasePublicKeys[];
extern const std::size_t kReleasePublicKeyCount;

// True when any of kReleasePublicKeys verifies the signature; keys that do
// not parse are skipped.
bool VerifyReleaseSignature(const std::string& data, const std::string& der);

// SHA-256 of `data` as 64 lower-case hex digits; empty when the system
// cannot compute it. Never throws but std::bad_alloc.
std::string Sha256Hex(const std::string& data);

}  // namespace updater
