// The point dialog in a stand-in edit pane under a window that counts the
// change reports, driven with the selection messages and real field texts.
#include <windows.h>

#include <gtest/gtest.h>

#include <locale>
#include <memory>
#include <string>

#include "editor/PointDialog.h"
#include "editor/PrivateMessages.h"
#include "editor/res/resource.h"
#include "files/ProjectFile.h"
#include "mwWinAPI/Fields.h"
#include "mwWinAPI/NumberFormat.h"
#include "mwWinAPI/StringTable.h"
#include "mwWinAPI/UserInteraction.h"

using namespace orbiform;
using mwWinAPI::GetItemText;

namespace {

std::wstring Text(unsigned id) {
  mwWinAPI::StringTable strings;
  return strings.LoadS(id);
}

int changes = 0;

LRESULT CALLBACK MainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == TWM_CHANGED) ++changes;
  return ::DefWindowProcW(window, message, wParam, lParam);
}

class PointDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW type{};
    type.lpfnWndProc = MainProcedure;
    type.hInstance = instance;
    type.lpszClassName = L"PointDialogTestMain";
    ::RegisterClassW(&type);
    main_ = ::CreateWindowExW(0, L"PointDialogTestMain", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600,
                              500, nullptr, nullptr, instance, nullptr);
    pane_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 150, 0, 300, 350, main_, nullptr,
                              instance, nullptr);
    auto object = std::make_unique<RoundObject>(4, 0);
    for (double height : {0.0, 1.0, 2.0}) object->AddArea(0, 360, height, 1, 1);
    object->GenerateAllPoints();
    handler_.SetCurrent(std::move(object));
    handler_.SetSteps(10, 10);
    dialog_ = CreatePointDialog(instance, pane_, handler_);
    ::ShowWindow(dialog_->Handle(), SW_SHOW);
    changes = 0;
  }
  void TearDown() override {
    dialog_.reset();
    ::DestroyWindow(main_);
  }

  HWND Dialog() const { return dialog_->Handle(); }
  void Type(int id, const std::wstring& text) {
    const HWND edit = ::GetDlgItem(Dialog(), id);
    ::SetWindowTextW(edit, text.c_str());
    ::SendMessageW(edit, EM_SETMODIFY, TRUE, 0);
  }
  void Press(int id) {
    ::SendMessageW(Dialog(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(Dialog(), id)));
  }
  void SelectPlain(int plain) { ::SendMessageW(Dialog(), TWM_SELECT_PLAIN, plain, 0); }
  void SelectPoint(int plain, int point) { ::SendMessageW(Dialog(), TWM_SELECT_POINT, plain, point); }
  Area& Plain(int index) { return handler_.Current()->GetArea(index); }
  bool Shown(int id) const { return ::IsWindowVisible(::GetDlgItem(Dialog(), id)) != FALSE; }

  mwWinAPI::ScriptedInteraction ui_;
  RoundObjectHandler handler_;
  HWND main_ = nullptr;
  HWND pane_ = nullptr;
  std::unique_ptr<PointDialog> dialog_;
};

}  // namespace

TEST_F(PointDialogTest, ManualFieldsSetTypedValuesOnlyAndMinus999KeepsTheCoordinate) {
  // Point 1 lies at 90 degrees: its x and normal x are tiny numbers shown rounded.
  const Point before = Plain(1).GetPoint(1);
  const Point neighbour = Plain(1).GetPoint(2);
  SelectPoint(1, 1);
  EXPECT_FALSE(Shown(IDC_POINT_AUTO_ACCEPT));
  EXPECT_FALSE(Shown(IDC_POINT_RADIUS_LABEL));
  EXPECT_TRUE(Shown(IDC_POINT_MANUAL_ACCEPT));
  EXPECT_EQ(mwWinAPI::FormatNumber(before.x), GetItemText(Dialog(), IDC_POINT_X));
  EXPECT_EQ(L"1", GetItemText(Dialog(), IDC_POINT_Y));

  Press(IDC_POINT_MANUAL_ACCEPT);  // nothing typed: no change, no undo state
  EXPECT_FALSE(handler_.CanUndo());
  EXPECT_EQ(0, changes);

  Type(IDC_POINT_X, L"-999");
  Type(IDC_POINT_Z, L"Quatsch");
  Type(IDC_POINT_NORMAL_Y, L"0.5");
  Press(IDC_POINT_MANUAL_ACCEPT);
  const Point after = Plain(1).GetPoint(1);
  EXPECT_EQ(before.x, after.x);
  EXPECT_EQ(before.z, after.z);
  EXPECT_EQ(0.5, after.ny);
  EXPECT_EQ(before.nx, after.nx);  // shown rounded, not typed: kept exact
  EXPECT_EQ(neighbour.ny, Plain(1).GetPoint(2).ny);
  EXPECT_TRUE(handler_.CanUndo());
  EXPECT_EQ(1, changes);
}

TEST_F(PointDialogTest, APlainWideYMovesEveryPointOfThatPlainOnly) {
  SelectPlain(0);
  EXPECT_TRUE(Shown(IDC_POINT_AUTO_ACCEPT));
  EXPECT_EQ(L"", GetItemText(Dialog(), IDC_POINT_Y));
  EXPECT_EQ(L"1", GetItemText(Dialog(), IDC_POINT_RADIUS));
  const Point untouched = Plain(1).GetPoint(0);
  Type(IDC_POINT_Y, L"7");
  Press(IDC_POINT_MANUAL_ACCEPT);
  for (const Point& point : Plain(0).Points()) EXPECT_EQ(7, point.y);
  EXPECT_EQ(0, Plain(0).Height());  // the plain itself is not regenerated
  EXPECT_EQ(untouched.y, Plain(1).GetPoint(0).y);
  EXPECT_EQ(1, changes);
}

TEST_F(PointDialogTest, TheAutomaticGroupReportsAllRefusalsInOneBoxAndAppliesTheRest) {
  SelectPlain(1);
  Type(IDC_POINT_RADIUS, L"0");
  Type(IDC_POINT_ELLIPSE, L"-2");
  Type(IDC_POINT_START, L"10");
  Type(IDC_POINT_END, L"20");
  Type(IDC_POINT_HEIGHT, L"3");
  Press(IDC_POINT_AUTO_ACCEPT);
  ASSERT_EQ(1u, ui_.prompts.size());
  EXPECT_EQ(L"Orbiform2", ui_.prompts[0].caption);
  EXPECT_EQ(
      Text(IDS_POINT_RADIUS_POSITIVE) + Text(IDS_POINT_ELLIPSE_POSITIVE) + Text(IDS_MINIMUM_SPAN) + L"\n",
      ui_.prompts[0].text);
  EXPECT_EQ(1, Plain(1).Radius());
  EXPECT_EQ(L"1", GetItemText(Dialog(), IDC_POINT_RADIUS));
  EXPECT_EQ(L"360", GetItemText(Dialog(), IDC_POINT_END));
  EXPECT_EQ(3, Plain(1).Height());
  for (const Point& point : Plain(1).Points()) EXPECT_EQ(3, point.y);  // regenerated
  EXPECT_EQ(1, changes);

  // Not finite: refused as a whole, the plain stays as it was.
  Type(IDC_POINT_RADIUS, L"1e300");
  Type(IDC_POINT_ELLIPSE, L"1e300");
  Type(IDC_POINT_HEIGHT, L"4");
  Press(IDC_POINT_AUTO_ACCEPT);
  ASSERT_EQ(2u, ui_.prompts.size());
  EXPECT_EQ(Text(IDS_NOT_FINITE) + L"\n", ui_.prompts[1].text);
  EXPECT_EQ(1, Plain(1).Radius());
  EXPECT_EQ(3, Plain(1).Height());
  EXPECT_EQ(1, changes);
}

TEST_F(PointDialogTest, SelectionsWriteBackOnlyTypedValuesSoUndoStaysUndone) {
  SelectPlain(0);
  SelectPlain(1);  // nothing typed: no undo state, nothing written
  EXPECT_FALSE(handler_.CanUndo());

  Type(IDC_POINT_RADIUS, L"5");
  SelectPlain(2);  // the typed radius goes to plain 1
  EXPECT_EQ(5, Plain(1).Radius());
  EXPECT_EQ(1, Plain(1).GetPoint(0).x);  // selection changes do not regenerate
  ASSERT_TRUE(handler_.Undo());
  EXPECT_EQ(1, Plain(1).Radius());
  SelectPlain(0);
  SelectPoint(0, 1);
  SelectPlain(1);
  EXPECT_EQ(1, Plain(1).Radius());
  EXPECT_TRUE(handler_.CanRedo());  // no new state cleared the redo stack

  // A plain that is gone is never written, and bad indices select nothing.
  Type(IDC_POINT_RADIUS, L"6");
  handler_.Current()->RemoveArea(2);
  handler_.Current()->RemoveArea(1);
  SelectPlain(0);
  EXPECT_EQ(1, Plain(0).Radius());
  SelectPlain(7);
  EXPECT_EQ(-1, dialog_->SelectedPlain());
  SelectPoint(0, 4);
  EXPECT_EQ(-1, dialog_->SelectedPoint());
  Type(IDC_POINT_X, L"3");
  Press(IDC_POINT_MANUAL_ACCEPT);
  EXPECT_TRUE(handler_.CanRedo());

  SelectPlain(0);
  Type(IDC_POINT_HEIGHT, L"9");
  ::SendMessageW(Dialog(), TWM_REFRESH, 0, 0);  // the object was replaced
  SelectPlain(0);
  EXPECT_EQ(0, Plain(0).Height());
}

namespace {

// With the German number format the dialog shows and takes "0,5"; the
// project file written afterwards still says "0.5".
TEST_F(PointDialogTest, GermanFormatInTheDialogClassicInTheFile) {
  const std::locale before = std::locale::global(mwWinAPI::NumberLocale(1));
  Plain(1).SetRadius(1.25);
  SelectPlain(1);
  EXPECT_EQ(L"1,25", GetItemText(Dialog(), IDC_POINT_RADIUS));
  Type(IDC_POINT_RADIUS, L"0,5");
  Press(IDC_POINT_AUTO_ACCEPT);
  std::locale::global(before);
  EXPECT_EQ(0.5, Plain(1).Radius());
  const std::wstring text = ProjectFileText(*handler_.Current(), L"", L"C:\\p.ek7mobj");
  EXPECT_NE(std::wstring::npos, text.find(L"\"0.5\""));
  EXPECT_EQ(std::wstring::npos, text.find(L"0,5"));
}

}  // namespace
