// Where things land: the camera projection, Direct3D's pixel centres for pre-transformed
// quads, upright render targets and the fill rule on shared edges.
#include <cmath>

#include "tests/platform/d3d9_test_scene.h"

namespace {

constexpr D3DCOLOR white = 0xFFFFFFFF;
constexpr D3DCOLOR black = 0xFF000000;

bool covered(const Picture& picture, int x, int y) { return picture.at(x, y) == white; }

// A white world-space rectangle at depth z with no texture bound.
std::vector<ColouredVertex> worldRectangle(float left, float bottom, float right, float top,
                                           float z) {
  return {{left, top, z, white},
          {right, top, z, white},
          {right, bottom, z, white},
          {left, bottom, z, white}};
}

}  // namespace

TEST_F(D3D9Scene, CameraMapsTheCentreAndTheEdgesOfTheView) {
  device->BeginScene();
  clear(black);
  device->SetTexture(0, nullptr);
  // Upper-right quadrant from world (0, 0, 1) to the right edge (1.8107) and the top (0.41421).
  drawFan(buffer(worldRectangle(0.0f, 0.0f, 1.8107f, 0.41421f, 1.0f)), colouredFvf,
          sizeof(ColouredVertex));
  device->EndScene();
  const Picture picture = readRenderTarget(device);
  savePicture(picture, "d3d9_camera_quadrant");

  // (0, 0, 1) lies on the centre of pixel (320, 240): the left edge includes column 320, the
  // bottom edge excludes row 240.
  EXPECT_TRUE(covered(picture, 320, 239));
  EXPECT_FALSE(covered(picture, 319, 239)) << "left edge half a pixel off";
  EXPECT_FALSE(covered(picture, 320, 240)) << "bottom edge half a pixel off";
  // (1.8107, 0, 1) lands on the right edge (x ≈ 640.01), (0, 0.41421, 1) on the top edge
  // (y ≈ 0.002, just below the centre of row 0).
  EXPECT_TRUE(covered(picture, 639, 239));
  EXPECT_TRUE(covered(picture, 639, 1));
  EXPECT_TRUE(covered(picture, 320, 1));
  EXPECT_FALSE(covered(picture, 320, 0));
}

TEST_F(D3D9Scene, CameraEdgesFallWithinHalfAPixelOfTheViewEdges) {
  // Half a per cent inside the right edge (x ≈ 638.4) and the top edge (y ≈ 1.2), and the
  // same distance beyond the top edge (y ≈ −1.2).
  device->BeginScene();
  clear(black);
  drawFan(buffer(worldRectangle(0.0f, 0.0f, 1.8107f * 0.995f, 0.41421f * 0.995f, 1.0f)),
          colouredFvf, sizeof(ColouredVertex));
  drawFan(buffer(worldRectangle(-1.0f, 0.0f, -0.5f, 0.41421f * 1.005f, 1.0f)), colouredFvf,
          sizeof(ColouredVertex));
  device->EndScene();
  const Picture picture = readRenderTarget(device);
  EXPECT_FALSE(covered(picture, 639, 100));
  EXPECT_TRUE(covered(picture, 638, 100));
  EXPECT_FALSE(covered(picture, 400, 1));
  EXPECT_TRUE(covered(picture, 400, 2));
  EXPECT_TRUE(covered(picture, 200, 0));
}

TEST_F(D3D9Scene, PixelAlignedQuadMapsTexelsOneToOne) {
  // Every texel differs from its neighbours in all three channels.
  auto pattern = [](int x, int y) {
    return D3DCOLOR(0xFF000000u | (unsigned(x * 7 + y * 3) & 0xFF) << 16 |
                    (unsigned(x * 5 + y * 11) & 0xFF) << 8 | (unsigned(x ^ y) & 0xFF));
  };
  IDirect3DTexture9* picture = texture(640, 480, pattern);
  device->BeginScene();
  clear(black);
  device->SetTexture(0, picture);
  drawFan(screenQuad(-0.5f, -0.5f, 639.5f, 479.5f), screenFvf, sizeof(ScreenVertex));
  device->EndScene();
  const Picture result = readRenderTarget(device);
  savePicture(result, "d3d9_texel_exact");
  int wrong = 0;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x)
      if (result.at(x, y) != pattern(x, y)) ++wrong;
  EXPECT_EQ(wrong, 0) << "pixels that are not their texel, e.g. (17, 9): " << std::hex
                      << result.at(17, 9) << " instead of " << pattern(17, 9);
}

TEST_F(D3D9Scene, WholeWindowQuadToPixel640SamplesHalfAPixelWide) {
  // Columns alternate black and white: linear filtering shows exactly where each pixel
  // centre samples. The quad's right edge is 640, not 639.5, so pixel x samples texel
  // coordinate (x + 0.5) · 640 / 640.5 − 0.5, drifting from texel centres to texel edges.
  IDirect3DTexture9* stripes = texture(640, 480, [](int x, int) { return x % 2 ? white : black; });
  device->BeginScene();
  clear(0xFF0000FF);
  device->SetTexture(0, stripes);
  drawFan(screenQuad(-0.5f, -0.5f, 640.0f, 480.0f), screenFvf, sizeof(ScreenVertex));
  device->EndScene();
  const Picture result = readRenderTarget(device);
  savePicture(result, "d3d9_screen_quad_stripes");
  for (int x : {0, 1, 100, 320, 321, 500, 638, 639}) {
    const double s = (x + 0.5) * 640.0 / 640.5 - 0.5;
    const double f = s - std::floor(s);
    const int first = (int(std::floor(s)) + 640) % 640;
    const double expected = 255.0 * ((1.0 - f) * (first % 2) + f * ((first + 1) % 2));
    EXPECT_NEAR(greenOf(result.at(x, 240)), expected, 3.0) << "column " << x;
  }
}

TEST_F(D3D9Scene, RenderTargetPictureStaysUprightWhenShown) {
  // Top half red, bottom half green, drawn into a target and then shown two ways.
  IDirect3DTexture9* source =
      texture(640, 480, [](int, int y) { return y < 240 ? 0xFFFF0000 : 0xFF00FF00; });
  IDirect3DTexture9* target = renderTarget();
  IDirect3DSurface9* targetSurface = surfaceOf(target);
  ASSERT_NE(targetSurface, nullptr);
  IDirect3DSurface9* backBuffer = currentRenderTarget();
  IDirect3DVertexBuffer9* fullQuad = screenQuad(-0.5f, -0.5f, 639.5f, 479.5f);

  device->SetRenderTarget(0, targetSurface);
  device->BeginScene();
  clear(black);
  device->SetTexture(0, source);
  drawFan(fullQuad, screenFvf, sizeof(ScreenVertex));
  device->EndScene();
  const Picture inTarget = readTexture(target);
  EXPECT_EQ(inTarget.at(320, 10), 0xFFFF0000u);
  EXPECT_EQ(inTarget.at(320, 470), 0xFF00FF00u);

  // Shown with a pre-transformed quad on the back buffer.
  device->SetRenderTarget(0, backBuffer);
  device->BeginScene();
  clear(black);
  device->SetTexture(0, target);
  drawFan(fullQuad, screenFvf, sizeof(ScreenVertex));
  device->EndScene();
  Picture shown = readRenderTarget(device);
  EXPECT_EQ(shown.at(320, 10), 0xFFFF0000u);
  EXPECT_EQ(shown.at(320, 470), 0xFF00FF00u);

  // Shown on a world-space quad whose texture v runs down its face, as the panels are drawn.
  device->BeginScene();
  clear(black);
  drawFan(buffer<TexturedVertex>({{-0.5f, 0.2f, 1.0f, white, 0.0f, 0.0f},
                                  {0.5f, 0.2f, 1.0f, white, 1.0f, 0.0f},
                                  {0.5f, -0.2f, 1.0f, white, 1.0f, 1.0f},
                                  {-0.5f, -0.2f, 1.0f, white, 0.0f, 1.0f}}),
          texturedFvf, sizeof(TexturedVertex));
  device->EndScene();
  shown = readRenderTarget(device);
  savePicture(shown, "d3d9_target_on_world_quad");
  EXPECT_EQ(shown.at(320, 150), 0xFFFF0000u);
  EXPECT_EQ(shown.at(320, 330), 0xFF00FF00u);
}

TEST_F(D3D9Scene, SharedEdgesAreFilledOnceWithTheTopLeftRule) {
  // A pixel-aligned square (pixel centres on its edges) split along its diagonal into two
  // triangles, drawn additively at half intensity: every pixel is hit at most once, and the
  // top and left edges are inside while the right and bottom edges are outside.
  device->BeginScene();
  clear(black);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  IDirect3DTexture9* grey = texture(1, 1, [](int, int) { return D3DCOLOR(0xFF808080); });
  device->SetTexture(0, grey);
  IDirect3DVertexBuffer9* triangles =
      buffer<ScreenVertex>({{10.0f, 10.0f, 0.5f, 1.0f, 0.0f, 0.0f},
                            {30.0f, 10.0f, 0.5f, 1.0f, 0.0f, 0.0f},
                            {30.0f, 30.0f, 0.5f, 1.0f, 0.0f, 0.0f},
                            {10.0f, 10.0f, 0.5f, 1.0f, 0.0f, 0.0f},
                            {30.0f, 30.0f, 0.5f, 1.0f, 0.0f, 0.0f},
                            {10.0f, 30.0f, 0.5f, 1.0f, 0.0f, 0.0f}});
  device->SetFVF(screenFvf);
  device->SetStreamSource(0, triangles, 0, sizeof(ScreenVertex));
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
  device->EndScene();
  const Picture result = readRenderTarget(device);
  int doubled = 0, covered = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      const int level = greenOf(result.at(x, y));
      if (level > 0x80) ++doubled;
      if (level == 0x80) ++covered;
    }
  EXPECT_EQ(doubled, 0);
  EXPECT_EQ(covered, 400) << "a 20 × 20 square";
  EXPECT_EQ(greenOf(result.at(10, 10)), 0x80);  // top-left corner inside
  EXPECT_EQ(greenOf(result.at(29, 29)), 0x80);
  EXPECT_EQ(greenOf(result.at(30, 20)), 0);  // right edge outside
  EXPECT_EQ(greenOf(result.at(20, 30)), 0);  // bottom edge outside
}
