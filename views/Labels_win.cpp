// The point numbers on Windows: digit outlines from the font through GDI,
// triangulated by the system's tessellator (glu32), and the composed labels
// drawn as a few large batches.
#include <windows.h>

#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "views/RenderView.h"

namespace orbiform::views {

namespace {

// Flattening tolerance and extrusion depth of the label text, in em units.
constexpr float kDeviation = 0.001f;
constexpr float kExtrusion = 0.4f;

float FromFixed(const FIXED& f) { return static_cast<float>(f.value) + f.fract / 65536.0f; }
Vec2 ToVec(const POINTFX& p, float em) { return {FromFixed(p.x) / em, FromFixed(p.y) / em}; }

void FlattenCubic(Vec2 p0, Vec2 p1, Vec2 p2, Vec2 p3, Contour& out) {
  const auto norm = [](float x, float y) { return std::sqrt(x * x + y * y); };
  const float bend = std::max(norm(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y),
                              norm(p1.x - 2 * p2.x + p3.x, p1.y - 2 * p2.y + p3.y));
  const int steps =
      std::max(1, std::min(1000, static_cast<int>(std::ceil(std::sqrt(0.75f * bend / kDeviation)))));
  for (int i = 1; i <= steps; ++i) {
    const float t = static_cast<float>(i) / steps, s = 1 - t;
    out.push_back({s * s * s * p0.x + 3 * s * s * t * p1.x + 3 * s * t * t * p2.x + t * t * t * p3.x,
                   s * s * s * p0.y + 3 * s * s * t * p1.y + 3 * s * t * t * p2.y + t * t * t * p3.y});
  }
}

// The contours of a native glyph outline buffer (lines, quadratic and cubic
// splines), flattened; every size is checked against the buffer.
std::vector<Contour> ParseOutline(const std::vector<BYTE>& data, float em) {
  std::vector<Contour> contours;
  std::size_t at = 0;
  while (at + sizeof(TTPOLYGONHEADER) <= data.size()) {
    TTPOLYGONHEADER header;
    std::memcpy(&header, data.data() + at, sizeof header);
    if (header.cb < sizeof header || header.cb > data.size() - at) break;
    const std::size_t end = at + header.cb;
    Contour contour{ToVec(header.pfxStart, em)};
    std::size_t c = at + sizeof header;
    while (c + 4 <= end) {
      WORD type, count;
      std::memcpy(&type, data.data() + c, 2);
      std::memcpy(&count, data.data() + c + 2, 2);
      const std::size_t pointsAt = c + 4;
      if (count == 0 || pointsAt + count * sizeof(POINTFX) > end) break;
      std::vector<Vec2> pts(count);
      for (WORD i = 0; i < count; ++i) {
        POINTFX p;
        std::memcpy(&p, data.data() + pointsAt + i * sizeof(POINTFX), sizeof p);
        pts[i] = ToVec(p, em);
      }
      if (type == TT_PRIM_LINE) {
        contour.insert(contour.end(), pts.begin(), pts.end());
      } else if (type == TT_PRIM_QSPLINE) {
        // Control points with implied on-curve points halfway between them.
        Vec2 from = contour.back();
        for (WORD i = 0; i + 1 < count; ++i) {
          const Vec2 to =
              i + 2 < count ? Vec2{(pts[i].x + pts[i + 1].x) / 2, (pts[i].y + pts[i + 1].y) / 2} : pts[i + 1];
          FlattenQuadratic(from, pts[i], to, kDeviation, contour);
          from = to;
        }
      } else if (type == TT_PRIM_CSPLINE) {
        for (WORD i = 0; i + 2 < count; i += 3)
          FlattenCubic(contour.back(), pts[i], pts[i + 1], pts[i + 2], contour);
      }
      c = pointsAt + count * sizeof(POINTFX);
    }
    // Closed implicitly: drop a repeated start and repeated neighbours.
    Contour clean;
    for (const Vec2& p : contour)
      if (clean.empty() || p.x != clean.back().x || p.y != clean.back().y) clean.push_back(p);
    while (clean.size() > 1 && clean.back().x == clean.front().x && clean.back().y == clean.front().y)
      clean.pop_back();
    if (clean.size() >= 3) contours.push_back(std::move(clean));
    at = end;
  }
  return contours;
}

struct TessState {
  std::vector<std::uint16_t> triangles;
  bool failed = false;
};

void CALLBACK TessVertex(void* vertex, void* state) {
  static_cast<TessState*>(state)->triangles.push_back(
      static_cast<std::uint16_t>(reinterpret_cast<std::uintptr_t>(vertex)));
}
void CALLBACK TessEdgeFlag(GLboolean) {}  // its presence makes glu emit plain triangles
void CALLBACK TessError(GLenum, void* state) { static_cast<TessState*>(state)->failed = true; }
// Crossing outlines would need new points; digits have none, so the
// heaviest existing point stands in.
void CALLBACK TessCombine(GLdouble[3], void* data[4], GLfloat weight[4], void** out, void*) {
  int best = 0;
  for (int i = 1; i < 4; ++i)
    if (data[i] && weight[i] > weight[best]) best = i;
  *out = data[best];
}

bool Triangulate(const std::vector<Contour>& contours, std::vector<std::uint16_t>& triangles) {
  GLUtesselator* tess = ::gluNewTess();
  if (!tess) return false;
  TessState state;
  using Callback = void(CALLBACK*)();
  ::gluTessCallback(tess, GLU_TESS_VERTEX_DATA, reinterpret_cast<Callback>(&TessVertex));
  ::gluTessCallback(tess, GLU_TESS_EDGE_FLAG, reinterpret_cast<Callback>(&TessEdgeFlag));
  ::gluTessCallback(tess, GLU_TESS_ERROR_DATA, reinterpret_cast<Callback>(&TessError));
  ::gluTessCallback(tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<Callback>(&TessCombine));
  ::gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
  ::gluTessNormal(tess, 0, 0, 1);
  std::vector<GLdouble> coords;
  std::size_t total = 0;
  for (const Contour& c : contours) total += c.size();
  coords.reserve(total * 3);  // glu keeps pointers into it until the end
  ::gluTessBeginPolygon(tess, &state);
  std::uintptr_t index = 0;
  for (const Contour& c : contours) {
    ::gluTessBeginContour(tess);
    for (const Vec2& p : c) {
      coords.insert(coords.end(), {p.x, p.y, 0.0});
      ::gluTessVertex(tess, &coords[coords.size() - 3], reinterpret_cast<void*>(index++));
    }
    ::gluTessEndContour(tess);
  }
  ::gluTessEndPolygon(tess);
  ::gluDeleteTess(tess);
  triangles = std::move(state.triangles);
  return !state.failed && triangles.size() % 3 == 0;
}

struct DcHolder {
  HDC dc = ::CreateCompatibleDC(nullptr);
  ~DcHolder() {
    if (dc) ::DeleteDC(dc);
  }
};

struct FontHolder {
  HFONT font;
  ~FontHolder() {
    if (font) ::DeleteObject(font);
  }
};

HFONT LabelFont(int height) {
  return ::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial");
}

}  // namespace

bool MakeDigitMeshes(std::array<GlyphMesh, 10>& digits) {
  DcHolder dc;
  if (!dc.dc) return false;
  // The outlines are read at the font's design size, so that em units come
  // out exact and the result does not depend on the screen.
  FontHolder probe{LabelFont(0)};
  if (!probe.font) return false;
  HGDIOBJ old = ::SelectObject(dc.dc, probe.font);
  OUTLINETEXTMETRICW metrics{};
  metrics.otmSize = sizeof metrics;
  const bool haveMetrics = ::GetOutlineTextMetricsW(dc.dc, sizeof metrics, &metrics) != 0;
  ::SelectObject(dc.dc, old);
  if (!haveMetrics || metrics.otmEMSquare == 0) return false;
  const int emUnits = static_cast<int>(metrics.otmEMSquare);
  FontHolder font{LabelFont(-emUnits)};
  if (!font.font) return false;
  old = ::SelectObject(dc.dc, font.font);
  const float em = static_cast<float>(emUnits);
  const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  bool all = true;
  for (int d = 0; d < 10; ++d) {
    const UINT ch = L'0' + d;
    GLYPHMETRICS gm{};
    const DWORD size = ::GetGlyphOutlineW(dc.dc, ch, GGO_NATIVE | GGO_UNHINTED, &gm, 0, nullptr, &identity);
    if (size == GDI_ERROR || size == 0) {
      all = false;
      continue;
    }
    std::vector<BYTE> data(size);
    if (::GetGlyphOutlineW(dc.dc, ch, GGO_NATIVE | GGO_UNHINTED, &gm, size, data.data(), &identity) ==
        GDI_ERROR) {
      all = false;
      continue;
    }
    const std::vector<Contour> contours = ParseOutline(data, em);
    std::vector<std::uint16_t> triangles;
    if (!Triangulate(contours, triangles)) {
      all = false;
      continue;
    }
    digits[d] = ExtrudeGlyph(contours, triangles, kExtrusion, gm.gmCellIncX / em);
    all = all && !digits[d].vertices.empty();
  }
  ::SelectObject(dc.dc, old);
  return all;
}

namespace {

constexpr UINT kCellHeight = 128;
constexpr float kAtlasMargin = 0.02f;

// The atlas's layout: the bounds of all digits (em) with a margin, so that
// one cell size fits all; ten cells side by side, kCellHeight high.
struct DigitCells {
  float left = 0, bottom = 0, right = 0, top = 0;
  UINT cellWidth = 0;
  UINT atlasWidth = 1;
};

// False when the digits have no extent.
bool LayOutCells(const std::array<GlyphMesh, 10>& digits, DigitCells& cells) {
  float left = 0, bottom = 0, right = 0, top = 0;
  bool any = false;
  for (const GlyphMesh& m : digits)
    for (const MeshVertex& v : m.vertices) {
      left = any ? std::min(left, v.x) : v.x;
      right = any ? std::max(right, v.x) : v.x;
      bottom = any ? std::min(bottom, v.y) : v.y;
      top = any ? std::max(top, v.y) : v.y;
      any = true;
    }
  if (!any || right <= left || top <= bottom) return false;
  cells.left = left - kAtlasMargin;
  cells.bottom = bottom - kAtlasMargin;
  cells.right = right + kAtlasMargin;
  cells.top = top + kAtlasMargin;
  cells.cellWidth =
      static_cast<UINT>(std::ceil(kCellHeight * (cells.right - cells.left) / (cells.top - cells.bottom)));
  cells.atlasWidth = 1;
  while (cells.atlasWidth < cells.cellWidth * 10) cells.atlasWidth <<= 1;
  return true;
}

// Draws each digit's mesh seen from the front into its cell of `target`,
// its bounds filling the cell; the device's target, depth surface, viewport
// and states are put back. False when the scene could not begin.
bool DrawDigitCells(IDirect3DDevice9& device, IDirect3DSurface9* target,
                    const std::array<GlyphMesh, 10>& digits, const DigitCells& cells) {
  ComRef<IDirect3DSurface9> oldTarget, oldDepth;
  if (FAILED(device.GetRenderTarget(0, oldTarget.GetAddressOf()))) return false;
  device.GetDepthStencilSurface(oldDepth.GetAddressOf());
  D3DVIEWPORT9 oldViewport{};
  device.GetViewport(&oldViewport);
  device.SetRenderTarget(0, target);
  device.SetDepthStencilSurface(nullptr);
  device.SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  device.SetRenderState(D3DRS_LIGHTING, FALSE);
  device.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device.SetTexture(0, nullptr);
  // Transparent white, so that filtered edges stay white.
  device.Clear(0, nullptr, D3DCLEAR_TARGET, 0x00FFFFFF, 1.0f, 0);
  bool drawn = false;
  if (SUCCEEDED(device.BeginScene())) {
    const D3DMATRIX identity = {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}};
    D3DMATRIX ortho = identity;
    ortho._11 = 2 / (cells.right - cells.left);
    ortho._22 = 2 / (cells.top - cells.bottom);
    ortho._33 = 0.5f;
    ortho._41 = (cells.left + cells.right) / (cells.left - cells.right);
    ortho._42 = (cells.top + cells.bottom) / (cells.bottom - cells.top);
    ortho._43 = 0.5f;
    device.SetTransform(D3DTS_WORLD, &identity);
    device.SetTransform(D3DTS_VIEW, &identity);
    device.SetTransform(D3DTS_PROJECTION, &ortho);
    device.SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL);
    for (UINT d = 0; d < 10; ++d) {
      const GlyphMesh& m = digits[d];
      const D3DVIEWPORT9 cell{d * cells.cellWidth, 0, cells.cellWidth, kCellHeight, 0, 1};
      device.SetViewport(&cell);
      if (!m.indices.empty())
        device.DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(m.vertices.size()),
                                      static_cast<UINT>(m.indices.size() / 3), m.indices.data(),
                                      D3DFMT_INDEX16, m.vertices.data(), sizeof(MeshVertex));
    }
    device.EndScene();
    drawn = true;
  }
  device.SetRenderTarget(0, oldTarget.Get());
  device.SetDepthStencilSurface(oldDepth.Get());
  device.SetViewport(&oldViewport);
  device.SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  device.SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  return drawn;
}

// Digit d's quad: it covers only its own digit (less to fill), cut from
// its cell.
LabelShape DigitShape(const GlyphMesh& m, int d, const DigitCells& cells) {
  if (m.vertices.empty()) return LabelShape{{}, {}, {}, m.advance};
  float l = m.vertices[0].x, r = l, b = m.vertices[0].y, t = b;
  for (const MeshVertex& v : m.vertices) {
    l = std::min(l, v.x);
    r = std::max(r, v.x);
    b = std::min(b, v.y);
    t = std::max(t, v.y);
  }
  l = std::max(cells.left, l - kAtlasMargin);
  r = std::min(cells.right, r + kAtlasMargin);
  b = std::max(cells.bottom, b - kAtlasMargin);
  t = std::min(cells.top, t + kAtlasMargin);
  const auto u = [&](float x) {
    return (d * cells.cellWidth + (x - cells.left) / (cells.right - cells.left) * cells.cellWidth) /
           static_cast<float>(cells.atlasWidth);
  };
  const auto v = [&](float y) { return (cells.top - y) / (cells.top - cells.bottom); };
  return QuadShape(l, b, r, t, {u(l), v(t)}, {u(r), v(b)}, m.advance);
}

}  // namespace

bool RenderView::MakeDigitAtlas() {
  DigitCells cells;
  if (!LayOutCells(*digits_, cells)) return false;
  ComRef<IDirect3DTexture9> atlas;
  ComRef<IDirect3DSurface9> target;
  if (FAILED(device_->CreateTexture(cells.atlasWidth, kCellHeight, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                    D3DPOOL_DEFAULT, atlas.GetAddressOf(), nullptr)) ||
      FAILED(atlas->GetSurfaceLevel(0, target.GetAddressOf())) ||
      !DrawDigitCells(*device_.Get(), target.Get(), *digits_, cells))
    return false;
  for (int d = 0; d < 10; ++d) digitShapes_[d] = DigitShape((*digits_)[d], d, cells);
  digitAtlas_ = atlas;
  return true;
}

bool RenderView::PrepareLabels(bool reversed) {
  if (!device_) return false;
  if (!digits_) {
    digits_ = std::make_unique<std::array<GlyphMesh, 10>>();
    MakeDigitMeshes(*digits_);  // a digit that failed stays empty: the others still show
    digitAtlas_.Reset();
    batchValid_ = false;
    if (!MakeDigitAtlas()) return false;
  }
  if (!digitAtlas_) return false;
  if (batchValid_ && batchReversed_ == reversed) return labelVertices_ && labelIndices_;

  std::vector<std::wstring> texts;
  texts.reserve(labelSources_.size());
  for (const LabelSource& s : labelSources_) texts.push_back(s.text);
  batch_.Compose(digitShapes_, texts, reversed);
  batchValid_ = true;
  batchReversed_ = reversed;
  labelVerticesCurrent_ = false;
  labelVertices_.Reset();
  labelIndices_.Reset();
  if (batch_.VertexCount() == 0 || batch_.Indices().empty()) return false;

  const UINT vertexBytes = static_cast<UINT>(batch_.VertexCount() * sizeof(LabelVertex));
  const UINT indexBytes = static_cast<UINT>(batch_.Indices().size() * sizeof(std::uint16_t));
  if (FAILED(device_->CreateVertexBuffer(vertexBytes, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kLabelFvf,
                                         D3DPOOL_DEFAULT, labelVertices_.GetAddressOf(), nullptr)) ||
      FAILED(device_->CreateIndexBuffer(indexBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_DEFAULT,
                                        labelIndices_.GetAddressOf(), nullptr))) {
    labelVertices_.Reset();
    labelIndices_.Reset();
    return false;
  }
  void* target = nullptr;
  if (FAILED(labelIndices_->Lock(0, indexBytes, &target, 0)) || !target) {
    labelIndices_.Reset();
    return false;
  }
  std::memcpy(target, batch_.Indices().data(), indexBytes);
  labelIndices_->Unlock();
  return true;
}

void RenderView::DrawLabels(const Camera& camera) {
  if (!labelVertices_ || !labelIndices_ || !digitAtlas_) return;
  const bool moved = camera.rotationX != labelCamera_.rotationX ||
                     camera.rotationY != labelCamera_.rotationY ||
                     camera.rotationZ != labelCamera_.rotationZ || labelScale_ != labelCameraScale_;
  if (!labelVerticesCurrent_ || moved) {
    const Matrix world = WorldMatrix(camera);
    anchors_.resize(labelPoints_.size());
    for (std::size_t i = 0; i < labelPoints_.size(); ++i) {
      const Vector3 a = TransformCoord(labelPoints_[i], world);
      anchors_[i] = {a.x, a.y, a.z};
    }
    void* target = nullptr;
    const UINT bytes = static_cast<UINT>(batch_.VertexCount() * sizeof(LabelVertex));
    if (FAILED(labelVertices_->Lock(0, bytes, &target, D3DLOCK_DISCARD)) || !target) return;
    batch_.WriteVertices(anchors_, labelScale_, static_cast<LabelVertex*>(target));
    labelVertices_->Unlock();
    labelVerticesCurrent_ = true;
    labelCamera_ = camera;
    labelCameraScale_ = labelScale_;
  }
  const D3DMATRIX identity = {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}};
  device_->SetTransform(D3DTS_WORLD, &identity);

  // Stage 0 cuts the digit out of its picture; stage 1 gives it the colour
  // an untextured mesh drawn with the face texture bound has (the texture at
  // coordinate (0, 0)), or leaves it white without a texture.
  device_->SetTexture(0, digitAtlas_.Get());
  device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  if (texture_) {
    device_->SetTexture(1, texture_.Get());
    device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device_->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device_->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device_->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device_->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
  }
  device_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  device_->SetRenderState(D3DRS_ALPHAREF, 0x80);
  device_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);

  device_->SetIndices(labelIndices_.Get());
  device_->SetStreamSource(0, labelVertices_.Get(), 0, sizeof(LabelVertex));
  device_->SetFVF(kLabelFvf);
  for (const LabelBatch::Chunk& chunk : batch_.Chunks()) {
    if (chunk.indexCount < 3) continue;
    device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, static_cast<INT>(chunk.firstVertex), 0,
                                  static_cast<UINT>(chunk.vertexCount), static_cast<UINT>(chunk.firstIndex),
                                  static_cast<UINT>(chunk.indexCount / 3));
  }

  // Back to the states the faces are drawn with.
  device_->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  device_->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  device_->SetTexture(1, nullptr);
  device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
  device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
  device_->SetTexture(0, texture_.Get());
}

}  // namespace orbiform::views
