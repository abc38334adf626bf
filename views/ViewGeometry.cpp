// The 3D view's vertex and index lists. The launchers size every list
// first; the two workers of a large build then write disjoint ranges whose
// positions follow from the layout alone, so they need neither locks nor each
// other's results.
#include "views/ViewGeometry.h"

#include <cstdlib>
#include <memory>
#include <system_error>
#include <thread>
#include <utility>

namespace orbiform::views {

namespace {

constexpr std::size_t kMaxVertices = 65536;  // 16-bit indices

BusyHook busyHook = nullptr;

class BusyScope {
 public:
  BusyScope() {
    if (busyHook) busyHook(true);
  }
  ~BusyScope() {
    if (busyHook) busyHook(false);
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
};

// Runs two jobs on two threads and joins both before it goes away, also when
// the caller's own work in between throws. A thread that cannot be started
// runs its job on the calling thread instead.
class WorkerPair {
 public:
  template <class First, class Second>
  WorkerPair(First first, Second second) {
    Start(first_, std::move(first));
    Start(second_, std::move(second));
  }
  ~WorkerPair() { Join(); }
  WorkerPair(const WorkerPair&) = delete;
  WorkerPair& operator=(const WorkerPair&) = delete;

  void Join() {
    if (first_.joinable()) first_.join();
    if (second_.joinable()) second_.join();
  }

 private:
  template <class Job>
  static void Start(std::thread& thread, Job job) {
    try {
      thread = std::thread(job);
    } catch (const std::system_error&) {
      job();
    }
  }

  std::thread first_;
  std::thread second_;
};

// The object's rings and faces, checked once so that the workers can index
// without checks: every ring holds N points, the face list has the shape of
// R rings (caps of N corners, side quads of 4) and every corner's point
// index lies inside the object.
struct Shape {
  const std::vector<Area>* rings = nullptr;
  const std::vector<FaceTexture>* faces = nullptr;
  std::size_t R = 0;
  unsigned N = 0;

  const Point& At(std::size_t ring, std::size_t point) const { return (*rings)[ring].Points()[point]; }
};

bool FaceFits(const FaceTexture& face, std::size_t corners, std::size_t points) {
  if (face.points.size() != corners || face.coords.size() != corners) return false;
  for (std::uint16_t index : face.points)
    if (index >= points) return false;
  return true;
}

bool ReadShape(const RoundObject& object, Shape& shape) {
  shape.rings = &object.Areas();
  shape.faces = &object.GetTextures().faces;
  shape.R = object.AreaCount();
  shape.N = object.PointsPerRing();
  if (!object.TexCoordsValid() || shape.R == 0 || shape.N < 3) return false;
  for (const Area& ring : *shape.rings)
    if (ring.PointCount() != shape.N) return false;
  const std::vector<FaceTexture>& faces = *shape.faces;
  const std::size_t points = shape.R * shape.N;
  if (faces.size() != Textures::FaceCount(shape.R, shape.N)) return false;
  for (std::size_t f = 0; f < faces.size(); ++f) {
    const bool cap = f == 0 || f + 1 == faces.size();
    if (!FaceFits(faces[f], cap ? shape.N : 4, points)) return false;
  }
  return true;
}

TexturedPoint Textured(const Point& point, const TexCoord& coord) {
  // Coordinates are bitmap pixels, taken as unsigned.
  return {static_cast<float>(point.x),
          static_cast<float>(point.y),
          static_cast<float>(point.z),
          static_cast<float>(point.nx),
          static_cast<float>(point.ny),
          static_cast<float>(point.nz),
          static_cast<float>(static_cast<std::uint32_t>(coord.first)),
          static_cast<float>(static_cast<std::uint32_t>(coord.second))};
}

// The divisors for pixel coordinates: the bitmap's size, 1 for a dimension
// that cannot be read or is zero. A top-down bitmap's negative height counts
// by its magnitude, since its texture is stored top row first as well.
void NormalizeCoords(const RoundObject& object, std::vector<TexturedPoint>& vertices) {
  std::int32_t width = 1, height = 1;
  ReadBitmapSize(object.Texture(), width, height);
  const float w = width == 0 ? 1.0f : std::abs(static_cast<float>(width));
  const float h = height == 0 ? 1.0f : std::abs(static_cast<float>(height));
  for (TexturedPoint& vertex : vertices) {
    vertex.u /= w;
    vertex.v /= h;
  }
}

void OutlineWorker(const Shape& shape, Point* vertices, std::uint16_t* indices, std::size_t firstRing,
                   std::size_t endRing) {
  const std::size_t N = shape.N;
  for (std::size_t r = firstRing; r < endRing; ++r) {
    const std::size_t base = r * N;
    for (std::size_t p = 0; p < N; ++p) vertices[base + p] = shape.At(r, p);
    std::uint16_t* out = indices + 4 * N * r;
    for (std::size_t p = 0; p < N; ++p) {
      *out++ = static_cast<std::uint16_t>(base + p);
      *out++ = static_cast<std::uint16_t>(base + (p + 1 == N ? 0 : p + 1));
    }
    if (r + 1 < shape.R) {
      for (std::size_t p = 0; p < N; ++p) {
        *out++ = static_cast<std::uint16_t>(base + p);
        *out++ = static_cast<std::uint16_t>(base + N + p);
      }
    }
  }
}

struct FaceJob {
  std::size_t firstRing, endRing;     // end exclusive
  std::size_t firstPoint, lastPoint;  // inclusive, taken modulo N
  std::size_t vertex, index;          // write positions
};

void FaceWorker(const Shape& shape, std::vector<TexturedPoint>& vertices, Indices& indices, FaceJob job) {
  if (vertices.empty() || indices.empty()) return;
  const std::size_t N = shape.N;
  std::size_t v = job.vertex;
  std::size_t i = job.index;
  for (std::size_t r = job.firstRing; r < job.endRing; ++r) {
    for (std::size_t k = job.firstPoint; k <= job.lastPoint; ++k) {
      const std::size_t p = k % N;
      const std::size_t q = p + 1 == N ? 0 : p + 1;
      const std::vector<TexCoord>& coords = (*shape.faces)[r * N + p + 1].coords;
      vertices[v] = Textured(shape.At(r, p), coords[2]);
      vertices[v + 1] = Textured(shape.At(r + 1, p), coords[1]);
      vertices[v + 2] = Textured(shape.At(r + 1, q), coords[0]);
      vertices[v + 3] = Textured(shape.At(r, q), coords[3]);
      const std::uint16_t a = static_cast<std::uint16_t>(v);
      const std::uint16_t quad[6] = {a,
                                     static_cast<std::uint16_t>(a + 1),
                                     static_cast<std::uint16_t>(a + 3),
                                     static_cast<std::uint16_t>(a + 1),
                                     static_cast<std::uint16_t>(a + 2),
                                     static_cast<std::uint16_t>(a + 3)};
      for (std::uint16_t index : quad) indices[i++] = index;
      v += 4;
    }
  }
}

}  // namespace

void SetBusyHook(BusyHook hook) { busyHook = hook; }

bool BuildOutline(const RoundObject& object, std::vector<Point>& vertices, Indices& indices) {
  Shape shape;
  if (!ReadShape(object, shape) || shape.R * shape.N > kMaxVertices) return false;
  const BusyScope busy;
  const std::size_t R = shape.R, N = shape.N;
  vertices.resize(R * N);
  indices.resize((2 * R - 1) * N * 2);
  Point* v = vertices.data();
  std::uint16_t* i = indices.data();
  if (R == 1) {
    OutlineWorker(shape, v, i, 0, 1);
  } else {
    WorkerPair workers([&shape, v, i, R] { OutlineWorker(shape, v, i, 0, R / 2); },
                       [&shape, v, i, R] { OutlineWorker(shape, v, i, R / 2, R); });
  }
  return true;
}

bool BuildFaces(const RoundObject& object, std::vector<TexturedPoint>& vertices, Indices& indices) {
  Shape shape;
  if (!ReadShape(object, shape) || (4 * shape.R - 2) * shape.N > kMaxVertices) return false;
  const BusyScope busy;
  const std::size_t R = shape.R, N = shape.N;
  const std::size_t capIndices = 3 * (N - 2);
  // assign, not resize: a cap that is switched off must read as zeros, not
  // as the previous build's vertices.
  if (R > 1) {
    vertices.assign((4 * R - 2) * N, TexturedPoint{});
    indices.assign(6 * (R * N - 2), 0);
  } else {
    vertices.assign(N, TexturedPoint{});
    indices.assign(capIndices, 0);
  }
  {
    WorkerPair* workers = nullptr;
    std::unique_ptr<WorkerPair> running;
    if (R > 1) {
      const FaceJob first{0, R / 2, 0, N - 1, N, capIndices};
      const FaceJob second{R / 2, R - 1, 0, N - 1, N + 4 * N * (R / 2), capIndices + 6 * N * (R / 2)};
      running = std::make_unique<WorkerPair>([&, first] { FaceWorker(shape, vertices, indices, first); },
                                             [&, second] { FaceWorker(shape, vertices, indices, second); });
      workers = running.get();
    }
    const int caps = object.GrundDeckFl();
    if (caps == 1 || caps == 3) {
      // Corner i of the base face belongs to point N - 1 - i.
      const std::vector<TexCoord>& coords = shape.faces->front().coords;
      for (std::size_t p = 0; p < N; ++p) vertices[p] = Textured(shape.At(0, p), coords[N - 1 - p]);
      for (std::size_t k = 0; k + 2 < N; ++k) {
        indices[3 * k] = static_cast<std::uint16_t>(k + 1);
        indices[3 * k + 1] = static_cast<std::uint16_t>(k + 2);
        indices[3 * k + 2] = 0;
      }
    }
    if (R > 1 && (caps == 2 || caps == 3)) {
      const std::size_t b = (4 * R - 3) * N;
      const std::size_t at = 3 * ((2 * R - 1) * N - 2);
      const std::vector<TexCoord>& coords = shape.faces->back().coords;
      for (std::size_t p = 0; p < N; ++p) vertices[b + p] = Textured(shape.At(R - 1, p), coords[p]);
      for (std::size_t k = 0; k + 2 < N; ++k) {
        indices[at + 3 * k] = static_cast<std::uint16_t>(b);
        indices[at + 3 * k + 1] = static_cast<std::uint16_t>(b + k + 2);
        indices[at + 3 * k + 2] = static_cast<std::uint16_t>(b + k + 1);
      }
    }
    if (workers) workers->Join();
  }
  NormalizeCoords(object, vertices);
  return true;
}

bool BuildAreaFaces(const RoundObject& object, std::size_t face, std::vector<TexturedPoint>& vertices,
                    Indices& indices) {
  Shape shape;
  if (!ReadShape(object, shape) || face >= shape.faces->size()) return false;
  const BusyScope busy;
  const FaceTexture& corners = (*shape.faces)[face];
  const std::size_t n = corners.points.size();
  vertices.resize(n);
  indices.resize(3 * (n - 2));
  for (std::size_t c = 0; c < n; ++c) {
    const std::size_t point = corners.points[c];
    vertices[c] = Textured(shape.At(point / shape.N, point % shape.N), corners.coords[c]);
  }
  for (std::size_t k = 0; k + 2 < n; ++k) {
    indices[3 * k] = static_cast<std::uint16_t>(k + 2);
    indices[3 * k + 1] = static_cast<std::uint16_t>(k + 1);
    indices[3 * k + 2] = 0;
  }
  NormalizeCoords(object, vertices);
  return true;
}

bool BuildLayerFaces(const RoundObject& object, std::size_t layer, std::vector<TexturedPoint>& vertices,
                     Indices& indices) {
  Shape shape;
  if (!ReadShape(object, shape) || layer >= object.TextureLevelCount()) return false;
  const TextureLevel& level = object.GetTextureLevel(layer);
  const std::size_t N = shape.N;
  if (level.startPoint >= N || level.endPoint >= N || level.startArea >= shape.R ||
      level.endArea >= shape.R) {
    return false;
  }
  const BusyScope busy;
  // An end plain below the start plain covers no ring pair, like an equal one.
  const std::size_t rows = level.endArea > level.startArea ? level.endArea - level.startArea : 0;
  const std::size_t last = level.endPoint + (level.endPoint < level.startPoint ? N : 0);
  const std::size_t quads = last - level.startPoint + 1;
  if (rows == 0) {
    vertices.clear();
    indices.clear();
    return true;
  }
  if (quads * rows * 4 > kMaxVertices) return false;
  vertices.resize(quads * rows * 4);
  indices.resize(quads * rows * 6);
  const std::size_t mid = level.startArea + rows / 2;
  const std::size_t split = quads * (mid - level.startArea) * 4;
  const FaceJob first{level.startArea, mid, level.startPoint, last, 0, 0};
  const FaceJob second{mid, level.endArea, level.startPoint, last, split, split / 2 * 3};
  {
    WorkerPair workers([&, first] { FaceWorker(shape, vertices, indices, first); },
                       [&, second] { FaceWorker(shape, vertices, indices, second); });
  }
  NormalizeCoords(object, vertices);
  return true;
}

}  // namespace orbiform::views
