// IsoSurface and metaballField: single cells, a lone ball's closed surface,
// the start-up field with its infinite sample, and repeatability.
#include "metaballs/iso_surface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <tuple>

namespace {

constexpr float isoLevel = 1.0f;
constexpr int sceneGrid = 30;  // cells per axis, as in the scene

// Saves the ball set and leaves ball 2 (strength 0.3) alone at the origin.
class LoneBall : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memcpy(saved, ballSet, sizeof saved);
    for (int b = 0; b < 2; ++b) {
      ballSet[b].strength = 0.0f;
      ballSet[b].centre[0] = ballSet[b].centre[1] = ballSet[b].centre[2] = 10.0f;
    }
  }
  void TearDown() override { std::memcpy(ballSet, saved, sizeof saved); }
  Ball saved[3];
};

float cornerZeroLow(float x, float y, float z) { return x < 0 && y < 0 && z < 0 ? 0.0f : 2.0f; }
float constantLow(float, float, float) { return 0.0f; }

void expectPoint(const float actual[3], float x, float y, float z, const char* what) {
  EXPECT_NEAR(actual[0], x, 1e-6f) << what;
  EXPECT_NEAR(actual[1], y, 1e-6f) << what;
  EXPECT_NEAR(actual[2], z, 1e-6f) << what;
}

bool finite(const IsoTriangle& t) {
  for (const float* v : {t.a, t.b, t.c, t.normal})
    for (int axis = 0; axis < 3; ++axis)
      if (!std::isfinite(v[axis])) return false;
  return true;
}

TEST(IsoSurfaceCell, OnlyCornerZeroBelowGivesOneTriangleOnEdges0_8_3) {
  IsoSurface surface(nullptr, 1, isoLevel, cornerZeroLow);
  EXPECT_EQ(surface.vertexBuffer, nullptr);
  ASSERT_EQ(surface.polygonise(), 1);
  const IsoTriangle& t = surface.triangles[0];
  expectPoint(t.a, 0.0f, -1.0f, -1.0f, "A on edge 0");
  expectPoint(t.b, -1.0f, 0.0f, -1.0f, "B on edge 8");
  expectPoint(t.c, -1.0f, -1.0f, 0.0f, "C on edge 3");
  const float unit = 1.0f / std::sqrt(3.0f);
  expectPoint(t.normal, unit, unit, unit, "normal away from corner 0");
}

TEST(IsoSurfaceCell, InfiniteCornerGivesFiniteVertices) {
  FieldSample corners[8];
  GridCell cell;
  for (int c = 0; c < 8; ++c) {
    corners[c] = {float(c & 1), float(c >> 2), float((c >> 1) & 1), 0.0f};
    cell.corners[c] = &corners[c];
  }
  corners[0].value = INFINITY;  // a ball centre on the grid point
  IsoSurface surface(nullptr, 1, isoLevel, constantLow);
  ASSERT_EQ(surface.polygoniseCell(cell, isoLevel), 1);
  EXPECT_TRUE(finite(surface.triangles[0]));

  // A corner exactly at the iso level collapses the triangle: no NaN normal.
  corners[0].value = isoLevel;
  ASSERT_EQ(surface.polygoniseCell(cell, isoLevel), 1);
  EXPECT_TRUE(finite(surface.triangles[1]));
}

TEST_F(LoneBall, SurfaceIsClosedWithInwardUnitNormals) {
  IsoSurface surface(nullptr, sceneGrid, isoLevel, metaballField);
  const int count = surface.polygonise();
  ASSERT_GT(count, 100);
  ASSERT_EQ(static_cast<int>(surface.triangles.size()), count);

  // Crossings shared by neighbouring cells are computed from either end of
  // the grid edge, so vertices are matched after rounding.
  using Key = std::tuple<long, long, long>;
  auto key = [](const float p[3]) {
    return Key{std::lround(p[0] * 1e5f), std::lround(p[1] * 1e5f), std::lround(p[2] * 1e5f)};
  };
  std::map<std::pair<Key, Key>, int> directed;
  int onXAxis = 0;
  for (const IsoTriangle& t : surface.triangles) {
    ASSERT_TRUE(finite(t));
    const float* v[3] = {t.a, t.b, t.c};
    for (int i = 0; i < 3; ++i) ++directed[{key(v[i]), key(v[(i + 1) % 3])}];
    for (const float* p : v) {
      if (std::fabs(p[1]) < 1e-6f && std::fabs(p[2]) < 1e-6f) {
        EXPECT_NEAR(std::fabs(p[0]), 0.3f, 0.015f) << "x-axis vertex at " << p[0];
        ++onXAxis;
      }
    }
    const float length = std::sqrt(t.normal[0] * t.normal[0] + t.normal[1] * t.normal[1] +
                                   t.normal[2] * t.normal[2]);
    EXPECT_NEAR(length, 1.0f, 1e-5f);
    // The normal points to the higher field, into the ball.
    const float centroid[3] = {t.a[0] + t.b[0] + t.c[0], t.a[1] + t.b[1] + t.c[1],
                               t.a[2] + t.b[2] + t.c[2]};
    EXPECT_LT(t.normal[0] * centroid[0] + t.normal[1] * centroid[1] + t.normal[2] * centroid[2],
              0.0f);
  }
  EXPECT_GT(onXAxis, 0);
  for (const auto& [edge, uses] : directed) {
    EXPECT_EQ(uses, 1) << "edge used twice in one direction";
    const auto reverse = directed.find({edge.second, edge.first});
    EXPECT_TRUE(reverse != directed.end()) << "open edge";
  }
}

TEST(IsoSurfaceField, StartUpFieldWithAllCentresOnAGridPointHasNoNaN) {
  for (const Ball& ball : ballSet)
    for (float c : ball.centre) ASSERT_EQ(c, 0.0f);
  IsoSurface surface(nullptr, sceneGrid, isoLevel, metaballField);
  EXPECT_TRUE(surface.triangles.empty()) << "construction samples but does not polygonise";
  EXPECT_TRUE(std::isinf(surface.sample(15, 15, 15).value));
  ASSERT_GT(surface.polygonise(), 0);
  for (const IsoTriangle& t : surface.triangles) ASSERT_TRUE(finite(t));
}

TEST(IsoSurfaceField, UnchangedSamplesGiveTheSameTrianglesInOrder) {
  Ball saved[3];
  std::memcpy(saved, ballSet, sizeof saved);
  ballSet[1].centre[0] = 0.4f;
  ballSet[2].centre[1] = -0.35f;
  IsoSurface surface(nullptr, sceneGrid, isoLevel, metaballField);
  const int first = surface.polygonise();
  const std::vector<IsoTriangle> before = surface.triangles;
  surface.sampleField();
  EXPECT_EQ(surface.polygonise(), first);
  ASSERT_EQ(surface.triangles.size(), before.size());
  EXPECT_EQ(
      std::memcmp(surface.triangles.data(), before.data(), before.size() * sizeof(IsoTriangle)), 0);
  std::memcpy(ballSet, saved, sizeof saved);
}

// Sampling the scene's field a row at a time and skipping uniform cells are
// shortcuts: they must give exactly what the plain per-sample, per-cell
// procedure gives.
TEST(IsoSurfaceField, ShortcutsMatchThePlainProcedure) {
  Ball saved[3];
  std::memcpy(saved, ballSet, sizeof saved);
  const float centres[3][3] = {{0.13f, -0.27f, 0.05f}, {-0.41f, 0.2f, 0.33f}, {0.5f, 0.0f, -0.6f}};
  for (int b = 0; b < 3; ++b) std::memcpy(ballSet[b].centre, centres[b], sizeof centres[b]);
  for (int grid : {sceneGrid, 9}) {
    IsoSurface surface(nullptr, grid, isoLevel, metaballField);
    for (const FieldSample& sample : surface.samples) {
      const float plain = metaballField(sample.x, sample.y, sample.z);
      ASSERT_EQ(std::memcmp(&sample.value, &plain, sizeof plain), 0)
          << sample.x << " " << sample.y << " " << sample.z;
    }
    const int count = surface.polygonise();
    const std::vector<IsoTriangle> screened = surface.triangles;
    surface.triangles.clear();
    int plainCount = 0;
    for (const GridCell& cell : surface.cells) plainCount += surface.polygoniseCell(cell, isoLevel);
    EXPECT_EQ(count, plainCount);
    ASSERT_EQ(surface.triangles.size(), screened.size());
    EXPECT_EQ(std::memcmp(surface.triangles.data(), screened.data(),
                          screened.size() * sizeof(IsoTriangle)),
              0);
  }
  std::memcpy(ballSet, saved, sizeof saved);
}

}  // namespace
