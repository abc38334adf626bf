#include <gtest/gtest.h>

#include <locale>
#include <string>
#include <tuple>
#include <vector>

#include "files/Options.h"
#include "mwWinAPI/Utf.h"
#include "tests/files/FileTestObjects.h"

using namespace orbiform;

namespace {

// Monday, 20 May 2024, 14:30.
const Date kNow{2024, 5, 1, 20, 14, 30, 0, 0};

Date Day(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
  return Date{year, month, 0, day, hour, minute, second, ms};  // the day of the week is not compared
}

bool SameDate(const Date& a, const Date& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
         a.minute == b.minute && a.second == b.second && a.milliseconds == b.milliseconds;
}

// A file as the editor writes it: UTF-8 and a closing zero byte.
std::string FileBytes(const Options& options) { return mwWinAPI::ToUtf8(OptionsFileText(options)) + '\0'; }

std::string Wrap(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<QZ7OPTIONS>\r\n" + body + "\r\n</QZ7OPTIONS>";
}

Options Parsed(const std::string& body) {
  Options o;
  EXPECT_TRUE(ParseOptions(Wrap(body), o, kNow)) << body;
  return o;
}

}  // namespace

TEST(Options, DefaultsWrittenInTheFileLayout) {
  Options o;
  o.undoSteps = 3;
  o.recentFiles = {L"x"};
  SetDefaults(o);
  const std::wstring expected = mwWinAPI::FromUtf8(
      "<QZ7OPTIONS>\r\n"
      "<VoxtrakPath Path=\"C:\\Programme\\Voxtrak3D\" />\r\n"
      "<Restore Undo=\"30\" Redo=\"15\" />\r\n"
      "<Locale Format=\"0\" />\r\n"
      "<Updates HowOften=\"0\" LastSearch=\"0.0.0\" IncludeBetaUpdates=\"0\"/>\r\n"
      "<StandardObjectProperties Author=\"\" Info=\"Dieses Objekt darf, mit Erwähnung des ursprünglichen "
      "Erstellers, ohne Einschränkung verändert und weitergegeben werden\" />\r\n"
      "<RecentFiles />\r\n"
      "</QZ7OPTIONS>");
  EXPECT_EQ(expected, WriteOptions(o));
  EXPECT_EQ(L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n" + expected, OptionsFileText(o));
}

TEST(Options, WritesEveryFieldInItsPlace) {
  Options o;
  o.voxtrakPath = L"D:\\Sim\\";
  o.defaultAuthor = L"Anna";
  o.defaultInfo = L"Frei";
  o.undoSteps = 999;
  o.redoSteps = 0;
  o.numberFormat = 1;
  o.updateFrequency = 3;
  o.lastSearch = Day(2011, 4, 9, 8, 7, 6);
  o.includeBetaUpdates = true;
  o.recentFiles = {L"C:\\a.ek7mobj", L"", L"C:\\b.ek7mobj"};

  // The user's number format must not reach the file.
  const filetest::CommaGlobalLocale commaFormat;
  const std::locale comma;
  EXPECT_EQ(
      L"<QZ7OPTIONS>\r\n"
      L"<VoxtrakPath Path=\"D:\\Sim\\\" />\r\n"
      L"<Restore Undo=\"999\" Redo=\"0\" />\r\n"
      L"<Locale Format=\"1\" />\r\n"
      L"<Updates HowOften=\"3\" LastSearch=\"9.4.2011\" IncludeBetaUpdates=\"1\"/>\r\n"
      L"<StandardObjectProperties Author=\"Anna\" Info=\"Frei\" />\r\n"
      L"<RecentFiles File1=\"C:\\a.ek7mobj\" File2=\"\" File3=\"C:\\b.ek7mobj\" />\r\n"
      L"</QZ7OPTIONS>",
      WriteOptions(o));
  EXPECT_TRUE(std::locale() == comma);

  Options back;
  ASSERT_TRUE(ParseOptions(FileBytes(o), back, kNow));
  EXPECT_TRUE(std::locale() == comma);
  EXPECT_EQ(999, back.undoSteps);
  EXPECT_EQ(0, back.redoSteps);
  EXPECT_TRUE(SameDate(Day(2011, 4, 9), back.lastSearch));  // only the day is stored
  EXPECT_EQ(o.recentFiles, back.recentFiles);
}

TEST(Options, ReadsEveryElementWithoutRegardToCase) {
  const Options o = Parsed(
      "<voxtrakpath PATH=\"E:\\V3D\" />\r\n"
      "<RESTORE undo=\"7\" Redo=\"8\" Unknown=\"x\" />\r\n"
      "<Locale Format=\"1\" />\r\n"
      "<Other Undo=\"99\" />\r\n"
      "<updates HowOften=\"4\" LastSearch=\"15.3.2023\" IncludeBetaUpdates=\"1\"/>\r\n"
      "<StandardObjectProperties Author=\"Bj\xc3\xb6rn\" Info=\"\" />\r\n"
      "<RecentFiles File1=\"a\" File2=\"b\" />");
  EXPECT_EQ(L"E:\\V3D", o.voxtrakPath);
  EXPECT_EQ(7, o.undoSteps);
  EXPECT_EQ(8, o.redoSteps);
  EXPECT_EQ(1, o.numberFormat);
  EXPECT_EQ(4, o.updateFrequency);
  EXPECT_TRUE(SameDate(Day(2023, 3, 15), o.lastSearch));
  EXPECT_TRUE(o.includeBetaUpdates);
  EXPECT_EQ(L"Bj\u00f6rn", o.defaultAuthor);
  EXPECT_EQ(L"", o.defaultInfo);  // an empty value is a value
  EXPECT_EQ((std::vector<std::wstring>{L"a", L"b"}), o.recentFiles);

  // Whatever follows the first zero byte is not part of the file.
  Options z;
  EXPECT_TRUE(ParseOptions(Wrap("<Restore Undo=\"5\" />") + '\0' + "<<garbage", z, kNow));
  EXPECT_EQ(5, z.undoSteps);
}

TEST(Options, RecentFilesFromTheFile) {
  // A position beyond the list pads it with empty entries.
  EXPECT_EQ((std::vector<std::wstring>{L"", L"", L"x"}), Parsed("<RecentFiles File3=\"x\" />").recentFiles);
  // Names of four characters or fewer go to the front.
  EXPECT_EQ((std::vector<std::wstring>{L"c", L"b", L"a"}),
            Parsed("<RecentFiles File1=\"a\" File=\"b\" F=\"c\" />").recentFiles);
  // A path listed twice keeps its later position only.
  EXPECT_EQ((std::vector<std::wstring>{L"", L"a"}),
            Parsed("<RecentFiles File1=\"a\" File2=\"a\" />").recentFiles);
  // Padding that nothing follows is dropped again.
  EXPECT_EQ((std::vector<std::wstring>{L"a"}), Parsed("<RecentFiles File3=\"a\" File1=\"a\" />").recentFiles);

  // Hostile or damaged indices never size the list.
  EXPECT_TRUE(Parsed("<RecentFiles File99999999=\"x\" File2147483647=\"y\" File0=\"z\" File-1=\"w\" "
                     "File6=\"v\" Filex=\"u\" File1x=\"t\" File99999999999999999999=\"s\" File2=\"\" />")
                  .recentFiles.empty());
  EXPECT_EQ(5u, Parsed("<RecentFiles File5=\"e\" />").recentFiles.size());
}

TEST(Options, AddRecentFileKeepsFiveMostRecentFirst) {
  Options o;
  for (const wchar_t* path : {L"1", L"2", L"3", L"4", L"5"}) AddRecentFile(o, path, -1);
  EXPECT_EQ((std::vector<std::wstring>{L"5", L"4", L"3", L"2", L"1"}), o.recentFiles);
  AddRecentFile(o, L"6", -1);
  EXPECT_EQ((std::vector<std::wstring>{L"6", L"5", L"4", L"3", L"2"}), o.recentFiles);
  // Re-adding a listed file moves it to the front and drops nothing.
  AddRecentFile(o, L"3", -1);
  EXPECT_EQ((std::vector<std::wstring>{L"3", L"6", L"5", L"4", L"2"}), o.recentFiles);
  AddRecentFile(o, L"2", -1);
  EXPECT_EQ((std::vector<std::wstring>{L"2", L"3", L"6", L"5", L"4"}), o.recentFiles);

  Options p;
  AddRecentFile(p, L"b", 1);
  EXPECT_EQ((std::vector<std::wstring>{L"", L"b"}), p.recentFiles);
  AddRecentFile(p, L"a", 0);
  EXPECT_EQ((std::vector<std::wstring>{L"a", L"b"}), p.recentFiles);
  AddRecentFile(p, L"x", kMaxRecentFiles);  // no room in the menu
  AddRecentFile(p, L"y", 1000000000);
  EXPECT_EQ((std::vector<std::wstring>{L"a", L"b"}), p.recentFiles);
}

TEST(Options, RoundTripOfAwkwardTexts) {
  Options o;
  o.voxtrakPath = L"C:\\Sim & \"Co\" <neu>\\";
  o.defaultAuthor = L"M\u00fcller & S\u00f6hne \"<AT>\"\t'x'";
  o.defaultInfo = L"Zeile eins\r\nZeile \"zwei\"\nZeile drei\r";
  o.recentFiles = {L"C:\\R&D\\a<1>.ek7mobj", L"C:\\\u6f22\U0001F600\\b.ek7mobj"};
  o.updateFrequency = 2;
  o.lastSearch = Day(2020, 2, 29);

  const std::string bytes = FileBytes(o);
  Options back;
  ASSERT_TRUE(ParseOptions(bytes, back, kNow));
  EXPECT_EQ(std::tie(o.voxtrakPath, o.defaultAuthor, o.defaultInfo, o.recentFiles),
            std::tie(back.voxtrakPath, back.defaultAuthor, back.defaultInfo, back.recentFiles));
  EXPECT_TRUE(SameDate(o.lastSearch, back.lastSearch));
  EXPECT_EQ(bytes, FileBytes(back));

  // A zero character would end the written file early; characters XML
  // cannot carry are left out rather than making the file unreadable.
  Options c;
  c.defaultAuthor = std::wstring(L"A") + L'\0' +
                    L"B\x01"
                    L"C";
  c.undoSteps = 9;
  Options cBack;
  ASSERT_TRUE(ParseOptions(FileBytes(c), cBack, kNow));
  EXPECT_EQ(L"ABC", cBack.defaultAuthor);
  EXPECT_EQ(9, cBack.undoSteps);
}

TEST(Options, DamagedValuesKeepWhatWasThere) {
  Options o;
  o.lastSearch = Day(2022, 6, 1);
  ASSERT_TRUE(ParseOptions(Wrap("<Restore Undo=\"abc\" Redo=\"12x\" />"
                                "<Locale Format=\"99999999999\" />"
                                "<Updates HowOften=\"\" IncludeBetaUpdates=\"yes\" />"),
                           o, kNow));
  EXPECT_EQ(30, o.undoSteps);
  EXPECT_EQ(15, o.redoSteps);
  EXPECT_EQ(0, o.numberFormat);
  EXPECT_EQ(0, o.updateFrequency);
  EXPECT_FALSE(o.includeBetaUpdates);

  // Negative capacities cannot come from the options dialog.
  EXPECT_EQ(30, Parsed("<Restore Undo=\"-1\" />").undoSteps);
  EXPECT_EQ(0, Parsed("<Restore Undo=\"0\" />").undoSteps);
  const Options huge = Parsed("<Restore Undo=\"2000000000\" Redo=\"2000000000\" />");
  EXPECT_EQ(kMaxHistorySteps, huge.undoSteps);
  EXPECT_EQ(kMaxHistorySteps, huge.redoSteps);

  for (const char* bad : {"0.3.2023", "32.3.2023", "1.0.2023", "1.13.2023", "1.3.x", "1.3", "1.3.2023.4", "",
                          "..", "1.3.99999999999"}) {
    ASSERT_TRUE(ParseOptions(Wrap(std::string("<Updates LastSearch=\"") + bad + "\" />"), o, kNow)) << bad;
    EXPECT_TRUE(SameDate(Day(2022, 6, 1), o.lastSearch)) << bad;
  }
}

TEST(Options, MalformedFileKeepsWhatWasReadBefore) {
  Options o;
  EXPECT_FALSE(ParseOptions(Wrap("<Restore Undo=\"3\" />\r\n<Locale Format=\"1\" <oops/>\r\n"
                                 "<RecentFiles File1=\"late\" />"),
                            o, kNow));
  EXPECT_EQ(3, o.undoSteps);
  EXPECT_EQ(0, o.numberFormat);
  EXPECT_TRUE(o.recentFiles.empty());

  Options e;
  EXPECT_FALSE(ParseOptions("", e, kNow));
  EXPECT_FALSE(ParseOptions("<QZ7OPTIONS>", e, kNow));  // never closed
  EXPECT_FALSE(ParseOptions("\xff\xfe<", e, kNow));
  EXPECT_EQ(30, e.undoSteps);
}

TEST(Options, LastSearchInTheFutureIsPulledBack) {
  Options o;
  SetLastSearch(o, Day(2024, 7, 3), kNow);  // a later month
  EXPECT_TRUE(SameDate(Day(2024, 4, 10, 14, 30), o.lastSearch));
  EXPECT_EQ(3, o.lastSearch.dayOfWeek);  // 10 April 2024 was a Wednesday

  SetLastSearch(o, Day(2025, 1, 1), kNow);  // a later year
  EXPECT_TRUE(SameDate(Day(2024, 4, 10, 14, 30), o.lastSearch));

  const Date january{2024, 1, 0, 15, 9, 0, 0, 0};
  SetLastSearch(o, Day(2024, 3, 1), january);
  EXPECT_TRUE(SameDate(Day(2023, 12, 10, 9), o.lastSearch));

  // The same month counts as the present, whatever the day.
  SetLastSearch(o, Day(2024, 5, 31, 23, 59), kNow);
  EXPECT_TRUE(SameDate(Day(2024, 5, 31, 23, 59), o.lastSearch));
  SetLastSearch(o, Day(2019, 12, 24, 18), kNow);
  EXPECT_TRUE(SameDate(Day(2019, 12, 24, 18), o.lastSearch));

  // Read from the file, the same rule applies.
  EXPECT_TRUE(SameDate(Day(2024, 4, 10, 14, 30), Parsed("<Updates LastSearch=\"10.10.2030\" />").lastSearch));
}

TEST(Options, UpdateDueBySchedule) {
  Options o;
  o.lastSearch = Day(2024, 3, 1, 12);
  const auto due = [&o](int frequency, const Date& now) {
    o.updateFrequency = frequency;
    return UpdateDue(o, now);
  };
  EXPECT_TRUE(due(1, o.lastSearch));      // each start
  EXPECT_FALSE(due(0, Day(2030, 1, 1)));  // never
  EXPECT_FALSE(due(5, Day(2030, 1, 1)));  // unknown schedule
  EXPECT_FALSE(due(-1, Day(2030, 1, 1)));
  EXPECT_FALSE(due(2, o.lastSearch));      // not later
  EXPECT_FALSE(due(2, Day(2024, 2, 20)));  // clock behind the stored date

  EXPECT_TRUE(due(2, Day(2024, 3, 2, 12)));
  EXPECT_FALSE(due(2, Day(2024, 3, 2, 11, 59, 59, 999)));
  EXPECT_TRUE(due(3, Day(2024, 3, 8, 12)));   // exactly 7 days
  EXPECT_FALSE(due(3, Day(2024, 3, 8, 11)));  // 6 days 23 hours
  EXPECT_TRUE(due(4, Day(2024, 3, 31, 12)));  // 30 days
  EXPECT_FALSE(due(4, Day(2024, 3, 31, 11)));

  // Across a leap day and a year end.
  o.lastSearch = Day(2024, 2, 28);
  EXPECT_TRUE(due(4, Day(2024, 3, 29)));
  o.lastSearch = Day(2023, 2, 28);
  EXPECT_FALSE(due(4, Day(2023, 3, 29)));
  o.lastSearch = Day(2023, 12, 28, 23);
  EXPECT_TRUE(due(3, Day(2024, 1, 4, 23)));
  EXPECT_FALSE(due(3, Day(2024, 1, 4, 22)));

  // Never searched, or a date from before any search could be recorded.
  o.lastSearch = Date{};
  EXPECT_TRUE(due(3, kNow));
  Options fromFile = Parsed("<Updates HowOften=\"3\" LastSearch=\"1.1.2005\" />");
  EXPECT_TRUE(UpdateDue(fromFile, kNow));
}

namespace {

// "Never" means never, and "never searched" survives the file.
TEST(Options, NeverMeansNever) {
  Options o;
  o.updateFrequency = 0;
  EXPECT_FALSE(UpdateDue(o, kNow));  // no search recorded yet
  o.lastSearch = Day(2005, 1, 1);
  EXPECT_FALSE(UpdateDue(o, kNow));

  // The writer stores "never searched" as 0.0.0; read over a record that
  // holds a date, it brings "never" back.
  Options never;
  never.updateFrequency = 3;
  Options read;
  read.lastSearch = Day(2024, 3, 1);
  ASSERT_TRUE(ParseOptions(FileBytes(never), read, kNow));
  EXPECT_TRUE(SameDate(Date{}, read.lastSearch));
  EXPECT_TRUE(UpdateDue(read, kNow));
}

}  // namespace
