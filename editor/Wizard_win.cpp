// The creation wizard's pages and the loop that runs them.
#include "editor/Wizard.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "editor/EditorLayout.h"
#include "editor/res/resource.h"
#include "files/Bitmap.h"
#include "geometry/ObjectRecipe.h"
#include "mwWinAPI/Dialog.h"
#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/FieldTable.h"
#include "mwWinAPI/StringTable.h"
#include "mwWinAPI/UserInteraction.h"
#include "mwWinAPI/Window.h"
#include "mwWinAPI/WindowDpi.h"

namespace orbiform {
namespace {

using mwWinAPI::GetItemInteger;
using mwWinAPI::GetItemNumber;
using mwWinAPI::SetItemNumber;
using mwWinAPI::SetItemText;

using mwWinAPI::LoadText;

HINSTANCE Instance() { return ::GetModuleHandleW(nullptr); }

// Where the loop goes after a page has ended.
enum Step : INT_PTR { kTypeStep = 1, kSphereStep, kPlainsStep, kFinalStep, kFinished, kClosed };

struct WizardState {
  std::unique_ptr<RoundObject> object;
  std::array<TexCoord, 4> corners{};
  // Set while a page ends: its fields losing the keyboard then are not
  // committed (closing must not bring up a refused value's box).
  bool ending = false;
};

class WaitCursor {
 public:
  WaitCursor() : previous_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { ::SetCursor(previous_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR previous_;
};

// A page whose edit fields are taken into the object when they lose the
// keyboard, and before Next, Back and Finish: Enter, access keys and Finish
// do not move the keyboard, so the field still holding it is committed then.
// Only a field the user changed is committed, so that a refused value's box
// (which takes the keyboard again) does not commit it twice.
class FieldPage : public mwWinAPI::Dialog {
 public:
  FieldPage(std::wstring name, WizardState& state) : Dialog(std::move(name)), state_(state) {}

  // False when the focused field's value was refused (its box was shown).
  virtual bool CommitFocus() {
    const HWND focus = ::GetFocus();
    if (!focus || ::GetParent(focus) != Handle()) return true;
    return CommitIfModified(focus);
  }

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_INITDIALOG:
        OnInit();
        return TRUE;
      case WM_COMMAND:
        if (HIWORD(wParam) == EN_KILLFOCUS) {
          CommitIfModified(reinterpret_cast<HWND>(lParam));
          return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
          OnClose();
          return TRUE;
        }
        return OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
      default:
        return Other(message, wParam, lParam);
    }
  }

  virtual void OnInit() {}
  virtual bool OnCommand(int /*id*/, int /*code*/) { return false; }
  virtual void OnClose() {}
  virtual INT_PTR Other(UINT, WPARAM, LPARAM) { return FALSE; }
  // Takes field `id` into the object; false (after the field's box) when refused.
  virtual bool CommitField(int /*id*/) { return true; }

  void Message(const std::wstring& text, UINT flags = MB_OK) {
    mwWinAPI::Ui().ShowMessage(Handle(), text, L"", flags);
  }
  RoundObject& Object() { return *state_.object; }

  WizardState& state_;

 private:
  bool CommitIfModified(HWND edit) {
    if (state_.ending || !edit || !::SendMessageW(edit, EM_GETMODIFY, 0, 0)) return true;
    ::SendMessageW(edit, EM_SETMODIFY, FALSE, 0);
    return CommitField(::GetDlgCtrlID(edit));
  }
};

// A top-level page of the wizard: runs modally and says where to go next.
class WizardPage : public FieldPage {
 public:
  WizardPage(std::wstring name, WizardState& state, int resource)
      : FieldPage(std::move(name), state), resource_(resource) {}

  Step Run(HWND owner) {
    state_.ending = false;
    return static_cast<Step>(RunModal(Instance(), MAKEINTRESOURCEW(resource_), owner));
  }

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_INITDIALOG) SetIcons();
    return FieldPage::HandleMessage(message, wParam, lParam);
  }
  void OnClose() override { EndPage(kClosed); }
  // Leaves the page for `step` once the focused field is in.
  void Leave(Step step) {
    if (CommitFocus()) EndPage(step);
  }
  void EndPage(Step step) {
    state_.ending = true;
    End(step);
  }

 private:
  void SetIcons() {
    const auto icon = [](int size) {
      return reinterpret_cast<LPARAM>(
          ::LoadImageW(Instance(), MAKEINTRESOURCEW(IDI_ORBIFORM), IMAGE_ICON, size, size, LR_SHARED));
    };
    ::SendMessageW(Handle(), WM_SETICON, ICON_SMALL, icon(::GetSystemMetrics(SM_CXSMICON)));
    ::SendMessageW(Handle(), WM_SETICON, ICON_BIG, icon(::GetSystemMetrics(SM_CXICON)));
  }

  int resource_;
};

// Whether a plain of these parameters gives finite points: a radius times
// an ellipse factor beyond the doubles would make a project that cannot be
// opened again.
bool FinitePlain(const RoundObject& object, const Area& plain) {
  Area trial = plain;
  try {
    trial.GeneratePoints(object.Axis(), object.VectorsReversed());
    return true;
  } catch (const mwstd::invalid_argument&) {
    return false;
  }
}

// --- type page ---

constexpr const wchar_t* kAxisEntries[] = {L"x y z", L"x z y", L"y x z", L"y z x", L"z x y", L"z y x"};
constexpr unsigned kAxisTexts[] = {IDS_AXIS_VERTICAL_CYLINDER,  IDS_AXIS_TUNNEL_REARWARDS,
                                   IDS_AXIS_TUNNEL_LEFT,        IDS_AXIS_CYLINDER_LEFT,
                                   IDS_AXIS_CYLINDER_REARWARDS, IDS_AXIS_VERTICAL_TUNNEL};

class TypePage : public WizardPage {
 public:
  explicit TypePage(WizardState& state) : WizardPage(L"Wizard", state, IDD_WIZARD_TYPE) {}

 private:
  void OnInit() override {
    const HWND list = Item(IDC_TYPE_AXES);
    for (const wchar_t* entry : kAxisEntries)
      ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    int axis = 0;
    std::wstring points = L"5";
    if (state_.object) {
      axis = Object().Axis();
      ::CheckDlgButton(Handle(), Object().IsSphere() ? IDC_TYPE_SPHERE : IDC_TYPE_CYLINDER, BST_CHECKED);
      points = std::to_wstring(Object().PointsPerRing());
    }
    ::SendMessageW(list, LB_SETCURSEL, axis, 0);
    SetItemText(Handle(), IDC_TYPE_POINTS, points);
    ShowAxisText();
  }

  bool OnCommand(int id, int code) override {
    if (id == IDC_TYPE_AXES && code == LBN_SELCHANGE) {
      if (state_.object) Object().SetAxis(Axis());
      ShowAxisText();
      return true;
    }
    if (id == IDC_WIZARD_NEXT) {
      OnNext();
      return true;
    }
    return false;
  }

  int Axis() const {
    const LRESULT selected = ::SendMessageW(Item(IDC_TYPE_AXES), LB_GETCURSEL, 0, 0);
    return selected >= 0 && selected < 6 ? static_cast<int>(selected) : 0;
  }

  void ShowAxisText() { SetItemText(Handle(), IDC_TYPE_AXIS_TEXT, LoadText(kAxisTexts[Axis()])); }

  void OnNext() {
    const std::optional<long> points = GetItemInteger(Handle(), IDC_TYPE_POINTS);
    if (!points || *points < kMinWizardPoints || *points > kMaxWizardPoints) {
      Message(LoadText(IDS_POINTS_RANGE), MB_ICONINFORMATION);
      return;
    }
    const bool sphere = ::IsDlgButtonChecked(Handle(), IDC_TYPE_SPHERE) == BST_CHECKED;
    const bool cylinder = ::IsDlgButtonChecked(Handle(), IDC_TYPE_CYLINDER) == BST_CHECKED;
    if (!sphere && !cylinder) return;
    // Shaped on a copy: a refused point count (too many points in all) must
    // leave the object the user is working on as it was.
    try {
      state_.object = ShapeObject(state_.object ? state_.object->Clone() : nullptr, sphere,
                                  static_cast<unsigned>(*points), Axis());
    } catch (const mwstd::exception& error) {
      Message(error.what());
      return;
    }
    EndPage(sphere ? kSphereStep : kPlainsStep);
  }
};

// --- sphere page ---

// The sphere page's fields. A number that cannot be read is refused like
// one out of range.
using SphereField = mwWinAPI::FieldBinding<Sphere>;

double TypedNumber(HWND dialog, int id) { return GetItemNumber(dialog, id).value_or(-1); }

// Radius or ellipse factor: the plains' heights are their product, which
// must stay finite.
template <bool Radius>
constexpr SphereField SphereSize(int id) {
  return {id,
          [](HWND dialog, int control, const Sphere& sphere) {
            SetItemNumber(dialog, control, Radius ? sphere.Radius() : sphere.Ellipse());
          },
          [](HWND dialog, int control, Sphere& sphere) {
            const double value = TypedNumber(dialog, control);
            const double radius = Radius ? value : sphere.Radius();
            const double ellipse = Radius ? sphere.Ellipse() : value;
            if (radius > 0 && ellipse > 0 && !std::isfinite(radius * ellipse))
              throw mwstd::invalid_argument(LoadText(IDS_NOT_FINITE));
            if (Radius) {
              SetSphereRadius(sphere, value);
            } else {
              SetSphereEllipse(sphere, value);
            }
          }};
}

const SphereField kSphereFields[] = {
    {IDC_SPHERE_PLAINS,
     [](HWND dialog, int control, const Sphere& sphere) {
       SetItemText(dialog, control, std::to_wstring(sphere.Rings()));
     },
     [](HWND dialog, int control, Sphere& sphere) {
       const std::optional<long> rings = GetItemInteger(dialog, control);
       const bool fits = rings && *rings <= std::numeric_limits<int>::max();
       SetSphereRings(sphere, fits ? static_cast<int>(*rings) : 0);
     }},
    SphereSize<true>(IDC_SPHERE_RADIUS),
    SphereSize<false>(IDC_SPHERE_ELLIPSE),
    {IDC_SPHERE_START,
     [](HWND dialog, int control, const Sphere& sphere) {
       SetItemNumber(dialog, control, sphere.StartDegree());
     },
     [](HWND dialog, int control, Sphere& sphere) {
       SetSphereStartDegree(sphere, TypedNumber(dialog, control));
     }},
    {IDC_SPHERE_END,
     [](HWND dialog, int control, const Sphere& sphere) {
       SetItemNumber(dialog, control, sphere.EndDegree());
     },
     [](HWND dialog, int control, Sphere& sphere) {
       SetSphereEndDegree(sphere, TypedNumber(dialog, control));
     }},
};

class SpherePage : public WizardPage {
 public:
  explicit SpherePage(WizardState& state) : WizardPage(L"Wizard", state, IDD_WIZARD_SPHERE) {}

 private:
  Sphere& TheSphere() { return static_cast<Sphere&>(Object()); }

  void OnInit() override { mwWinAPI::ShowFields(Handle(), kSphereFields, TheSphere()); }

  bool CommitField(int id) override {
    const SphereField* field = mwWinAPI::FindField(kSphereFields, id);
    if (!field) return true;
    bool taken = true;
    try {
      field->take(Handle(), id, TheSphere());
    } catch (const mwstd::exception& error) {
      Message(error.what());
      taken = false;
    }
    // A refused value gives way to the sphere's own again.
    field->show(Handle(), id, TheSphere());
    return taken;
  }

  bool OnCommand(int id, int) override {
    if (id == IDC_WIZARD_BACK) {
      Leave(kTypeStep);
      return true;
    }
    if (id != IDC_WIZARD_NEXT) return false;
    if (!CommitFocus()) return true;
    WaitCursor wait;
    try {
      RegenerateSphere(TheSphere());
    } catch (const mwstd::exception& error) {
      Message(error.what());
      return true;
    }
    EndPage(kPlainsStep);
    return true;
  }
};

// --- plains page and its one plain page ---

class PlainsPage;

// The plain page's fields, taken into a copy of the plain that replaces it
// once it is accepted.
using PlainField = mwWinAPI::FieldBinding<Area>;

template <double (Area::*Get)() const, void (*Set)(Area&, double)>
constexpr PlainField PlainSize(int id) {
  return {
      id, [](HWND dialog, int control, const Area& plain) { SetItemNumber(dialog, control, (plain.*Get)()); },
      [](HWND dialog, int control, Area& plain) { Set(plain, GetItemNumber(dialog, control).value_or(0)); }};
}

// A degree: the two are checked together; the other one is the plain's
// own, not its rounded text.
template <bool Start>
constexpr PlainField PlainDegree(int id) {
  return {id,
          [](HWND dialog, int control, const Area& plain) {
            SetItemNumber(dialog, control, Start ? plain.StartDegree() : plain.EndDegree());
          },
          [](HWND dialog, int control, Area& plain) {
            const double typed = GetItemNumber(dialog, control).value_or(-1);
            plain.SetDegrees(Start ? typed : plain.StartDegree(), Start ? plain.EndDegree() : typed);
          }};
}

const PlainField kPlainFields[] = {
    {IDC_PLAIN_HEIGHT,
     [](HWND dialog, int control, const Area& plain) { SetItemNumber(dialog, control, plain.Height()); },
     [](HWND dialog, int control, Area& plain) {
       // Unreadable text keeps the height.
       if (const std::optional<double> value = GetItemNumber(dialog, control)) plain.SetHeight(*value);
     }},
    PlainSize<&Area::Radius, SetPlainRadius>(IDC_PLAIN_RADIUS),
    PlainSize<&Area::Ellipse, SetPlainEllipse>(IDC_PLAIN_ELLIPSE),
    PlainDegree<true>(IDC_PLAIN_START),
    PlainDegree<false>(IDC_PLAIN_END),
};

// The fields of one plain, shown in the plains page's tab area; reloaded
// with another plain when the tab changes, so that one page serves any
// number of plains.
class PlainPage : public FieldPage {
 public:
  PlainPage(WizardState& state, PlainsPage& owner) : FieldPage(L"Wizard", state), owner_(owner) {}

  void Load(int index) {
    index_ = index;
    mwWinAPI::ShowFields(Handle(), kPlainFields, Plain());
  }

 private:
  Area& Plain() { return Object().GetArea(index_); }

  bool CommitField(int id) override {
    const PlainField* field = mwWinAPI::FindField(kPlainFields, id);
    if (!field || index_ < 0 || static_cast<std::size_t>(index_) >= Object().AreaCount()) return true;
    Area changed = Plain();
    bool taken = true;
    try {
      field->take(Handle(), id, changed);
      if (!FinitePlain(Object(), changed)) throw mwstd::invalid_argument(LoadText(IDS_NOT_FINITE));
      Plain() = std::move(changed);
    } catch (const mwstd::exception& error) {
      Message(error.what());
      taken = false;
    }
    // A refused value gives way to the plain's own again; a degree shows
    // both, as they were checked together.
    if (id == IDC_PLAIN_START || id == IDC_PLAIN_END) {
      mwWinAPI::FindField(kPlainFields, IDC_PLAIN_START)->show(Handle(), IDC_PLAIN_START, Plain());
      mwWinAPI::FindField(kPlainFields, IDC_PLAIN_END)->show(Handle(), IDC_PLAIN_END, Plain());
    } else {
      field->show(Handle(), id, Plain());
    }
    return taken;
  }

  bool OnCommand(int id, int code) override;

  PlainsPage& owner_;
  int index_ = -1;
};

class PlainsPage : public WizardPage {
 public:
  explicit PlainsPage(WizardState& state)
      : WizardPage(L"Wizard", state, IDD_WIZARD_PLAINS), plain_(state, *this) {}

  bool CommitFocus() override {
    return WizardPage::CommitFocus() && (!plain_.Handle() || plain_.CommitFocus());
  }

  // The plain page's "Remove Plain".
  void RemovePlain(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= Object().AreaCount()) return;
    Object().RemoveArea(index);
    TabCtrl_DeleteItem(tabs_, index);
    Renumber(index);
    const int count = TabCtrl_GetItemCount(tabs_);
    if (count == 0) {
      ::ShowWindow(plain_.Handle(), SW_HIDE);
      return;
    }
    Select(index > 0 ? index - 1 : 0);
  }

 private:
  void OnInit() override {
    WaitCursor wait;
    tabs_ = Item(IDC_PLAINS_TABS);
    plain_.CreateModeless(Instance(), MAKEINTRESOURCEW(IDD_WIZARD_PLAIN), Handle());
    ThemeBackground();
    const std::wstring title = LoadText(IDS_TREE_PLAIN);
    const int count = static_cast<int>(Object().AreaCount());
    // One line of tabs with arrows: hundreds of plains would leave no room
    // for the page in rows of tabs. Drawn once, when all are in.
    ::SendMessageW(tabs_, WM_SETREDRAW, FALSE, 0);
    for (int i = 0; i < count; ++i) InsertTab(i, title);
    ::SendMessageW(tabs_, WM_SETREDRAW, TRUE, 0);
    RECT client{};
    ::GetClientRect(Handle(), &client);
    Layout(client.right, client.bottom);
    if (count > 0) {
      Select(0);
    } else {
      ::ShowWindow(plain_.Handle(), SW_HIDE);
    }
  }

  // The plain page takes the tab's themed background where the platform
  // offers one; older common controls draw it plain.
  void ThemeBackground() {
    if (::SendMessageW(tabs_, CCM_GETVERSION, 0, 0) < 6) return;
    const HMODULE theme = ::LoadLibraryW(L"uxtheme.dll");
    if (!theme) return;
    using Texture = HRESULT(WINAPI*)(HWND, DWORD);
    if (auto enable = reinterpret_cast<Texture>(
            reinterpret_cast<void*>(::GetProcAddress(theme, "EnableThemeDialogTexture"))))
      enable(plain_.Handle(), 6 /* ETDT_ENABLETAB */);
    // uxtheme stays loaded: the page's background depends on it.
  }

  void InsertTab(int index, const std::wstring& title) {
    std::wstring text = title + std::to_wstring(index + 1);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    TabCtrl_InsertItem(tabs_, index, &item);
  }

  // Titles from tab `from` on, so that they read 1 ... count in order.
  void Renumber(int from) {
    const std::wstring title = LoadText(IDS_TREE_PLAIN);
    const int count = TabCtrl_GetItemCount(tabs_);
    for (int i = from; i < count; ++i) {
      std::wstring text = title + std::to_wstring(i + 1);
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = text.data();
      TabCtrl_SetItem(tabs_, i, &item);
    }
  }

  void Select(int index) {
    TabCtrl_SetCurSel(tabs_, index);
    ShowPlain();
  }

  void ShowPlain() {
    const int current = TabCtrl_GetCurSel(tabs_);
    if (current < 0 || static_cast<std::size_t>(current) >= Object().AreaCount()) {
      Message(L"Error in TabControl");
      return;
    }
    plain_.Load(current);
    PlacePlain();
    ::ShowWindow(plain_.Handle(), SW_SHOW);
  }

  void PlacePlain() {
    RECT area{};
    ::GetWindowRect(tabs_, &area);
    ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&area), 2);
    TabCtrl_AdjustRect(tabs_, FALSE, &area);
    ::SetWindowPos(plain_.Handle(), HWND_TOP, area.left, area.top, area.right - area.left,
                   area.bottom - area.top, SWP_NOACTIVATE);
  }

  void Layout(int width, int height) {
    const PlainsPageLayout page = PlainsPageFor(PixelSize{width, height}, mwWinAPI::WindowDpi(Handle()));
    const auto place = [](HWND control, const PixelRect& r) {
      ::MoveWindow(control, r.x, r.y, r.width, r.height, TRUE);
    };
    place(tabs_, page.tabs);
    place(Item(IDC_WIZARD_BACK), page.back);
    place(Item(IDC_PLAINS_NEW), page.add);
    place(Item(IDC_WIZARD_NEXT), page.next);
    if (plain_.Handle()) PlacePlain();
  }

  INT_PTR Other(UINT message, WPARAM, LPARAM lParam) override {
    if (message == WM_SIZE) {
      Layout(LOWORD(lParam), HIWORD(lParam));
      return TRUE;
    }
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->hwndFrom == tabs_) {
      const UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
      if (code == TCN_SELCHANGING) {
        plain_.CommitFocus();
        SetMessageResult(FALSE);
        return TRUE;
      }
      if (code == TCN_SELCHANGE) {
        ShowPlain();
        return TRUE;
      }
    }
    return FALSE;
  }

  bool OnCommand(int id, int) override {
    switch (id) {
      case IDC_PLAINS_NEW:
        OnNewPlain();
        return true;
      case IDC_WIZARD_BACK:
        Leave(kTypeStep);
        return true;
      case IDC_WIZARD_NEXT:
        OnNext();
        return true;
      default:
        return false;
    }
  }

  void OnNewPlain() {
    if (!CommitFocus()) return;
    const int at = TabCtrl_GetCurSel(tabs_) + 1;
    try {
      InsertPlain(Object(), static_cast<std::size_t>(at), PlainValues{});
    } catch (const mwstd::exception& error) {
      Message(error.what());
      return;
    }
    InsertTab(at, LoadText(IDS_TREE_PLAIN));
    Renumber(at + 1);
    Select(at);
    ::SetFocus(plain_.Item(IDC_PLAIN_HEIGHT));
  }

  void OnNext() {
    if (!CommitFocus()) return;
    if (Object().AreaCount() == 0) return;
    WaitCursor wait;
    try {
      GenerateRings(Object());
    } catch (const mwstd::exception& error) {
      Message(error.what());
      return;
    }
    EndPage(kFinalStep);
  }

  HWND tabs_ = nullptr;
  PlainPage plain_;
};

bool PlainPage::OnCommand(int id, int) {
  if (id != IDC_PLAIN_REMOVE) return false;
  owner_.RemovePlain(index_);
  return true;
}

// --- final page ---

std::wstring CornerText(std::size_t corner) {
  const unsigned side = corner == 0 || corner == 3 ? IDS_CORNER_LEFT : IDS_CORNER_RIGHT;
  const unsigned edge = corner < 2 ? IDS_CORNER_TOP : IDS_CORNER_BOTTOM;
  return LoadText(side) + LoadText(edge) + LoadText(IDS_CORNER);
}

// The final page's eight corner fields; a value that is no signed 32-bit
// number is refused with the name of its corner.
using CornerField = mwWinAPI::FieldBinding<std::array<TexCoord, 4>>;

template <std::size_t Corner, std::int32_t TexCoord::*Part>
constexpr CornerField CornerCoordinate(int id) {
  return {id,
          [](HWND dialog, int control, const std::array<TexCoord, 4>& corners) {
            SetItemText(dialog, control, std::to_wstring(corners[Corner].*Part));
          },
          [](HWND dialog, int control, std::array<TexCoord, 4>& corners) {
            const std::optional<long> value = GetItemInteger(dialog, control);
            if (!value || *value < INT32_MIN || *value > INT32_MAX)
              throw mwstd::invalid_argument(CornerText(Corner));
            corners[Corner].*Part = static_cast<std::int32_t>(*value);
          }};
}

const CornerField kCornerFields[] = {
    CornerCoordinate<0, &TexCoord::first>(IDC_FINAL_X0), CornerCoordinate<0, &TexCoord::second>(IDC_FINAL_Y0),
    CornerCoordinate<1, &TexCoord::first>(IDC_FINAL_X1), CornerCoordinate<1, &TexCoord::second>(IDC_FINAL_Y1),
    CornerCoordinate<2, &TexCoord::first>(IDC_FINAL_X2), CornerCoordinate<2, &TexCoord::second>(IDC_FINAL_Y2),
    CornerCoordinate<3, &TexCoord::first>(IDC_FINAL_X3), CornerCoordinate<3, &TexCoord::second>(IDC_FINAL_Y3),
};

class FinalPage : public WizardPage {
 public:
  explicit FinalPage(WizardState& state) : WizardPage(L"Wizard", state, IDD_WIZARD_FINAL) {}

 private:
  TextureLevel& Layer() { return Object().GetTextureLevel(0); }

  void OnInit() override {
    ::CheckDlgButton(Handle(), Layer().type == TextureLevel::kSame ? IDC_FINAL_SAME : IDC_FINAL_WRAP,
                     BST_CHECKED);
    state_.corners = Layer().coords;
    ShowCorners();
    SetItemText(Handle(), IDC_FINAL_TEXTURE, Object().Texture());
  }

  void ShowCorners() { mwWinAPI::ShowFields(Handle(), kCornerFields, state_.corners); }

  bool CommitField(int id) override {
    if (id == IDC_FINAL_TEXTURE) {
      Object().SetTexture(mwWinAPI::GetItemText(Handle(), id));
      return true;
    }
    const CornerField* field = mwWinAPI::FindField(kCornerFields, id);
    if (!field) return true;
    try {
      field->take(Handle(), id, state_.corners);
    } catch (const mwstd::exception& error) {
      mwWinAPI::Ui().BalloonTip(Item(id), LoadText(IDS_ERROR), error.what(), TTI_ERROR);
      state_.corners = Layer().coords;
      ShowCorners();
      return false;
    }
    Layer().coords = state_.corners;
    return true;
  }

  bool OnCommand(int id, int code) override {
    switch (id) {
      case IDC_FINAL_WRAP:
      case IDC_FINAL_SAME:
        if (code == BN_CLICKED)
          Layer().type = id == IDC_FINAL_SAME ? TextureLevel::kSame : TextureLevel::kWrap;
        return true;
      case IDC_FINAL_BROWSE:
        OnBrowse();
        return true;
      case IDC_FINAL_AUTO:
        OnAuto();
        return true;
      case IDC_WIZARD_BACK:
        Leave(kPlainsStep);
        return true;
      case IDC_WIZARD_NEXT:
        OnFinish();
        return true;
      default:
        return false;
    }
  }

  void OnBrowse() {
    if (!CommitFocus()) return;
    mwWinAPI::FileDialogRequest request;
    request.owner = Handle();
    request.filter = mwWinAPI::FileFilter(L"Bitmap Dateien (*.bmp)", L"*.bmp");
    request.defaultExtension = L"bmp";
    request.flags = OFN_HIDEREADONLY;
    const std::wstring path = mwWinAPI::Ui().OpenFileName(request);
    if (path.empty()) return;
    SetItemText(Handle(), IDC_FINAL_TEXTURE, path);
    Object().SetTexture(path);
  }

  void OnAuto() {
    // A path typed but not yet committed is the one the user means.
    if (!CommitFocus()) return;
    std::int32_t width = 0, height = 0;
    if (!ReadBitmapExtent(Object().Texture(), width, height)) return;
    state_.corners = {TexCoord{0, 0}, TexCoord{width, 0}, TexCoord{width, height}, TexCoord{0, height}};
    Layer().coords = state_.corners;
    ShowCorners();
  }

  void OnFinish() {
    if (!CommitFocus()) return;
    WaitCursor wait;
    FinishObject(Object(), Layer().type, state_.corners);
    EndPage(kFinished);
  }
};

}  // namespace

std::unique_ptr<RoundObject> RunWizard(HWND owner, std::unique_ptr<RoundObject> start) {
  WizardState state;
  state.object = std::move(start);
  Step step = kTypeStep;
  try {
    // One page at a time: each ends before the next begins, so Next and
    // Back never nest modal loops however often the user goes back and forth.
    while (step != kFinished && step != kClosed) {
      switch (step) {
        case kTypeStep:
          step = TypePage(state).Run(owner);
          break;
        case kSphereStep:
          step = SpherePage(state).Run(owner);
          break;
        case kPlainsStep:
          step = PlainsPage(state).Run(owner);
          break;
        case kFinalStep:
          step = FinalPage(state).Run(owner);
          break;
        default:
          step = kClosed;  // a page ended by the system
      }
    }
  } catch (const mwstd::exception& error) {
    mwWinAPI::ShowCriticalError(owner, mwWinAPI::CriticalErrorText(L"Wizard", true, &error));
    return nullptr;
  } catch (...) {
    mwWinAPI::ShowCriticalError(owner, mwWinAPI::CriticalErrorText(L"Wizard", false, nullptr));
    return nullptr;
  }
  if (step != kFinished) return nullptr;
  return std::move(state.object);
}

}  // namespace orbiform
