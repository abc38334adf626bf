#pragma once
// The texture layer dialog, the edit pane's second modeless child dialog:
// for a texture layer its four bitmap corners, technique and ranges, for a
// face the texture coordinate of each corner; also the object's bitmap and
// applying all layers to the faces. Template IDD_TEXTURE_LAYER.
#include <windows.h>

#include <array>
#include <memory>
#include <optional>

#include "editor/Panes.h"
#include "geometry/RoundObjectHandler.h"
#include "mwWinAPI/Dialog.h"
#include "views/Selection.h"

namespace orbiform {

class TextureLayerDialog : public mwWinAPI::Dialog {
 public:
  // `tree` tells whether a drop just happened (the fields are then not
  // applied once). Both outlive the dialog.
  TextureLayerDialog(RoundObjectHandler& handler, TreePane& tree);

  // Creates the dialog hidden as a child of `editPane`; it reports to the
  // edit pane's parent, the main window. Throws what CreateModeless throws.
  void Create(HINSTANCE instance, HWND editPane);

  // The selection: a face, a layer, none for the bitmap of the whole object,
  // cleared for nothing (after a refresh).
  views::Selection Selection() const { return selection_; }

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnSelectLayer(std::size_t layer);
  void OnSelect(views::Selection selection);
  void OnChanged();
  void OnDeleteKey();
  void OnCommand(int id, int code);
  void OnApply();
  void OnBrowse();
  void OnTexturePath();
  void OnCornerChosen();
  void OnSameForAll();
  void OnTechnique(int type);
  void OnAuto();

  // The fields typed for the selection that is being left for `next`.
  void ApplyPending(views::Selection next);
  // Stores the x and y fields into the selected corner when they differ from
  // it, and has the views reload showing `shown`; a refused value is told
  // (157) and the stored one shown again.
  void StoreCorner(views::Selection shown);
  // Stores the four range fields when they differ: both ranges are checked
  // before either is changed.
  void StoreRanges();
  // Shows the current selection's values.
  void Fill();
  void FillCorner();
  void ShowLayerControls(bool layer);

  RoundObject* Object() const { return handler_.Current(); }
  TextureLevel* Layer() const;                      // the selected layer, null if none (any more)
  bool FaceCorner(TexCoord& out) const;             // the selected face corner's coordinate
  std::optional<TexCoord> TypedCoordinate() const;  // null: not 0 ... 2^31 - 1
  void Refuse(unsigned stringId);
  void Failure(const std::wstring& text);
  void PostMain(UINT message, WPARAM wParam);
  // Has the views reload showing what `shown` leaves of the selection.
  void PostReload(views::Selection shown);

  RoundObjectHandler& handler_;
  TreePane& tree_;
  HWND main_ = nullptr;
  views::Selection selection_ = views::Selection::Cleared();
  int corner_ = 0;
  std::array<TexCoord, 4> working_{};
  bool filling_ = false;
  bool cornerShown_ = false;  // x and y show a corner (they are empty otherwise)
};

// The dialog for the editor's edit pane, created hidden.
std::unique_ptr<TextureLayerDialog> CreateLayerDialog(HINSTANCE instance, HWND editPane,
                                                      RoundObjectHandler& handler, TreePane& tree);

}  // namespace orbiform
