// The updater's information reply: the marker, the line rules, every unsafe
// path refused, the local path of a link and the error-page detector.
#include <gtest/gtest.h>

#include "mwWinAPI/Utf.h"
#include "updater/UpdateInfos.h"

using namespace updater;

namespace {

const std::string kMarker = "7315-2048-9962-4170-3385-6621";
const std::wstring kBase = L"http://h/f/";

std::wstring Decode(const std::string& bytes) { return mwWinAPI::FromUtf8(bytes); }

// Splits and parses a body; the result of the parse, or false when it is not
// a list of lines at all.
bool Parse(const std::string& rest, UpdateInfos& infos) {
  std::vector<std::wstring> lines;
  if (SplitInfos(kMarker + rest, Decode, lines) != InfosReply::Lines) return false;
  return ParseInfos(lines, infos);
}

}  // namespace

TEST(UpdateInfos, MarkerExactlyAtTheStart) {
  std::vector<std::wstring> lines{L"kept"};
  EXPECT_EQ(InfosReply::NothingToDo, SplitInfos(kMarker, Decode, lines));
  for (const std::string& body :
       {"\xEF\xBB\xBF" + kMarker + "b\n", " " + kMarker + "b\n", kMarker.substr(0, 28), std::string(),
        std::string("7315-2048-9962-4170-3385-6622b\n")}) {
    EXPECT_EQ(InfosReply::Invalid, SplitInfos(body, Decode, lines));
  }
  EXPECT_EQ(std::vector<std::wstring>{L"kept"}, lines);  // untouched by a refusal

  ASSERT_EQ(InfosReply::Lines, SplitInfos(kMarker + "b\nc\n", Decode, lines));
  EXPECT_EQ((std::vector<std::wstring>{L"b", L"c", L""}), lines);

  // A reply bigger than an information reply can be is refused unread.
  const std::string big = kMarker + "b\n" + std::string(kMaxInfosBytes, 'x');
  EXPECT_EQ(InfosReply::Invalid, SplitInfos(big, Decode, lines));
  EXPECT_EQ(InfosReply::Lines, SplitInfos(big.substr(0, kMaxInfosBytes), Decode, lines));
}

TEST(UpdateInfos, LinksOperationsAndShortLines) {
  UpdateInfos infos;
  ASSERT_TRUE(
      Parse("http://h/f/\nhttp://h/f/Orbiform2.exe.file\nab\n\nhttp://h/f/Tex/a b.bmp.file\n"
            "*old.txt\n*\n*setup.exe\n*exeN\n*new.exe\n*Sub\\QZ7Updater.exe\n",
            infos));
  EXPECT_EQ(kBase, infos.base);
  EXPECT_FALSE(infos.IsManualOnly());
  EXPECT_EQ((std::vector<std::wstring>{L"http://h/f/Orbiform2.exe.file", L"http://h/f/Tex/a b.bmp.file"}),
            infos.links);
  using Op = std::pair<std::wstring, std::wstring>;
  EXPECT_EQ(
      (std::vector<Op>{{L"old.txt", L""}, {L"setup.exe", L"exeN"}, {L"new.exe", L"Sub\\QZ7Updater.exe"}}),
      infos.operations);
  EXPECT_EQ(L"Tex/a b.bmp", LocalPath(infos.base, infos.links[1]));
  EXPECT_EQ(L"a b.bmp", FileNameOf(L"Tex/a b.bmp"));
  EXPECT_EQ(L"c.txt", FileNameOf(L"a\\b/c.txt"));
  EXPECT_EQ(L"", LocalPath(kBase, L"http://h/f/.file"));

  // "*a" then "*" is one operation with an empty second.
  ASSERT_TRUE(Parse("http://h/f/\n*a\n*\n", infos));
  EXPECT_EQ((std::vector<Op>{{L"a", L""}}), infos.operations);
  EXPECT_TRUE(infos.links.empty());

  // A '*' line followed by a link, a short line or nothing is faulty, and
  // the earlier result is kept.
  for (const std::string rest : {"b\n*a\nhttp://h/f/x.file\n", "b\n*a\n", "b\n*a\nab\n*b\n", "b\n*a"}) {
    EXPECT_FALSE(Parse(rest, infos)) << rest;
  }
  EXPECT_EQ(1u, infos.operations.size());
}

TEST(UpdateInfos, ManualPageMustBeAWebAddress) {
  UpdateInfos infos;
  ASSERT_TRUE(Parse("~~~http://h/page\n", infos));
  EXPECT_TRUE(infos.IsManualOnly());
  EXPECT_EQ(L"http://h/page", infos.ManualAddress());
  EXPECT_FALSE(Parse("~~~C:\\Windows\\System32\\calc.exe\n", infos));
  EXPECT_FALSE(Parse("~~~file:///C:/x.exe\n", infos));
  // Under 5 characters "~~~" is an ordinary base.
  ASSERT_TRUE(Parse("~~~a\n", infos));
  EXPECT_FALSE(infos.IsManualOnly());
}

TEST(UpdateInfos, HostileRepliesAreFaulty) {
  UpdateInfos infos;
  for (const std::string rest :
       {// links leaving the folder
        "http://h/f/\nhttp://h/f/../x.exe.file\n", "http://h/f/\nhttp://h/f/..\\..\\x.exe.file\n",
        "http://h/f/\nhttp://h/f/C:\\Windows\\x.dll.file\n", "http://h/f/\nhttp://h/f//etc/x.file\n",
        "http://h/f/\nhttp://h/f/\\\\srv\\share\\x.file\n", "http://h/f/\nhttp://h/f/x.exe:ads.file\n",
        "http://h/f/\nhttp://h/f/\\\\?\\C:\\x.file\n", "http://h/f/\nhttp://h/f/CON.file\n",
        // a link of another host than the base, a base that is no address,
        // a link whose local path would be empty
        "http://h/f/\nhttp://evil/x.exe.file\n", "local\nlocal/x.exe.file\n",
        "http://h/f/\nhttp://h/f/.file\n",
        // operations outside the folder
        "http://h/f/\n*C:\\Windows\\System32\\calc.exe\n*exe\n", "http://h/f/\n*..\\setup.exe\n*exeN\n",
        "http://h/f/\n*\\\\srv\\x.exe\n*exe\n", "http://h/f/\n*..\\..\\boot.ini\n*\n",
        "http://h/f/\n*a.txt\n*..\\a.txt\n", "http://h/f/\n*a.txt\n*C:\\a.txt\n", "http://h/f/\n*\n*\n"}) {
    EXPECT_FALSE(Parse(rest, infos)) << rest;
  }
  EXPECT_TRUE(infos.base.empty());
}

TEST(UpdateInfos, ErrorPageDetector) {
  const std::string address = "http://h/Rodizozarizor/error404.php";
  std::string page = "<html><body>404 Error - not found</body></html>";
  page.resize(300, ' ');
  EXPECT_FALSE(IsAcceptedFile(page, address));
  page.resize(6000, ' ');
  EXPECT_TRUE(IsAcceptedFile(page, address));
  page.resize(5000);
  EXPECT_FALSE(IsAcceptedFile(page, address));
  EXPECT_FALSE(IsAcceptedFile("", address));
  EXPECT_FALSE(IsAcceptedFile("see " + address + ": Whoops - Seite nicht gefunden", address));
  // Only one of the two kinds of text: a real file that mentions them.
  EXPECT_TRUE(IsAcceptedFile("<html><body>Hello</body></html>", address));
  EXPECT_TRUE(IsAcceptedFile("404 Error codes explained", address));
  EXPECT_TRUE(IsAcceptedFile("MZ\x90", address));
}
