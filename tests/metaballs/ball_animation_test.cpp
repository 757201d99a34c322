// Ball animation: centres by frame counter, and the per-frame polygonisation
// of the moving balls (triangle budget, no allocation once warmed up).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <new>

#include "metaballs/metaball_passes.h"

namespace {
int allocations = 0;
}

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

constexpr float isoLevel = 1.0f;
constexpr int sceneGrid = 30;
constexpr int bufferTriangles = 3333;

TEST(BallAnimation, CentresFollowTheFrameCounter) {
  ASSERT_EQ(ballFrame, 0);
  animateBalls();
  for (const Ball& ball : ballSet)
    for (float c : ball.centre) EXPECT_EQ(c, 0.0f);
  EXPECT_EQ(ballFrame, 2);
  animateBalls();
  EXPECT_EQ(ballFrame, 4);
  EXPECT_NEAR(ballSet[2].centre[2], 0.5 * std::sin(1.0 / 15.0), 1e-6);
  EXPECT_NEAR(ballSet[1].centre[0], 0.7 * std::sin(0.05), 1e-6);
  EXPECT_NEAR(ballSet[0].centre[0], 0.2 * std::sin(2.0 / 140.0), 1e-6);
  EXPECT_NEAR(ballSet[0].centre[1], 0.4 * std::sin(2.0 / 120.0), 1e-6);
  EXPECT_NEAR(ballSet[2].centre[1], 0.1 * std::sin(2.0 / 60.0), 1e-6);
  EXPECT_FLOAT_EQ(ballSet[0].strength, 0.2f);
  EXPECT_FLOAT_EQ(ballSet[1].strength, 0.25f);
  EXPECT_FLOAT_EQ(ballSet[2].strength, 0.3f);
}

// Over the first thousand frames the surface stays inside the vertex buffer
// and, once the storage is warm, a frame allocates nothing.
TEST(BallAnimation, FramesFitTheBufferAndDoNotAllocate) {
  ballFrame = 0;
  IsoSurface surface(nullptr, sceneGrid, isoLevel, metaballField);
  int smallest = 1 << 30, largest = 0;
  allocations = 0;
  for (int frame = 0; frame < 1000; ++frame) {
    surface.sampleField();
    const int count = surface.polygonise();
    animateBalls();
    if (frame >= 2) {  // the first two frames still see every centre at the origin
      smallest = count < smallest ? count : smallest;
      largest = count > largest ? count : largest;
    }
    for (const IsoTriangle& t : surface.triangles)
      ASSERT_TRUE(std::isfinite(t.a[0] + t.b[1] + t.c[2] + t.normal[0])) << "frame " << frame;
  }
  EXPECT_EQ(allocations, 0);
  EXPECT_GT(smallest, 1000);
  EXPECT_LE(largest, bufferTriangles);
}

}  // namespace
