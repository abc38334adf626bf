#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>

#include "mwWinAPI/WinHelpers.h"
#include "tests/mwWinAPI/TempFolder.h"

namespace {

struct MenuDestroyer {
  void operator()(HMENU menu) const { ::DestroyMenu(menu); }
};
using Menu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroyer>;

Menu MakeMenu() {
  Menu menu(::CreateMenu());
  for (const UINT id : {101u, 102u, 103u}) ::AppendMenuW(menu.get(), MF_STRING, id, L"Item");
  return menu;
}

bool Grayed(const Menu& menu, UINT id) {
  return (::GetMenuState(menu.get(), id, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

TEST(MenuDis, EnablesAndGraysItsItemsOnly) {
  const Menu first = MakeMenu(), second = MakeMenu();
  ASSERT_TRUE(first && second);
  mwWinAPI::MenuDis items(first.get());
  items.AddPoint(101);
  items.AddPoint(103);
  items.Disable();
  EXPECT_TRUE(Grayed(first, 101));
  EXPECT_FALSE(Grayed(first, 102));
  EXPECT_TRUE(Grayed(first, 103));
  items.Enable();
  EXPECT_FALSE(Grayed(first, 101));
  EXPECT_FALSE(Grayed(first, 103));

  items.SetMenu(second.get());
  items.Disable();
  EXPECT_TRUE(Grayed(second, 101));
  EXPECT_FALSE(Grayed(first, 101));

  items.Clear();
  items.AddPoint(102);
  items.Disable();
  EXPECT_TRUE(Grayed(second, 102));
  items.Enable();
  EXPECT_TRUE(Grayed(second, 101));  // no longer in the group
  EXPECT_FALSE(Grayed(second, 102));
}

TEST(WindowString, CutAt1022Characters) {
  const HWND window = ::CreateWindowExW(0, L"STATIC", L"Hallo", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                        ::GetModuleHandleW(nullptr), nullptr);
  if (!window) GTEST_SKIP() << "no window station";
  EXPECT_EQ(mwWinAPI::GetWindowString(window), L"Hallo");
  ::SetWindowTextW(window, std::wstring(2000, L'x').c_str());
  EXPECT_EQ(mwWinAPI::GetWindowString(window), std::wstring(1022, L'x'));
  ::DestroyWindow(window);
}

TEST(FileExists, FindsFilesFoldersAndWildcards) {
  mwtest::TempFolder folder;
  ASSERT_TRUE(mwtest::PutBytes(folder.Path(L"a.txt"), "a"));
  EXPECT_TRUE(mwWinAPI::FileExists(folder.Path(L"a.txt")));
  EXPECT_TRUE(mwWinAPI::FileExists(folder.Path()));
  EXPECT_TRUE(mwWinAPI::FileExists(folder.Path(L"*.txt")));
  EXPECT_FALSE(mwWinAPI::FileExists(folder.Path(L"*.xyz")));
  EXPECT_FALSE(mwWinAPI::FileExists(folder.Path(L"b.txt")));
  EXPECT_FALSE(mwWinAPI::FileExists(folder.Path(L"missing\\a.txt")));
}

TEST(FilePathExec, NamesAFileBesideTheExecutable) {
  wchar_t module[MAX_PATH] = {};
  ASSERT_GT(::GetModuleFileNameW(nullptr, module, MAX_PATH), 0u);
  const std::wstring self = module;
  const std::wstring folder = self.substr(0, self.rfind(L'\\') + 1);
  const std::wstring name = self.substr(folder.size());
  EXPECT_EQ(mwWinAPI::FilePathExec(name), self);
  EXPECT_TRUE(mwWinAPI::FileExists(mwWinAPI::FilePathExec(name)));
  EXPECT_EQ(mwWinAPI::FilePathExec(L""), folder);
}

}  // namespace
