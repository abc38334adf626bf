#pragma once
// The signature check on the system's own cryptography (CNG), and the
// maker's public key that the updater is built with.
#include <string>

#include "updater/Signature.h"

namespace updater {

// True only when `der` is a valid ECDSA P-256 signature of SHA-256(`data`)
// under `key`. Never throws.
bool VerifySignature(const std::string& data, const std::string& der, const PublicKey& key);

// The maker's public key as text (ParsePublicKeyHex): defined by the
// generated source each program links (ORBIFORM_RELEASE_KEY in CMake), so
// that the tests can build with a test key of their own.
extern const char kReleasePublicKeyHex[];

// VerifySignature against kReleasePublicKeyHex; false when that key does
// not parse.
bool VerifyReleaseSignature(const std::string& data, const std::string& der);

}  // namespace updater
