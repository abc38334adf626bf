// The Direct3D 9 side of the 3D view: device, buffer slots, texture, frame
// and recovery.
#include "views/RenderView.h"

#include <algorithm>
#include <cstring>

#include "files/Bitmap.h"

namespace orbiform::views {

namespace {

// The SDK version the device interfaces were written against.
constexpr UINT kSdkVersion = 31;

// Slots are rewritten whole on every refresh: dynamic buffers locked with
// "discard" let the driver hand out fresh memory instead of waiting until the
// last frame has finished with the old contents.
constexpr DWORD kSlotUsage = D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC;

D3DCOLORVALUE Colour(float r, float g, float b, float a) { return D3DCOLORVALUE{r, g, b, a}; }

D3DMATRIX ToD3D(const Matrix& m) {
  D3DMATRIX out;
  std::memcpy(&out, &m, sizeof out);
  return out;
}

LONG ClientWidth(const RECT& r) { return r.right - r.left; }
LONG ClientHeight(const RECT& r) { return r.bottom - r.top; }

bool Upload(IDirect3DVertexBuffer9* buffer, const void* data, UINT bytes) {
  void* target = nullptr;
  if (FAILED(buffer->Lock(0, bytes, &target, D3DLOCK_DISCARD)) || !target) return false;
  std::memcpy(target, data, bytes);
  return SUCCEEDED(buffer->Unlock());
}

bool Upload(IDirect3DIndexBuffer9* buffer, const void* data, UINT bytes) {
  void* target = nullptr;
  if (FAILED(buffer->Lock(0, bytes, &target, D3DLOCK_DISCARD)) || !target) return false;
  std::memcpy(target, data, bytes);
  return SUCCEEDED(buffer->Unlock());
}

// Whether the texture sides must be powers of two on this device.
bool NeedsPowerOfTwo(IDirect3DDevice9* device) {
  D3DCAPS9 caps{};
  if (FAILED(device->GetDeviceCaps(&caps))) return true;
  return (caps.TextureCaps & D3DPTEXTURECAPS_POW2) != 0;
}

int NextPowerOfTwo(int n) {
  int p = 1;
  while (p < n && p < (1 << 30)) p <<= 1;
  return p;
}

// Nearest-pixel resampling to another size, for devices that want powers of two.
Image Resample(const Image& image, int width, int height) {
  Image out;
  out.width = width;
  out.height = height;
  out.pixels.resize(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const int sy = static_cast<int>(static_cast<long long>(y) * image.height / height);
    for (int x = 0; x < width; ++x) {
      const int sx = static_cast<int>(static_cast<long long>(x) * image.width / width);
      out.pixels[static_cast<std::size_t>(y) * width + x] =
          image.pixels[static_cast<std::size_t>(sy) * image.width + sx];
    }
  }
  return out;
}

bool FillLevel(IDirect3DTexture9* texture, UINT level, const Image& image) {
  D3DLOCKED_RECT locked{};
  if (FAILED(texture->LockRect(level, &locked, nullptr, 0)) || !locked.pBits) return false;
  const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 4;
  for (int y = 0; y < image.height; ++y)
    std::memcpy(static_cast<BYTE*>(locked.pBits) + static_cast<std::size_t>(y) * locked.Pitch,
                image.pixels.data() + static_cast<std::size_t>(y) * image.width, rowBytes);
  return SUCCEEDED(texture->UnlockRect(level));
}

}  // namespace

std::vector<LabelSource> PointLabelSources(const RoundObject& object) {
  std::vector<LabelSource> sources;
  sources.reserve(object.PointCount());
  const std::size_t n = object.PointsPerRing();
  for (std::size_t r = 0; r < object.AreaCount(); ++r) {
    const Area& ring = object.Areas()[r];
    for (std::size_t p = 0; p < ring.PointCount(); ++p)
      sources.push_back({std::to_wstring(r * n + p + 1), ring.Points()[p]});
  }
  return sources;
}

void ShowDeviceMessage(HWND owner, const wchar_t* text) { ::MessageBoxW(owner, text, nullptr, MB_OK); }

const wchar_t* DeviceErrorName(HRESULT code) {
  switch (static_cast<DWORD>(code)) {
    case 0x8876017C:
      return L"D3DERR_OUTOFVIDEOMEMORY";
    case 0x88760868:
      return L"D3DERR_DEVICELOST";
    case 0x8876086A:
      return L"D3DERR_NOTAVAILABLE";
    case 0x8876086C:
      return L"D3DERR_INVALIDCALL";
    default:
      return nullptr;
  }
}

HRESULT CreateWithFallback(const std::function<HRESULT(DWORD behaviour)>& create) {
  const HRESULT hardware = create(D3DCREATE_HARDWARE_VERTEXPROCESSING);
  if (SUCCEEDED(hardware)) return hardware;
  return create(D3DCREATE_SOFTWARE_VERTEXPROCESSING);
}

RenderView::RenderView() = default;

RenderView::~RenderView() { ReleaseAll(); }

bool RenderView::InitView(HWND window, const std::wstring& texturePath) {
  texturePath_ = texturePath;
  window_ = window;
  if (FAILED(CreateDeviceAndStates(window))) return false;
  ready_ = false;
  LoadTexture(texturePath);
  return device_ != nullptr;
}

HRESULT RenderView::CreateDeviceAndStates(HWND window, const DeviceMessage& message) {
  window_ = window;
  device_.Reset();
  d3d_.Attach(::Direct3DCreate9(kSdkVersion));
  if (!d3d_) return E_FAIL;

  D3DPRESENT_PARAMETERS params{};
  params.BackBufferWidth = static_cast<UINT>(::GetSystemMetrics(SM_CXSCREEN));
  params.BackBufferHeight = static_cast<UINT>(::GetSystemMetrics(SM_CYSCREEN));
  params.BackBufferFormat = D3DFMT_UNKNOWN;
  // Copy, so that only the part of the back buffer the window shows is
  // drawn and presented (a screen-sized frame costs several times more).
  params.SwapEffect = D3DSWAPEFFECT_COPY;
  params.hDeviceWindow = window;
  params.Windowed = TRUE;
  params.EnableAutoDepthStencil = TRUE;
  params.AutoDepthStencilFormat = D3DFMT_D16;

  const HRESULT result = CreateWithFallback([&](DWORD behaviour) {
    D3DPRESENT_PARAMETERS tried = params;  // CreateDevice may rewrite them
    return d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, behaviour, &tried,
                              device_.ReleaseAndGetAddressOf());
  });
  if (FAILED(result) || !device_) {
    device_.Reset();
    if (const wchar_t* name = DeviceErrorName(result)) {
      if (message) message(window, name);
    }
    return E_FAIL;
  }
  backBuffer_ = {0, 0, static_cast<LONG>(params.BackBufferWidth), static_cast<LONG>(params.BackBufferHeight)};
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  device_->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, TRUE);
  device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  device_->SetRenderState(D3DRS_LIGHTING, TRUE);
  device_->SetRenderState(D3DRS_AMBIENT, 0x00202020);
  return S_OK;
}

bool RenderView::Fill(Slot& slot, const void* vertices, UINT vertexCount, UINT stride, DWORD fvf,
                      const Indices& indices) {
  slot.vertexCount = 0;
  slot.indexCount = 0;
  if (vertexCount == 0) return true;
  // An index beyond the vertices would make the device read outside the buffer.
  if (!device_ || vertexCount > 65536 ||
      std::any_of(indices.begin(), indices.end(), [&](std::uint16_t i) { return i >= vertexCount; }))
    return false;
  const UINT vertexBytes = vertexCount * stride;
  const UINT indexBytes = static_cast<UINT>(indices.size() * sizeof(std::uint16_t));

  D3DVERTEXBUFFER_DESC vd{};
  if (!slot.vertices || FAILED(slot.vertices->GetDesc(&vd)) || vd.Size < vertexBytes) {
    slot.vertices.Reset();
    if (FAILED(device_->CreateVertexBuffer(vertexBytes, kSlotUsage, fvf, D3DPOOL_DEFAULT,
                                           slot.vertices.GetAddressOf(), nullptr))) {
      slot.vertices.Reset();
      return false;
    }
  }
  if (indexBytes != 0) {
    D3DINDEXBUFFER_DESC id{};
    if (!slot.indices || FAILED(slot.indices->GetDesc(&id)) || id.Size < indexBytes) {
      slot.indices.Reset();
      if (FAILED(device_->CreateIndexBuffer(indexBytes, kSlotUsage, D3DFMT_INDEX16, D3DPOOL_DEFAULT,
                                            slot.indices.GetAddressOf(), nullptr))) {
        slot.indices.Reset();
        return false;
      }
    }
  }
  if (!Upload(slot.vertices.Get(), vertices, vertexBytes)) return false;
  if (indexBytes != 0 && !Upload(slot.indices.Get(), indices.data(), indexBytes)) return false;
  slot.vertexCount = vertexCount;
  slot.indexCount = static_cast<UINT>(indices.size());
  ready_ = true;
  return true;
}

bool RenderView::SetFaceGeometry(const std::vector<TexturedPoint>& vertices, const Indices& indices) {
  keptFaces_ = vertices;
  keptFaceIndices_ = indices;
  return Fill(faces_, vertices.data(), static_cast<UINT>(std::min<std::size_t>(vertices.size(), 65537)),
              sizeof(TexturedPoint), kTexturedFvf, indices);
}

bool RenderView::SetOutlineGeometry(const std::vector<Point>& vertices, const Indices& indices) {
  keptOutline_ = vertices;
  keptOutlineIndices_ = indices;
  std::vector<PlainVertex> plain;
  plain.reserve(vertices.size());
  for (const Point& p : vertices)
    plain.push_back({static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z),
                     static_cast<float>(p.nx), static_cast<float>(p.ny), static_cast<float>(p.nz)});
  return Fill(outline_, plain.data(), static_cast<UINT>(std::min<std::size_t>(plain.size(), 65537)),
              sizeof(PlainVertex), kPlainFvf, indices);
}

bool RenderView::SetSelectionGeometry(const std::vector<TexturedPoint>& vertices, const Indices& indices) {
  return Fill(selection_, vertices.data(), static_cast<UINT>(std::min<std::size_t>(vertices.size(), 65537)),
              sizeof(TexturedPoint), kTexturedFvf, indices);
}

bool RenderView::LoadTexture(const std::wstring& path) {
  texturePath_ = path;
  if (texture_ && device_) device_->SetTexture(0, nullptr);
  texture_.Reset();
  if (!device_) return false;
  // The texture window shows the same file: both use one decoded copy.
  const std::shared_ptr<const Image> shared = SharedBitmapImage(path);
  if (!shared) return false;
  Image image = *shared;

  D3DCAPS9 caps{};
  device_->GetDeviceCaps(&caps);
  const int maxWidth = caps.MaxTextureWidth ? static_cast<int>(caps.MaxTextureWidth) : 2048;
  const int maxHeight = caps.MaxTextureHeight ? static_cast<int>(caps.MaxTextureHeight) : 2048;
  if (NeedsPowerOfTwo(device_.Get())) {
    const int w = NextPowerOfTwo(image.width), h = NextPowerOfTwo(image.height);
    if (w != image.width || h != image.height) image = Resample(image, w, h);
  }
  while (image.width > maxWidth || image.height > maxHeight) image = HalveImage(image);

  UINT levels = 1;
  for (int w = image.width, h = image.height; w > 1 || h > 1; w = std::max(1, w / 2), h = std::max(1, h / 2))
    ++levels;
  ComRef<IDirect3DTexture9> texture;
  if (FAILED(device_->CreateTexture(static_cast<UINT>(image.width), static_cast<UINT>(image.height), levels,
                                    0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.GetAddressOf(), nullptr)))
    return false;
  for (UINT level = 0; level < levels; ++level) {
    if (level != 0) image = HalveImage(image);
    if (!FillLevel(texture.Get(), level, image)) return false;
  }
  texture_ = texture;
  return true;
}

void RenderView::RebuildLabels(const std::vector<LabelSource>& sources) {
  labelSources_ = sources;
  labelPoints_.clear();
  labelPoints_.reserve(sources.size());
  for (const LabelSource& s : sources)
    labelPoints_.push_back(
        {static_cast<float>(s.point.x), static_cast<float>(s.point.y), static_cast<float>(s.point.z)});
  batchValid_ = false;
  labelVerticesCurrent_ = false;
}

std::size_t RenderView::LabelMeshCount() const { return digits_ ? digits_->size() : 0; }

bool RenderView::SetLabelScale(double scale) {
  if (!IsLabelScaleAllowed(scale)) return false;
  labelScale_ = static_cast<float>(scale);
  return true;
}

void RenderView::SetLightAndMaterial() {
  D3DMATERIAL9 material{};
  material.Diffuse = Colour(1, 1, 1, 1);
  material.Ambient = Colour(1, 1, 1, 1);
  device_->SetMaterial(&material);

  D3DLIGHT9 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = Colour(1, 1, 1, 0);
  light.Ambient = Colour(0.2f, 0.2f, 0.2f, 0);
  const Vector3 direction = Normalize({0, 0, -1});
  light.Direction = D3DVECTOR{direction.x, direction.y, direction.z};
  light.Range = 1000.0f;
  device_->SetLight(0, &light);
  device_->LightEnable(0, TRUE);
}

void RenderView::DrawSlot(const Slot& slot, UINT stride, DWORD fvf, D3DPRIMITIVETYPE type,
                          UINT perPrimitive) {
  const UINT primitives = slot.indexCount / perPrimitive;
  if (slot.vertexCount == 0 || primitives == 0 || !slot.vertices || !slot.indices) return;
  device_->SetIndices(slot.indices.Get());
  device_->SetStreamSource(0, slot.vertices.Get(), 0, stride);
  device_->SetFVF(fvf);
  device_->DrawIndexedPrimitive(type, 0, 0, slot.vertexCount, 0, primitives);
}

void RenderView::RenderScene(const Camera& camera) {
  if (!DrawFrame(camera)) return;
  if (FAILED(device_->Present(&frame_, nullptr, nullptr, nullptr))) Recover();
}

bool RenderView::DrawFrame(const Camera& camera) {
  if (!device_) return false;
  // The frame takes the client area's size in the back buffer's top left.
  RECT client{};
  ::GetClientRect(window_, &client);
  frame_ = {0, 0, std::clamp(ClientWidth(client), 1L, backBuffer_.right),
            std::clamp(ClientHeight(client), 1L, backBuffer_.bottom)};
  const D3DVIEWPORT9 viewport{0, 0, static_cast<DWORD>(frame_.right), static_cast<DWORD>(frame_.bottom),
                              0, 1};
  device_->SetViewport(&viewport);
  // Without geometry (an object without rings) the view shows its background.
  device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
  // The digit pictures are drawn into a texture: before the frame's scene.
  const bool numbers = ready_ && (displayFlags_ & kShowNumbers) && PrepareLabels(camera.distance < 0);
  if (ready_ && SUCCEEDED(device_->BeginScene())) {
    SetLightAndMaterial();
    const D3DMATRIX world = ToD3D(WorldMatrix(camera));
    const D3DMATRIX view = ToD3D(ViewMatrix(camera));
    const D3DMATRIX projection = ToD3D(
        ProjectionMatrix(static_cast<int>(ClientWidth(client)), static_cast<int>(ClientHeight(client))));
    device_->SetTransform(D3DTS_WORLD, &world);
    device_->SetTransform(D3DTS_VIEW, &view);
    device_->SetTransform(D3DTS_PROJECTION, &projection);

    device_->SetTexture(0, texture_.Get());
    device_->SetRenderState(D3DRS_LIGHTING, TRUE);
    if (displayFlags_ & kShowFaces)
      DrawSlot(faces_, sizeof(TexturedPoint), kTexturedFvf, D3DPT_TRIANGLELIST, 3);
    if (displayFlags_ & kShowSelection)
      DrawSlot(selection_, sizeof(TexturedPoint), kTexturedFvf, D3DPT_TRIANGLELIST, 3);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    if (displayFlags_ & kShowOutline) DrawSlot(outline_, sizeof(PlainVertex), kPlainFvf, D3DPT_LINELIST, 2);
    if (numbers) DrawLabels(camera);
    device_->EndScene();
  }
  return true;
}

bool RenderView::ReadBackBuffer(std::vector<std::uint32_t>& pixels, int& width, int& height) const {
  ComRef<IDirect3DSurface9> back, copy;
  if (!device_ || FAILED(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.GetAddressOf())))
    return false;
  D3DSURFACE_DESC desc{};
  // The rows are read as 32-bit pixels: a 16-bit display's buffer would be
  // read beyond its end.
  if (FAILED(back->GetDesc(&desc)) || (desc.Format != D3DFMT_X8R8G8B8 && desc.Format != D3DFMT_A8R8G8B8) ||
      FAILED(device_->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM,
                                                  copy.GetAddressOf(), nullptr)) ||
      FAILED(device_->GetRenderTargetData(back.Get(), copy.Get())))
    return false;
  D3DLOCKED_RECT locked{};
  if (FAILED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY)) || !locked.pBits) return false;
  width = static_cast<int>(desc.Width);
  height = static_cast<int>(desc.Height);
  pixels.resize(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const BYTE*>(locked.pBits) +
                                                             static_cast<std::ptrdiff_t>(y) * locked.Pitch);
    for (int x = 0; x < width; ++x) pixels[static_cast<std::size_t>(y) * width + x] = row[x] & 0xFFFFFF;
  }
  copy->UnlockRect();
  return true;
}

bool RenderView::Recover() {
  ReleaseAll();
  faces_.vertexCount = outline_.vertexCount = selection_.vertexCount = 0;
  faces_.indexCount = outline_.indexCount = selection_.indexCount = 0;
  if (FAILED(CreateDeviceAndStates(window_))) return false;
  // The uploads replace the kept copies with themselves: take them first.
  const std::vector<TexturedPoint> faces = keptFaces_;
  const Indices faceIndices = keptFaceIndices_;
  const std::vector<Point> outline = keptOutline_;
  const Indices outlineIndices = keptOutlineIndices_;
  const bool facesBack = SetFaceGeometry(faces, faceIndices);
  const bool outlineBack = SetOutlineGeometry(outline, outlineIndices);
  LoadTexture(texturePath_);
  RebuildLabels(std::vector<LabelSource>(labelSources_));
  return facesBack && outlineBack;
}

void RenderView::ClearScene() {
  ready_ = false;
  if (texture_) {
    if (device_) device_->SetTexture(0, nullptr);
    texture_.Reset();
  }
  texturePath_.clear();
  for (Slot* slot : {&faces_, &selection_, &outline_}) slot->vertexCount = slot->indexCount = 0;
  keptFaces_.clear();
  keptFaceIndices_.clear();
  keptOutline_.clear();
  keptOutlineIndices_.clear();
  labelSources_.clear();
  batchValid_ = false;
  labelVerticesCurrent_ = false;
  labelScale_ = kInitialLabelScale;
}

void RenderView::ReleaseAll() {
  ready_ = false;
  if (texture_) {
    if (device_) device_->SetTexture(0, nullptr);
    texture_.Reset();
  }
  for (Slot* slot : {&faces_, &selection_, &outline_}) {
    slot->vertices.Reset();
    slot->indices.Reset();
  }
  labelVertices_.Reset();
  labelIndices_.Reset();
  digitAtlas_.Reset();
  digits_.reset();
  batchValid_ = false;
  labelVerticesCurrent_ = false;
  if (device_) {
    device_->SetStreamSource(0, nullptr, 0, 0);
    device_->SetIndices(nullptr);
    device_.Reset();
  }
  d3d_.Reset();
}

}  // namespace orbiform::views
