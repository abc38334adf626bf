// The updater's query address and the trust check on the service's origin.
#include <gtest/gtest.h>

#include <cstdlib>

#include "product/UpdateService.h"
#include "updater/QueryAddress.h"

using namespace updater;

namespace {

void SetServiceVariable(const char* value) {
#ifdef _WIN32
  _putenv_s(mwWinAPI::kServiceAddressVariable, value);
#else
  if (*value)
    setenv(mwWinAPI::kServiceAddressVariable, value, 1);
  else
    unsetenv(mwWinAPI::kServiceAddressVariable);
#endif
}

}  // namespace

TEST(QueryAddress, PrefixVersionsAndSystem) {
  SetServiceVariable("");
  QueryInput input;
  input.editorVersion = L"2.0.5";
  input.updaterVersion = L"2.1.0";
  input.osMajor = 6;
  input.osMinor = 1;
  EXPECT_EQ(mwWinAPI::UpdaterQueryPrefix(false) + L"2.0.5&updaterversion=2.1.0&OSMaj=6&OSMin=1",
            BuildQueryAddress(input));
  input.beta = true;
  EXPECT_EQ(0u, BuildQueryAddress(input).find(mwWinAPI::UpdaterQueryPrefix(true) + L"2.0.5&"));

  // The editor's prefix gets "&version="; one that names the system keeps it.
  input.commandLinePrefix = L"https://www.orbiform.example/x.php?product=XKV&links=true";
  EXPECT_EQ(input.commandLinePrefix + L"&version=2.0.5&updaterversion=2.1.0&OSMaj=6&OSMin=1",
            BuildQueryAddress(input));
  input.commandLinePrefix += L"&OSMaj=10&OSMin=0";
  EXPECT_EQ(input.commandLinePrefix + L"&version=2.0.5&updaterversion=2.1.0", BuildQueryAddress(input));

  // Unreadable versions fall back; odd ones cannot break the query.
  input.commandLinePrefix = L"http://h/q?p=1";
  input.editorVersion.clear();
  input.updaterVersion.clear();
  EXPECT_EQ(L"http://h/q?p=1&version=2.1.0&updaterversion=2.1.0&OSMaj=6&OSMin=1", BuildQueryAddress(input));
  input.editorVersion = L"2, 1 &x=y";
  EXPECT_EQ(L"http://h/q?p=1&version=2%2C%201%20%26x%3Dy&updaterversion=2.1.0&OSMaj=6&OSMin=1",
            BuildQueryAddress(input));

  // A repair asks as if nothing were installed, and still compares with
  // what is.
  input.editorVersion = L"2.2.0";
  input.repair = true;
  EXPECT_EQ(L"http://h/q?p=1&version=0&updaterversion=2.1.0&OSMaj=6&OSMin=1", BuildQueryAddress(input));
  EXPECT_EQ(L"2.2.0", InstalledVersion(input));
}

TEST(QueryAddress, TrustFollowsTheServiceOrigin) {
  SetServiceVariable("");
  EXPECT_TRUE(IsMakersAddress(mwWinAPI::UpdaterQueryPrefix(false) + L"2.1.0"));
  EXPECT_FALSE(IsMakersAddress(L"https://www.orbiform.example.evil.net/Rodizozarizor/AutoServices/x"));
  EXPECT_FALSE(IsMakersAddress(L"http://www.orbiform.example/Rodizozarizor/AutoServices/x"));
  SetServiceVariable("http://127.0.0.1:8123/");
  EXPECT_TRUE(IsMakersAddress(L"http://127.0.0.1:8123/Rodizozarizor/AutoServices/get_version.php"));
  EXPECT_FALSE(IsMakersAddress(L"http://127.0.0.1:8124/Rodizozarizor/AutoServices/get_version.php"));
  SetServiceVariable("");
}
