// The signature check on the system's cryptography with a signature that
// openssl made (scripts/sign-release) for the tests' release.
#include <gtest/gtest.h>

#include "mwWinAPI/Utf.h"
#include "tests/mwWinAPI/TempFolder.h"
#include "updater/SignatureCheck.h"

using namespace updater;

namespace {

std::string Source(const std::string& path) {
  return mwtest::GetBytes(mwWinAPI::FromUtf8(std::string("Z:") + ORBIFORM_SOURCE_DIR + "/" + path));
}

PublicKey Key(const std::string& name) {
  PublicKey key{};
  EXPECT_TRUE(ParsePublicKeyHex(Source("tests/updater/keys/" + name), key));
  return key;
}

}  // namespace

TEST(SignatureCheck, GoodAlteredWrongKeyMissing) {
  const std::string data = Source("tests/service/data/stable/2.2.0/body250.bin");
  const std::string signature = Source("tests/service/data/stable/2.2.0/body250.bin.sig");
  ASSERT_EQ(250u, data.size());
  const PublicKey key = Key("test-public.hex");
  EXPECT_TRUE(VerifySignature(data, signature, key));
  // This program trusts two keys, as during a rotation, the tests' one
  // second: a signature by either holds, a forged one by neither.
  ASSERT_EQ(2u, kReleasePublicKeyCount);
  EXPECT_TRUE(VerifyReleaseSignature(data, signature));
  EXPECT_FALSE(VerifyReleaseSignature(data + "x", signature));

  std::string altered = data;
  altered[249] ^= 0x20;
  EXPECT_FALSE(VerifySignature(altered, signature, key));
  EXPECT_FALSE(VerifySignature(data + "x", signature, key));
  std::string forged = signature;
  forged[forged.size() - 1] ^= 1;
  EXPECT_FALSE(VerifySignature(data, forged, key));
  EXPECT_FALSE(VerifySignature(data, signature, Key("other-public.hex")));
  EXPECT_FALSE(VerifySignature(data, "", key));
  EXPECT_FALSE(VerifySignature(data, "not found\n", key));
  // Another file's valid signature does not carry over.
  EXPECT_FALSE(VerifySignature(Source("tests/service/data/stable/2.2.0/sub/readme.txt"), signature, key));
}
