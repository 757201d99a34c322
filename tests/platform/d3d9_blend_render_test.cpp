// Blending, colour-write masks, culling and texture stage 0 as Direct3D 9 defines them.
#include "tests/platform/d3d9_test_scene.h"

namespace {

constexpr D3DCOLOR white = 0xFFFFFFFF;
constexpr D3DCOLOR black = 0xFF000000;

std::vector<TexturedVertex> worldQuad(D3DCOLOR colour) {
  return {{-0.5f, 0.2f, 1.0f, colour, 0.0f, 0.0f},
          {0.5f, 0.2f, 1.0f, colour, 1.0f, 0.0f},
          {0.5f, -0.2f, 1.0f, colour, 1.0f, 1.0f},
          {-0.5f, -0.2f, 1.0f, colour, 0.0f, 1.0f}};
}

}  // namespace

TEST_F(D3D9Scene, SourceColourBlendSquaresTheSourceAndKeepsTheRestOfTheDestination) {
  // Per channel: source × source + destination × (1 − source).
  const int source[3] = {0x40, 0x80, 0xFF};
  const D3DCOLOR sourceColour =
      0xFF000000u | unsigned(source[0]) << 16 | unsigned(source[1]) << 8 | unsigned(source[2]);
  IDirect3DTexture9* picture = texture(4, 4, [&](int, int) { return sourceColour; });
  device->BeginScene();
  clear(0xFFC0C0C0);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCCOLOR);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCCOLOR);
  device->SetTexture(0, picture);
  drawFan(buffer(worldQuad(0x00FFFFFF)), texturedFvf, sizeof(TexturedVertex));
  device->EndScene();
  const uint32_t result = readRenderTarget(device).at(320, 240);
  const int got[3] = {redOf(result), greenOf(result), blueOf(result)};
  for (int channel = 0; channel < 3; ++channel) {
    const double s = source[channel] / 255.0;
    EXPECT_NEAR(got[channel], 255.0 * (s * s + (0xC0 / 255.0) * (1.0 - s)), 1.5)
        << "channel " << channel;
  }
}

TEST_F(D3D9Scene, ColourWriteMaskWithoutRedTurnsWhiteIntoCyanAndClearIgnoresIt) {
  device->BeginScene();
  device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xFFFFFFFE);
  clear(black);  // Clear writes every channel whatever the mask
  EXPECT_EQ(readRenderTarget(device).at(5, 5), black);
  clear(white);
  EXPECT_EQ(readRenderTarget(device).at(5, 5), white);
  clear(black);
  drawFan(buffer(worldQuad(white)), texturedFvf, sizeof(TexturedVertex));
  device->SetRenderState(D3DRS_COLORWRITEENABLE, 0x0000000F);
  device->EndScene();
  const Picture picture = readRenderTarget(device);
  savePicture(picture, "d3d9_cyan_without_red");
  EXPECT_EQ(picture.at(320, 240), 0xFF00FFFFu);
  EXPECT_EQ(picture.at(5, 5), black);
}

TEST_F(D3D9Scene, CullModesRemoveFacesByTheirWindingOnScreen) {
  // Screen corners in the program's order (top-left, top-right, bottom-right, bottom-left) are
  // clockwise on screen; reversed they are counter-clockwise.
  IDirect3DTexture9* plain = texture(1, 1, [](int, int) { return white; });
  IDirect3DVertexBuffer9* clockwise = screenQuad(10.0f, 10.0f, 50.0f, 50.0f);
  IDirect3DVertexBuffer9* anticlockwise =
      buffer<ScreenVertex>({{60.0f, 50.0f, 0.5f, 1.0f, 0.0f, 1.0f},
                            {100.0f, 50.0f, 0.5f, 1.0f, 1.0f, 1.0f},
                            {100.0f, 10.0f, 0.5f, 1.0f, 1.0f, 0.0f},
                            {60.0f, 10.0f, 0.5f, 1.0f, 0.0f, 0.0f}});
  // World-space quads: the same two windings seen through the camera.
  IDirect3DVertexBuffer9* worldClockwise = buffer(worldQuad(white));
  auto reversed = worldQuad(white);
  std::swap(reversed[1], reversed[3]);
  IDirect3DVertexBuffer9* worldAnticlockwise = buffer(reversed);
  device->SetTexture(0, plain);
  for (DWORD cull : {DWORD(D3DCULL_NONE), DWORD(D3DCULL_CW), DWORD(D3DCULL_CCW)}) {
    device->BeginScene();
    clear(black);
    device->SetRenderState(D3DRS_CULLMODE, cull);
    drawFan(clockwise, screenFvf, sizeof(ScreenVertex));
    drawFan(anticlockwise, screenFvf, sizeof(ScreenVertex));
    device->EndScene();
    Picture picture = readRenderTarget(device);
    EXPECT_EQ(picture.at(30, 30) == white, cull != D3DCULL_CW) << "pre-transformed, cull " << cull;
    EXPECT_EQ(picture.at(80, 30) == white, cull != D3DCULL_CCW) << "pre-transformed, cull " << cull;

    device->BeginScene();
    clear(black);
    drawFan(worldClockwise, texturedFvf, sizeof(TexturedVertex));
    picture = readRenderTarget(device);
    EXPECT_EQ(picture.at(320, 240) == white, cull != D3DCULL_CW) << "world, cull " << cull;
    clear(black);
    drawFan(worldAnticlockwise, texturedFvf, sizeof(TexturedVertex));
    device->EndScene();
    picture = readRenderTarget(device);
    EXPECT_EQ(picture.at(320, 240) == white, cull != D3DCULL_CCW) << "world, cull " << cull;
  }
}

TEST_F(D3D9Scene, StageZeroTakesColourFromTextureTimesDiffuseAndAlphaFromTheChosenArgument) {
  // Texture: colour (200, 100, 50), alpha 64. Vertex: colour (128, 255, 255), alpha 192.
  IDirect3DTexture9* picture = texture(4, 4, [](int, int) { return D3DCOLOR(0x40C86432); });
  IDirect3DVertexBuffer9* quad = buffer(worldQuad(0xC080FFFF));
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetTexture(0, picture);

  auto drawnOverBlack = [&](DWORD alphaArgument) {
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, alphaArgument);
    device->BeginScene();
    clear(black);
    drawFan(quad, texturedFvf, sizeof(TexturedVertex));
    device->EndScene();
    return readRenderTarget(device).at(320, 240);
  };
  // Colour = texture × diffuse = (100, 100, 50); blended over black with the chosen alpha.
  const uint32_t textureAlpha = drawnOverBlack(D3DTA_TEXTURE);
  EXPECT_NEAR(redOf(textureAlpha), 100 * 64 / 255.0, 1.5);
  EXPECT_NEAR(greenOf(textureAlpha), 100 * 64 / 255.0, 1.5);
  const uint32_t diffuseAlpha = drawnOverBlack(D3DTA_DIFFUSE);
  EXPECT_NEAR(redOf(diffuseAlpha), 100 * 192 / 255.0, 1.5);
  EXPECT_NEAR(blueOf(diffuseAlpha), 50 * 192 / 255.0, 1.5);

  // No texture bound: the diffuse colour alone, whichever argument is chosen.
  device->SetTexture(0, nullptr);
  const uint32_t untextured = drawnOverBlack(D3DTA_TEXTURE);
  EXPECT_NEAR(redOf(untextured), 128 * 192 / 255.0, 1.5);
  EXPECT_NEAR(greenOf(untextured), 255 * 192 / 255.0, 1.5);
}

// Whatever alpha a clear or a draw produces, a target without alpha shows as opaque where it is
// sampled and reads back with alpha 255: a new target, a clear to alpha 0, an unblended draw of
// alpha 0 and a blended draw whose alpha would come out at 0.75.
TEST_F(D3D9Scene, RenderTargetWithoutAlphaStaysOpaqueWhateverItsDrawsWrite) {
  IDirect3DSurface9* backBuffer = currentRenderTarget();
  IDirect3DVertexBuffer9* fullQuad = screenQuad(-0.5f, -0.5f, 639.5f, 479.5f);
  const auto sampledOverWhite = [&](IDirect3DTexture9* target) {
    device->SetRenderTarget(0, backBuffer);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTexture(0, target);
    device->BeginScene();
    clear(white);
    drawFan(fullQuad, screenFvf, sizeof(ScreenVertex));
    device->EndScene();
    return readRenderTarget(device).at(320, 240);
  };
  const auto drawnInto = [&](IDirect3DTexture9* target, D3DCOLOR colour, BOOL blend) {
    device->SetRenderTarget(0, surfaceOf(target));
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, blend);
    device->SetTexture(0, texture(4, 4, [&](int, int) { return colour; }));
    device->BeginScene();
    clear(black);
    drawFan(fullQuad, screenFvf, sizeof(ScreenVertex));
    device->EndScene();
    return target;
  };

  EXPECT_EQ(sampledOverWhite(renderTarget()), black) << "a new target is opaque black";
  IDirect3DTexture9* cleared = renderTarget();
  device->SetRenderTarget(0, surfaceOf(cleared));
  device->BeginScene();
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00204060, 1.0f, 0);  // alpha 0 is not kept
  device->EndScene();
  EXPECT_EQ(sampledOverWhite(cleared), 0xFF204060u)
      << "a target cleared to alpha 0 samples as opaque";
  IDirect3DTexture9* unblended = drawnInto(renderTarget(), 0x00FF0000, FALSE);
  EXPECT_EQ(readTexture(unblended).at(320, 240), 0xFFFF0000u);
  EXPECT_EQ(sampledOverWhite(unblended), 0xFFFF0000u);
  IDirect3DTexture9* blended = drawnInto(renderTarget(), 0x80FF0000, TRUE);
  const uint32_t halfRed = readTexture(blended).at(320, 240);
  EXPECT_EQ(alphaOf(halfRed), 255);
  EXPECT_NEAR(redOf(halfRed), 128, 1);
  EXPECT_EQ(sampledOverWhite(blended), halfRed);
}

TEST_F(D3D9Scene, DynamicTextureRewrittenWithDiscardShowsTheNewTexels) {
  IDirect3DTexture9* picture = texture(64, 64, [](int, int) { return D3DCOLOR(0xFFFF0000); });
  IDirect3DVertexBuffer9* quad = screenQuad(-0.5f, -0.5f, 639.5f, 479.5f);
  device->SetTexture(0, picture);
  device->BeginScene();
  clear(black);
  drawFan(quad, screenFvf, sizeof(ScreenVertex));
  EXPECT_EQ(readRenderTarget(device).at(320, 240), 0xFFFF0000u);
  fill(picture, [](int, int) { return D3DCOLOR(0xFF0000FF); });
  drawFan(quad, screenFvf, sizeof(ScreenVertex));
  device->EndScene();
  EXPECT_EQ(readRenderTarget(device).at(320, 240), 0xFF0000FFu);
}

// Direct3D promises nothing of what a discarding lock of a dynamic resource hands back: a program
// that reads it back or leaves part of it unwritten must not get its old contents here either.
// Every other lock keeps them: flags 0, read-only with discard, discard of a managed resource.
TEST_F(D3D9Scene, DiscardingLockOfADynamicResourceKeepsNoneOfItsContents) {
  constexpr D3DCOLOR red = 0xFFFF0000;
  IDirect3DTexture9* picture = texture(64, 64, [](int, int) { return red; });
  IDirect3DTexture9* managed = nullptr;
  ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed, nullptr),
            D3D_OK);
  resources.push_back(managed);
  fill(managed, [](int, int) { return red; });
  D3DLOCKED_RECT locked;
  const RECT corner = {0, 0, 1, 1};
  auto cornerAfterLock = [&](IDirect3DTexture9* texture, DWORD flags) {
    EXPECT_EQ(texture->LockRect(0, &locked, &corner, flags), D3D_OK);
    D3DCOLOR texel = 0;
    std::memcpy(&texel, locked.pBits, 4);
    texture->UnlockRect(0);
    return texel;
  };
  EXPECT_EQ(cornerAfterLock(picture, 0), red);
  EXPECT_EQ(cornerAfterLock(picture, D3DLOCK_READONLY | D3DLOCK_DISCARD), red);
  EXPECT_EQ(cornerAfterLock(managed, D3DLOCK_DISCARD), red);
  EXPECT_NE(cornerAfterLock(picture, D3DLOCK_DISCARD), red);  // and nothing written back

  // The whole texture is discarded, not only the locked corner: its middle no longer draws red.
  device->SetTexture(0, picture);
  device->BeginScene();
  clear(black);
  drawFan(screenQuad(-0.5f, -0.5f, 639.5f, 479.5f), screenFvf, sizeof(ScreenVertex));
  device->EndScene();
  EXPECT_NE(readRenderTarget(device).at(320, 240), red);

  const std::vector<unsigned char> written(96, 0x11);
  IDirect3DVertexBuffer9* dynamic = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(96, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0,
                                       D3DPOOL_DEFAULT, &dynamic, nullptr),
            D3D_OK);
  resources.push_back(dynamic);
  IDirect3DVertexBuffer9* fixed = buffer(written);
  void* data = nullptr;
  ASSERT_EQ(dynamic->Lock(0, 0, &data, 0), D3D_OK);
  std::memcpy(data, written.data(), 96);
  dynamic->Unlock();
  ASSERT_EQ(fixed->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
  EXPECT_EQ(std::memcmp(data, written.data(), 96), 0) << "a buffer that is not dynamic";
  fixed->Unlock();
  ASSERT_EQ(dynamic->Lock(32, 0, &data, D3DLOCK_DISCARD), D3D_OK);
  EXPECT_NE(std::memcmp(data, written.data() + 32, 64), 0);
  dynamic->Unlock();
}

TEST_F(D3D9Scene, LocksOutsideTheResourceAreRefused) {
  IDirect3DTexture9* picture = texture(8, 8, [](int, int) { return white; });
  D3DLOCKED_RECT locked;
  const RECT outside = {4, 4, 9, 6};
  EXPECT_EQ(picture->LockRect(0, &locked, &outside, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(picture->LockRect(1, &locked, nullptr, 0), D3DERR_INVALIDCALL);
  IDirect3DVertexBuffer9* quad = screenQuad(0.0f, 0.0f, 1.0f, 1.0f);
  void* data = nullptr;
  EXPECT_EQ(quad->Lock(64, 64, &data, 0), D3DERR_INVALIDCALL) << "96-byte buffer";
  // A draw that would read past the end of its buffer draws nothing.
  device->SetFVF(screenFvf);
  device->SetStreamSource(0, quad, 0, sizeof(ScreenVertex));
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 3), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3DERR_INVALIDCALL);
}
