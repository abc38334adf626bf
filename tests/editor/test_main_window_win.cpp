// The editor's main window driven with real messages: start-up with and
// without options, the command flows with scripted answers, the menu and
// accelerators in both languages, and the last chance to save.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "editor/Entry.h"
#include "editor/MainWindow.h"
#include "editor/PrivateMessages.h"
#include "editor/res/resource.h"
#include "files/ProjectFile.h"
#include "mwWinAPI/NumberFormat.h"
#include "mwWinAPI/SafeFile.h"
#include "mwWinAPI/UserInteraction.h"
#include "tests/mwWinAPI/PumpMessages.h"
#include "tests/mwWinAPI/TempFolder.h"

using namespace orbiform;
using mwWinAPI::ScriptedInteraction;

namespace {

using namespace std::string_literals;  // filters hold embedded zeros

std::wstring Title(HWND window) {
  wchar_t text[512] = {};
  ::GetWindowTextW(window, text, 512);
  return text;
}

std::wstring ItemText(HMENU menu, UINT item, UINT by = MF_BYCOMMAND) {
  wchar_t text[256] = {};
  ::GetMenuStringW(menu, item, text, 256, by);
  return text;
}

bool Grayed(HMENU menu, UINT id) { return (::GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0; }

// One editor window on a fresh options file in a temporary folder, with the
// prompts answered from a script.
class Editor : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(MainWindow::RegisterClasses(::GetModuleHandleW(nullptr))); }
  void TearDown() override {
    if (window_ && window_->Handle()) ::DestroyWindow(window_->Handle());
    testui::PumpUntil([] { return false; }, 20);
  }

  MainWindow& Start(const std::string& optionsText = "") {
    if (!optionsText.empty()) mwtest::PutBytes(folder_.Path(L"options.xml"), optionsText);
    window_ = std::make_unique<MainWindow>(&active_);
    window_->SetDialogs(
        {[this](HWND, Options&) { return ++optionsShown_, true; }, nullptr, nullptr, nullptr});
    window_->CreateMain(::GetModuleHandleW(nullptr), folder_.Path(L"options.xml"));
    ::ShowWindow(window_->Handle(), SW_SHOWNORMAL);
    testui::PumpUntil([] { return false; }, 50);
    return *window_;
  }
  // Sends a command and lets an Open that it started finish.
  void Command(UINT id, const wchar_t* path = nullptr) {
    ::SendMessageW(window_->Handle(), WM_COMMAND, id, reinterpret_cast<LPARAM>(path));
    ASSERT_TRUE(testui::PumpUntil([this] { return !window_->Loading(); }));
  }
  // A new default object, marked as modified.
  void NewObject() {
    Command(IDM_NEW);
    ASSERT_NE(nullptr, window_->Handler().Current());
  }
  std::wstring SavedProject(const wchar_t* name) {
    const std::wstring path = folder_.Path(name);
    script_.pathAnswers.push_back(path);
    Command(IDM_SAVE_PROJECT);
    return path;
  }

  mwtest::TempFolder folder_;
  ScriptedInteraction script_;
  HWND active_ = nullptr;
  std::unique_ptr<MainWindow> window_;
  int optionsShown_ = 0;
};

TEST_F(Editor, StartsWithOptionsOrAsksForThem) {
  Start();  // first start: no options file
  EXPECT_EQ(1, optionsShown_);
  EXPECT_EQ(std::wstring(kProgramTitle), Title(window_->Handle()));
  EXPECT_TRUE(Grayed(window_->Menu(), IDM_SAVE));
  EXPECT_TRUE(Grayed(window_->Menu(), IDM_CLOSE));
  ::DestroyWindow(window_->Handle());

  optionsShown_ = 0;
  Start("<OPTIONS><Restore Undo=\"5\"");  // broken
  EXPECT_EQ(1, optionsShown_);
  ::DestroyWindow(window_->Handle());

  optionsShown_ = 0;
  Start(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><OPTIONS><Restore Undo=\"2000000000\" Redo=\"7\" />"
      "<RecentFiles File1=\"C:\\a.ek7mobj\" /></OPTIONS>");
  EXPECT_EQ(0, optionsShown_);
  EXPECT_EQ(1000, window_->Handler().UndoCapacity());
  EXPECT_EQ(7, window_->Handler().RedoCapacity());

  // What the options dialog sets applies at once: history and number format.
  window_->SetDialogs({[](HWND, Options& options) {
                         options.undoSteps = 3;
                         options.numberFormat = 1;
                         return true;
                       },
                       nullptr, nullptr, nullptr});
  Command(IDM_OPTIONS);
  EXPECT_EQ(3, window_->Handler().UndoCapacity());
  EXPECT_EQ(L"0,5", mwWinAPI::FormatNumber(0.5));
  ::DestroyWindow(window_->Handle());  // and the locale goes back
  EXPECT_EQ(L"0.5", mwWinAPI::FormatNumber(0.5));
}

TEST_F(Editor, PanesAreLaidOutAndClampedAndDetachable) {
  Start();
  HWND main = window_->Handle();
  ::SetWindowPos(main, nullptr, 0, 0, 1000, 700, SWP_NOZORDER);
  RECT r{};
  ::GetWindowRect(window_->View().Handle(), &r);
  ::MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
  // Right of the tree (150, or wider where a layer's name needs it) and the
  // edit pane (300).
  RECT tree{};
  ::GetWindowRect(window_->Tree().Handle(), &tree);
  EXPECT_EQ(tree.right - tree.left + 300, r.left);
  EXPECT_GE(r.left, 450);
  EXPECT_EQ(0, r.top);
  ::GetWindowRect(window_->Texture().Handle(), &r);
  ::MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(350, r.top);

  ::SetWindowPos(main, nullptr, 0, 0, 120, 60, SWP_NOZORDER);  // smaller than the panes
  ::GetClientRect(window_->View().RenderHandle(), &r);
  EXPECT_GE(r.bottom, 1);

  Command(IDM_DETACH);
  EXPECT_FALSE(window_->ArrangeAutomatically());
  EXPECT_EQ(0u, ::GetMenuState(window_->Menu(), IDM_ARRANGE_AUTOMATICALLY, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_TRUE(::GetWindowLongPtrW(window_->Tree().Handle(), GWL_STYLE) & WS_CAPTION);
  Command(IDM_LOCK);
  EXPECT_TRUE(::GetWindowLongPtrW(window_->Tree().Handle(), GWL_STYLE) & WS_CHILD);
  Command(IDM_ARRANGE_AUTOMATICALLY);
  EXPECT_TRUE(window_->ArrangeAutomatically());
}

TEST_F(Editor, SaveProjectAndSaveWithoutPathUpdateTitleAndRecentFiles) {
  Start();
  NewObject();
  EXPECT_TRUE(window_->Modified());
  EXPECT_FALSE(Grayed(window_->Menu(), IDM_SAVE));
  EXPECT_TRUE(window_->View().View() != nullptr);

  // Save without a project path is Save Project: the dialog's extension
  // comes from the filter.
  script_.pathAnswers.push_back(folder_.Path(L"portal.ek7mobj"));
  Command(IDM_SAVE);
  ASSERT_FALSE(script_.prompts.empty());
  EXPECT_EQ(L"SaveFileName", script_.prompts.back().kind);
  EXPECT_FALSE(window_->Modified());
  EXPECT_EQ(folder_.Path(L"portal.ek7mobj"), window_->ProjectPath());
  EXPECT_EQ(std::wstring(kProgramTitle) + L" - portal.ek7mobj", Title(window_->Handle()));
  ASSERT_EQ(1u, window_->CurrentOptions().recentFiles.size());
  EXPECT_EQ(ItemText(window_->Menu(), IDM_RECENT_FILE_FIRST).substr(0, 3), folder_.Path().substr(0, 3));

  std::unique_ptr<RoundObject> read;
  ASSERT_TRUE(ParseProject(mwWinAPI::ReadFileBytes(window_->ProjectPath()), read));
  EXPECT_EQ(window_->Handler().Current()->PointCount(), read->PointCount());
  // The options file was written with the list.
  EXPECT_NE(std::string::npos, mwWinAPI::ReadFileBytes(folder_.Path(L"options.xml")).find("portal.ek7mobj"));
}

TEST_F(Editor, RecentFilesMenuShowsShortAndShortenedPaths) {
  const std::string forty = "C:\\Daten\\Objekte\\Tunnel\\abcdefgh.ek7mobj";  // 40 characters
  const std::string fortyOne = "C:\\Daten\\Objekte\\Tunnel\\abcdefghi.ek7mobj";
  ASSERT_EQ(40u, forty.size());
  Start("<?xml version=\"1.0\"?><OPTIONS><RecentFiles File1=\"" + forty + "\" File2=\"" + fortyOne +
        "\" /></OPTIONS>");
  HMENU file = ::GetSubMenu(window_->Menu(), 0);
  EXPECT_EQ(0, optionsShown_);
  ASSERT_EQ(2u, window_->CurrentOptions().recentFiles.size());
  EXPECT_EQ(std::wstring(forty.begin(), forty.end()), ItemText(window_->Menu(), IDM_RECENT_FILE_FIRST));
  EXPECT_EQ(L"C:\\Daten\\...\\abcdefghi.ek7mobj", ItemText(window_->Menu(), IDM_RECENT_FILE_FIRST + 1));
  // Between the File menu's two separators.
  const int at = 10;  // after the exports and Save Picture
  EXPECT_EQ(static_cast<UINT>(IDM_RECENT_FILE_FIRST), ::GetMenuItemID(file, at));
  EXPECT_TRUE(::GetMenuState(file, at - 1, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_TRUE(::GetMenuState(file, at + 2, MF_BYPOSITION) & MF_SEPARATOR);
}

TEST_F(Editor, DeclinedOrFailedSavesKeepTheObject) {
  Start();
  NewObject();
  // Close, "Yes", then the save dialog is cancelled: nothing is lost.
  script_.boxAnswers = {IDYES};
  Command(IDM_CLOSE);
  EXPECT_NE(nullptr, window_->Handler().Current());
  EXPECT_TRUE(window_->Modified());
  EXPECT_EQ(L"MessageBox", script_.prompts[0].kind);
  EXPECT_EQ(std::wstring(kProgramTitle), script_.prompts[0].caption);

  // Open, "Yes", save dialog cancelled: the open stops too.
  const std::wstring other = SavedProject(L"other.ek7mobj");
  Command(IDM_ROTATE_VECTORS);
  ASSERT_TRUE(window_->Modified());
  script_.boxAnswers = {IDYES};
  Command(IDM_OPEN, other.c_str());
  EXPECT_TRUE(window_->Modified());
  // Logging off asks too.
  script_.boxAnswers = {IDCANCEL};
  EXPECT_EQ(FALSE, ::SendMessageW(window_->Handle(), WM_QUERYENDSESSION, 0, 0));

  // A save that cannot replace the file leaves the old one and Modified, and
  // closing the window through such a save keeps the window.
  const std::string before = mwWinAPI::ReadFileBytes(other);
  const HANDLE held =
      ::CreateFileW(other.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  const std::size_t prompts = script_.prompts.size();
  Command(IDM_SAVE);
  script_.boxAnswers = {IDYES};
  ::SendMessageW(window_->Handle(), WM_CLOSE, 0, 0);
  ::CloseHandle(held);
  EXPECT_TRUE(::IsWindow(window_->Handle()));
  EXPECT_TRUE(window_->Modified());
  ASSERT_EQ(prompts + 3, script_.prompts.size());  // failure, prompt, failure
  EXPECT_EQ(static_cast<UINT>(MB_ICONWARNING), script_.prompts.back().flags & MB_ICONMASK);
  EXPECT_EQ(before, mwWinAPI::ReadFileBytes(other));
}

TEST_F(Editor, OpenOfABrokenFileLeavesNoObjectAndNoProjectPath) {
  Start();
  NewObject();
  const std::wstring good = SavedProject(L"good.ek7mobj");
  const std::wstring broken = folder_.Path(L"broken.ek7mobj");
  mwtest::PutBytes(broken, "<ROUNDOBJECT><Props");
  Command(IDM_OPEN, broken.c_str());
  EXPECT_EQ(nullptr, window_->Handler().Current());
  EXPECT_FALSE(window_->Modified());
  EXPECT_TRUE(window_->ProjectPath().empty());
  EXPECT_EQ(std::wstring(kProgramTitle), Title(window_->Handle()));
  EXPECT_EQ(broken + L" is not a valid Project-File", script_.prompts.back().text);
  EXPECT_TRUE(Grayed(window_->Menu(), IDM_SAVE));

  // A later New and Save asks for a path instead of overwriting good.ek7mobj.
  const std::string kept = mwWinAPI::ReadFileBytes(good);
  NewObject();
  Command(IDM_ADD_POINT);
  Command(IDM_SAVE);
  EXPECT_EQ(L"SaveFileName", script_.prompts.back().kind);
  EXPECT_EQ(kept, mwWinAPI::ReadFileBytes(good));

  // Opening the good file (changes declined) works.
  script_.boxAnswers = {IDNO};
  Command(IDM_OPEN, good.c_str());
  ASSERT_NE(nullptr, window_->Handler().Current());
  EXPECT_EQ(std::wstring(kProgramTitle) + L" - good.ek7mobj", Title(window_->Handle()));
  EXPECT_FALSE(window_->Modified());
  Command(IDM_RECENT_FILE_FIRST + 4);  // no such entry: nothing happens
  EXPECT_EQ(good, window_->ProjectPath());
}

TEST_F(Editor, NewUndoRedoAndCancelledExport) {
  Start();
  NewObject();
  const unsigned points = window_->Handler().Current()->PointsPerRing();
  // A cancelled wizard gives the previous object back, unchanged.
  window_->SetWizard([](HWND, std::unique_ptr<RoundObject> start) {
    start->SetPointsPerRing(9);  // the wizard worked on it, then was cancelled
    return std::unique_ptr<RoundObject>();
  });
  Command(IDM_NEW);
  ASSERT_NE(nullptr, window_->Handler().Current());
  EXPECT_EQ(points, window_->Handler().Current()->PointsPerRing());

  Command(IDM_ADD_POINT);
  EXPECT_EQ(points + 1, window_->Handler().Current()->PointsPerRing());
  Command(IDM_UNDO);
  EXPECT_EQ(points, window_->Handler().Current()->PointsPerRing());
  Command(IDM_REDO);
  EXPECT_EQ(points + 1, window_->Handler().Current()->PointsPerRing());
  testui::PumpUntil([] { return false; }, 50);  // the posted reload arrives
  EXPECT_TRUE(window_->Modified());

  const std::size_t prompts = script_.prompts.size();
  Command(IDM_EXPORT);  // the dialog is cancelled
  ASSERT_EQ(prompts + 1, script_.prompts.size());
  EXPECT_EQ(L"SaveFileName", script_.prompts.back().kind);
  EXPECT_EQ(L"Objekt Dateien (*.k7mobj)\0*.k7mobj\0"s, script_.prompts.back().caption);
  WIN32_FIND_DATAW found;
  const HANDLE search = ::FindFirstFileW(folder_.Path(L"*.k7mobj").c_str(), &found);
  EXPECT_EQ(INVALID_HANDLE_VALUE, search);
  if (search != INVALID_HANDLE_VALUE) ::FindClose(search);

  // OBJ export writes both files; layers that cannot be applied refuse it
  // with string 156 and write nothing.
  script_.pathAnswers.push_back(folder_.Path(L"shape.obj"));
  Command(IDM_EXPORT_OBJ);
  EXPECT_TRUE(mwWinAPI::ReadFileBytes(folder_.Path(L"shape.obj")).find("\nf ") != std::string::npos);
  EXPECT_FALSE(mwWinAPI::ReadFileBytes(folder_.Path(L"shape.mtl")).empty());
  RoundObject& object = *window_->Handler().Current();
  object.TextureLevels().front().endPoint = 999;
  object.SetTexCoordsValid(false);
  script_.pathAnswers.push_back(folder_.Path(L"refused.obj"));
  Command(IDM_EXPORT_OBJ);
  EXPECT_EQ(L"The texture layer could not be created, because your input is not valid",
            script_.prompts.back().text);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(folder_.Path(L"refused.obj").c_str()));
}

// glTF export and Save Picture go through the save dialog; the export says
// when the bitmap is missing and refuses layers that cannot be applied, the
// picture has the 3D window's size.
TEST_F(Editor, ExportsGltfAndSavesAPictureOfTheView) {
  Start();
  NewObject();
  script_.pathAnswers.push_back(folder_.Path(L"shape.glb"));
  Command(IDM_EXPORT_GLTF);
  EXPECT_EQ(std::wstring(L"glTF (*.glb)\0*.glb\0", 19), script_.prompts[script_.prompts.size() - 2].caption);
  EXPECT_EQ("glTF", mwWinAPI::ReadFileBytes(folder_.Path(L"shape.glb")).substr(0, 4));
  EXPECT_NE(std::wstring::npos, script_.prompts.back().text.find(L"exported without texture"));

  ASSERT_NE(nullptr, window_->View().View());
  script_.pathAnswers.push_back(folder_.Path(L"view.png"));
  Command(IDM_SAVE_PICTURE);
  const std::string png = mwWinAPI::ReadFileBytes(folder_.Path(L"view.png"));
  ASSERT_GT(png.size(), 24u);
  RECT client{};
  ::GetClientRect(window_->View().RenderHandle(), &client);
  const auto side = [&png](std::size_t at) {
    return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
           (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
  };
  EXPECT_EQ(client.right, side(16));
  EXPECT_EQ(client.bottom, side(20));

  window_->Handler().Current()->TextureLevels().front().endPoint = 999;
  window_->Handler().Current()->SetTexCoordsValid(false);
  script_.pathAnswers.push_back(folder_.Path(L"refused.glb"));
  Command(IDM_EXPORT_GLTF);
  EXPECT_EQ(L"The texture layer could not be created, because your input is not valid",
            script_.prompts.back().text);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(folder_.Path(L"refused.glb").c_str()));
}

TEST_F(Editor, HelpOpensThePdfOrSaysItCannot) {
  Start();
  script_.shellAnswers = {false};
  Command(IDM_HELP);
  EXPECT_EQ(L"Shell", script_.prompts[script_.prompts.size() - 2].kind);
  EXPECT_NE(std::wstring::npos, script_.prompts[script_.prompts.size() - 2].text.find(L"\\Orbiform2.pdf"));
  EXPECT_EQ(L"Help (Orbiform2.pdf) could not be opened!", script_.prompts.back().text);
}

TEST(EditorResources, MenuAndAcceleratorsInBothLanguages) {
  const HMODULE module = ::GetModuleHandleW(nullptr);
  const auto menuOf = [module](WORD language) {
    const HRSRC found = ::FindResourceExW(module, RT_MENU, MAKEINTRESOURCEW(IDR_MAINMENU), language);
    return found ? ::LoadMenuIndirectW(::LockResource(::LoadResource(module, found))) : nullptr;
  };
  HMENU english = menuOf(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  HMENU german = menuOf(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
  ASSERT_TRUE(english && german);
  EXPECT_EQ(L"&File", ItemText(english, 0, MF_BYPOSITION));
  EXPECT_EQ(L"&Datei", ItemText(german, 0, MF_BYPOSITION));
  EXPECT_EQ(L"Save &K7M", ItemText(english, IDM_EXPORT));
  EXPECT_EQ(L"Ö&ffnen\tStrg+O", ItemText(german, IDM_OPEN));
  EXPECT_EQ(L"Objekt - &Eigenschaften\tStrg + E", ItemText(german, IDM_OBJECT_PROPERTIES));
  EXPECT_EQ(L"Über &Orbiform", ItemText(german, IDM_ABOUT));
  EXPECT_EQ(L"Als &OBJ exportieren\u2026", ItemText(german, IDM_EXPORT_OBJ));
  EXPECT_EQ(L"Export &OBJ\u2026", ItemText(english, IDM_EXPORT_OBJ));
  EXPECT_EQ(L"Als &glTF exportieren\u2026", ItemText(german, IDM_EXPORT_GLTF));
  EXPECT_EQ(L"Save P&icture\u2026", ItemText(english, IDM_SAVE_PICTURE));
  EXPECT_EQ(L"B&ild speichern\u2026", ItemText(german, IDM_SAVE_PICTURE));
  EXPECT_TRUE(::GetMenuState(english, IDM_ARRANGE_AUTOMATICALLY, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_NE(L"", ItemText(german, IDM_FEEDBACK));
  ::DestroyMenu(english);
  ::DestroyMenu(german);

  HACCEL table = ::LoadAcceleratorsW(module, MAKEINTRESOURCEW(IDR_ACCELERATORS));
  ACCEL keys[16];
  const int count = ::CopyAcceleratorTableW(table, keys, 16);
  ASSERT_EQ(8, count);
  for (int i = 0; i < count; ++i) {
    if (keys[i].cmd == IDM_HELP) {
      EXPECT_EQ(VK_F1, keys[i].key);
      EXPECT_EQ(FVIRTKEY, keys[i].fVirt);
    } else {
      EXPECT_EQ(FVIRTKEY | FCONTROL, keys[i].fVirt) << keys[i].cmd;
    }
  }
}

TEST_F(Editor, AnErrorThatLeavesTheLoopGivesALastChanceToSave) {
  Start();
  NewObject();
  const std::wstring rescue = folder_.Path(L"rescue.ek7mobj");
  script_.pathAnswers.push_back(rescue);
  const int code = RunGuarded(window_.get(), []() -> int { throw std::invalid_argument("bad"); });
  EXPECT_EQ(3, code);
  ASSERT_GE(script_.prompts.size(), 2u);
  const auto& box = script_.prompts[script_.prompts.size() - 2];
  EXPECT_EQ(L"invalid_argument\nLetzte Chance zu speichern...", box.text);
  EXPECT_EQ(L"Critical Erro", box.caption);
  EXPECT_EQ(nullptr, box.owner);
  EXPECT_EQ(L"Project Dateien (*.ek7mobj)\0*.ek7mobj\0"s, script_.prompts.back().caption);
  std::unique_ptr<RoundObject> read;
  EXPECT_TRUE(ParseProject(mwWinAPI::ReadFileBytes(rescue), read));
  EXPECT_TRUE(window_->ProjectPath().empty());  // no change of project path

  // An mwstd error names its text; cancelling the dialog writes nothing.
  EXPECT_EQ(3, RunGuarded(window_.get(), []() -> int { throw mwstd::runtime_error(L": oops"); }));
  EXPECT_EQ(L"Uncatched Exeption - MainWindow: oops\nLetzte Chance zu speichern...",
            script_.prompts[script_.prompts.size() - 2].text);
  EXPECT_EQ(7, RunGuarded(window_.get(), [] { return 7; }));
}

TEST(EditorEntry, FileToOpenIsMadeAbsoluteWhateverItsLength) {
  wchar_t current[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, current);
  std::wstring base = current;
  if (base.back() != L'\\') base += L'\\';
  EXPECT_EQ(base + L"rel\\a.ek7mobj", FileToOpen({L"Orbiform2.exe", L"rel\\a.ek7mobj"}));
  EXPECT_EQ(L"", FileToOpen({L"Orbiform2.exe"}));
  const std::wstring longName = L"C:\\" + std::wstring(300, L'x') + L"\\b.ek7mobj";
  EXPECT_EQ(longName, FileToOpen({L"Orbiform2.exe", longName}));
}

}  // namespace
