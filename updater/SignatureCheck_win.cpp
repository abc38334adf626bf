// ECDSA P-256 / SHA-256 verification with bcrypt.dll, which every supported
// Windows has: no library outside the system is needed.
#include "updater/SignatureCheck.h"

#include <windows.h>
// after windows.h
#include <bcrypt.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace updater {
namespace {

class Algorithm {
 public:
  explicit Algorithm(const wchar_t* id) {
    if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&handle_, id, nullptr, 0))) handle_ = nullptr;
  }
  ~Algorithm() {
    if (handle_) ::BCryptCloseAlgorithmProvider(handle_, 0);
  }
  Algorithm(const Algorithm&) = delete;
  Algorithm& operator=(const Algorithm&) = delete;
  BCRYPT_ALG_HANDLE Get() const { return handle_; }

 private:
  BCRYPT_ALG_HANDLE handle_ = nullptr;
};

bool Sha256(const std::string& data, unsigned char (&digest)[32]) {
  Algorithm sha(BCRYPT_SHA256_ALGORITHM);
  if (!sha.Get()) return false;
  BCRYPT_HASH_HANDLE hash = nullptr;
  if (!BCRYPT_SUCCESS(::BCryptCreateHash(sha.Get(), &hash, nullptr, 0, nullptr, 0, 0))) return false;
  bool ok = true;
  // Fed in slices: a ULONG cannot carry every size_t.
  for (std::size_t at = 0; ok && at < data.size(); at += 1u << 30) {
    const ULONG n = static_cast<ULONG>(std::min<std::size_t>(data.size() - at, 1u << 30));
    ok = BCRYPT_SUCCESS(
        ::BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(data.data() + at)), n, 0));
  }
  ok = ok && BCRYPT_SUCCESS(::BCryptFinishHash(hash, digest, sizeof digest, 0));
  ::BCryptDestroyHash(hash);
  return ok;
}

}  // namespace

bool VerifySignature(const std::string& data, const std::string& der, const PublicKey& key) {
  RawSignature raw;
  if (!DecodeDerSignature(der, raw)) return false;
  unsigned char digest[32];
  if (!Sha256(data, digest)) return false;

  Algorithm ecdsa(BCRYPT_ECDSA_P256_ALGORITHM);
  if (!ecdsa.Get()) return false;
  std::vector<unsigned char> blob(sizeof(BCRYPT_ECCKEY_BLOB) + key.size());
  BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
  std::memcpy(blob.data(), &header, sizeof header);
  std::memcpy(blob.data() + sizeof header, key.data(), key.size());
  BCRYPT_KEY_HANDLE handle = nullptr;
  if (!BCRYPT_SUCCESS(::BCryptImportKeyPair(ecdsa.Get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &handle, blob.data(),
                                            static_cast<ULONG>(blob.size()), 0)))
    return false;
  const NTSTATUS status = ::BCryptVerifySignature(handle, nullptr, digest, sizeof digest, raw.data(),
                                                  static_cast<ULONG>(raw.size()), 0);
  ::BCryptDestroyKey(handle);
  return BCRYPT_SUCCESS(status);
}

bool VerifyReleaseSignature(const std::string& data, const std::string& der) {
  for (std::size_t i = 0; i < kReleasePublicKeyCount; ++i) {
    PublicKey key;
    if (ParsePublicKeyHex(kReleasePublicKeys[i], key) && VerifySignature(data, der, key)) return true;
  }
  return false;
}

std::string Sha256Hex(const std::string& data) {
  unsigned char digest[32];
  if (!Sha256(data, digest)) return std::string();
  static const char hex[] = "0123456789abcdef";
  std::string text;
  for (const unsigned char b : digest) {
    text.push_back(hex[b >> 4]);
    text.push_back(hex[b & 15]);
  }
  return text;
}

}  // namespace updater
