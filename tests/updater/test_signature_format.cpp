// The signature and key formats a release is checked with, and the
// updater's command line: the readers refuse anything they cannot read
// exactly, so that nothing malformed reaches the check as a "signature".
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "updater/CommandLine.h"
#include "updater/Signature.h"

using namespace updater;

namespace {

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

// A DER signature of two integers given as their content bytes.
std::string Der(const std::string& r, const std::string& s) {
  const std::string body =
      Bytes({0x02, static_cast<int>(r.size())}) + r + Bytes({0x02, static_cast<int>(s.size())}) + s;
  return Bytes({0x30, static_cast<int>(body.size())}) + body;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(Signature, ReadsWhatOpensslWrites) {
#ifdef _WIN32
  const std::string root = std::string("Z:") + ORBIFORM_SOURCE_DIR;  // Wine's view of the build machine
#else
  const std::string root = ORBIFORM_SOURCE_DIR;
#endif
  const std::string der = ReadFile(root + "/tests/service/data/stable/2.2.0/body250.bin.sig");
  ASSERT_GE(der.size(), 8u);
  RawSignature raw{};
  ASSERT_TRUE(DecodeDerSignature(der, raw));
  // r ends where its DER content ends, right-aligned in 32 bytes.
  const std::size_t rLength = static_cast<unsigned char>(der[3]);
  EXPECT_EQ(der[4 + rLength - 1], static_cast<char>(raw[31]));
  EXPECT_EQ(der.back(), static_cast<char>(raw[63]));
}

TEST(Signature, ShortIntegersArePaddedAndLeadingZerosKept) {
  RawSignature raw{};
  ASSERT_TRUE(DecodeDerSignature(Der(Bytes({0x01}), Bytes({0x00, 0x80}) + std::string(31, '\x11')), raw));
  EXPECT_EQ(0, raw[30]);
  EXPECT_EQ(1, raw[31]);
  EXPECT_EQ(0x80, raw[32]);
  EXPECT_EQ(0x11, raw[63]);
}

TEST(Signature, MalformedFormsAreRefused) {
  const std::string one = Bytes({0x01});
  const std::string good = Der(one, one);
  RawSignature raw{};
  raw[0] = 0x5a;
  EXPECT_FALSE(DecodeDerSignature("", raw));
  EXPECT_FALSE(DecodeDerSignature("not found\n", raw));  // a 404 page instead of a signature
  EXPECT_FALSE(DecodeDerSignature(good + "x", raw));     // trailing bytes
  EXPECT_FALSE(DecodeDerSignature(good.substr(0, good.size() - 1), raw));
  std::string wrongTag = good;
  wrongTag[0] = 0x31;
  EXPECT_FALSE(DecodeDerSignature(wrongTag, raw));
  EXPECT_FALSE(DecodeDerSignature(Der(Bytes({0x80}), one), raw));            // negative
  EXPECT_FALSE(DecodeDerSignature(Der(Bytes({0x00, 0x01}), one), raw));      // not minimal
  EXPECT_FALSE(DecodeDerSignature(Der(Bytes({0x00}), one), raw));            // zero
  EXPECT_FALSE(DecodeDerSignature(Der(std::string(33, '\x01'), one), raw));  // too long for P-256
  EXPECT_EQ(0x5a, raw[0]);                                                   // untouched
}

TEST(Signature, PublicKeyText) {
  PublicKey key{};
  const std::string hex = "04" + std::string(62, '0') + "ab" + std::string(62, '0') + "CD";
  ASSERT_TRUE(ParsePublicKeyHex(hex.substr(0, 70) + "\n" + hex.substr(70) + "\n", key));
  EXPECT_EQ(0xab, key[31]);
  EXPECT_EQ(0xcd, key[63]);
  EXPECT_FALSE(ParsePublicKeyHex("02" + hex.substr(2), key));  // compressed form
  EXPECT_FALSE(ParsePublicKeyHex(hex.substr(0, 128), key));
  EXPECT_FALSE(ParsePublicKeyHex(hex.substr(0, 128) + "zz", key));
  EXPECT_EQ(L"http://h/a.exe.file.sig", SignatureLink(L"http://h/a.exe.file"));
}

TEST(CommandLine, OnlyAWholeSecondArgumentCounts) {
  const std::wstring p = L"http://h/get_version.php?product=XKV&links=true";
  StartOptions o = ParseCommandLine({L"QZ7Updater.exe"});
  EXPECT_TRUE(o.queryPrefix.empty());
  EXPECT_FALSE(o.autoStart);

  o = ParseCommandLine({L"QZ7Updater.exe", p, L"/auto"});
  EXPECT_EQ(p, o.queryPrefix);
  EXPECT_TRUE(o.autoStart);
  EXPECT_EQ(0, o.selfUpdate);

  o = ParseCommandLine({L"QZ7Updater.exe", p, L"/tinyok"});
  EXPECT_TRUE(o.autoStart);
  EXPECT_EQ(1, o.selfUpdate);

  o = ParseCommandLine({L"QZ7Updater.exe", p, L"/tinyfailed"});
  EXPECT_FALSE(o.autoStart);
  EXPECT_EQ(-1, o.selfUpdate);

  EXPECT_FALSE(ParseCommandLine({L"QZ7Updater.exe", p, L"/autox"}).autoStart);
  EXPECT_FALSE(ParseCommandLine({L"QZ7Updater.exe", L"/auto"}).autoStart);  // that is the prefix

  // A repair the user asks for: alone, on the built-in query.
  o = ParseCommandLine({L"QZ7Updater.exe", L"/repair"});
  EXPECT_TRUE(o.repair && o.autoStart && o.queryPrefix.empty());
  EXPECT_FALSE(ParseCommandLine({L"QZ7Updater.exe", p, L"/repair"}).repair);
}
