// Matrix and vector arithmetic; formulas as the renderer documents them.
#include "views/Math3D.h"

#include <cmath>

namespace orbiform::views {

Vector3 operator+(const Vector3& a, const Vector3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vector3 operator-(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vector3 operator*(const Vector3& a, float s) { return {a.x * s, a.y * s, a.z * s}; }
float Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vector3 Cross(const Vector3& a, const Vector3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Length(const Vector3& a) { return std::sqrt(Dot(a, a)); }
Vector3 Normalize(const Vector3& a) {
  const float length = Length(a);
  if (length == 0.0f) return {};
  return a * (1.0f / length);
}

Matrix MatrixIdentity() { return {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}}; }

Matrix MatrixMultiply(const Matrix& a, const Matrix& b) {
  Matrix r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      r.m[i][j] =
          a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    }
  }
  return r;
}
Matrix operator*(const Matrix& a, const Matrix& b) { return MatrixMultiply(a, b); }

Matrix MatrixTranslation(float x, float y, float z) {
  Matrix r = MatrixIdentity();
  r.m[3][0] = x;
  r.m[3][1] = y;
  r.m[3][2] = z;
  return r;
}

Matrix MatrixScaling(float x, float y, float z) {
  return {{{x, 0, 0, 0}, {0, y, 0, 0}, {0, 0, z, 0}, {0, 0, 0, 1}}};
}

Matrix MatrixRotationX(float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  return {{{1, 0, 0, 0}, {0, c, s, 0}, {0, -s, c, 0}, {0, 0, 0, 1}}};
}
Matrix MatrixRotationY(float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  return {{{c, 0, -s, 0}, {0, 1, 0, 0}, {s, 0, c, 0}, {0, 0, 0, 1}}};
}
Matrix MatrixRotationZ(float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  return {{{c, s, 0, 0}, {-s, c, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
}

Matrix MatrixLookAtLH(const Vector3& eye, const Vector3& at, const Vector3& up) {
  const Vector3 zAxis = Normalize(at - eye);
  const Vector3 xAxis = Normalize(Cross(up, zAxis));
  const Vector3 yAxis = Cross(zAxis, xAxis);
  return {{{xAxis.x, yAxis.x, zAxis.x, 0},
           {xAxis.y, yAxis.y, zAxis.y, 0},
           {xAxis.z, yAxis.z, zAxis.z, 0},
           {-Dot(xAxis, eye), -Dot(yAxis, eye), -Dot(zAxis, eye), 1}}};
}

Matrix MatrixPerspectiveFovLH(float fovY, float aspect, float zNear, float zFar) {
  const float yScale = 1.0f / std::tan(fovY / 2.0f);
  const float xScale = yScale / aspect;
  const float depth = zFar / (zFar - zNear);
  return {{{xScale, 0, 0, 0}, {0, yScale, 0, 0}, {0, 0, depth, 1}, {0, 0, -zNear * depth, 0}}};
}

Vector3 TransformCoord(const Vector3& v, const Matrix& m) {
  const float x = v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0];
  const float y = v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1];
  const float z = v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2];
  const float w = v.x * m.m[0][3] + v.y * m.m[1][3] + v.z * m.m[2][3] + m.m[3][3];
  if (w == 0.0f) return {x, y, z};
  return {x / w, y / w, z / w};
}

Vector3 TransformNormal(const Vector3& v, const Matrix& m) {
  return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0],
          v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
          v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]};
}

}  // namespace orbiform::views
