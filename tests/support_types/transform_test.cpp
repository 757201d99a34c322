// Transform helpers: rotation from angles and the world matrix.
#include "support/transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr float tolerance = 1e-6f;

// Textbook rotation about one axis for column vectors, in double.
void axisRotation(int axis, double angle, double out[3][3]) {
  const double c = std::cos(angle), s = std::sin(angle);
  for (int r = 0; r < 3; ++r)
    for (int col = 0; col < 3; ++col) out[r][col] = r == col ? 1.0 : 0.0;
  const int a = (axis + 1) % 3, b = (axis + 2) % 3;
  out[a][a] = c;
  out[a][b] = -s;
  out[b][a] = s;
  out[b][b] = c;
}

void multiply(const double l[3][3], const double r[3][3], double out[3][3]) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      out[i][j] = 0.0;
      for (int k = 0; k < 3; ++k) out[i][j] += l[i][k] * r[k][j];
    }
}

Transform makeTransform(EulerAngles angles, float px, float py, float pz, float sx, float sy,
                        float sz) {
  Transform t;
  rotationFromAngles(angles, t.rotation);
  t.position[0] = px, t.position[1] = py, t.position[2] = pz;
  t.scale[0] = sx, t.scale[1] = sy, t.scale[2] = sz;
  return t;
}

TEST(RotationFromAngles, IsTheProductRxRyRz) {
  const EulerAngles cases[] = {{0.3f, -1.1f, 2.5f}, {30.4f, 30.3f, 0.0f}, {-0.7f, 0.2f, -3.0f}};
  for (const EulerAngles& a : cases) {
    double rx[3][3], ry[3][3], rz[3][3], rxy[3][3], expected[3][3];
    axisRotation(0, a.x, rx);
    axisRotation(1, a.y, ry);
    axisRotation(2, a.z, rz);
    multiply(rx, ry, rxy);
    multiply(rxy, rz, expected);
    float actual[3][3];
    rotationFromAngles(a, actual);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(actual[r][c], expected[r][c], tolerance) << "entry " << r << c;
  }
}

TEST(TransformToMatrix, QuarterTurnAboutZ) {
  const D3DMATRIX m =
      transformToMatrix(makeTransform({0, 0, std::numbers::pi_v<float> / 2}, 0, 0, 0, 1, 1, 1));
  // Row vectors: the object's x axis (1,0,0) becomes row 0 = world -y; its y axis becomes +x.
  EXPECT_NEAR(m._11, 0.0f, tolerance);
  EXPECT_NEAR(m._12, -1.0f, tolerance);
  EXPECT_NEAR(m._21, 1.0f, tolerance);
  EXPECT_NEAR(m._22, 0.0f, tolerance);
  EXPECT_NEAR(m._33, 1.0f, tolerance);
}

TEST(TransformToMatrix, ScalesAlongOwnAxesBeforeRotating) {
  const Transform t = makeTransform({0.4f, 1.3f, -0.6f}, 5, 6, 7, 2.0f, 0.0f, 0.25f);
  const D3DMATRIX m = transformToMatrix(t);
  // The object's y axis is flattened away whatever the rotation.
  for (int c = 0; c < 4; ++c) EXPECT_EQ(m.m[1][c], 0.0f);
  // A point p becomes (p.x * sx) * row0 + (p.z * sz) * row2 + position.
  const float p[3] = {1.0f, 9.0f, -2.0f};
  for (int c = 0; c < 3; ++c) {
    const float world = p[0] * m.m[0][c] + p[1] * m.m[1][c] + p[2] * m.m[2][c] + m.m[3][c];
    const float expected =
        p[0] * 2.0f * t.rotation[0][c] + p[2] * 0.25f * t.rotation[2][c] + t.position[c];
    EXPECT_NEAR(world, expected, 1e-5f);
  }
  EXPECT_EQ(m._44, 1.0f);
  EXPECT_EQ(m._14, 0.0f);
}

}  // namespace
