// The texture layer dialog: selections, pending fields, commands and the
// Delete key.
#include "editor/TextureLayerDialog.h"

#include <climits>
#include <string>

#include "editor/Caption.h"
#include "editor/PrivateMessages.h"
#include "editor/res/resource.h"
#include "files/Bitmap.h"
#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/FieldTable.h"
#include "mwWinAPI/StringTable.h"
#include "mwWinAPI/UserInteraction.h"

namespace orbiform {

namespace {

constexpr int kLayerControls[] = {IDC_LAYER_TECHNIQUE_GROUP,
                                  IDC_LAYER_WRAP,
                                  IDC_LAYER_SAME,
                                  IDC_LAYER_FROM_POINT,
                                  IDC_LAYER_TO_POINT,
                                  IDC_LAYER_FROM_PLAIN,
                                  IDC_LAYER_TO_PLAIN,
                                  IDC_LAYER_FROM_POINT_LABEL,
                                  IDC_LAYER_TO_POINT_LABEL,
                                  IDC_LAYER_FROM_PLAIN_LABEL,
                                  IDC_LAYER_TO_PLAIN_LABEL,
                                  IDC_LAYER_APPLY,
                                  IDC_LAYER_AUTO};

using mwWinAPI::LoadText;

void SetInteger(HWND dialog, int id, long long value) {
  mwWinAPI::SetItemText(dialog, id, std::to_wstring(value));
}

// A layer's range field. Taken as the layer's setters take it: anything
// that is not a number from 0 up reads as a value every setter refuses.
template <unsigned TextureLevel::*Member>
constexpr mwWinAPI::FieldBinding<TextureLevel> RangeField(int id) {
  return {
      id,
      [](HWND dialog, int control, const TextureLevel& layer) { SetInteger(dialog, control, layer.*Member); },
      [](HWND dialog, int control, TextureLevel& layer) {
        const std::optional<long> value = mwWinAPI::GetItemInteger(dialog, control);
        layer.*Member = value && *value >= 0 ? static_cast<unsigned>(*value) : UINT_MAX;
      }};
}

const mwWinAPI::FieldBinding<TextureLevel> kRangeFields[] = {
    RangeField<&TextureLevel::startPoint>(IDC_LAYER_FROM_POINT),
    RangeField<&TextureLevel::endPoint>(IDC_LAYER_TO_POINT),
    RangeField<&TextureLevel::startArea>(IDC_LAYER_FROM_PLAIN),
    RangeField<&TextureLevel::endArea>(IDC_LAYER_TO_PLAIN),
};

// The x and y of a corner. The layers and the views read coordinates
// unsigned: a negative one would become a position four billion pixels
// away, so it is refused (157).
template <std::int32_t TexCoord::*Part>
constexpr mwWinAPI::FieldBinding<TexCoord> CoordinateField(int id) {
  return {id,
          [](HWND dialog, int control, const TexCoord& corner) { SetInteger(dialog, control, corner.*Part); },
          [](HWND dialog, int control, TexCoord& corner) {
            const std::optional<long> value = mwWinAPI::GetItemInteger(dialog, control);
            if (!value || *value < 0 || *value > INT32_MAX)
              throw mwstd::invalid_argument(LoadText(IDS_COORDINATE_REFUSED));
            corner.*Part = static_cast<std::int32_t>(*value);
          }};
}

const mwWinAPI::FieldBinding<TexCoord> kCoordinateFields[] = {
    CoordinateField<&TexCoord::first>(IDC_LAYER_X),
    CoordinateField<&TexCoord::second>(IDC_LAYER_Y),
};

}  // namespace

TextureLayerDialog::TextureLayerDialog(RoundObjectHandler& handler, TreePane& tree)
    : Dialog(L"TexturDlgWindow"), handler_(handler), tree_(tree) {}

void TextureLayerDialog::Create(HINSTANCE instance, HWND editPane) {
  main_ = ::GetParent(editPane);
  CreateModeless(instance, MAKEINTRESOURCEW(IDD_TEXTURE_LAYER), editPane);
  ::ShowWindow(Handle(), SW_HIDE);
}

std::unique_ptr<TextureLayerDialog> CreateLayerDialog(HINSTANCE instance, HWND editPane,
                                                      RoundObjectHandler& handler, TreePane& tree) {
  auto dialog = std::make_unique<TextureLayerDialog>(handler, tree);
  dialog->Create(instance, editPane);
  return dialog;
}

TextureLevel* TextureLayerDialog::Layer() const {
  RoundObject* object = Object();
  if (!object || !selection_.IsLayer()) return nullptr;
  const std::size_t index = selection_.Index();
  return index < object->TextureLevelCount() ? &object->GetTextureLevel(index) : nullptr;
}

bool TextureLayerDialog::FaceCorner(TexCoord& out) const {
  const RoundObject* object = Object();
  if (!object || !selection_.IsFace() || !object->TexCoordsValid()) return false;
  const std::size_t face = selection_.Index();
  if (face >= object->FaceCount() || corner_ < 0 ||
      static_cast<std::size_t>(corner_) >= object->GetFace(face).coords.size())
    return false;
  out = object->GetTexCoordinate(face, static_cast<std::size_t>(corner_));
  return true;
}

std::optional<TexCoord> TextureLayerDialog::TypedCoordinate() const {
  TexCoord typed{};
  try {
    mwWinAPI::TakeFields(Handle(), kCoordinateFields, typed);
  } catch (const mwstd::invalid_argument&) {
    return std::nullopt;  // the caller tells the user
  }
  return typed;
}

void TextureLayerDialog::Refuse(unsigned stringId) {
  mwWinAPI::Ui().ShowMessage(Handle(), LoadText(stringId), kCaption, MB_ICONERROR);
}

void TextureLayerDialog::Failure(const std::wstring& text) {
  mwWinAPI::Ui().ShowMessage(Handle(), text, kCaption, MB_ICONWARNING);
}

void TextureLayerDialog::PostMain(UINT message, WPARAM wParam) {
  if (main_) ::PostMessageW(main_, message, wParam, 0);
}

void TextureLayerDialog::PostReload(views::Selection shown) {
  PostMain(TWM_RELOAD, (shown.IsFace() || shown.IsLayer() ? shown : views::Selection::None()).ToParam());
}

void TextureLayerDialog::ShowLayerControls(bool layer) {
  for (int id : kLayerControls) ::ShowWindow(Item(id), layer ? SW_SHOW : SW_HIDE);
  ::ShowWindow(Item(IDC_LAYER_SAME_FOR_ALL), layer ? SW_HIDE : SW_SHOW);
}

void TextureLayerDialog::FillCorner() {
  TexCoord shown{};
  bool editable = false;
  if (Layer()) {
    if (corner_ >= 0 && corner_ < 4) {
      shown = working_[static_cast<std::size_t>(corner_)];
      editable = true;
    }
  } else {
    editable = FaceCorner(shown);
  }
  filling_ = true;
  if (editable) {
    mwWinAPI::ShowFields(Handle(), kCoordinateFields, shown);
  } else {
    for (const auto& field : kCoordinateFields) mwWinAPI::SetItemText(Handle(), field.id, L"");
  }
  filling_ = false;
  cornerShown_ = editable;
  ::EnableWindow(Item(IDC_LAYER_X), editable);
  ::EnableWindow(Item(IDC_LAYER_Y), editable);
  ::EnableWindow(Item(IDC_LAYER_SAME_FOR_ALL), editable && selection_.IsFace());
}

void TextureLayerDialog::Fill() {
  RoundObject* object = Object();
  HWND list = Item(IDC_LAYER_CORNERS);
  filling_ = true;
  ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
  mwWinAPI::SetItemText(Handle(), IDC_LAYER_TEXTURE, object ? object->Texture() : L"");
  std::size_t corners = 0;
  if (TextureLevel* layer = Layer()) {
    working_ = layer->coords;
    corners = 4;
    mwWinAPI::ShowFields(Handle(), kRangeFields, *layer);
    ::CheckRadioButton(Handle(), IDC_LAYER_WRAP, IDC_LAYER_SAME,
                       layer->type == TextureLevel::kSame ? IDC_LAYER_SAME : IDC_LAYER_WRAP);
  } else if (object && selection_.IsFace() && object->TexCoordsValid() &&
             selection_.Index() < object->FaceCount()) {
    corners = object->GetFace(selection_.Index()).coords.size();
  }
  ::SendMessageW(list, LB_INITSTORAGE, corners, corners * 6);
  for (std::size_t i = 0; i < corners; ++i) {
    const std::wstring text = std::to_wstring(i + 1);
    ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  if (static_cast<std::size_t>(corner_) >= corners) corner_ = 0;
  ::SendMessageW(list, LB_SETCURSEL, corners ? corner_ : -1, 0);
  filling_ = false;
  ShowLayerControls(Layer() != nullptr);
  FillCorner();
}

void TextureLayerDialog::ApplyPending(views::Selection next) {
  // After a drop the fields belong to a layer that moved.
  if (tree_.TakeJustDropped()) return;
  if (!Object()) return;
  try {
    if (Layer()) StoreRanges();
    // The texture window is told the new selection already: a reload naming
    // the old one would take it back there.
    StoreCorner(next);
  } catch (const mwstd::exception& error) {
    Failure(error.what());
  }
}

void TextureLayerDialog::StoreCorner(views::Selection shown) {
  RoundObject* object = Object();
  // Empty fields of a face that had nothing to edit are no typed values.
  if (!object || !cornerShown_) return;
  TextureLevel* layer = Layer();
  TexCoord stored{};
  if (layer) {
    if (corner_ < 0 || corner_ >= 4) return;
    stored = working_[static_cast<std::size_t>(corner_)];
  } else if (!FaceCorner(stored)) {
    return;
  }
  const std::wstring x = mwWinAPI::GetItemText(Handle(), IDC_LAYER_X);
  const std::wstring y = mwWinAPI::GetItemText(Handle(), IDC_LAYER_Y);
  if (x == std::to_wstring(stored.first) && y == std::to_wstring(stored.second)) return;
  const std::optional<TexCoord> typed = TypedCoordinate();
  if (!typed) {
    Refuse(IDS_COORDINATE_REFUSED);
    FillCorner();
    return;
  }
  if (*typed == stored) return;
  handler_.SaveState();
  if (layer) {
    working_[static_cast<std::size_t>(corner_)] = *typed;
    Layer()->coords = working_;
  } else {
    Object()->SetTexCoordinate(selection_.Index(), static_cast<std::size_t>(corner_), typed->first,
                               typed->second);
  }
  PostReload(shown);
}

void TextureLayerDialog::StoreRanges() {
  TextureLevel* layer = Layer();
  if (!layer) return;
  TextureLevel typed = *layer;
  mwWinAPI::TakeFields(Handle(), kRangeFields, typed);
  if (typed.startPoint == layer->startPoint && typed.endPoint == layer->endPoint &&
      typed.startArea == layer->startArea && typed.endArea == layer->endArea)
    return;
  // Both ranges are tried on a copy first: a refused point range must not
  // leave a changed plain range behind.
  TextureLevel changed = *layer;
  try {
    changed.SetAreas(typed.startArea, typed.endArea);
    changed.SetPoints(typed.startPoint, typed.endPoint);
  } catch (const mwstd::exception& error) {
    Failure(error.what());
    Fill();
    return;
  }
  handler_.SaveState();
  *Layer() = changed;
  PostMain(TWM_CHANGED, kChangedLayers);
  filling_ = true;
  mwWinAPI::ShowFields(Handle(), kRangeFields, changed);
  filling_ = false;
}

void TextureLayerDialog::OnSelectLayer(std::size_t layer) {
  ApplyPending(views::Selection::Layer(layer));
  selection_ = views::Selection::Layer(layer);
  corner_ = 0;
  Fill();
}

void TextureLayerDialog::OnSelect(views::Selection selection) {
  ApplyPending(selection);
  selection_ = selection;
  corner_ = 0;
  Fill();
}

void TextureLayerDialog::OnChanged() {
  if (Object()) Fill();
}

void TextureLayerDialog::OnDeleteKey() {
  RoundObject* object = Object();
  if (!object) return;
  if (selection_.IsLayer()) {
    const std::size_t index = selection_.Index();
    if (index >= object->TextureLevelCount()) return;
    handler_.SaveState();
    Object()->RemoveTextureLevel(index);
    if (Object()->TextureLevelCount() == 0)
      selection_ = views::Selection::None();
    else if (index > 0)
      selection_ = views::Selection::Layer(index - 1);
    PostMain(TWM_CHANGED, kChangedLayers);
  } else if (selection_ == views::Selection::Face(0) && HasBaseFace(object->GrundDeckFl())) {
    handler_.SaveState();
    Object()->SetGrundDeckFl(Object()->GrundDeckFl() & ~1);
    PostMain(TWM_CHANGED, kChangedShape);  // the view is rebuilt without the base
  } else if (selection_.IsFace() && selection_.Index() > 0 && selection_.Index() + 1 == object->FaceCount() &&
             HasTopFace(object->GrundDeckFl())) {
    handler_.SaveState();
    Object()->SetGrundDeckFl(Object()->GrundDeckFl() & ~2);
    PostMain(TWM_CHANGED, kChangedShape);
  } else {
    return;
  }
  PostMain(TWM_SELECT, selection_.ToParam());
  PostMain(TWM_REFRESH, 0);
}

void TextureLayerDialog::OnApply() {
  RoundObject* object = Object();
  if (!object) return;
  handler_.SaveState();
  if (Object()->ApplyTextures())
    PostReload(selection_);
  else
    Refuse(IDS_LAYER_NOT_APPLIED);
}

void TextureLayerDialog::OnBrowse() {
  if (!Object()) return;
  mwWinAPI::FileDialogRequest request;
  request.owner = Handle();
  request.filter = mwWinAPI::FileFilter(L"Bitmap Dateien (*.bmp)", L"*.bmp");
  request.initialPath = Object()->Texture();
  const std::wstring path = mwWinAPI::Ui().OpenFileName(request);
  if (path.empty() || !Object()) return;
  filling_ = true;
  mwWinAPI::SetItemText(Handle(), IDC_LAYER_TEXTURE, path);
  filling_ = false;
  handler_.SaveState();
  Object()->SetTexture(path);
  PostReload(selection_);
}

void TextureLayerDialog::OnTexturePath() {
  RoundObject* object = Object();
  if (!object) return;
  const std::wstring path = mwWinAPI::GetItemText(Handle(), IDC_LAYER_TEXTURE);
  if (path == object->Texture()) return;
  handler_.SaveState();
  Object()->SetTexture(path);
  PostReload(selection_);
}

void TextureLayerDialog::OnCornerChosen() {
  const LRESULT chosen = ::SendMessageW(Item(IDC_LAYER_CORNERS), LB_GETCURSEL, 0, 0);
  if (chosen == LB_ERR) return;
  corner_ = static_cast<int>(chosen);
  FillCorner();
}

void TextureLayerDialog::OnSameForAll() {
  RoundObject* object = Object();
  if (!object) return;
  if (Layer()) {
    StoreCorner(selection_);
    return;
  }
  TexCoord any{};
  if (!FaceCorner(any)) return;
  const std::optional<TexCoord> typed = TypedCoordinate();
  if (!typed) {
    Refuse(IDS_COORDINATE_REFUSED);
    FillCorner();
    return;
  }
  const std::size_t face = selection_.Index();
  handler_.SaveState();
  const std::size_t count = Object()->GetFace(face).coords.size();
  for (std::size_t i = 0; i < count; ++i) Object()->SetTexCoordinate(face, i, typed->first, typed->second);
  PostReload(selection_);
}

void TextureLayerDialog::OnTechnique(int type) {
  TextureLevel* layer = Layer();
  if (!layer || layer->type == type) return;
  handler_.SaveState();
  Layer()->type = type;
  PostMain(TWM_CHANGED, kChangedLayers);
}

void TextureLayerDialog::OnAuto() {
  RoundObject* object = Object();
  if (!object || !Layer()) return;
  std::int32_t width = 0, height = 0;
  if (!ReadBitmapExtent(object->Texture(), width, height)) return;
  handler_.SaveState();
  Layer()->coords = {{{0, 0}, {width, 0}, {width, height}, {0, height}}};
  PostReload(selection_);
  Fill();
}

void TextureLayerDialog::OnCommand(int id, int code) {
  if (filling_) return;
  switch (id) {
    case IDC_LAYER_APPLY:
      if (code == BN_CLICKED) OnApply();
      break;
    case IDC_LAYER_BROWSE:
      if (code == BN_CLICKED) OnBrowse();
      break;
    case IDC_LAYER_TEXTURE:
      if (code == EN_KILLFOCUS) OnTexturePath();
      break;
    case IDC_LAYER_CORNERS:
      if (code == LBN_SELCHANGE) OnCornerChosen();
      break;
    case IDC_LAYER_X:
    case IDC_LAYER_Y:
      if (code == EN_KILLFOCUS) StoreCorner(selection_);
      break;
    case IDC_LAYER_SAME_FOR_ALL:
      if (code == BN_CLICKED) OnSameForAll();
      break;
    case IDC_LAYER_WRAP:
    case IDC_LAYER_SAME:
      if (code == BN_CLICKED) OnTechnique(id == IDC_LAYER_SAME ? TextureLevel::kSame : TextureLevel::kWrap);
      break;
    case IDC_LAYER_FROM_POINT:
    case IDC_LAYER_TO_POINT:
    case IDC_LAYER_FROM_PLAIN:
    case IDC_LAYER_TO_PLAIN:
      if (code == EN_KILLFOCUS) StoreRanges();
      break;
    case IDC_LAYER_AUTO:
      if (code == BN_CLICKED) OnAuto();
      break;
    default:
      break;
  }
}

INT_PTR TextureLayerDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
  try {
    switch (message) {
      case WM_INITDIALOG:
        ShowLayerControls(false);
        return FALSE;  // created hidden: it must not take the focus
      case TWM_SELECT_LAYER:
        OnSelectLayer(wParam);
        return TRUE;
      case TWM_SELECT:
        OnSelect(views::Selection::FromParam(wParam));
        return TRUE;
      case TWM_CHANGED:
        OnChanged();
        return TRUE;
      case TWM_REFRESH:
        selection_ = views::Selection::Cleared();
        corner_ = 0;
        return TRUE;
      case TWM_DELETE_KEY:
        OnDeleteKey();
        return TRUE;
      case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
      default:
        return FALSE;
    }
  } catch (const mwstd::invalid_argument& error) {
    // The model's refusals carry the text the user reads; the fields show
    // the stored values again.
    Failure(error.what());
    if (Object()) Fill();
    return TRUE;
  }
}

}  // namespace orbiform
