// The texture window: bitmap display, corner polygon, picking and dragging
// corners, zoom and scrolling.
#include "editor/TextureWindow.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "editor/PrivateMessages.h"
#include "editor/res/resource.h"
#include "mwWinAPI/ScopedGdi.h"
#include "mwWinAPI/StringTable.h"
#include "mwWinAPI/WindowDpi.h"

namespace orbiform {

namespace {

using Corner = std::pair<std::uint32_t, std::uint32_t>;

constexpr COLORREF kCornerColour = RGB(0, 0, 255);

// A square round the corner with the corner's number to its right.
void DrawCornerMark(HDC dc, int number, POINT at, const TextureMetrics& metrics) {
  const int half = metrics.markHalf;
  ::Rectangle(dc, at.x - half, at.y - half, at.x + half, at.y + half);
  const std::wstring text = std::to_wstring(number);
  ::TextOutW(dc, at.x + metrics.numberGap, at.y, text.c_str(), static_cast<int>(text.size()));
}

// A zoomed extent in screen pixels, kept inside int whatever the zoom.
int Scaled(double extent, double zoom) { return static_cast<int>(std::clamp(extent * zoom, -1e9, 1e9)); }

}  // namespace

mwWinAPI::GdiObject<HBITMAP> LoadBitmapFile(const std::wstring& path, HDC dc,
                                            std::shared_ptr<const Image>* image) {
  const std::shared_ptr<const Image> picture = SharedBitmapImage(path);
  if (!picture) return {};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = picture->width;
  info.bmiHeader.biHeight = -picture->height;  // the reader's rows are top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  mwWinAPI::GdiObject<HBITMAP> bitmap(::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return {};
  std::memcpy(bits, picture->pixels.data(), picture->pixels.size() * sizeof(std::uint32_t));
  ::GdiFlush();
  if (image) *image = picture;
  return bitmap;
}

TextureWindow::TextureWindow() : Window(L"TextureView") {}

TextureWindow::~TextureWindow() { DropBitmap(); }

void TextureWindow::OnCreate() {
  // Painting must not cover the status line.
  ::SetWindowLongPtrW(Handle(), GWL_STYLE, ::GetWindowLongPtrW(Handle(), GWL_STYLE) | WS_CLIPCHILDREN);
  status_ = ::CreateWindowExW(0, L"static", L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, metrics_.statusHeight,
                              Handle(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
  pen_.Reset(::CreatePen(PS_DASHDOTDOT, 1, kCornerColour));
  brush_.Reset(::CreateSolidBrush(kCornerColour));
  SetDpi(mwWinAPI::WindowDpi(Handle()));
  DropBitmap();
}

void TextureWindow::SetDpi(UINT dpi) {
  metrics_ = TextureMetricsFor(dpi);
  // The face of the dialogs' font, at this window's scaling.
  LOGFONTW face{};
  ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof face, &face);
  face.lfHeight = -metrics_.fontHeight;
  face.lfWidth = 0;
  mwWinAPI::GdiObject<HFONT> font(::CreateFontIndirectW(&face));
  if (status_) {
    ::SendMessageW(status_, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
  }
  font_ = std::move(font);  // the old one only once the status line let go of it
  OnSize();
}

void TextureWindow::OnDestroy() {
  // Only the main window ends the program: no quit message here.
  DropBitmap();
  pen_.Reset();
  brush_.Reset();
  status_ = nullptr;
  font_.Reset();
}

void TextureWindow::DropBitmap() {
  bitmap_.Reset();
  image_.reset();
  bitmapWidth_ = bitmapHeight_ = 0;
}

std::wstring TextureWindow::StatusText() const { return statusText_; }

void TextureWindow::SetStatus(const std::wstring& text) {
  statusText_ = text;
  if (status_) ::SetWindowTextW(status_, text.c_str());
}

void TextureWindow::OnSelect(views::Selection selection, RoundObjectHandler* handler) {
  selection_ = selection;
  corners_.clear();
  SetStatus(L"xxx");
  if (handler && handler->Current() && !selection.IsCleared()) {
    scrollX_ = scrollY_ = 0;
    handler_ = handler;
    const std::wstring& path = handler->Current()->Texture();
    // The same decoded picture (the file unchanged) keeps the GDI bitmap:
    // every Apply, Undo or corner drag selects again.
    const std::shared_ptr<const Image> shared = SharedBitmapImage(path);
    if (!shared || shared != image_) {
      HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
      ::ShowCursor(TRUE);
      DropBitmap();
      if (shared) {
        const mwWinAPI::WindowDC dc(Handle());
        bitmap_ = LoadBitmapFile(path, dc.Get(), &image_);
      }
      ::ShowCursor(FALSE);
      ::SetCursor(previous ? previous : ::LoadCursorW(nullptr, IDC_ARROW));
    }
    if (!bitmap_) {
      sizeSuffix_.clear();
      SetStatus(mwWinAPI::LoadText(IDS_BITMAP_NOT_LOADED));
    } else {
      bitmapWidth_ = image_->width;
      bitmapHeight_ = image_->height;
      sizeSuffix_ = L" | " + std::to_wstring(bitmapWidth_) + L"/" + std::to_wstring(bitmapHeight_);
      SetStatus(L"xxx" + sizeSuffix_);
    }
    UpdateScrollBars();
    ::InvalidateRect(Handle(), nullptr, FALSE);
  }
  OnReload();
}

void TextureWindow::OnReload() {
  corners_.clear();
  RoundObject* object = Object();
  if (selection_.IsCleared() || !handler_) {
    handler_ = nullptr;
    DropBitmap();
    sizeSuffix_.clear();
    UpdateScrollBars();
    ::InvalidateRect(Handle(), nullptr, FALSE);
    return;
  }
  if (!object) {
    // After Close: nothing is left to show.
    selection_ = views::Selection::None();
    DropBitmap();
    sizeSuffix_.clear();
    UpdateScrollBars();
  } else if (selection_.IsLayer()) {
    const std::size_t layer = selection_.Index();
    if (layer < object->TextureLevelCount()) {
      for (const TexCoord& c : object->GetTextureLevel(layer).coords)
        corners_.emplace_back(static_cast<std::uint32_t>(c.first), static_cast<std::uint32_t>(c.second));
    } else {
      selection_ = views::Selection::None();
    }
  } else if (selection_.IsFace()) {
    // Stale faces are recomputed from the layers before they are shown.
    if (!object->TexCoordsValid()) object->ApplyTextures();
    const std::size_t face = selection_.Index();
    if (object->TexCoordsValid() && face < object->FaceCount()) {
      const std::size_t count = object->GetFace(face).coords.size();
      for (std::size_t i = 0; i < count; ++i) {
        const TexCoord c = object->GetTexCoordinate(face, i);
        corners_.emplace_back(static_cast<std::uint32_t>(c.first), static_cast<std::uint32_t>(c.second));
      }
    } else {
      selection_ = views::Selection::None();
    }
  }
  ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TextureWindow::UpdateScrollBars() {
  RECT client{};
  ::GetClientRect(Handle(), &client);
  // One formula for size changes, zooms and new bitmaps.
  const int margin = metrics_.scrollMargin;
  maxScrollX_ = std::max(0, Scaled(bitmapWidth_, zoom_) - static_cast<int>(client.right) + margin);
  maxScrollY_ = std::max(
      0, Scaled(bitmapHeight_, zoom_) + metrics_.statusHeight - static_cast<int>(client.bottom) + margin);
  scrollX_ = std::clamp(scrollX_, -margin, maxScrollX_);
  scrollY_ = std::clamp(scrollY_, -margin, maxScrollY_);
  const int maxima[2] = {maxScrollX_, maxScrollY_};
  const int positions[2] = {scrollX_, scrollY_};
  const int bars[2] = {SB_HORZ, SB_VERT};
  for (int i = 0; i < 2; ++i) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = maxima[i] > 0 ? maxima[i] + margin : 0;
    info.nPage = 8;
    info.nPos = positions[i] + margin;
    ::SetScrollInfo(Handle(), bars[i], &info, TRUE);
  }
}

void TextureWindow::OnSize() {
  UpdateScrollBars();
  RECT client{};
  ::GetClientRect(Handle(), &client);
  if (status_)
    ::MoveWindow(status_, 0, client.bottom - metrics_.statusHeight, client.right, metrics_.statusHeight,
                 TRUE);
  ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TextureWindow::SetZoom(float zoom) {
  zoom_ = std::clamp(zoom, kMinZoom, kMaxZoom);
  scrollX_ = scrollY_ = 0;
  UpdateScrollBars();
  ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TextureWindow::OnScroll(int bar, int code) {
  int& scroll = bar == SB_HORZ ? scrollX_ : scrollY_;
  const int maximum = bar == SB_HORZ ? maxScrollX_ : maxScrollY_;
  int next = scroll;
  switch (code) {
    case SB_LINEUP:
      next -= metrics_.lineStep;
      break;
    case SB_LINEDOWN:
      next += metrics_.lineStep;
      break;
    case SB_PAGEUP:
      next -= metrics_.pageStep;
      break;
    case SB_PAGEDOWN:
      next += metrics_.pageStep;
      break;
    case SB_THUMBTRACK: {
      // The 32-bit position: the message's own is 16 bits and wraps.
      SCROLLINFO info{};
      info.cbSize = sizeof(info);
      info.fMask = SIF_TRACKPOS;
      ::GetScrollInfo(Handle(), bar, &info);
      next = info.nTrackPos - metrics_.scrollMargin;
      break;
    }
    default:
      return;
  }
  scroll = std::clamp(next, -metrics_.scrollMargin, maximum);
  ::SetScrollPos(Handle(), bar, scroll + metrics_.scrollMargin, TRUE);
  ::InvalidateRect(Handle(), nullptr, FALSE);
}

Corner TextureWindow::BitmapPosition(int x, int y) const {
  const double px = std::floor((x + scrollX_) / static_cast<double>(zoom_));
  const double py = std::floor((y + scrollY_) / static_cast<double>(zoom_));
  return {static_cast<std::uint32_t>(std::clamp(px, 0.0, 2147483647.0)),
          static_cast<std::uint32_t>(std::clamp(py, 0.0, 2147483647.0))};
}

POINT TextureWindow::ScreenPosition(Corner corner) const {
  return POINT{Scaled(corner.first, zoom_) - scrollX_, Scaled(corner.second, zoom_) - scrollY_};
}

int TextureWindow::NearCorner(int x, int y) const {
  const float px = (x + scrollX_) / zoom_;
  const float py = (y + scrollY_) / zoom_;
  int found = -1;
  for (std::size_t i = 0; i < corners_.size(); ++i) {
    if (std::fabs(static_cast<float>(corners_[i].first) - px) < metrics_.pickReach &&
        std::fabs(static_cast<float>(corners_[i].second) - py) < metrics_.pickReach)
      found = static_cast<int>(i);
  }
  return found;
}

int TextureWindow::MarkNumber(std::size_t corner) const {
  const RoundObject* object = Object();
  if (!object) return 0;
  if (selection_.IsFace()) {
    const std::size_t face = selection_.Index();
    if (!object->TexCoordsValid() || face >= object->FaceCount() ||
        corner >= object->GetFace(face).points.size())
      return 0;
    return 1 + object->GetFacePoint(face, corner);
  }
  if (!selection_.IsLayer() || selection_.Index() >= object->TextureLevelCount()) return 0;
  const TextureLevel& layer = object->GetTextureLevel(selection_.Index());
  const unsigned n = object->PointsPerRing();
  // Corners 0 and 3 name the point after the end point, in the end and in
  // the start ring, as the 3D view numbers it.
  const unsigned after = (layer.endPoint + 1) % n;
  switch (corner) {
    case 0:
      return static_cast<int>(n * layer.endArea + after + 1);
    case 1:
      return static_cast<int>(n * layer.endArea + layer.startPoint + 1);
    case 2:
      return static_cast<int>(n * layer.startArea + layer.startPoint + 1);
    case 3:
      return static_cast<int>(n * layer.startArea + after + 1);
    default:
      return 0;
  }
}

void TextureWindow::Draw(HDC target) {
  RECT client{};
  ::GetClientRect(Handle(), &client);
  const int width = client.right;
  const int height = std::max<int>(client.bottom - metrics_.statusHeight, 0);
  if (width <= 0 || height <= 0) return;
  // Drawn off screen and copied at once: no flicker.
  const mwWinAPI::MemoryDC dc(target);
  const mwWinAPI::GdiObject<HBITMAP> back(::CreateCompatibleBitmap(target, width, height));
  if (!dc || !back) return;
  const mwWinAPI::SelectedObject backSelected(dc.Get(), back.Get());
  RECT area{0, 0, width, height};
  ::FillRect(dc.Get(), &area, ::GetSysColorBrush(COLOR_MENU));

  if (bitmap_) {
    // Only the part of the bitmap that lies in the window is stretched.
    const double z = zoom_;
    const int x0 = std::clamp(static_cast<int>(std::floor(scrollX_ / z)), 0, bitmapWidth_);
    const int y0 = std::clamp(static_cast<int>(std::floor(scrollY_ / z)), 0, bitmapHeight_);
    const int x1 = std::clamp(static_cast<int>(std::ceil((scrollX_ + width) / z)) + 1, 0, bitmapWidth_);
    const int y1 = std::clamp(static_cast<int>(std::ceil((scrollY_ + height) / z)) + 1, 0, bitmapHeight_);
    const mwWinAPI::MemoryDC source(target);
    if (x1 > x0 && y1 > y0 && source) {
      const mwWinAPI::SelectedObject sourceSelected(source.Get(), bitmap_.Get());
      ::SetStretchBltMode(dc.Get(), COLORONCOLOR);
      const int dx0 = Scaled(x0, z) - scrollX_, dy0 = Scaled(y0, z) - scrollY_;
      const int dx1 = Scaled(x1, z) - scrollX_, dy1 = Scaled(y1, z) - scrollY_;
      ::StretchBlt(dc.Get(), dx0, dy0, dx1 - dx0, dy1 - dy0, source.Get(), x0, y0, x1 - x0, y1 - y0, SRCCOPY);
    }
  }
  if (!corners_.empty()) DrawMarks(dc.Get(), width, height);
  ::BitBlt(target, 0, 0, width, height, dc.Get(), 0, 0, SRCCOPY);
}

void TextureWindow::DrawMarks(HDC dc, int width, int height) {
  ::SetTextColor(dc, kCornerColour);
  ::SetBkMode(dc, TRANSPARENT);
  const mwWinAPI::SelectedObject pen(dc, pen_.Get());
  const mwWinAPI::SelectedObject brush(dc, brush_.Get());
  const mwWinAPI::SelectedObject font(
      dc, font_ ? static_cast<HGDIOBJ>(font_.Get()) : ::GetStockObject(DEFAULT_GUI_FONT));
  std::vector<POINT> outline;
  outline.reserve(corners_.size() + 1);
  for (const Corner& corner : corners_) outline.push_back(ScreenPosition(corner));
  if (corners_.size() > 1) outline.push_back(outline.front());
  ::Polyline(dc, outline.data(), static_cast<int>(outline.size()));
  const bool layer = selection_.IsLayer();
  // Marks far outside the window cost time and show nothing.
  const int reach = 8 * metrics_.fontHeight;
  for (std::size_t i = 0; i < corners_.size(); ++i) {
    const POINT at = outline[i];
    if (at.x < -reach || at.y < -reach || at.x > width + reach || at.y > height + reach) continue;
    if (layer && i > 3) continue;
    DrawCornerMark(dc, MarkNumber(i), at, metrics_);
  }
  if (dragged_ >= 0 && !firstMove_ && static_cast<std::size_t>(dragged_) < corners_.size()) {
    // The dragged corner's two edges follow the mouse, inverted.
    const std::size_t n = corners_.size();
    const std::size_t i = static_cast<std::size_t>(dragged_);
    const mwWinAPI::SelectedObject black(dc, ::GetStockObject(BLACK_PEN));
    const int oldMix = ::SetROP2(dc, R2_NOTXORPEN);
    for (std::size_t neighbour : {(i + n - 1) % n, (i + 1) % n}) {
      ::MoveToEx(dc, outline[neighbour].x, outline[neighbour].y, nullptr);
      ::LineTo(dc, last_.x, last_.y);
    }
    ::SetROP2(dc, oldMix);
  }
}

void TextureWindow::OnPaint() {
  PAINTSTRUCT paint{};
  HDC dc = ::BeginPaint(Handle(), &paint);
  if (dc) Draw(dc);
  ::EndPaint(Handle(), &paint);
}

void TextureWindow::OnLeftDown(int x, int y) {
  ::SetFocus(Handle());
  dragged_ = -1;
  last_ = POINT{x, y};
  firstMove_ = true;
  dragged_ = NearCorner(x, y);
  if (dragged_ >= 0) {
    ::SetCapture(Handle());
    ::SetCursor(::LoadCursorW(nullptr, IDC_CROSS));
  }
}

void TextureWindow::OnMouseMove(int x, int y, WPARAM keys) {
  if (!tracking_) {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
    tracking_ = ::TrackMouseEvent(&track) != FALSE;
  }
  const Corner at = BitmapPosition(x, y);
  const std::wstring position = std::to_wstring(at.first) + L"/" + std::to_wstring(at.second);
  SetStatus(L" " + position + sizeSuffix_);
  if ((keys & MK_LBUTTON) && dragged_ >= 0) {
    SetStatus(L" <<" + position + L">>" + sizeSuffix_);
    last_ = POINT{x, y};
    firstMove_ = false;
    ::InvalidateRect(Handle(), nullptr, FALSE);
  } else if (keys & MK_RBUTTON) {
    if (rightZoomArmed_) {
      rightZoomArmed_ = false;
      SetZoom(y < last_.y ? zoom_ * 2.0f : zoom_ * 0.5f);
    }
  } else {
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    if (NearCorner(x, y) >= 0) {
      ::SetCursor(::LoadCursorW(nullptr, IDC_CROSS));
      SetStatus(L" <<" + position + L">>" + sizeSuffix_);
    }
  }
}

void TextureWindow::OnLeftUp() {
  ::ReleaseCapture();
  RoundObject* object = Object();
  const int corner = dragged_;
  dragged_ = -1;
  firstMove_ = true;
  ::InvalidateRect(Handle(), nullptr, FALSE);
  if (corner < 0 || !object || static_cast<std::size_t>(corner) >= corners_.size()) return;
  const Corner at = BitmapPosition(last_.x, last_.y);
  // A click without a move changes nothing: no undo state, no report.
  if (corners_[corner] == at) return;
  HWND owner = ::GetParent(Handle());
  const TexCoord stored{static_cast<std::int32_t>(at.first), static_cast<std::int32_t>(at.second)};
  if (selection_.IsFace()) {
    const std::size_t face = selection_.Index();
    if (!object->TexCoordsValid() || face >= object->FaceCount() ||
        static_cast<std::size_t>(corner) >= object->GetFace(face).coords.size())
      return;
    handler_->SaveState();
    handler_->Current()->SetTexCoordinate(face, static_cast<std::size_t>(corner), stored.first,
                                          stored.second);
    corners_[corner] = at;
    ::SendMessageW(owner, TWM_CHANGED, kChangedTexturing, 0);
  } else if (selection_.IsLayer()) {
    corners_[corner] = at;
    const std::size_t layer = selection_.Index();
    if (layer < object->TextureLevelCount() && corner < 4) {
      handler_->SaveState();
      handler_->Current()->GetTextureLevel(layer).coords[static_cast<std::size_t>(corner)] = stored;
    } else {
      ::PostMessageW(Handle(), TWM_RELOAD, 0, 0);
    }
    ::SendMessageW(owner, TWM_CHANGED, kChangedLayers, 0);
  }
}

void TextureWindow::OnWheel(int delta) { SetZoom(delta > 0 ? zoom_ * 1.1f : zoom_ / 1.1f); }

void TextureWindow::OnMouseLeave() {
  SetStatus(L"xxx" + sizeSuffix_);
  tracking_ = false;
}

LRESULT TextureWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case TWM_SELECT:
      OnSelect(views::Selection::FromParam(wParam), reinterpret_cast<RoundObjectHandler*>(lParam));
      return 0;
    case TWM_RELOAD:
      OnReload();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_PRINTCLIENT:
      Draw(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_SIZE:
      OnSize();
      return 0;
    case WM_HSCROLL:
      OnScroll(SB_HORZ, LOWORD(wParam));
      return 0;
    case WM_VSCROLL:
      OnScroll(SB_VERT, LOWORD(wParam));
      return 0;
    case WM_LBUTTONDOWN:
      OnLeftDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), wParam);
      return 0;
    case WM_LBUTTONUP:
      OnLeftUp();
      return 0;
    case WM_RBUTTONDOWN:
      last_ = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      return 0;
    case WM_RBUTTONUP:
      rightZoomArmed_ = true;
      return 0;
    case WM_MOUSEWHEEL:
      OnWheel(GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_MOUSELEAVE:
      OnMouseLeave();
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace orbiform
