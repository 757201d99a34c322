// Passes on texture targets that repeat the previous one are left out: the target and the depth
// buffer still read back as if every pass had been drawn, whatever changed in between.
#include <malloc.h>

#include <functional>
#include <string>

#include "platform/hooks/present_observer.h"
#include "tests/platform/d3d9_test_scene.h"

namespace {

constexpr D3DCOLOR red = 0xFFFF0000;
constexpr D3DCOLOR green = 0xFF00FF00;
constexpr D3DCOLOR black = 0xFF000000;
constexpr D3DCOLOR white = 0xFFFFFFFF;

constexpr D3DCOLOR blue = 0xFF0000FF;

int drawsGivenToGL = 0;

// Bytes of heap in use, small blocks and mapped ones.
long heapInUse() {
  const struct mallinfo2 heap = mallinfo2();
  return long(heap.uordblks + heap.hblkhd);
}

void countDraws(IDirect3DDevice9*, DeviceWork work) {
  if (work == DeviceWork::draw) ++drawsGivenToGL;
}

}  // namespace

class D3D9Pass : public D3D9Scene {
 protected:
  void SetUp() override {
    D3D9Scene::SetUp();
    if (HasFatalFailure()) return;
    device->GetRenderTarget(0, &backBuffer);
    target = renderTarget();
    target->GetSurfaceLevel(0, &targetSurface);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    drawsGivenToGL = 0;
    setDeviceWorkObserver(countDraws);
  }
  void TearDown() override {
    setDeviceWorkObserver(nullptr);
    if (targetSurface) targetSurface->Release();
    if (backBuffer) backBuffer->Release();
    D3D9Scene::TearDown();
  }

  // A quad in window pixels at depth z, coloured by the texture set and the diffuse colour.
  void drawQuad(float left, float top, float right, float bottom, float z = 0.5f,
                D3DCOLOR diffuse = white) {
    struct Vertex {
      float x, y, z, rhw;
      D3DCOLOR colour;
      float u, v;
    };
    drawFan(buffer<Vertex>({{left, top, z, 1.0f, diffuse, 0, 0},
                            {right, top, z, 1.0f, diffuse, 1, 0},
                            {right, bottom, z, 1.0f, diffuse, 1, 1},
                            {left, bottom, z, 1.0f, diffuse, 0, 1}}),
            D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, sizeof(Vertex));
  }
  IDirect3DTexture9* solid(D3DCOLOR colour) {
    return texture(1, 1, [=](int, int) { return colour; });
  }
  // The text-pass shape: Clear of colour and depth, then a quad on the left half at depth 0.2.
  void leftHalfPass(IDirect3DTexture9* picture, D3DCOLOR diffuse = white) {
    device->SetRenderTarget(0, targetSurface);
    device->BeginScene();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, black, 1.0f, 0);
    device->SetTexture(0, picture);
    drawQuad(-0.5f, -0.5f, 319.5f, 479.5f, 0.2f, diffuse);
    device->EndScene();
    device->SetRenderTarget(0, backBuffer);
  }

  IDirect3DSurface9* backBuffer = nullptr;
  IDirect3DTexture9* target = nullptr;
  IDirect3DSurface9* targetSurface = nullptr;
};

TEST_F(D3D9Pass, ARepeatedPassIsLeftOutAndItsTargetStillHoldsIt) {
  IDirect3DTexture9* redPicture = solid(red);
  leftHalfPass(redPicture);
  EXPECT_EQ(drawsGivenToGL, 1);
  leftHalfPass(redPicture);
  EXPECT_EQ(drawsGivenToGL, 1) << "the second, equal pass is not drawn";
  const Picture shown = readSurface(targetSurface);
  EXPECT_EQ(shown.at(100, 240), red);
  EXPECT_EQ(shown.at(500, 240), black);
}

TEST_F(D3D9Pass, APassIsDrawnAgainWhenWhatItSamplesOrItsTargetChanged) {
  IDirect3DTexture9* picture = solid(red);
  leftHalfPass(picture);
  fill(picture, [](int, int) { return green; });
  leftHalfPass(picture);
  EXPECT_EQ(readSurface(targetSurface).at(100, 240), green) << "new texels";

  // Drawn over outside a pass, then the same pass again.
  device->SetRenderTarget(0, targetSurface);
  device->SetTexture(0, solid(red));
  drawQuad(-0.5f, -0.5f, 639.5f, 479.5f);
  leftHalfPass(picture);
  const Picture shown = readSurface(targetSurface);
  EXPECT_EQ(shown.at(100, 240), green);
  EXPECT_EQ(shown.at(500, 240), black) << "the draw outside the pass is cleared away";
}

// A pass's record holds every Direct3D state a draw reads: after a change of any one of them the
// pass is drawn again (left out, it would keep the pixels of the states before).
TEST_F(D3D9Pass, APassThatChangedAnyOneStateIsDrawnAgain) {
  IDirect3DTexture9* picture = solid(red);
  const auto drawnAgainAfter = [&](const std::string& what, const std::function<void()>& change) {
    leftHalfPass(picture);
    const int before = drawsGivenToGL;
    leftHalfPass(picture);
    ASSERT_EQ(drawsGivenToGL, before) << "a repeat is left out, before " << what;
    change();
    leftHalfPass(picture);
    EXPECT_GT(drawsGivenToGL, before) << what << " is not in the pass record";
  };
  // Each state of one kind in turn, one bit of it flipped and then put back.
  const auto everyState = [&](const std::string& kind, int count, auto get, auto set) {
    for (int state = 0; state < count; ++state) {
      DWORD value = 0;
      get(state, &value);
      drawnAgainAfter(kind + std::to_string(state), [&] { set(state, value ^ 1u); });
      set(state, value);
    }
  };
  everyState(
      "render state ", 256,  // every D3DRENDERSTATETYPE value
      [&](int state, DWORD* value) { device->GetRenderState(D3DRENDERSTATETYPE(state), value); },
      [&](int state, DWORD value) { device->SetRenderState(D3DRENDERSTATETYPE(state), value); });
  everyState(
      "stage state ", 33,
      [&](int state, DWORD* value) {
        device->GetTextureStageState(0, D3DTEXTURESTAGESTATETYPE(state), value);
      },
      [&](int state, DWORD value) {
        device->SetTextureStageState(0, D3DTEXTURESTAGESTATETYPE(state), value);
      });
  everyState(
      "sampler state ", 14,
      [&](int state, DWORD* value) {
        device->GetSamplerState(0, D3DSAMPLERSTATETYPE(state), value);
      },
      [&](int state, DWORD value) {
        device->SetSamplerState(0, D3DSAMPLERSTATETYPE(state), value);
      });
  for (const D3DTRANSFORMSTATETYPE type : {D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION}) {
    D3DMATRIX matrix;
    device->GetTransform(type, &matrix);
    D3DMATRIX changed = matrix;
    changed._11 += 1.0f;
    drawnAgainAfter("transform " + std::to_string(type),
                    [&] { device->SetTransform(type, &changed); });
    device->SetTransform(type, &matrix);
  }
  for (DWORD index = 0; index < 8; ++index) {
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {0.5f, 0.25f, float(index) / 8, 1.0f};
    light.Direction = {0.0f, 0.0f, 1.0f};
    drawnAgainAfter("light " + std::to_string(index), [&] { device->SetLight(index, &light); });
    BOOL enabled = FALSE;
    device->GetLightEnable(index, &enabled);
    drawnAgainAfter("light enable " + std::to_string(index),
                    [&] { device->LightEnable(index, !enabled); });
    device->LightEnable(index, enabled);
  }
}

// Diffuse alpha that stage 0 ignores may differ between equal passes; alpha it uses may not.
TEST_F(D3D9Pass, DiffuseAlphaCountsOnlyWhereStageZeroUsesIt) {
  IDirect3DTexture9* picture = solid(0x80FF0000);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  leftHalfPass(picture, 0x40FFFFFF);
  const uint32_t textureAlphaOnly = readSurface(targetSurface).at(100, 240);
  EXPECT_NEAR(redOf(textureAlphaOnly), 128, 1);
  const int drawn = drawsGivenToGL;
  leftHalfPass(picture, 0xC0FFFFFF);
  EXPECT_EQ(drawsGivenToGL, drawn) << "alpha from the texture alone: the same pass";
  EXPECT_EQ(readSurface(targetSurface).at(100, 240), textureAlphaOnly);

  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  leftHalfPass(picture, 0x40FFFFFF);
  leftHalfPass(picture, 0xFFFFFFFF);
  EXPECT_NEAR(redOf(readSurface(targetSurface).at(100, 240)), 128, 1) << "alpha 0.5 × 1";
  leftHalfPass(picture, 0x00FFFFFF);
  EXPECT_EQ(readSurface(targetSurface).at(100, 240), black) << "alpha 0.5 × 0";
}

// The depth buffer is shared: a left-out pass's depth is drawn when a later draw tests it.
TEST_F(D3D9Pass, ALeftOutPassStillLeavesItsDepthForTheNextDepthTest) {
  IDirect3DTexture9* redPicture = solid(red);
  IDirect3DTexture9* greenPicture = solid(green);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  leftHalfPass(redPicture);
  device->BeginScene();
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, white, 1.0f, 0);
  device->EndScene();
  leftHalfPass(redPicture);  // left out: the depth buffer holds 1 everywhere

  // A depth-tested draw at 0.5 without a depth Clear: hidden where the pass drew at 0.2.
  device->SetTexture(0, greenPicture);
  device->BeginScene();
  device->Clear(0, nullptr, D3DCLEAR_TARGET, white, 1.0f, 0);
  drawQuad(-0.5f, -0.5f, 639.5f, 479.5f, 0.5f);
  device->EndScene();
  const Picture shown = readRenderTarget(device);
  EXPECT_EQ(shown.at(100, 240), white) << "behind the pass's depth";
  EXPECT_EQ(shown.at(500, 240), green);
  EXPECT_EQ(readSurface(targetSurface).at(100, 240), red) << "the target keeps its colour";
}

// A pass that keeps the depth buffer's values from before depends on them: drawn every time.
TEST_F(D3D9Pass, APassOverTheDepthItFindsIsDrawnEveryTime) {
  IDirect3DTexture9* redPicture = solid(red);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  const auto passOverDepth = [&](float depthBefore) {
    device->BeginScene();
    device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, depthBefore, 0);  // on the back buffer
    device->SetRenderTarget(0, targetSurface);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, black, 1.0f, 0);
    device->SetTexture(0, redPicture);
    drawQuad(-0.5f, -0.5f, 639.5f, 479.5f, 0.5f);
    device->EndScene();
    device->SetRenderTarget(0, backBuffer);
    return readSurface(targetSurface).at(320, 240);
  };
  EXPECT_EQ(passOverDepth(1.0f), red);
  EXPECT_EQ(passOverDepth(0.0f), black) << "hidden behind depth 0";
}

// A pass of many draws is too large to record: it is drawn every time, in order, and the layer's
// memory stays within its bound (recorded whole, 20,000 draws would take some 50 MB).
TEST_F(D3D9Pass, APassOfManyDrawsIsDrawnEveryTimeInBoundedMemory) {
  constexpr int draws = 20000;
  IDirect3DVertexBuffer9* whole = screenQuad(-0.5f, -0.5f, 639.5f, 479.5f);
  IDirect3DVertexBuffer9* onePixel = screenQuad(499.5f, 239.5f, 500.5f, 240.5f);
  IDirect3DVertexBuffer9* leftHalf = screenQuad(-0.5f, -0.5f, 319.5f, 479.5f);
  IDirect3DTexture9* greenPicture = solid(green);
  IDirect3DTexture9* redPicture = solid(red);
  IDirect3DTexture9* bluePicture = solid(blue);
  const auto manyDrawPass = [&](IDirect3DSurface9* on) {
    device->SetRenderTarget(0, on);
    device->BeginScene();
    clear(black);
    device->SetTexture(0, greenPicture);
    drawFan(whole, screenFvf, sizeof(ScreenVertex));
    device->SetTexture(0, redPicture);
    for (int i = 2; i < draws; ++i) drawFan(onePixel, screenFvf, sizeof(ScreenVertex));
    device->SetTexture(0, bluePicture);
    drawFan(leftHalf, screenFvf, sizeof(ScreenVertex));
    device->EndScene();
    device->SetRenderTarget(0, backBuffer);
  };
  // The GL driver's own buffers grow to hold so many draws: on the back buffer, which the layer
  // never records, they settle first.
  manyDrawPass(backBuffer);
  manyDrawPass(backBuffer);
  drawsGivenToGL = 0;
  const long heapBefore = heapInUse();
  for (int pass = 1; pass <= 2; ++pass) {
    manyDrawPass(targetSurface);
    EXPECT_EQ(drawsGivenToGL, pass * draws) << "pass " << pass << " is drawn whole";
    const Picture shown = readSurface(targetSurface);
    EXPECT_EQ(shown.at(100, 240), blue) << "the last draw, over the first";
    EXPECT_EQ(shown.at(500, 240), red);
    EXPECT_EQ(shown.at(500, 100), green);
    EXPECT_LE(passRecordBytes(device, targetSurface), size_t(2) << 20) << "pass " << pass;
  }
  // The GL driver's buffers vary with the timing of its threads by some 10 MB; recorded whole,
  // the passes would take 170 MB.
  const long grown = heapInUse() - heapBefore;
  EXPECT_LT(grown, 48L << 20) << "the process holds " << grown << " bytes more after the passes";
}
