#pragma once
// The texture window: the object's bitmap, zoomed and scrolled, with the
// texture coordinates of the selected face or texture layer drawn over it as
// a closed polygon with numbered corner marks. Corners are dragged to new
// bitmap pixels; the window stores them (undo state first) and tells its
// parent with TWM_CHANGED. A status line at the bottom shows the pixel under
// the mouse and the bitmap's size.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "editor/EditorLayout.h"
#include "files/Bitmap.h"
#include "geometry/RoundObjectHandler.h"
#include "mwWinAPI/Handles.h"
#include "mwWinAPI/Window.h"
#include "views/Selection.h"

namespace orbiform {

// The bitmap of the file at `path` as a GDI bitmap for `dc` (a 32-bit DIB
// section), decoded by the project's reader through its shared cache; null
// for a file that cannot be read or is refused. `image` receives the decoded
// picture when given.
mwWinAPI::GdiObject<HBITMAP> LoadBitmapFile(const std::wstring& path, HDC dc,
                                            std::shared_ptr<const Image>* image = nullptr);

class TextureWindow : public mwWinAPI::Window {
 public:
  static constexpr float kMinZoom = 1.0f / 16;
  static constexpr float kMaxZoom = 16.0f;

  TextureWindow();
  ~TextureWindow() override;

  // State for tests and the editor's pictures.
  views::Selection Selection() const { return selection_; }
  float Zoom() const { return zoom_; }
  POINT Scroll() const { return POINT{scrollX_, scrollY_}; }
  POINT MaxScroll() const { return POINT{maxScrollX_, maxScrollY_}; }
  bool HasBitmap() const { return static_cast<bool>(bitmap_); }
  // The marks, numbers, status line and scroll steps for `dpi` (a move to a
  // monitor of another scaling).
  void SetDpi(UINT dpi);
  const TextureMetrics& Metrics() const { return metrics_; }
  SIZE BitmapSize() const { return SIZE{bitmapWidth_, bitmapHeight_}; }
  const std::vector<std::pair<std::uint32_t, std::uint32_t>>& Corners() const { return corners_; }
  std::wstring StatusText() const;
  // Sets the zoom (bounded) with the scroll at the origin, as the wheel does.
  void SetZoom(float zoom);
  // Draws the window's picture (bitmap, polygon, marks, a dragged corner's
  // lines) into `dc` over the client area, as a paint does.
  void Draw(HDC dc);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnCreate();
  void OnDestroy();
  void OnSelect(views::Selection selection, RoundObjectHandler* handler);
  void OnReload();
  void OnPaint();
  void OnSize();
  void OnScroll(int bar, int code);
  void OnLeftDown(int x, int y);
  void OnMouseMove(int x, int y, WPARAM keys);
  void OnLeftUp();
  void OnWheel(int delta);
  void OnMouseLeave();

  void DropBitmap();
  void UpdateScrollBars();
  void SetStatus(const std::wstring& text);
  // The bitmap position of a client point, clamped to 0 (the window's margin
  // and a captured mouse outside it give negative values).
  std::pair<std::uint32_t, std::uint32_t> BitmapPosition(int x, int y) const;
  POINT ScreenPosition(std::pair<std::uint32_t, std::uint32_t> corner) const;
  int NearCorner(int x, int y) const;  // the last corner within reach, -1 none
  int MarkNumber(std::size_t corner) const;
  RoundObject* Object() const { return handler_ ? handler_->Current() : nullptr; }

  void DrawMarks(HDC dc, int width, int height);

  HWND status_ = nullptr;
  mwWinAPI::GdiObject<HPEN> pen_;
  mwWinAPI::GdiObject<HBRUSH> brush_;
  mwWinAPI::GdiObject<HFONT> font_;  // the numbers' and the status line's
  mwWinAPI::GdiObject<HBITMAP> bitmap_;
  TextureMetrics metrics_ = TextureMetricsFor(96);
  std::shared_ptr<const Image> image_;
  int bitmapWidth_ = 0;
  int bitmapHeight_ = 0;
  RoundObjectHandler* handler_ = nullptr;
  views::Selection selection_ = views::Selection::None();
  std::vector<std::pair<std::uint32_t, std::uint32_t>> corners_;
  float zoom_ = 1.0f;
  int scrollX_ = 0;
  int scrollY_ = 0;
  int maxScrollX_ = 0;
  int maxScrollY_ = 0;
  int dragged_ = -1;
  POINT last_{0, 0};
  bool firstMove_ = true;
  bool rightZoomArmed_ = true;
  bool tracking_ = false;
  std::wstring sizeSuffix_;
  std::wstring statusText_ = L"xxx";
};

}  // namespace orbiform
