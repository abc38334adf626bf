// Timing of the 3D view under Wine: the refresh of the largest object
// (geometry builds and uploads, label sources) and frames with every display
// flag on, as medians of repeated runs. Needs a display (Xvfb will do).
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/BenchObjects.h"
#include "views/RenderView.h"
#include "views/ViewGeometry.h"
#include "views/ViewIds.h"
#include "views/ViewPane.h"

#include "bench/Median.h"

using namespace orbiform;
using orbiform::bench::MedianMilliseconds;
using namespace orbiform::views;

namespace {

// A 256 x 256 24-bit bitmap with a checker pattern, as the object's texture.
std::wstring WriteTexture() {
  wchar_t folder[MAX_PATH];
  ::GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + L"view_timing.bmp";
  const int side = 256, row = side * 3;
  std::string data = "BM";
  const auto put = [&](std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) data.push_back(static_cast<char>(v >> (8 * i)));
  };
  put(54 + row * side, 4);
  put(0, 4);
  put(54, 4);
  put(40, 4);
  put(side, 4);
  put(side, 4);
  put(1, 2);
  put(24, 2);
  for (int i = 0; i < 6; ++i) put(0, 4);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) put(((x / 32 + y / 32) % 2) ? 0x2060C0 : 0xE0E0E0, 3);
  std::ofstream(path.c_str(), std::ios::binary) << data;
  return path;
}

// The view itself for 5000 points as `points` per ring: a refresh and its
// frames with each set of flags. False without a device.
bool TimeView(HWND window, const std::wstring& texture, unsigned points) {
  auto object = BuildLargest(points, 0);
  object->SetTexture(texture);
  object->ApplyTextures();
  RenderView view;
  if (!view.InitView(window, texture)) {
    std::puts("no Direct3D 9 device");
    return false;
  }
  std::vector<Point> outline;
  std::vector<TexturedPoint> faces, layer;
  Indices outlineIndices, faceIndices, layerIndices;
  bool ok = true;
  const double refresh = MedianMilliseconds([&] {
    ok = BuildOutline(*object, outline, outlineIndices) && view.SetOutlineGeometry(outline, outlineIndices) &&
         ok;
    view.RebuildLabels(PointLabelSources(*object));
    ok = BuildFaces(*object, faces, faceIndices) && view.SetFaceGeometry(faces, faceIndices) && ok;
  });
  ok = BuildLayerFaces(*object, 0, layer, layerIndices) && view.SetSelectionGeometry(layer, layerIndices) &&
       ok;
  if (!ok) std::puts("a build or upload failed");

  Camera camera;
  camera.distance = 30;
  view.SetDisplayFlags(kShowFaces | kShowOutline | kShowSelection);
  const double plain = MedianMilliseconds([&] {
    camera.rotationY += 0.01f;
    view.RenderScene(camera);
  });
  view.SetDisplayFlags(kShowNumbers | kShowFaces | kShowOutline | kShowSelection);
  const auto first = std::chrono::steady_clock::now();
  view.RenderScene(camera);  // makes the digit meshes and composes the labels
  const double firstNumbers =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - first).count();
  const double all = MedianMilliseconds([&] {
    camera.rotationY += 0.01f;
    view.RenderScene(camera);
  });
  const double still = MedianMilliseconds([&] { view.RenderScene(camera); });
  // A refresh while numbers are shown composes the labels anew in the next frame.
  const double recomposed = MedianMilliseconds([&] {
    view.RebuildLabels(PointLabelSources(*object));
    view.RenderScene(camera);
  });
  const auto row = [points](const char* what, double ms) {
    std::printf("%4u x %-4u %-36s%10.2f\n", points, kMaxObjectPoints / points, what, ms);
  };
  row("refresh (builds, uploads, labels)", refresh);
  row("frame, faces+outline+selection", plain);
  row("first frame with numbers", firstNumbers);
  row("frame, every flag, rotating", all);
  row("frame, every flag, still", still);
  row("new labels and a frame, every flag", recomposed);
  return true;
}

// The editor's path: the 3D pane's RefreshView (builds, uploads, labels and
// the selected layer) and its frames with every toolbar toggle pressed.
// False without a device.
bool TimePane(HINSTANCE instance, HWND window, const std::wstring& texture) {
  auto object = BuildLargest(100, 0);
  object->SetTexture(texture);
  object->ApplyTextures();
  views::ViewPane pane;
  pane.CreatePane(instance, window, 0, 0, 780, 560);
  pane.SetObjectSource([&object] { return object.get(); });
  if (!pane.NewView(texture)) {
    std::puts("no Direct3D 9 device");
    return false;
  }
  for (int id = IDM_VIEW_SHOW_NUMBERS; id <= IDM_VIEW_SHOW_SELECTED_FACE; ++id)
    ::SendMessageW(pane.Toolbar(), TB_CHECKBUTTON, static_cast<WPARAM>(id), TRUE);
  pane.ApplySelection(Selection::Layer(0));  // the wrap layer over everything
  const double refresh = MedianMilliseconds([&] { pane.RefreshView(); });
  pane.CameraState().distance = 30;
  pane.Render();  // the first frame with numbers makes the digit meshes
  const double frame = MedianMilliseconds([&] {
    pane.CameraState().rotationY += 0.01f;
    pane.Render();
  });
  std::printf(" 100 x 50   pane RefreshView, every flag         %10.2f\n", refresh);
  std::printf(" 100 x 50   pane frame, every flag, rotating     %10.2f\n", frame);
  return true;
}

void TimeDigitMeshes() {
  std::array<GlyphMesh, 10> digits;
  const double meshes = MedianMilliseconds([&] { MakeDigitMeshes(digits); }, 5);
  std::size_t capVertices = 0;
  for (const GlyphMesh& d : digits) capVertices += d.capVertexCount;
  std::printf("ten digit meshes (%zu outline points)          %10.2f\n", capVertices, meshes);
}

}  // namespace

int main() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"ViewTiming";
  ::RegisterClassW(&wc);
  HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"timing", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800,
                                  600, nullptr, nullptr, wc.hInstance, nullptr);
  const std::wstring texture = WriteTexture();

  std::printf("%-46s %10s\n", "5000 points, 3D view", "median ms");
  for (const unsigned points : {10u, 100u, 1000u})
    if (!TimeView(window, texture, points)) return 1;
  if (!TimePane(wc.hInstance, window, texture)) return 1;
  TimeDigitMeshes();
  ::DestroyWindow(window);
  ::DeleteFileW(texture.c_str());
  return 0;
}
