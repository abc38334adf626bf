// The signed release manifest: the strict reader, and the comparison of a
// reply with it, where every kind of mismatch is refused once.
#include <gtest/gtest.h>

#include "mwWinAPI/Utf.h"
#include "updater/Manifest.h"

using namespace updater;

namespace {

const std::string kHashA(64, 'a');
const std::string kHashB(64, 'b');
const std::string kText = std::string(kManifestHeader) +
                          "\nproduct: Orbiform\nchannel: stable\nversion: 2.2.0\nreleased: 2026-12-01\n"
                          "expires: 2027-03-01\nfile: 13 " +
                          kHashA + " Orbiform2.exe\nfile: 8 " + kHashB +
                          " sub/read me.txt\noperation: old.dll|\noperation: tool.exe|exeN\n";
const std::wstring kQuery =
    L"https://maker.example/Rodizozarizor/AutoServices/get_version.php?product=XKV&v=1";
const std::wstring kBase = L"https://maker.example/files/2.2.0/";

bool Good(const std::string&, const std::string& signature) { return signature == "good"; }

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(std::string::npos, at) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

UpdateInfos Offer() {
  UpdateInfos offer;
  offer.base = kBase;
  offer.links = {kBase + L"Orbiform2.exe.file", kBase + L"sub/read me.txt.file"};
  offer.operations = {{L"old.dll", L""}, {L"tool.exe", L"exeN"}};
  return offer;
}

}  // namespace

TEST(Manifest, ReadsTheSignedFormat) {
  Manifest m;
  ASSERT_TRUE(ParseManifest(kText, m));
  EXPECT_EQ("Orbiform", m.product);
  EXPECT_EQ("stable", m.channel);
  EXPECT_EQ(L"2.2.0", m.version);
  EXPECT_EQ(20270301, m.expires.Key());
  ASSERT_EQ(2u, m.files.size());
  EXPECT_EQ(L"sub/read me.txt", m.files[1].path);
  EXPECT_EQ(8u, m.files[1].size);
  EXPECT_EQ(kHashB, m.files[1].sha256);
  EXPECT_EQ((std::vector<std::pair<std::wstring, std::wstring>>{{L"old.dll", L""}, {L"tool.exe", L"exeN"}}),
            m.operations);
}

TEST(Manifest, EveryDeviationFromTheFormatIsRefused) {
  const std::pair<const char*, std::string> cases[] = {
      {"carriage return", Replaced(kText, "\nchannel", "\r\nchannel")},
      {"no final line feed", kText.substr(0, kText.size() - 1)},
      {"other header", Replaced(kText, "manifest 1", "manifest 2")},
      {"fields out of order",
       Replaced(Replaced(kText, "product: Orbiform", "channel: X"), "channel: stable", "product: Orbiform")},
      {"version not numeric", Replaced(kText, "2.2.0", "2.2.0-beta")},
      {"impossible date", Replaced(kText, "2027-03-01", "2027-02-29")},
      {"size with a leading zero", Replaced(kText, "file: 13", "file: 013")},
      {"size above the cap", Replaced(kText, "file: 13", "file: " + std::to_string(kMaxFileBytes + 1))},
      {"upper-case checksum", Replaced(kText, kHashA, std::string(64, 'A'))},
      {"short checksum", Replaced(kText, kHashA, kHashA.substr(1))},
      {"path leaving the folder", Replaced(kText, "Orbiform2.exe", "../Orbiform2.exe")},
      {"operation leaving the folder", Replaced(kText, "old.dll|", "old.dll|..\\x.dll")},
      {"file after an operation", kText + "file: 1 " + kHashA + " late.txt\n"},
      {"unknown field", kText + "note: x\n"},
      {"too long", kText + std::string(kMaxManifestBytes, '#') + "\n"},
  };
  for (const auto& [name, text] : cases) {
    Manifest m;
    m.product = "untouched";
    EXPECT_FALSE(ParseManifest(text, m)) << name;
    EXPECT_EQ("untouched", m.product) << name;
  }
}

TEST(Manifest, EveryMismatchWithTheReplyIsRefusedOnce) {
  struct Case {
    const char* name;
    ReleaseVerdict expected;
    std::string text = kText;
    std::string signature = "good";
    std::wstring query = kQuery;
    std::wstring installed = L"2.1.4";
    bool repair = false;
    Date today{2026, 12, 9};
    bool nothingToDo = false;
    void (*alter)(UpdateInfos&) = nullptr;
  };
  Case cases[] = {
      {"the signed release", ReleaseVerdict::Accepted},
      {"another key's signature", ReleaseVerdict::Unsigned},
      {"an error page instead", ReleaseVerdict::Missing},
      {"signed, but unreadable", ReleaseVerdict::Unreadable},
      {"the beta channel's query", ReleaseVerdict::OtherRelease},
      {"a day after expiry", ReleaseVerdict::Expired},
      {"an older release", ReleaseVerdict::NotNewer},
      {"the same version", ReleaseVerdict::NotNewer},
      {"the same version for a repair", ReleaseVerdict::Accepted},
      {"2.2.10 over 2.2.9, by number", ReleaseVerdict::Accepted},
      {"an added delete", ReleaseVerdict::OperationsDiffer},
      {"the notes renamed to the editor", ReleaseVerdict::FilesDiffer},
      {"files swapped", ReleaseVerdict::FilesDiffer},
      {"a file left out", ReleaseVerdict::FilesDiffer},
      {"a link to another host", ReleaseVerdict::ForeignLink},
      {"plain http off this machine", ReleaseVerdict::ForeignLink},
      {"nothing to do, but a newer release is signed", ReleaseVerdict::Withheld},
      {"nothing to do, confirmed", ReleaseVerdict::Accepted},
      {"nothing to do, the only manifest expired", ReleaseVerdict::Expired},
  };
  cases[1].signature = "other";
  cases[2].text = "404 not found\n";
  cases[3].text = Replaced(kText, "2.2.0", "2.x");
  cases[4].query = L"https://maker.example/get_version.php?product=XKVB&links=true";
  cases[5].today = Date{2027, 3, 2};
  cases[6].installed = L"2.10.0";
  cases[7].installed = L"2.2.0";
  cases[8].installed = L"2.2.0";
  cases[8].repair = true;
  cases[9].text = Replaced(kText, "2.2.0", "2.2.10");
  cases[9].installed = L"2.2.9";
  cases[10].alter = [](UpdateInfos& o) { o.operations.insert(o.operations.begin(), {L"user.dat", L""}); };
  cases[11].alter = [](UpdateInfos& o) { o.links[0] = kBase + L"Orbiform3.exe.file"; };
  cases[12].alter = [](UpdateInfos& o) { std::swap(o.links[0], o.links[1]); };
  cases[13].alter = [](UpdateInfos& o) { o.links.pop_back(); };
  cases[14].alter = [](UpdateInfos& o) {
    o.links[1] = L"https://maker.example.evil.net/files/2.2.0/sub/read me.txt.file";
  };
  cases[15].query = L"http://maker.example/get_version.php?product=XKV";
  cases[15].alter = [](UpdateInfos& o) {
    for (auto& link : o.links) link.replace(0, 5, L"http");
  };
  cases[16].nothingToDo = true;
  cases[17].nothingToDo = true;
  cases[17].installed = L"2.2.0";
  cases[18].nothingToDo = true;
  cases[18].installed = L"2.2.0";
  cases[18].today = Date{2027, 4, 1};
  for (const Case& c : cases) {
    UpdateInfos offer = Offer();
    if (c.alter) c.alter(offer);
    const ReleaseExpectation expect{c.query, c.installed, c.repair, c.today};
    Manifest m;
    EXPECT_EQ(c.expected,
              CheckRelease(c.text, c.signature, Good, expect, c.nothingToDo ? nullptr : &offer, m))
        << c.name;
    if (c.expected == ReleaseVerdict::Accepted) {
      EXPECT_EQ(2u, m.files.size()) << c.name;
    } else {
      EXPECT_NE(0u, VerdictText(c.expected)) << c.name;
    }
  }
}

TEST(Manifest, FetchedFromTheQuerysOriginForItsChannel) {
  EXPECT_EQ(L"https://maker.example/Rodizozarizor/AutoServices/manifest.php/stable", ManifestAddress(kQuery));
  EXPECT_EQ(L"http://127.0.0.1:8080/Rodizozarizor/AutoServices/manifest.php/beta",
            ManifestAddress(L"http://me@127.0.0.1:8080/x?product=XKVB&links=true"));
  EXPECT_EQ("stable", ChannelOfQuery(L"https://h/x?a=product=XKVB&product=XKV"));
  EXPECT_EQ(L"", ManifestAddress(L"file:///C:/x?product=XKV"));
}
