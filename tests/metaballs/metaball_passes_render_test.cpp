// Metaball passes on a real off-screen device: what pass B puts on the back
// buffer, pass A's faint unlit copy, the placement and spin of both passes and
// the vertex buffer's limit.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "gfx/device.h"
#include "gfx/scene_resources.h"
#include "metaballs/metaball_passes.h"
#include "tests/support/render_helpers.h"

namespace {

constexpr float isoLevel = 1.0f;
constexpr int sceneGrid = 30;
constexpr D3DCOLOR opaqueBlack = 0xFF000000;
constexpr D3DCOLOR opaqueWhite = 0xFFFFFFFF;

int brightest(uint32_t colour) {
  return std::max({redOf(colour), greenOf(colour), blueOf(colour)});
}

class MetaballPasses : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(createOffscreenDevice()) << "no off-screen device: " << SDL_GetError();
    device = deviceState.device;
    isoSurface = new IsoSurface(device, sceneGrid, isoLevel, metaballField);
    ASSERT_NE(isoSurface->vertexBuffer, nullptr);
    spinX = spinY = 30.0f;
    ballFrame = 0;
  }
  void TearDown() override {
    delete isoSurface;
    isoSurface = nullptr;
    for (Ball& ball : ballSet) ball.centre[0] = ball.centre[1] = ball.centre[2] = 0.0f;
    releaseOffscreenDevice();
  }

  // Moves the balls on by `frames` animation frames and polygonises.
  void animate(int frames) {
    for (int f = 0; f < frames; ++f) animateBalls();
    isoSurface->sampleField();
    isoSurface->polygonise();
  }

  Picture draw(void (*pass)(IDirect3DDevice9*, float), D3DCOLOR background, float frameSeconds) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1.0f, 0);
    device->BeginScene();
    pass(device, frameSeconds);
    device->EndScene();
    return readRenderTarget(device);
  }

  IDirect3DDevice9* device = nullptr;
};

// Drawn over black and over white, a pixel covered by one layer of the
// surface differs by exactly the background's share 1 - 200/255 (55 of 255);
// where two layers overlap the share is (55/255)^2 (about 12), and so on.
TEST_F(MetaballPasses, PassBDrawsLitGreyWithAlpha200OnlyWhereTheSurfaceIs) {
  animate(60);
  ASSERT_GT(isoSurface->triangleCount, 1000);
  const float keepSpinX = spinX, keepSpinY = spinY;
  const Picture overBlack = draw(drawMetaballsB, opaqueBlack, 0.0f);
  spinX = keepSpinX, spinY = keepSpinY;
  const Picture overWhite = draw(drawMetaballsB, opaqueWhite, 0.0f);
  savePicture(overBlack, "metaballs_pass_b");

  int covered = 0, singleLayer = 0, darkest = 255, brightestSingle = 0;
  for (int y = 0; y < overBlack.height; ++y) {
    for (int x = 0; x < overBlack.width; ++x) {
      const uint32_t black = overBlack.at(x, y), white = overWhite.at(x, y);
      if ((white & 0xFFFFFF) == 0xFFFFFF) {
        ASSERT_EQ(black & 0xFFFFFF, 0u)
            << "drawn over black but not over white at " << x << "," << y;
        continue;
      }
      ++covered;
      const int share = redOf(white) - redOf(black);
      ASSERT_NEAR(greenOf(white) - greenOf(black), share, 2) << x << "," << y;
      ASSERT_NEAR(blueOf(white) - blueOf(black), share, 2) << x << "," << y;
      ASSERT_TRUE(std::abs(share - 55) <= 2 || share <= 14)
          << "background share " << share << " at " << x << "," << y;
      if (std::abs(share - 55) > 2) continue;
      // One layer: lit grey at most full white (the scaled world stretches the
      // normals, so the lights can saturate), times 200/255.
      ++singleLayer;
      ASSERT_LE(brightest(black), 201) << x << "," << y;
      darkest = std::min(darkest, brightest(black));
      brightestSingle = std::max(brightestSingle, brightest(black));
    }
  }
  // The surface sits near the middle of the picture and is shaded, not flat.
  EXPECT_GT(covered, 5000);
  EXPECT_LT(covered, 640 * 480 / 4);
  EXPECT_GT(singleLayer, covered / 2);
  EXPECT_GT(brightestSingle, 40);
  EXPECT_GT(brightestSingle - darkest, 20);
  EXPECT_EQ(overBlack.at(5, 5) & 0xFFFFFF, 0u);
  EXPECT_EQ(overBlack.at(634, 474) & 0xFFFFFF, 0u);

  DWORD lighting = TRUE;
  device->GetRenderState(D3DRS_LIGHTING, &lighting);
  EXPECT_EQ(lighting, DWORD(FALSE)) << "pass B switches lighting off again";
}

TEST_F(MetaballPasses, PassADrawsFaintUnlitGrey) {
  animate(60);
  const Picture picture = draw(drawMetaballsA, opaqueBlack, 0.0f);
  savePicture(picture, "metaballs_pass_a");
  int covered = 0, singleLayer = 0;
  for (uint32_t pixel : picture.pixels) {
    if ((pixel & 0xFFFFFF) == 0) continue;
    ++covered;
    ASSERT_EQ(redOf(pixel), greenOf(pixel)) << "unlit grey";
    ASSERT_EQ(redOf(pixel), blueOf(pixel)) << "unlit grey";
    ASSERT_GE(redOf(pixel), 20);
    // 180 grey at alpha 30 over black: 21 for one layer, about 40 for two.
    if (std::abs(redOf(pixel) - 21) <= 1) ++singleLayer;
  }
  EXPECT_GT(covered, 5000);
  EXPECT_GT(singleLayer, covered / 2);
}

TEST_F(MetaballPasses, SpinFollowsPassBFrameTime) {
  animate(2);
  for (int frame = 0; frame < 2; ++frame) {
    draw(drawMetaballsA, opaqueBlack, 0.5f);
    draw(drawMetaballsB, opaqueBlack, 0.5f);
  }
  EXPECT_NEAR(spinX, 30.4f, 1e-5f);
  EXPECT_NEAR(spinY, 30.3f, 1e-5f);
  draw(drawMetaballsB, opaqueBlack, 0.0f);
  EXPECT_NEAR(spinX, 30.4f, 1e-5f) << "no spin for a frame time of 0";
}

// Pass A is placed 0.5 to the left and turned 0.5 rad further about x, and runs
// before pass B has added this frame's spin.
TEST_F(MetaballPasses, PassALagsPassBByHalfARadianAboutX) {
  animate(2);
  const float frameSeconds = 0.25f;
  const float startX = spinX, startY = spinY;
  auto expectedWorld = [](float angleX, float angleY, float x) {
    Transform transform;
    rotationFromAngles({angleX, angleY, 0.0f}, transform.rotation);
    const float position[3] = {x, 0.0f, 2.0f}, scale[3] = {2.0f, 0.5f, 0.25f};
    for (int axis = 0; axis < 3; ++axis)
      transform.position[axis] = position[axis], transform.scale[axis] = scale[axis];
    return transformToMatrix(transform);
  };
  auto expectWorld = [&](const D3DMATRIX& expected, const char* pass) {
    D3DMATRIX world;
    device->GetTransform(D3DTS_WORLD, &world);
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c)
        EXPECT_NEAR(world.m[r][c], expected.m[r][c], 1e-6f) << pass << " " << r << c;
  };

  draw(drawMetaballsA, opaqueBlack, frameSeconds);
  expectWorld(expectedWorld(startX + 0.5f, startY, -0.3f), "pass A");
  EXPECT_FLOAT_EQ(isoSurface->angles.x, startX + 0.5f);
  draw(drawMetaballsB, opaqueBlack, frameSeconds);
  expectWorld(expectedWorld(startX + 0.1f, startY + 0.075f, 0.2f), "pass B");
  EXPECT_FLOAT_EQ(isoSurface->position[0], 0.2f);
}

// A list longer than the buffer's 3,333 triangles: the triangles beyond it are
// neither written nor drawn. Both windings are given so one survives culling.
TEST_F(MetaballPasses, ListLongerThanTheBufferDrawsTheFirst3333) {
  const int listed = 4000, limit = 3333;
  isoSurface->triangles.assign(listed, IsoTriangle{});  // zero-area triangles draw nothing
  auto place = [&](int index, float left, float right, bool reversed) {
    // Object space with angles 0: world x = 2x + 0.2, y = 0.5y, z = 0.25z + 2.
    IsoTriangle& t = isoSurface->triangles[index];
    const float a[3] = {left, -0.4f, 0.0f}, b[3] = {right, -0.4f, 0.0f},
                c[3] = {(left + right) / 2, 0.4f, 0.0f};
    for (int axis = 0; axis < 3; ++axis) {
      t.a[axis] = a[axis];
      t.b[axis] = reversed ? c[axis] : b[axis];
      t.c[axis] = reversed ? b[axis] : c[axis];
    }
    t.normal[2] = -1.0f;
  };
  place(0, -0.4f, -0.2f, false);
  place(1, -0.4f, -0.2f, true);
  place(limit, 0.1f, 0.3f, false);
  place(limit + 1, 0.1f, 0.3f, true);
  isoSurface->triangleCount = listed;
  spinX = spinY = 0.0f;

  const Picture picture = draw(drawMetaballsB, opaqueBlack, 0.0f);
  savePicture(picture, "metaballs_buffer_limit");
  // Triangle centroids: world (-0.4, -0.067, 2) and (0.6, -0.067, 2).
  EXPECT_NE(picture.at(285, 259) & 0xFFFFFF, 0u) << "first triangles missing";
  EXPECT_EQ(picture.at(373, 259) & 0xFFFFFF, 0u) << "triangle 3,333 drawn";
}

}  // namespace
