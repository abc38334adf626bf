// The editor's platform glue: menu state from the history, the options file
// in the application-data folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "editor/HistoryMenu.h"
#include "editor/OptionsStore.h"
#include "geometry/RoundObjectHandler.h"
#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/SafeFile.h"

using namespace orbiform;

namespace {

bool Grayed(HMENU menu, UINT id) { return (::GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0; }

TEST(HistoryMenu, FollowsWhatTheHistoryCanDo) {
  HMENU menu = ::CreateMenu();
  ASSERT_TRUE(::AppendMenuW(menu, MF_STRING, kCmdUndo, L"&Undo"));
  ASSERT_TRUE(::AppendMenuW(menu, MF_STRING, kCmdRedo, L"&Redo"));
  HistoryMenu items(menu);
  RoundObjectHandler handler;
  handler.SetSteps(3, 2);
  handler.SetCurrent(std::make_unique<RoundObject>(4, 0));
  handler.SetObserver(&items);
  EXPECT_TRUE(Grayed(menu, kCmdUndo));
  EXPECT_TRUE(Grayed(menu, kCmdRedo));

  handler.SaveState();
  EXPECT_FALSE(Grayed(menu, kCmdUndo));
  EXPECT_TRUE(Grayed(menu, kCmdRedo));
  handler.Undo();
  EXPECT_TRUE(Grayed(menu, kCmdUndo));
  EXPECT_FALSE(Grayed(menu, kCmdRedo));
  handler.SaveState();  // a new change forgets what could be redone
  EXPECT_FALSE(Grayed(menu, kCmdUndo));
  EXPECT_TRUE(Grayed(menu, kCmdRedo));
  handler.ClearAll();
  EXPECT_TRUE(Grayed(menu, kCmdUndo));
  EXPECT_TRUE(Grayed(menu, kCmdRedo));
  handler.SetObserver(nullptr);
  ::DestroyMenu(menu);
}

TEST(OptionsStore, SavesAndLoadsInTheApplicationDataFolder) {
  const std::wstring path = OptionsFilePath();
  EXPECT_NE(std::wstring::npos, path.find(L"\\mwTools\\Orbiform\\options.xml"));
  const DWORD attributes = ::GetFileAttributesW(path.substr(0, path.rfind(L'\\')).c_str());
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);

  const std::wstring file = path.substr(0, path.rfind(L'\\')) + L"\\test-options.xml";
  Options saved;
  saved.defaultAuthor = L"M\u00fcller & S\u00f6hne";
  saved.defaultInfo = L"Zeile 1\r\nZeile 2";
  saved.undoSteps = 7;
  AddRecentFile(saved, L"C:\\Objekte\\a.ek7mobj", -1);
  SaveOptions(saved, file);
  Options loaded;
  ASSERT_TRUE(LoadOptions(loaded, file));
  EXPECT_EQ(saved.defaultAuthor, loaded.defaultAuthor);
  EXPECT_EQ(saved.defaultInfo, loaded.defaultInfo);
  EXPECT_EQ(7, loaded.undoSteps);
  EXPECT_EQ(saved.recentFiles, loaded.recentFiles);
  ::DeleteFileW(file.c_str());
  EXPECT_THROW(LoadOptions(loaded, file), mwstd::file_io_error);

  const Date now = CurrentDate();
  EXPECT_GE(now.year, 2020);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
}

}  // namespace
