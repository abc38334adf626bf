#pragma once
// The 3D view's Direct3D 9 scene: the device, three buffer slots (faces,
// outline, selected face or layer), the face texture and the point numbers,
// one frame at a time, and the rebuild of all of it after a lost device from
// the copies kept here. Only the user-interface thread uses it. Nothing here
// throws except std::bad_alloc.
#include <windows.h>

#include <d3d9.h>
#include <wrl/client.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "geometry/RoundObject.h"
#include "views/Camera.h"
#include "views/TextMesh.h"
#include "views/ViewGeometry.h"

namespace orbiform::views {

template <typename T>
using ComRef = Microsoft::WRL::ComPtr<T>;

// Vertex formats of the slots: faces and selection 32 bytes (TexturedPoint),
// outline 24 bytes.
constexpr DWORD kTexturedFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
constexpr DWORD kPlainFvf = D3DFVF_XYZ | D3DFVF_NORMAL;
struct PlainVertex {
  float x, y, z, nx, ny, nz;
};
static_assert(sizeof(PlainVertex) == 24, "PlainVertex must match the 24-byte vertex format");

// Composed labels: position and two texture coordinate sets.
constexpr DWORD kLabelFvf = D3DFVF_XYZ | D3DFVF_TEX2;
static_assert(sizeof(LabelVertex) == 28, "LabelVertex must match kLabelFvf");

constexpr D3DCOLOR kBackground = 0xFF0000FF;  // opaque blue

// One point number: its text and the point it stands at.
struct LabelSource {
  std::wstring text;
  Point point;
};

// One label per point of the object, ring after ring: the point's number
// counted from 1 (ring * N + point + 1) at its position.
std::vector<LabelSource> PointLabelSources(const RoundObject& object);

// Shows a device-creation failure to the user: owner window and text.
using DeviceMessage = std::function<void(HWND owner, const wchar_t* text)>;
// The message box the editor shows (no caption, OK button).
void ShowDeviceMessage(HWND owner, const wchar_t* text);

// The name shown for a device-creation failure, or null for a code that is
// not reported to the user.
const wchar_t* DeviceErrorName(HRESULT code);

// Calls `create` with hardware vertex processing and, when that fails, once
// more with software vertex processing; returns the last result.
HRESULT CreateWithFallback(const std::function<HRESULT(DWORD behaviour)>& create);

// The ten digit meshes of the label font, made from the glyph outlines of
// the system's font. False when the font or an outline cannot be had.
bool MakeDigitMeshes(std::array<GlyphMesh, 10>& digits);

class RenderView {
 public:
  struct Slot {
    ComRef<IDirect3DVertexBuffer9> vertices;
    ComRef<IDirect3DIndexBuffer9> indices;
    UINT vertexCount = 0;
    UINT indexCount = 0;
  };

  RenderView();
  ~RenderView();
  RenderView(const RenderView&) = delete;
  RenderView& operator=(const RenderView&) = delete;

  // Stores the path and window, creates the device and loads the texture (a
  // texture that fails to load is ignored). True when the device exists.
  bool InitView(HWND window, const std::wstring& texturePath);

  // Direct3D object and device for `window` with the fixed render states;
  // hardware vertex processing first, then software. A failure with a code
  // DeviceErrorName knows is shown through `message`. Returns S_OK or E_FAIL.
  HRESULT CreateDeviceAndStates(HWND window, const DeviceMessage& message = ShowDeviceMessage);

  // Keep a copy for the recovery (not the selection) and upload into the
  // slot. No vertices: the slot is emptied, true. A failed buffer creation,
  // lock, or an index beyond the vertices leaves the slot empty and returns
  // false; the other slots keep drawing. Success makes the view ready.
  bool SetFaceGeometry(const std::vector<TexturedPoint>& vertices, const Indices& indices);
  bool SetOutlineGeometry(const std::vector<Point>& vertices, const Indices& indices);
  bool SetSelectionGeometry(const std::vector<TexturedPoint>& vertices, const Indices& indices);

  // Stores the path and makes the face texture from the bitmap file (mip
  // levels included). On failure the faces are drawn untextured.
  bool LoadTexture(const std::wstring& path);

  // Keeps the sources; the digit meshes are made when numbers are first
  // drawn on this device.
  void RebuildLabels(const std::vector<LabelSource>& sources);

  // Draws and presents one frame (the background alone while not ready); a
  // failed present rebuilds the
  // device and everything on it (Recover).
  void RenderScene(const Camera& camera);
  // The frame into the back buffer without presenting it; false without a
  // device. The frame covers FrameRect(), the client area's size.
  bool DrawFrame(const Camera& camera);
  const RECT& FrameRect() const { return frame_; }
  // Copies the whole back buffer out as rows of 0xRRGGBB (the last frame
  // before it is presented, which discards it). False without a device or
  // when the copy is refused.
  bool ReadBackBuffer(std::vector<std::uint32_t>& pixels, int& width, int& height) const;
  // Throws everything away and rebuilds device, faces, outline, texture
  // and labels from the kept copies; the selection stays empty. True when
  // the device and the face and outline uploads came back.
  bool Recover();
  void ReleaseAll();
  // Empties the scene for another object and keeps the device: no faces,
  // outline, selection, labels or texture; the label scale back at its
  // start. The buffers stay for reuse.
  void ClearScene();

  // Stored only when strictly inside (0.05, 1.0); returns whether it was.
  bool SetLabelScale(double scale);
  float LabelScale() const { return labelScale_; }
  int DisplayFlags() const { return displayFlags_; }
  void SetDisplayFlags(int flags) { displayFlags_ = flags; }

  bool Ready() const { return ready_; }
  IDirect3DDevice9* Device() const { return device_.Get(); }
  bool HasTexture() const { return texture_ != nullptr; }
  const Slot& Faces() const { return faces_; }
  const Slot& Outline() const { return outline_; }
  const Slot& Selection() const { return selection_; }
  std::size_t LabelMeshCount() const;  // digit meshes held (0 or 10)

 private:
  bool Fill(Slot& slot, const void* vertices, UINT vertexCount, UINT stride, DWORD fvf,
            const Indices& indices);
  void SetLightAndMaterial();
  void DrawSlot(const Slot& slot, UINT stride, DWORD fvf, D3DPRIMITIVETYPE type, UINT perPrimitive);
  void DrawLabels(const Camera& camera);
  bool PrepareLabels(bool reversed);
  bool MakeDigitAtlas();

  ComRef<IDirect3D9> d3d_;
  ComRef<IDirect3DDevice9> device_;
  Slot faces_;
  ComRef<IDirect3DTexture9> texture_;
  Slot outline_;
  Slot selection_;
  bool ready_ = false;
  float labelScale_ = kInitialLabelScale;
  std::vector<Point> keptOutline_;
  std::vector<TexturedPoint> keptFaces_;
  Indices keptFaceIndices_;
  Indices keptOutlineIndices_;
  std::wstring texturePath_;
  std::vector<LabelSource> labelSources_;
  HWND window_ = nullptr;
  RECT backBuffer_{};  // the whole back buffer (the screen's size)
  RECT frame_{};       // the part the last frame used
  int displayFlags_ = kInitialDisplayFlags;

  // Labels: digit meshes and their pictures per device, composed into one batch.
  std::unique_ptr<std::array<GlyphMesh, 10>> digits_;
  ComRef<IDirect3DTexture9> digitAtlas_;
  std::array<LabelShape, 10> digitShapes_;
  LabelBatch batch_;
  bool batchValid_ = false;
  bool batchReversed_ = false;
  std::vector<Vector3> labelPoints_;
  std::vector<Vec3> anchors_;
  ComRef<IDirect3DVertexBuffer9> labelVertices_;
  ComRef<IDirect3DIndexBuffer9> labelIndices_;
  bool labelVerticesCurrent_ = false;
  Camera labelCamera_;
  float labelCameraScale_ = 0;
};

}  // namespace orbiform::views
