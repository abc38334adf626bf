#pragma once
// The edit pane's point dialog: sets coordinates and normals of one point or
// of every point of a plain by hand, and changes a plain's radius, ellipse
// factor, degrees and height and regenerates its points. A modeless child of
// the edit pane, driven by the selection messages the pane passes on.
#include <windows.h>

#include <memory>

#include "geometry/RoundObjectHandler.h"
#include "mwWinAPI/Dialog.h"

namespace orbiform {

class PointDialog : public mwWinAPI::Dialog {
 public:
  // Changes are reported with TWM_CHANGED to `mainWindow`.
  PointDialog(RoundObjectHandler& handler, HWND mainWindow);

  // The plain and point being edited; -1 for none (a point of -1 is the
  // whole plain).
  int SelectedPlain() const { return plain_; }
  int SelectedPoint() const { return point_; }

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnSelectPlain(WPARAM plain);
  void OnSelectPoint(WPARAM plain, LPARAM point);
  void OnRefresh();
  void OnManualAccept();
  void OnAutomaticAccept();
  // Takes the automatic fields the user changed into the selected plain,
  // and with `generate` recomputes its points; the refused values are
  // reported together in one box. Records an undo state only when the plain
  // really changes.
  void ApplyAutomatic(bool generate);
  // The selected plain of the current object, or null when it no longer exists.
  Area* SelectedArea();
  void ShowAutomatic(bool show);
  void FillAutomatic(const Area& plain);
  void FillManual(const Point* point);
  void Changed();

  RoundObjectHandler& handler_;
  HWND main_;
  int plain_ = -1;
  int point_ = -1;
};

// Creates the point dialog (resource IDD_POINT) hidden in the edit pane,
// reporting to the edit pane's parent. Throws mwstd::runtime_error when the
// dialog cannot be made.
std::unique_ptr<PointDialog> CreatePointDialog(HINSTANCE instance, HWND editPane,
                                               RoundObjectHandler& handler);

}  // namespace orbiform
