// The creation wizard driven page by page with real messages: a thread timer
// runs one scripted step per tick on the page it waits for; every box, file
// dialog and balloon goes through the scripted seam.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "editor/MainWindow.h"
#include "editor/Wizard.h"
#include "editor/res/resource.h"
#include "mwWinAPI/Fields.h"
#include "mwWinAPI/StringTable.h"
#include "mwWinAPI/UserInteraction.h"
#include "tests/mwWinAPI/TempFolder.h"

using namespace orbiform;
using mwWinAPI::GetItemText;

namespace {

using namespace std::string_literals;  // filters hold embedded zeros

std::wstring Text(unsigned id) {
  mwWinAPI::StringTable strings;
  return strings.LoadS(id);
}

// --- the driver ---

struct Step {
  int page;  // IDD_WIZARD_...
  std::function<void(HWND)> act;
};

std::deque<Step> steps;
int ticksLeft = 0;

int PageOf(HWND dialog) {
  if (::GetDlgItem(dialog, IDC_TYPE_AXIS_TEXT)) return IDD_WIZARD_TYPE;
  if (::GetDlgItem(dialog, IDC_PLAINS_TABS)) return IDD_WIZARD_PLAINS;
  if (::GetDlgItem(dialog, IDC_FINAL_AUTO)) return IDD_WIZARD_FINAL;
  return IDD_WIZARD_SPHERE;
}

BOOL CALLBACK TakePage(HWND window, LPARAM found) {
  wchar_t name[16] = {};
  ::GetClassNameW(window, name, 16);
  if (std::wstring(name) == L"#32770" && ::IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

HWND CurrentPage() {
  HWND page = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), TakePage, reinterpret_cast<LPARAM>(&page));
  return page;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  const HWND page = CurrentPage();
  if (!page) return;
  // A script that runs out or waits for the wrong page must not hang the run.
  if (--ticksLeft < 0 || steps.empty()) {
    ::SendMessageW(page, WM_CLOSE, 0, 0);
    return;
  }
  if (PageOf(page) != steps.front().page) return;
  Step step = std::move(steps.front());
  steps.pop_front();
  step.act(page);
}

// Runs the wizard on `start`, or `run` (which runs it some other way), while
// the script acts on its pages.
std::unique_ptr<RoundObject> Drive(std::unique_ptr<RoundObject> start, std::deque<Step> script,
                                   const std::function<void()>& run = nullptr) {
  steps = std::move(script);
  ticksLeft = 500;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, Tick);
  std::unique_ptr<RoundObject> result;
  if (run) {
    run();
  } else {
    result = RunWizard(nullptr, std::move(start));
  }
  ::KillTimer(nullptr, timer);
  EXPECT_TRUE(steps.empty()) << "the script stopped before its end";
  return result;
}

void Press(HWND dialog, int id) {
  ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}
void Click(HWND dialog, int id) { ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
// Types into a field that keeps the keyboard, as before Enter or an access key.
void Type(HWND dialog, int id, const std::wstring& text) {
  const HWND edit = ::GetDlgItem(dialog, id);
  ::SetFocus(edit);
  ::SetWindowTextW(edit, text.c_str());
  ::SendMessageW(edit, EM_SETMODIFY, TRUE, 0);
}
// Types and moves the keyboard on, so that the field commits itself.
void TypeAndLeave(HWND dialog, int id, const std::wstring& text, int next) {
  Type(dialog, id, text);
  ::SetFocus(::GetDlgItem(dialog, next));
}
bool Checked(HWND dialog, int id) { return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

HWND Tabs(HWND page) { return ::GetDlgItem(page, IDC_PLAINS_TABS); }
// The one plain page inside the plains page.
HWND PlainPage(HWND page) {
  HWND child = nullptr;
  while ((child = ::FindWindowExW(page, child, L"#32770", nullptr)))
    if (::IsWindowVisible(child)) return child;
  return nullptr;
}
std::vector<std::wstring> TabTitles(HWND page) {
  std::vector<std::wstring> titles;
  for (int i = 0; i < TabCtrl_GetItemCount(Tabs(page)); ++i) {
    wchar_t text[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    TabCtrl_GetItem(Tabs(page), i, &item);
    titles.push_back(text);
  }
  return titles;
}
std::vector<std::wstring> Numbered(int count) {
  std::vector<std::wstring> titles;
  for (int i = 1; i <= count; ++i) titles.push_back(Text(IDS_TREE_PLAIN) + std::to_wstring(i));
  return titles;
}
// A tab change as the user makes it: the control asks, changes, reports.
void SelectTab(HWND page, int index) {
  NMHDR header{Tabs(page), IDC_PLAINS_TABS, TCN_SELCHANGING};
  ::SendMessageW(page, WM_NOTIFY, IDC_PLAINS_TABS, reinterpret_cast<LPARAM>(&header));
  TabCtrl_SetCurSel(Tabs(page), index);
  header.code = TCN_SELCHANGE;
  ::SendMessageW(page, WM_NOTIFY, IDC_PLAINS_TABS, reinterpret_cast<LPARAM>(&header));
}

std::unique_ptr<RoundObject> Cylinder(unsigned points, std::initializer_list<double> heights) {
  auto object = std::make_unique<RoundObject>(points, 0);
  for (double height : heights) object->AddArea(0, 360, height, 1, 1);
  object->GetTextureLevel(object->AddTextureLevel()).SetPoints(0, points - 1);
  return object;
}

std::vector<std::wstring> Boxes(const mwWinAPI::ScriptedInteraction& ui) {
  std::vector<std::wstring> texts;
  for (const auto& prompt : ui.prompts)
    if (prompt.kind == L"MessageBox") texts.push_back(prompt.text);
  return texts;
}

class Wizard : public ::testing::Test {
 protected:
  mwWinAPI::ScriptedInteraction ui_;
};

}  // namespace

TEST_F(Wizard, CylinderPathCommitsTheFocusedFieldBeforeNextAndFinish) {
  auto result = Drive(
      nullptr, {
                   {IDD_WIZARD_TYPE,
                    [](HWND page) {
                      EXPECT_EQ(L"5", GetItemText(page, IDC_TYPE_POINTS));
                      EXPECT_FALSE(Checked(page, IDC_TYPE_CYLINDER) || Checked(page, IDC_TYPE_SPHERE));
                      EXPECT_EQ(Text(IDS_AXIS_VERTICAL_CYLINDER), GetItemText(page, IDC_TYPE_AXIS_TEXT));
                      ::SendDlgItemMessageW(page, IDC_TYPE_AXES, LB_SETCURSEL, 2, 0);
                      ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_TYPE_AXES, LBN_SELCHANGE), 0);
                      EXPECT_EQ(Text(IDS_AXIS_TUNNEL_LEFT), GetItemText(page, IDC_TYPE_AXIS_TEXT));
                      Type(page, IDC_TYPE_POINTS, L"4");
                      Press(page, IDC_WIZARD_NEXT);  // no kind chosen: nothing happens
                      ASSERT_TRUE(::IsWindowVisible(page));
                      Click(page, IDC_TYPE_CYLINDER);
                      Press(page, IDC_WIZARD_NEXT);
                    }},
                   {IDD_WIZARD_PLAINS,
                    [](HWND page) {
                      EXPECT_EQ(0, TabCtrl_GetItemCount(Tabs(page)));
                      Press(page, IDC_WIZARD_NEXT);  // no plain: nothing happens
                      ASSERT_TRUE(::IsWindowVisible(page));
                      Press(page, IDC_PLAINS_NEW);
                      EXPECT_EQ(Numbered(1), TabTitles(page));
                      const HWND plain = PlainPage(page);
                      ASSERT_NE(nullptr, plain);
                      EXPECT_EQ(L"1", GetItemText(plain, IDC_PLAIN_RADIUS));
                      Type(plain, IDC_PLAIN_RADIUS, L"2.5");
                      Press(page, IDC_WIZARD_NEXT);
                    }},
                   {IDD_WIZARD_FINAL,
                    [](HWND page) {
                      EXPECT_TRUE(Checked(page, IDC_FINAL_SAME));
                      EXPECT_EQ(L"50", GetItemText(page, IDC_FINAL_X1));
                      Click(page, IDC_FINAL_WRAP);
                      Type(page, IDC_FINAL_X1, L"300");
                      Press(page, IDC_WIZARD_NEXT);
                    }},
               });
  ASSERT_NE(nullptr, result);
  EXPECT_FALSE(result->IsSphere());
  EXPECT_EQ(4u, result->PointsPerRing());
  ASSERT_EQ(1u, result->AreaCount());
  EXPECT_EQ(2.5, result->GetArea(0).Radius());
  EXPECT_NEAR(2.5, result->GetArea(0).GetPoint(0).y, 1e-9);  // axis "y x z": the cosine term is y
  EXPECT_EQ(TextureLevel::kWrap, result->GetTextureLevel(0).type);
  EXPECT_EQ(300, result->GetTextureLevel(0).coords[1].first);
  EXPECT_TRUE(result->TexCoordsValid());
  EXPECT_TRUE(ui_.prompts.empty());
}

TEST_F(Wizard, SpherePathWithBackKeepsItsValuesAndRefusedOnesShowTheOldValue) {
  auto result = Drive(
      nullptr, {
                   {IDD_WIZARD_TYPE,
                    [](HWND page) {
                      Click(page, IDC_TYPE_SPHERE);
                      Type(page, IDC_TYPE_POINTS, L"8");
                      Press(page, IDC_WIZARD_NEXT);
                    }},
                   {IDD_WIZARD_SPHERE,
                    [this](HWND page) {
                      EXPECT_EQ(L"3", GetItemText(page, IDC_SPHERE_PLAINS));
                      TypeAndLeave(page, IDC_SPHERE_PLAINS, L"2", IDC_SPHERE_RADIUS);
                      EXPECT_EQ(L"3", GetItemText(page, IDC_SPHERE_PLAINS));
                      TypeAndLeave(page, IDC_SPHERE_PLAINS, L"4", IDC_SPHERE_RADIUS);
                      TypeAndLeave(page, IDC_SPHERE_RADIUS, L"-1", IDC_SPHERE_ELLIPSE);
                      EXPECT_EQ(L"2", GetItemText(page, IDC_SPHERE_RADIUS));
                      TypeAndLeave(page, IDC_SPHERE_END, L"361", IDC_SPHERE_ELLIPSE);
                      EXPECT_EQ(L"360", GetItemText(page, IDC_SPHERE_END));
                      TypeAndLeave(page, IDC_SPHERE_RADIUS, L"1e300", IDC_SPHERE_ELLIPSE);
                      Type(page, IDC_SPHERE_ELLIPSE, L"1e300");
                      Press(page, IDC_WIZARD_NEXT);  // refused: the page stays
                      ASSERT_TRUE(::IsWindowVisible(page));
                      EXPECT_EQ(L"1", GetItemText(page, IDC_SPHERE_ELLIPSE));
                      TypeAndLeave(page, IDC_SPHERE_RADIUS, L"3", IDC_SPHERE_ELLIPSE);
                      EXPECT_EQ((std::vector<std::wstring>{Text(IDS_SPHERE_PLAINS), Text(IDS_RADIUS_POSITIVE),
                                                           Text(IDS_SPHERE_DEGREE), Text(IDS_NOT_FINITE)}),
                                Boxes(ui_));
                      Press(page, IDC_WIZARD_BACK);
                    }},
                   {IDD_WIZARD_TYPE,
                    [](HWND page) {
                      EXPECT_TRUE(Checked(page, IDC_TYPE_SPHERE));
                      EXPECT_EQ(L"8", GetItemText(page, IDC_TYPE_POINTS));
                      Press(page, IDC_WIZARD_NEXT);
                    }},
                   {IDD_WIZARD_SPHERE,
                    [](HWND page) {
                      EXPECT_EQ(L"4", GetItemText(page, IDC_SPHERE_PLAINS));
                      Press(page, IDC_WIZARD_NEXT);
                    }},
                   {IDD_WIZARD_PLAINS,
                    [](HWND page) {
                      EXPECT_EQ(Numbered(4), TabTitles(page));
                      Press(page, IDC_WIZARD_NEXT);
                    }},
                   {IDD_WIZARD_FINAL, [](HWND page) { Press(page, IDC_WIZARD_BACK); }},
                   {IDD_WIZARD_PLAINS, [](HWND page) { Press(page, IDC_WIZARD_NEXT); }},
                   {IDD_WIZARD_FINAL, [](HWND page) { Press(page, IDC_WIZARD_NEXT); }},
               });
  ASSERT_NE(nullptr, result);
  EXPECT_TRUE(result->IsSphere());
  EXPECT_EQ(8u, result->PointsPerRing());
  EXPECT_EQ(4u, result->AreaCount());
  EXPECT_EQ(3, static_cast<const Sphere&>(*result).Radius());
  EXPECT_NEAR(3 * std::sqrt(0.75), result->GetArea(1).Radius(), 1e-6);  // the plain at 60 degrees
}

TEST_F(Wizard, PointsPerRingFrom3To1000AndTooManyPointsKeepThePage) {
  auto result =
      Drive(Cylinder(5, {0, 1, 2, 3, 4, 5}),
            {
                {IDD_WIZARD_TYPE,
                 [this](HWND page) {
                   EXPECT_TRUE(Checked(page, IDC_TYPE_CYLINDER));
                   for (const wchar_t* refused : {L"2", L"1001", L"drei"}) {
                     Type(page, IDC_TYPE_POINTS, refused);
                     Press(page, IDC_WIZARD_NEXT);
                   }
                   Type(page, IDC_TYPE_POINTS, L"1000");  // 6 plains x 1000 points: too many
                   Press(page, IDC_WIZARD_NEXT);
                   const std::wstring range = Text(IDS_POINTS_RANGE);
                   EXPECT_EQ((std::vector<std::wstring>{range, range, range, Text(IDS_TOO_MANY_POINTS)}),
                             Boxes(ui_));
                   EXPECT_EQ(UINT(MB_ICONINFORMATION), ui_.prompts[0].flags & MB_ICONMASK);
                   Type(page, IDC_TYPE_POINTS, L"3");
                   Press(page, IDC_WIZARD_NEXT);
                 }},
                {IDD_WIZARD_PLAINS,
                 [](HWND page) {
                   EXPECT_EQ(6, TabCtrl_GetItemCount(Tabs(page)));
                   Press(page, IDC_WIZARD_BACK);
                 }},
                {IDD_WIZARD_TYPE,
                 [](HWND page) {
                   EXPECT_EQ(L"3", GetItemText(page, IDC_TYPE_POINTS));
                   ::SendMessageW(page, WM_CLOSE, 0, 0);
                 }},
            });
  EXPECT_EQ(nullptr, result);

  ui_.prompts.clear();
  result = Drive(Cylinder(1000, {0, 1, 2, 3, 4}),
                 {
                     {IDD_WIZARD_TYPE, [](HWND page) { Press(page, IDC_WIZARD_NEXT); }},
                     {IDD_WIZARD_PLAINS,
                      [this](HWND page) {
                        Press(page, IDC_PLAINS_NEW);
                        EXPECT_EQ((std::vector<std::wstring>{Text(IDS_TOO_MANY_POINTS)}), Boxes(ui_));
                        EXPECT_EQ(5, TabCtrl_GetItemCount(Tabs(page)));
                        Press(page, IDC_WIZARD_NEXT);
                      }},
                     {IDD_WIZARD_FINAL, [](HWND page) { Press(page, IDC_WIZARD_NEXT); }},
                 });
  ASSERT_NE(nullptr, result);
  EXPECT_EQ(1000u, result->PointsPerRing());
  EXPECT_EQ(5u, result->AreaCount());
}

TEST_F(Wizard, NewAndRemovedPlainsRenumberTheTabsAndARefusedRadiusKeepsItsValue) {
  auto result =
      Drive(Cylinder(5, {10, 11, 12}),
            {
                {IDD_WIZARD_TYPE, [](HWND page) { Press(page, IDC_WIZARD_NEXT); }},
                {IDD_WIZARD_PLAINS,
                 [this](HWND page) {
                   EXPECT_EQ(Numbered(3), TabTitles(page));
                   EXPECT_EQ(L"10", GetItemText(PlainPage(page), IDC_PLAIN_HEIGHT));
                   // A height typed on one tab is kept when another tab is chosen.
                   Type(PlainPage(page), IDC_PLAIN_HEIGHT, L"9");
                   SelectTab(page, 1);
                   EXPECT_EQ(L"11", GetItemText(PlainPage(page), IDC_PLAIN_HEIGHT));
                   SelectTab(page, 0);
                   EXPECT_EQ(L"9", GetItemText(PlainPage(page), IDC_PLAIN_HEIGHT));

                   Press(page, IDC_PLAINS_NEW);  // behind tab 1: heights 9, 0, 11, 12
                   EXPECT_EQ(Numbered(4), TabTitles(page));
                   EXPECT_EQ(1, TabCtrl_GetCurSel(Tabs(page)));
                   const HWND plain = PlainPage(page);
                   EXPECT_EQ(::GetDlgItem(plain, IDC_PLAIN_HEIGHT), ::GetFocus());
                   EXPECT_EQ(L"0", GetItemText(plain, IDC_PLAIN_HEIGHT));
                   TypeAndLeave(plain, IDC_PLAIN_RADIUS, L"0", IDC_PLAIN_ELLIPSE);
                   EXPECT_EQ(L"1", GetItemText(plain, IDC_PLAIN_RADIUS));
                   TypeAndLeave(plain, IDC_PLAIN_RADIUS, L"-3", IDC_PLAIN_ELLIPSE);
                   EXPECT_EQ(L"1", GetItemText(plain, IDC_PLAIN_RADIUS));
                   TypeAndLeave(plain, IDC_PLAIN_START, L"350", IDC_PLAIN_ELLIPSE);  // end 360: 10 degrees
                   EXPECT_EQ(L"0", GetItemText(plain, IDC_PLAIN_START));
                   const std::wstring radius = Text(IDS_RADIUS_POSITIVE);
                   EXPECT_EQ((std::vector<std::wstring>{radius, radius, Text(IDS_MINIMUM_SPAN)}), Boxes(ui_));
                   EXPECT_EQ(plain, ui_.prompts[0].owner);

                   SelectTab(page, 2);  // height 11
                   Press(plain, IDC_PLAIN_REMOVE);
                   EXPECT_EQ(Numbered(3), TabTitles(page));
                   EXPECT_EQ(1, TabCtrl_GetCurSel(Tabs(page)));
                   EXPECT_EQ(L"0", GetItemText(plain, IDC_PLAIN_HEIGHT));
                   SelectTab(page, 0);
                   Press(plain, IDC_PLAIN_REMOVE);  // the first: the first tab stays current
                   EXPECT_EQ(0, TabCtrl_GetCurSel(Tabs(page)));
                   EXPECT_EQ(L"0", GetItemText(plain, IDC_PLAIN_HEIGHT));
                   Press(page, IDC_WIZARD_NEXT);
                 }},
                {IDD_WIZARD_FINAL, [](HWND page) { Press(page, IDC_WIZARD_NEXT); }},
            });
  ASSERT_NE(nullptr, result);
  ASSERT_EQ(2u, result->AreaCount());
  EXPECT_EQ(0, result->GetArea(0).Height());
  EXPECT_EQ(12, result->GetArea(1).Height());
  EXPECT_EQ(1u, result->GetTextureLevel(0).endArea);
}

TEST_F(Wizard, FinalPageAutoCoordinatesBrowseAndCornerBalloons) {
  mwtest::TempFolder folder;
  const std::wstring bitmap = folder.Path(L"wand.bmp");
  {
    // A top-down 64 x 32 bitmap's headers (height -32); the pixels do not
    // matter here.
    unsigned char header[54] = {'B', 'M'};
    header[14] = 40;
    header[18] = 64;
    header[22] = 0xE0;
    header[23] = header[24] = header[25] = 0xFF;
    header[26] = 1;
    header[28] = 24;
    std::ofstream(bitmap.c_str(), std::ios::binary)
        .write(reinterpret_cast<const char*>(header), sizeof header);
  }
  ui_.pathAnswers.push_back(bitmap);
  auto start = Cylinder(5, {0, 1});
  start->SetTexture(folder.Path(L"missing.bmp"));
  auto result =
      Drive(std::move(start),
            {
                {IDD_WIZARD_TYPE, [](HWND page) { Press(page, IDC_WIZARD_NEXT); }},
                {IDD_WIZARD_PLAINS, [](HWND page) { Press(page, IDC_WIZARD_NEXT); }},
                {IDD_WIZARD_FINAL,
                 [&](HWND page) {
                   EXPECT_EQ(folder.Path(L"missing.bmp"), GetItemText(page, IDC_FINAL_TEXTURE));
                   Press(page, IDC_FINAL_AUTO);  // no bitmap: nothing changes, nothing is shown
                   EXPECT_EQ(L"50", GetItemText(page, IDC_FINAL_X2));
                   EXPECT_TRUE(ui_.prompts.empty());

                   Press(page, IDC_FINAL_BROWSE);
                   ASSERT_EQ(1u, ui_.prompts.size());
                   EXPECT_EQ(L"OpenFileName", ui_.prompts[0].kind);
                   EXPECT_EQ(L"Bitmap Dateien (*.bmp)\0*.bmp\0"s, ui_.prompts[0].caption);
                   EXPECT_EQ(bitmap, GetItemText(page, IDC_FINAL_TEXTURE));
                   Press(page, IDC_FINAL_AUTO);
                   EXPECT_EQ(L"64", GetItemText(page, IDC_FINAL_X2));
                   EXPECT_EQ(L"32", GetItemText(page, IDC_FINAL_Y2));

                   TypeAndLeave(page, IDC_FINAL_Y2, L"zwei", IDC_FINAL_X3);
                   ASSERT_EQ(2u, ui_.prompts.size());
                   EXPECT_EQ(L"Balloon", ui_.prompts[1].kind);
                   EXPECT_EQ(::GetDlgItem(page, IDC_FINAL_Y2), ui_.prompts[1].owner);
                   EXPECT_EQ(Text(IDS_ERROR), ui_.prompts[1].caption);
                   EXPECT_EQ(Text(IDS_CORNER_RIGHT) + Text(IDS_CORNER_BOTTOM) + Text(IDS_CORNER),
                             ui_.prompts[1].text);
                   EXPECT_EQ(L"32", GetItemText(page, IDC_FINAL_Y2));
                   TypeAndLeave(page, IDC_FINAL_X0, L"99999999999", IDC_FINAL_X3);  // beyond 32 bits
                   EXPECT_EQ(Text(IDS_CORNER_LEFT) + Text(IDS_CORNER_TOP) + Text(IDS_CORNER),
                             ui_.prompts.back().text);
                   EXPECT_EQ(L"0", GetItemText(page, IDC_FINAL_X0));

                   Type(page, IDC_FINAL_Y3, L"-7");
                   Press(page, IDC_WIZARD_NEXT);
                 }},
            });
  ASSERT_NE(nullptr, result);
  EXPECT_EQ(bitmap, result->Texture());
  const std::array<TexCoord, 4> corners{{{0, 0}, {64, 0}, {64, 32}, {0, -7}}};
  EXPECT_EQ(corners, result->GetTextureLevel(0).coords);
  EXPECT_TRUE(result->TexCoordsValid());
}

TEST_F(Wizard, SwitchingTheKindKeepsLayersAuthorAndInfoAndClosingGivesNothing) {
  auto start = Cylinder(6, {0, 1, 2});
  start->AddTextureLevel();
  start->SetFileAuthor(L"Anna");
  start->SetFileInfo(L"Br\u00fccke");
  const std::deque<Step> toSphere = {
      {IDD_WIZARD_TYPE, [](HWND page) { Click(page, IDC_TYPE_SPHERE), Press(page, IDC_WIZARD_NEXT); }},
      {IDD_WIZARD_SPHERE,
       [](HWND page) {
         TypeAndLeave(page, IDC_SPHERE_PLAINS, L"5", IDC_SPHERE_RADIUS);
         Press(page, IDC_WIZARD_NEXT);
       }},
      {IDD_WIZARD_PLAINS, [](HWND page) { Press(page, IDC_WIZARD_NEXT); }},
      {IDD_WIZARD_FINAL, [](HWND page) { Press(page, IDC_WIZARD_NEXT); }},
  };
  auto sphere = Drive(std::move(start), toSphere);
  ASSERT_NE(nullptr, sphere);
  EXPECT_TRUE(sphere->IsSphere());
  EXPECT_EQ(5u, sphere->AreaCount());
  EXPECT_EQ(2u, sphere->TextureLevelCount());
  EXPECT_EQ(L"Anna", sphere->FileAuthor());
  EXPECT_EQ(L"Br\u00fccke", sphere->FileInfo());

  auto cylinder = Drive(
      std::move(sphere),
      {
          {IDD_WIZARD_TYPE, [](HWND page) { Click(page, IDC_TYPE_CYLINDER), Press(page, IDC_WIZARD_NEXT); }},
          {IDD_WIZARD_PLAINS, [](HWND page) { Press(page, IDC_WIZARD_NEXT); }},
          {IDD_WIZARD_FINAL, [](HWND page) { Press(page, IDC_WIZARD_NEXT); }},
      });
  ASSERT_NE(nullptr, cylinder);
  EXPECT_FALSE(cylinder->IsSphere());
  EXPECT_EQ(5u, cylinder->AreaCount());
  EXPECT_EQ(2u, cylinder->TextureLevelCount());
  EXPECT_EQ(L"Anna", cylinder->FileAuthor());

  for (int page : {IDD_WIZARD_TYPE, IDD_WIZARD_SPHERE, IDD_WIZARD_PLAINS, IDD_WIZARD_FINAL}) {
    std::deque<Step> upTo(toSphere.begin(), toSphere.end());
    while (upTo.back().page != page) upTo.pop_back();
    // A refused value still in its field is not committed by closing.
    upTo.back().act = [](HWND dialog) {
      if (const HWND plain = PlainPage(dialog)) Type(plain, IDC_PLAIN_RADIUS, L"0");
      if (::GetDlgItem(dialog, IDC_SPHERE_RADIUS) && !::GetDlgItem(dialog, IDC_TYPE_AXIS_TEXT))
        Type(dialog, IDC_SPHERE_RADIUS, L"0");
      ::SendMessageW(dialog, WM_CLOSE, 0, 0);
    };
    EXPECT_EQ(nullptr, Drive(Cylinder(6, {0, 1}), upTo)) << page;
  }
  EXPECT_TRUE(Boxes(ui_).empty());
}

// New runs the wizard on the current object: closing a page gives back the
// object as it was, Finish makes the wizard's object current.
TEST_F(Wizard, NewInTheMainWindowKeepsThePreviousObjectWhenAPageIsClosed) {
  ASSERT_TRUE(MainWindow::RegisterClasses(::GetModuleHandleW(nullptr)));
  mwtest::TempFolder folder;
  HWND active = nullptr;
  MainWindow window(&active);
  window.SetDialogs({[](HWND, Options&) { return true; }, nullptr, nullptr, nullptr});
  window.SetWizard(RunWizard);
  window.CreateMain(::GetModuleHandleW(nullptr), folder.Path(L"options.xml"));
  window.Handler().SetCurrent(Cylinder(7, {0, 4}));

  Drive(nullptr,
        {{IDD_WIZARD_TYPE,
          [&](HWND page) {
            EXPECT_EQ(window.Handle(), ::GetWindow(page, GW_OWNER));
            Click(page, IDC_TYPE_SPHERE);
            Press(page, IDC_WIZARD_NEXT);
          }},
         {IDD_WIZARD_SPHERE, [](HWND page) { ::SendMessageW(page, WM_CLOSE, 0, 0); }}},
        [&] { ::SendMessageW(window.Handle(), WM_COMMAND, IDM_NEW, 0); });
  ASSERT_NE(nullptr, window.Handler().Current());
  EXPECT_FALSE(window.Handler().Current()->IsSphere());
  EXPECT_EQ(7u, window.Handler().Current()->PointsPerRing());
  EXPECT_EQ(2u, window.Handler().Current()->AreaCount());

  Drive(nullptr,
        {{IDD_WIZARD_TYPE, [](HWND page) { Press(page, IDC_WIZARD_NEXT); }},
         {IDD_WIZARD_PLAINS, [](HWND page) { Press(page, IDC_PLAINS_NEW), Press(page, IDC_WIZARD_NEXT); }},
         {IDD_WIZARD_FINAL, [](HWND page) { Press(page, IDC_WIZARD_NEXT); }}},
        [&] { ::SendMessageW(window.Handle(), WM_COMMAND, IDM_NEW, 0); });
  EXPECT_EQ(3u, window.Handler().Current()->AreaCount());
  EXPECT_TRUE(window.Handler().Current()->TexCoordsValid());
  EXPECT_TRUE(window.Modified());
  ::DestroyWindow(window.Handle());
}
