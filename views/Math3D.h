#pragma once
// Matrix and vector arithmetic of the 3D view in the renderer's own
// conventions: row vectors (v' = v x M), so M1 x M2 applies M1 first, and a
// left-handed coordinate system. Nothing here throws or allocates.
#include <cstddef>

namespace orbiform::views {

struct Vector3 {
  float x = 0, y = 0, z = 0;
};

// Row-major 4x4 floats, m[row][column], translation in row 3: exactly the
// layout of the renderer's matrix type (64 bytes, no padding), so a
// std::memcpy of the whole struct fills one.
struct Matrix {
  float m[4][4];
};
static_assert(sizeof(Matrix) == 16 * sizeof(float), "Matrix must be 16 packed floats");

Vector3 operator+(const Vector3& a, const Vector3& b);
Vector3 operator-(const Vector3& a, const Vector3& b);
Vector3 operator*(const Vector3& a, float s);
float Dot(const Vector3& a, const Vector3& b);
Vector3 Cross(const Vector3& a, const Vector3& b);
float Length(const Vector3& a);
// The unit vector along `a`; the zero vector for a zero vector (no NaNs).
Vector3 Normalize(const Vector3& a);

Matrix MatrixIdentity();
// a x b: applies a first, then b.
Matrix MatrixMultiply(const Matrix& a, const Matrix& b);
Matrix operator*(const Matrix& a, const Matrix& b);
Matrix MatrixTranslation(float x, float y, float z);
Matrix MatrixScaling(float x, float y, float z);
// Rotations by `angle` radians, clockwise when looking along the axis
// towards the origin (left-handed).
Matrix MatrixRotationX(float angle);
Matrix MatrixRotationY(float angle);
Matrix MatrixRotationZ(float angle);
// View matrix of a camera at `eye` looking at `at`. When eye and at coincide
// or `up` is parallel to the line of sight the axes degenerate to zero (the
// picture is empty, nothing is NaN).
Matrix MatrixLookAtLH(const Vector3& eye, const Vector3& at, const Vector3& up);
// Projection with vertical field of view `fovY` (radians), `aspect` =
// width / height, depth mapped to 0 at `zNear` and 1 at `zFar`.
Matrix MatrixPerspectiveFovLH(float fovY, float aspect, float zNear, float zFar);

// The point (w = 1) transformed and divided by the resulting w (w = 0 gives
// the undivided x, y, z).
Vector3 TransformCoord(const Vector3& v, const Matrix& m);
// The direction (w = 0) transformed: rotation and scaling, no translation.
Vector3 TransformNormal(const Vector3& v, const Matrix& m);

}  // namespace orbiform::views
