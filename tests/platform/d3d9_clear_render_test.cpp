// Clear after drawing: whatever the layer leaves out of a Clear, the target reads back as if
// every pixel had been cleared, for colour and depth, on the target and where it is sampled.
#include "tests/platform/d3d9_test_scene.h"

namespace {

constexpr D3DCOLOR red = 0xFFFF0000;
constexpr D3DCOLOR green = 0xFF00FF00;
constexpr D3DCOLOR blue = 0xFF0000FF;

// Every pixel of the picture that is not the colour; at most a few are reported.
::testing::AssertionResult allPixels(const Picture& picture, uint32_t colour) {
  int wrong = 0;
  std::string where;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      if ((picture.at(x, y) | 0xFF000000u) != colour && wrong++ < 3)
        where += " (" + std::to_string(x) + ", " + std::to_string(y) + ")";
  if (wrong == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << wrong << " pixels differ, e.g." << where;
}

}  // namespace

class D3D9Clear : public D3D9Scene {
 protected:
  void SetUp() override {
    D3D9Scene::SetUp();
    if (HasFatalFailure()) return;
    plain = texture(1, 1, [](int, int) { return 0xFFFFFFFFu; });
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  }
  // A solid quad in window pixels, at depth z, in the colour of the texture set.
  void drawQuad(float left, float top, float right, float bottom, float z = 0.5f) {
    drawFan(buffer<ScreenVertex>({{left, top, z, 1.0f, 0, 0},
                                  {right, top, z, 1.0f, 1, 0},
                                  {right, bottom, z, 1.0f, 1, 1},
                                  {left, bottom, z, 1.0f, 0, 1}}),
            screenFvf, sizeof(ScreenVertex));
  }
  void useColour(D3DCOLOR colour) {
    device->SetTexture(0, texture(1, 1, [=](int, int) { return colour; }));
  }

  IDirect3DTexture9* plain = nullptr;
};

TEST_F(D3D9Clear, ClearingAgainAfterDrawsLeavesNoTraceOfThem) {
  device->BeginScene();
  device->Clear(0, nullptr, D3DCLEAR_TARGET, red, 1.0f, 0);
  useColour(green);
  drawQuad(10, 10, 60, 40);
  drawQuad(600, 400, 700, 500);  // partly off the target
  device->Clear(0, nullptr, D3DCLEAR_TARGET, red, 1.0f, 0);
  EXPECT_TRUE(allPixels(readRenderTarget(device), red)) << "the same colour again";
  drawQuad(300, 200, 340, 260);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, blue, 1.0f, 0);
  EXPECT_TRUE(allPixels(readRenderTarget(device), blue)) << "another colour";
  device->EndScene();
}

TEST_F(D3D9Clear, WorldSpaceDrawsAndPointSpritesAreClearedWhereTheyLanded) {
  IDirect3DSurface9* surface = surfaceOf(renderTarget());
  device->SetRenderTarget(0, surface);
  device->BeginScene();
  device->Clear(0, nullptr, D3DCLEAR_TARGET, blue, 1.0f, 0);
  device->SetTexture(0, nullptr);
  drawFan(buffer<ColouredVertex>({{-0.5f, 0.4f, 1.0f, green},
                                  {0.9f, 0.4f, 1.0f, green},
                                  {0.9f, -0.4f, 1.0f, green},
                                  {-0.5f, -0.4f, 1.0f, green}}),
          colouredFvf, sizeof(ColouredVertex));
  struct Point {
    float x, y, z, size;
    D3DCOLOR colour;
  };
  device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
  device->SetFVF(D3DFVF_XYZ | D3DFVF_PSIZE | D3DFVF_DIFFUSE);
  device->SetStreamSource(0, buffer<Point>({{-1.2f, 0.8f, 2.0f, 40.0f, red}}), 0, sizeof(Point));
  EXPECT_EQ(device->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3D_OK);
  const Picture drawn = readSurface(surface);
  EXPECT_FALSE(allPixels(drawn, blue)) << "the draws left nothing to clear";
  device->Clear(0, nullptr, D3DCLEAR_TARGET, blue, 1.0f, 0);
  EXPECT_TRUE(allPixels(readSurface(surface), blue));
  device->EndScene();
}

TEST_F(D3D9Clear, DepthIsClearedWhereItWasWrittenAndAgainForAnotherValue) {
  device->SetTexture(0, plain);
  device->BeginScene();
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, red, 1.0f, 0);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  drawQuad(100, 100, 200, 200, 0.2f);  // writes depth 0.2 there
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, red, 1.0f, 0);
  useColour(green);
  drawQuad(0, 0, 640, 480, 0.5f);  // passes everywhere only if the depth went back to 1
  EXPECT_TRUE(allPixels(readRenderTarget(device), green));

  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, red, 0.0f, 0);
  drawQuad(0, 0, 640, 480, 0.5f);  // fails everywhere: nothing is nearer than 0
  EXPECT_TRUE(allPixels(readRenderTarget(device), red));
  device->EndScene();
}

TEST_F(D3D9Clear, AClearStillHappensWhenTheTargetIsSampledOrReadBeforeAnyDraw) {
  IDirect3DTexture9* target = renderTarget();
  IDirect3DSurface9* surface = surfaceOf(target);
  IDirect3DSurface9* backBuffer = currentRenderTarget();
  device->BeginScene();
  device->SetRenderTarget(0, surface);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, green, 1.0f, 0);
  device->SetRenderTarget(0, backBuffer);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, red, 1.0f, 0);
  device->SetTexture(0, target);
  drawQuad(0, 0, 320, 480);
  const Picture picture = readRenderTarget(device);
  EXPECT_EQ(picture.at(100, 240) | 0xFF000000u, green) << "the sampled target was cleared first";
  EXPECT_EQ(picture.at(500, 240) | 0xFF000000u, red) << "the rest holds the clear colour";

  device->SetRenderTarget(0, surface);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, blue, 1.0f, 0);
  EXPECT_TRUE(allPixels(readSurface(surface), blue)) << "read back straight after the Clear";
  device->EndScene();
}

TEST_F(D3D9Clear, AnOpaqueFullWindowLayerAfterAClearGivesTheSamePicture) {
  useColour(green);
  device->BeginScene();
  device->Clear(0, nullptr, D3DCLEAR_TARGET, red, 1.0f, 0);
  drawQuad(-0.5f, -0.5f, 640.0f, 480.0f);
  EXPECT_TRUE(allPixels(readRenderTarget(device), green));

  // Blended, the same layer lets the clear colour through.
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, red, 1.0f, 0);
  drawQuad(-0.5f, -0.5f, 640.0f, 480.0f);
  EXPECT_TRUE(allPixels(readRenderTarget(device), red)) << "blended";
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);

  // Culled, it draws nothing at all.
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, blue, 1.0f, 0);
  drawQuad(-0.5f, -0.5f, 640.0f, 480.0f);
  EXPECT_TRUE(allPixels(readRenderTarget(device), blue)) << "culled";
  device->EndScene();
}
