// Addresses, encoding, version order and reply parsing of the update and
// feedback services.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "mwWinAPI/Origin.h"
#include "mwWinAPI/Utf.h"
#include "product/UpdateService.h"

using namespace mwWinAPI;

namespace {

std::wstring Decode(const std::string& bytes) { return FromUtf8(bytes); }
const std::string kMarker = kReplyMarker;

void SetServiceVariable(const char* value) {
#ifdef _WIN32
  _putenv_s(kServiceAddressVariable, value);
#else
  if (*value)
    setenv(kServiceAddressVariable, value, 1);
  else
    unsetenv(kServiceAddressVariable);
#endif
}

}  // namespace

TEST(UpdateService, PercentEncodesUtf8AndEverythingThatBreaksAQuery) {
  EXPECT_EQ(L"a%20b%26c%23d%0D%0A%3D%2B%25%3F%2F-._~Z9", PercentEncode(L"a b&c#d\r\n=+%?/-._~Z9"));
  EXPECT_EQ(L"%C3%A4%E2%82%AC%F0%9F%98%80", PercentEncode(L"\u00e4\u20ac\U0001F600"));
}

TEST(UpdateService, AddressesFollowTheOverrideAndCapTheFeedback) {
  SetServiceVariable("http://127.0.0.1:8123/");
  EXPECT_EQ(L"http://127.0.0.1:8123/Rodizozarizor/AutoServices/get_version.php?product=XKVD",
            VersionQueryAddress());
  EXPECT_EQ(
      L"http://127.0.0.1:8123/Rodizozarizor/AutoServices/get_version.php?product=XKVB&links=true&version=",
      UpdaterQueryPrefix(true));
  EXPECT_EQ(
      L"http://127.0.0.1:8123/Rodizozarizor/AutoServices/feedback.php?product=XKV&version=2.1.4"
      L"&text=Gr%C3%BC%C3%9Fe%20%26%20mehr&mail=a%40b.de",
      FeedbackAddress(L"2.1.4", L"Gr\u00fc\u00dfe & mehr", L"a@b.de"));

  // 1000 two-byte characters: cut to 750 whole characters, never half of one.
  const std::wstring address = FeedbackAddress(L"2.1.4", std::wstring(1000, L'\u00fc'), L"");
  const std::size_t text = address.find(L"&text=") + 6;
  EXPECT_EQ(750u * 6, address.find(L"&mail=") - text);
  EXPECT_EQ(kMaxFeedbackBytes - 1,
            Utf8Prefix(L"x" + std::wstring(1000, L'\u00fc'), kMaxFeedbackBytes).size());

  SetServiceVariable("");
  EXPECT_EQ(std::wstring(kDefaultServiceAddress).rfind(L"https://", 0), 0u);
  EXPECT_EQ(
      std::wstring(kDefaultServiceAddress) + L"/Rodizozarizor/AutoServices/get_version.php?product=XKVD",
      VersionQueryAddress());
}

TEST(UpdateService, OnlyTrustedPagesAndServiceQueriesPass) {
  SetServiceVariable("http://127.0.0.1:8123");
  EXPECT_EQ(L"http://127.0.0.1:8123", ServiceAddressOverride());
  for (const wchar_t* page : {L"https://www.maker.example/download", L"http://127.0.0.1:8123/page"})
    EXPECT_TRUE(IsTrustedPage(page)) << page;
  // Programs, shares, protocol handlers, plain http elsewhere, and addresses
  // that would not stay one argument.
  for (const wchar_t* page : {L"ms-msdt:/id PCWDiagnostic", L"\\\\host\\share\\x.exe", L"search-ms:query=x",
                              L"file:///C:/x.exe", L"http://evil.example/", L"http://127.0.0.1:8124/page",
                              L"https://a.example/\" /x", L"https://a.example/\n"})
    EXPECT_FALSE(IsTrustedPage(page)) << page;
  EXPECT_TRUE(
      IsServiceQuery(L"http://127.0.0.1:8123/Rodizozarizor/AutoServices/get_version.php?product=XKV"));
  for (const wchar_t* query : {L"https://www.maker.example/q", L"http://127.0.0.1:8123.evil.example/q",
                               L"http://127.0.0.1:8123/q\" /tinyok \"", L"http://127.0.0.1:8123/q\\"})
    EXPECT_FALSE(IsServiceQuery(query)) << query;
  SetServiceVariable("");
  EXPECT_EQ(L"", ServiceAddressOverride());
}

TEST(UpdateService, RedirectTargetsResolveWithinTheirOrigin) {
  const std::wstring from = L"https://maker.example:8443/a/b?c=1";
  EXPECT_EQ(L"https://maker.example:8443/x?y", ResolveLocation(from, L"/x?y"));
  EXPECT_EQ(L"https://other.example/x", ResolveLocation(from, L"https://other.example/x"));
  // "//host" names another host; a bare relative path is not taken.
  EXPECT_EQ(L"", ResolveLocation(from, L"//evil.example/x"));
  EXPECT_EQ(L"", ResolveLocation(from, L"x"));
}

TEST(UpdateService, VersionsCompareNumberByNumber) {
  EXPECT_LT(CompareVersions(L"2.1.4", L"2.1.10"), 0);
  EXPECT_GT(CompareVersions(L"2.10.0", L"2.9.99"), 0);
  EXPECT_EQ(0, CompareVersions(L"2.1", L"2.1.0"));
  EXPECT_EQ(0, CompareVersions(L"2.1.04", L"2.1.4"));
  EXPECT_LT(CompareVersions(L"2.1.99999999999999999999", L"2.1.100000000000000000000"), 0);
  // Not numbers only: the texts decide, as before.
  EXPECT_GT(CompareVersions(L"2.1.4b", L"2.1.10"), 0);
  EXPECT_LT(CompareVersions(L"2..1", L"2.1"), 0);
  EXPECT_LT(CompareVersions(L"", L"2.1"), 0);
}

TEST(UpdateService, EditorReplyLinesAndMarkerPlace) {
  VersionReply reply;
  ASSERT_TRUE(ParseVersionReply("\xEF\xBB\xBF" + kMarker + "2.2.0\n~~~http://x/dl\nNeu: \xC3\xA4\nmehr",
                                Decode, reply));
  EXPECT_EQ(L"2.2.0", reply.version);
  EXPECT_TRUE(reply.IsDownloadPage());
  EXPECT_EQ(L"http://x/dl", reply.DownloadPage());
  EXPECT_EQ(L"Neu: \u00e4\nmehr", reply.notes);

  ASSERT_TRUE(ParseVersionReply(kMarker + "2.2.0\nhttp://x/q?product=XKV&links=true\n", Decode, reply));
  EXPECT_FALSE(reply.IsDownloadPage());
  EXPECT_EQ(L"http://x/q?product=XKV&links=true", reply.second);
  EXPECT_EQ(L"", reply.notes);
  ASSERT_TRUE(ParseVersionReply(kMarker + "2.2.0", Decode, reply));
  EXPECT_EQ(L"2.2.0", reply.version);
  EXPECT_EQ(L"", reply.second);

  EXPECT_TRUE(ParseVersionReply("12345" + kMarker + "2.2.0\n", Decode, reply));
  EXPECT_FALSE(ParseVersionReply("123456" + kMarker + "2.2.0\n", Decode, reply));
  EXPECT_FALSE(ParseVersionReply(kMarker.substr(1), Decode, reply));
  // A body larger than a version reply can be is refused, not read on.
  const std::string big = kMarker + "2.2.0\n\n" + std::string(kMaxVersionReplyBytes, 'n');
  EXPECT_FALSE(ParseVersionReply(big, Decode, reply));
  EXPECT_TRUE(ParseVersionReply(big.substr(0, kMaxVersionReplyBytes), Decode, reply));
}

TEST(UpdateService, UpdaterReplyFilesAndOperations) {
  UpdateInfo info;
  EXPECT_EQ(UpdateReply::NothingToDo, ParseUpdateReply(kMarker, Decode, info));
  EXPECT_EQ(UpdateReply::Invalid, ParseUpdateReply("\xEF\xBB\xBF" + kMarker + "b\n", Decode, info));
  EXPECT_EQ(UpdateReply::Invalid, ParseUpdateReply(kMarker.substr(0, 20), Decode, info));

  ASSERT_EQ(UpdateReply::Update,
            ParseUpdateReply(
                kMarker + "http://h/f/\nhttp://h/f/Orbiform2.exe.file\nab\n*old.txt\n*\n*a.exe\n*exeN\n",
                Decode, info));
  EXPECT_EQ(L"http://h/f/", info.base);
  EXPECT_FALSE(info.IsManualOnly());
  EXPECT_EQ(std::vector<std::wstring>{L"http://h/f/Orbiform2.exe.file"}, info.links);
  ASSERT_EQ(2u, info.operations.size());
  EXPECT_EQ(std::make_pair(std::wstring(L"old.txt"), std::wstring()), info.operations[0]);
  EXPECT_EQ(std::make_pair(std::wstring(L"a.exe"), std::wstring(L"exeN")), info.operations[1]);

  EXPECT_EQ(UpdateReply::Faulty, ParseUpdateReply(kMarker + "b\n*a\nhttp://h/f/x.file\n", Decode, info));
  EXPECT_EQ(UpdateReply::Faulty, ParseUpdateReply(kMarker + "b\n*a\n", Decode, info));
  ASSERT_EQ(UpdateReply::Update, ParseUpdateReply(kMarker + "~~~http://h/page\n", Decode, info));
  EXPECT_EQ(L"http://h/page", info.ManualAddress());
}
