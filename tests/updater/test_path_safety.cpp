// Paths and addresses a hostile server might send: every way out of the
// editor's folder and every look-alike origin must be refused.
#include <gtest/gtest.h>

#include "updater/PathSafety.h"

using namespace updater;

TEST(PathSafety, PlainRelativePathsPass) {
  for (const wchar_t* path : {L"Orbiform2.exe", L"Textures/brick.bmp", L"a\\b\\c.txt", L"read me.txt",
                              L".hidden", L"x..y", L"COMPASS.txt", L"com10", L"console.log"}) {
    EXPECT_TRUE(IsSafeRelativePath(path)) << path;
  }
}

TEST(PathSafety, EveryWayOutIsRefused) {
  for (const wchar_t* path : {L"",
                              L"..",
                              L"../x.exe",
                              L"a/../../x",
                              L"a\\..\\..\\x",
                              L"..\\x",
                              L"a/..",
                              L".",
                              L"./x",
                              L"...",
                              L"a/. /b",
                              L"x.exe.",
                              L"x.exe ",
                              L"\\Windows\\x.dll",
                              L"/etc/x",
                              L"C:\\x.exe",
                              L"C:x.exe",
                              L"c:",
                              L"\\\\server\\share\\x",
                              L"//server/share/x",
                              L"\\\\?\\C:\\x",
                              L"\\\\.\\PhysicalDrive0",
                              L"x.exe:stream",
                              L"x.exe::$DATA",
                              L"a//b",
                              L"a/",
                              L"CON",
                              L"nul.txt",
                              L"Aux .log",
                              L"sub/COM1",
                              L"lpt9.dat",
                              L"CONOUT$",
                              L"com\u00B9",
                              L"x*.exe",
                              L"x?.exe",
                              L"a\"b",
                              L"a<b",
                              L"a|b",
                              L"a\tb",
                              L"a\nb"}) {
    EXPECT_FALSE(IsSafeRelativePath(path)) << path;
  }
  EXPECT_TRUE(IsSafeRelativePath(std::wstring(kMaxRelativePath, L'a')));
  EXPECT_FALSE(IsSafeRelativePath(std::wstring(kMaxRelativePath + 1, L'a')));
}

TEST(PathSafety, ResolvedPathMustLieInsideTheFolder) {
  const std::wstring folder = L"C:\\Program Files\\Orbiform";
  EXPECT_TRUE(IsInsideFolder(folder, L"C:\\Program Files\\Orbiform\\Orbiform2.exe"));
  EXPECT_TRUE(IsInsideFolder(folder + L"\\", L"c:/program files/ORBIFORM/sub/x.dll"));
  // A sibling sharing the prefix, the folder itself and its parent are outside.
  EXPECT_FALSE(IsInsideFolder(folder, L"C:\\Program Files\\Orbiform2\\x.exe"));
  EXPECT_FALSE(IsInsideFolder(folder, L"C:\\Program Files\\Orbiform.exe"));
  EXPECT_FALSE(IsInsideFolder(folder, folder));
  EXPECT_FALSE(IsInsideFolder(folder, folder + L"\\"));
  EXPECT_FALSE(IsInsideFolder(folder, folder + L"\\..\\x.exe"));
  EXPECT_FALSE(IsInsideFolder(folder, folder + L"\\x.exe:ads"));
  EXPECT_FALSE(IsInsideFolder(L"", L"C:\\x"));
  EXPECT_FALSE(IsInsideFolder(folder, L"D:\\Program Files\\Orbiform\\x.exe"));
}

TEST(Origins, WholeOriginIsCompared) {
  const std::wstring maker = L"https://www.orbiform.example";
  EXPECT_TRUE(SameOrigin(maker, L"https://www.orbiform.example/Rodizozarizor/get_version.php?x=1"));
  EXPECT_TRUE(SameOrigin(maker, L"HTTPS://WWW.Orbiform.Example:443/"));
  EXPECT_TRUE(SameOrigin(maker, L"https://www.orbiform.example./x"));
  EXPECT_TRUE(SameOrigin(L"http://127.0.0.1:8080", L"http://127.0.0.1:8080/a"));
  // Look-alikes that share a prefix, another scheme or port, user information.
  for (const wchar_t* other :
       {L"https://www.orbiform.example.evil.net/", L"https://www.orbiform.example@evil.net/",
        L"https://www.orbiform.examplex/", L"http://www.orbiform.example/",
        L"https://www.orbiform.example:444/", L"https://evil.net\\@www.orbiform.example/",
        L"ftp://www.orbiform.example/", L"www.orbiform.example", L"https://", L"https://:443/",
        L"https://www.orbiform.example:0/", L"https://www.orbiform.example:65536/",
        L"https://www.orbiform.example:/", L"https://www.orbiform.example:44x/"}) {
    EXPECT_FALSE(SameOrigin(maker, other)) << other;
  }
  Origin origin;
  ASSERT_TRUE(ParseOrigin(L"http://[::1]:8080/x", origin));
  EXPECT_EQ(L"[::1]", origin.host);
  EXPECT_EQ(8080u, origin.port);
  EXPECT_FALSE(ParseOrigin(L"http://[::1/x", origin));
}

TEST(Origins, OnlyWebAddressesGoToTheBrowser) {
  EXPECT_TRUE(IsWebAddress(L"https://www.orbiform.example/download page.html"));
  for (const wchar_t* address : {L"C:\\Windows\\System32\\calc.exe", L"file:///C:/x.exe", L"\\\\host\\x.exe",
                                 L"javascript:alert(1)", L"http://host/a\nb", L"calc"}) {
    EXPECT_FALSE(IsWebAddress(address)) << address;
  }
}
