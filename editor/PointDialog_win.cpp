// The point dialog of the edit pane.
#include "editor/PointDialog.h"

#include <cmath>
#include <optional>
#include <string>

#include "editor/Caption.h"
#include "editor/PrivateMessages.h"
#include "editor/res/resource.h"
#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/Fields.h"
#include "mwWinAPI/StringTable.h"
#include "mwWinAPI/UserInteraction.h"

namespace orbiform {
namespace {

// A manual field holding this value leaves its coordinate as it is.
constexpr double kUnchanged = -999.0;

struct ManualField {
  int id;
  double Point::*member;
};
constexpr ManualField kManualFields[] = {{IDC_POINT_X, &Point::x},         {IDC_POINT_Y, &Point::y},
                                         {IDC_POINT_Z, &Point::z},         {IDC_POINT_NORMAL_X, &Point::nx},
                                         {IDC_POINT_NORMAL_Y, &Point::ny}, {IDC_POINT_NORMAL_Z, &Point::nz}};

constexpr int kAutomaticFields[] = {IDC_POINT_RADIUS, IDC_POINT_ELLIPSE, IDC_POINT_START, IDC_POINT_END,
                                    IDC_POINT_HEIGHT};
constexpr int kAutomaticGroup[] = {IDC_POINT_AUTO_GROUP,  IDC_POINT_RADIUS_LABEL, IDC_POINT_ELLIPSE_LABEL,
                                   IDC_POINT_START_LABEL, IDC_POINT_END_LABEL,    IDC_POINT_HEIGHT_LABEL,
                                   IDC_POINT_AUTO_ACCEPT, IDC_POINT_RADIUS,       IDC_POINT_ELLIPSE,
                                   IDC_POINT_START,       IDC_POINT_END,          IDC_POINT_HEIGHT};

using mwWinAPI::LoadText;

bool SamePoint(const Point& a, const Point& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z && a.nx == b.nx && a.ny == b.ny && a.nz == b.nz;
}

bool SameArea(const Area& a, const Area& b) {
  if (a.Radius() != b.Radius() || a.Ellipse() != b.Ellipse() || a.Height() != b.Height() ||
      a.StartDegree() != b.StartDegree() || a.EndDegree() != b.EndDegree() ||
      a.PointCount() != b.PointCount())
    return false;
  for (std::size_t i = 0; i < a.PointCount(); ++i)
    if (!SamePoint(a.GetPoint(i), b.GetPoint(i))) return false;
  return true;
}

}  // namespace

PointDialog::PointDialog(RoundObjectHandler& handler, HWND mainWindow)
    : Dialog(L"AreaDlg Window"), handler_(handler), main_(mainWindow) {}

INT_PTR PointDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case TWM_SELECT_PLAIN:
      OnSelectPlain(wParam);
      return TRUE;
    case TWM_SELECT_POINT:
      OnSelectPoint(wParam, lParam);
      return TRUE;
    case TWM_REFRESH:
      OnRefresh();
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_POINT_MANUAL_ACCEPT:
          OnManualAccept();
          return TRUE;
        case IDC_POINT_AUTO_ACCEPT:
          OnAutomaticAccept();
          return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

Area* PointDialog::SelectedArea() {
  RoundObject* object = handler_.Current();
  if (!object || plain_ < 0 || static_cast<std::size_t>(plain_) >= object->AreaCount()) return nullptr;
  return &object->GetArea(plain_);
}

void PointDialog::OnSelectPlain(WPARAM plain) {
  ApplyAutomatic(false);
  point_ = -1;
  plain_ = static_cast<int>(static_cast<INT_PTR>(plain));
  const Area* area = SelectedArea();
  if (!area) {
    OnRefresh();
    return;
  }
  ShowAutomatic(true);
  FillAutomatic(*area);
  FillManual(nullptr);
}

void PointDialog::OnSelectPoint(WPARAM plain, LPARAM point) {
  plain_ = static_cast<int>(static_cast<INT_PTR>(plain));
  point_ = static_cast<int>(point);
  const Area* area = SelectedArea();
  if (!area || point_ < 0 || static_cast<std::size_t>(point_) >= area->PointCount()) {
    OnRefresh();
    return;
  }
  ShowAutomatic(false);
  FillAutomatic(*area);
  FillManual(&area->GetPoint(static_cast<std::size_t>(point_)));
}

void PointDialog::OnRefresh() {
  // The object may have been replaced: nothing shown may be written back.
  plain_ = point_ = -1;
  FillManual(nullptr);
  for (int id : kAutomaticFields) mwWinAPI::SetItemText(Handle(), id, L"");
}

void PointDialog::OnManualAccept() {
  Area* area = SelectedArea();
  if (!area || (point_ >= 0 && static_cast<std::size_t>(point_) >= area->PointCount())) return;
  const std::size_t first = point_ >= 0 ? static_cast<std::size_t>(point_) : 0;
  const std::size_t last = point_ >= 0 ? first : area->PointCount() - 1;
  Area changed = *area;
  for (const ManualField& field : kManualFields) {
    // Only what the user typed: a value shown rounded must not replace the exact one.
    const HWND edit = Item(field.id);
    if (!::SendMessageW(edit, EM_GETMODIFY, 0, 0)) continue;
    ::SendMessageW(edit, EM_SETMODIFY, FALSE, 0);
    if (mwWinAPI::GetText(edit).empty()) continue;
    const double value = mwWinAPI::GetItemNumber(Handle(), field.id).value_or(kUnchanged);
    if (value == kUnchanged || !std::isfinite(value)) continue;
    for (std::size_t q = first; q <= last; ++q) changed.GetPoint(q).*field.member = value;
  }
  if (SameArea(changed, *area)) return;
  handler_.SaveState();
  area = SelectedArea();
  *area = std::move(changed);
  if (point_ >= 0) FillManual(&area->GetPoint(static_cast<std::size_t>(point_)));
  Changed();
}

void PointDialog::OnAutomaticAccept() { ApplyAutomatic(true); }

void PointDialog::ApplyAutomatic(bool generate) {
  Area* area = SelectedArea();
  if (!area) return;
  const RoundObject& object = *handler_.Current();
  const auto modified = [this](int id) { return ::SendMessageW(Item(id), EM_GETMODIFY, 0, 0) != 0; };
  const auto read = [this](int id) { return mwWinAPI::GetItemNumber(Handle(), id); };
  Area changed = *area;
  std::wstring message;
  const auto refuse = [&message](const std::wstring& text) {
    message += text;
    if (message.empty() || message.back() != L'\n') message += L"\n";
  };

  if (modified(IDC_POINT_RADIUS)) {
    const double radius = read(IDC_POINT_RADIUS).value_or(0);
    if (radius > 0) {
      try {
        changed.SetRadius(radius);
      } catch (const mwstd::exception& error) {
        refuse(error.what());
      }
    } else {
      refuse(LoadText(IDS_POINT_RADIUS_POSITIVE));
    }
  }
  if (modified(IDC_POINT_ELLIPSE)) {
    const double ellipse = read(IDC_POINT_ELLIPSE).value_or(0);
    if (ellipse > 0) {
      try {
        changed.SetEllipse(ellipse);
      } catch (const mwstd::exception& error) {
        refuse(error.what());
      }
    } else {
      refuse(LoadText(IDS_POINT_ELLIPSE_POSITIVE));
    }
  }
  if (modified(IDC_POINT_START) || modified(IDC_POINT_END)) {
    const double start =
        modified(IDC_POINT_START) ? read(IDC_POINT_START).value_or(0) : changed.StartDegree();
    const double end = modified(IDC_POINT_END) ? read(IDC_POINT_END).value_or(0) : changed.EndDegree();
    try {
      changed.SetDegrees(start, end);
    } catch (const mwstd::exception& error) {
      refuse(error.what());
    }
  }
  if (modified(IDC_POINT_HEIGHT)) {
    try {
      changed.SetHeight(read(IDC_POINT_HEIGHT).value_or(changed.Height()));
    } catch (const mwstd::exception& error) {
      refuse(error.what());
    }
  }

  // A plain whose points would not be finite is refused as a whole: saved,
  // it would make a project that cannot be opened again.
  Area generated = changed;
  try {
    generated.GeneratePoints(object.Axis(), object.VectorsReversed());
    if (generate) changed = std::move(generated);
  } catch (const mwstd::invalid_argument& error) {
    refuse(error.what());
    changed = *area;
  }

  if (!SameArea(changed, *area)) {
    handler_.SaveState();
    area = SelectedArea();
    *area = std::move(changed);
    Changed();
  }
  // Refused fields show the plain's value again; none counts as typed any more.
  FillAutomatic(*area);
  if (!message.empty()) mwWinAPI::Ui().ShowMessage(Handle(), message, kCaption, MB_OK);
}

void PointDialog::ShowAutomatic(bool show) {
  for (int id : kAutomaticGroup) ::ShowWindow(Item(id), show ? SW_SHOW : SW_HIDE);
}

void PointDialog::FillAutomatic(const Area& plain) {
  mwWinAPI::SetItemNumber(Handle(), IDC_POINT_RADIUS, plain.Radius());
  mwWinAPI::SetItemNumber(Handle(), IDC_POINT_ELLIPSE, plain.Ellipse());
  mwWinAPI::SetItemNumber(Handle(), IDC_POINT_START, plain.StartDegree());
  mwWinAPI::SetItemNumber(Handle(), IDC_POINT_END, plain.EndDegree());
  mwWinAPI::SetItemNumber(Handle(), IDC_POINT_HEIGHT, plain.Height());
}

void PointDialog::FillManual(const Point* point) {
  for (const ManualField& field : kManualFields) {
    if (point) {
      mwWinAPI::SetItemNumber(Handle(), field.id, point->*field.member);
    } else {
      mwWinAPI::SetItemText(Handle(), field.id, L"");
    }
  }
}

void PointDialog::Changed() {
  // The main window marks the object modified and redraws the view; the
  // layers are not re-applied, which would overwrite coordinates set here.
  if (main_) ::SendMessageW(main_, TWM_CHANGED, kChangedShape, 0);
}

std::unique_ptr<PointDialog> CreatePointDialog(HINSTANCE instance, HWND editPane,
                                               RoundObjectHandler& handler) {
  auto dialog = std::make_unique<PointDialog>(handler, ::GetParent(editPane));
  dialog->CreateModeless(instance, MAKEINTRESOURCEW(IDD_POINT), editPane);
  ::ShowWindow(dialog->Handle(), SW_HIDE);
  return dialog;
}

}  // namespace orbiform
