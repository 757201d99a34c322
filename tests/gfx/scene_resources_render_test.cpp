// The scene resources on a real device: the fixed buffers' contents, the re-keyed text font,
// and re-creation on a new device without growing the process.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "gfx/device.h"
#include "gfx/image_loader.h"
#include "gfx/scene_resources.h"
#include "metaballs/iso_surface.h"
#include "tests/support/frame_scene.h"

namespace {

class SceneResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(openFrameScene()); }
  void TearDown() override { closeFrameScene(); }

  template <typename Vertex>
  static Vertex vertexOf(IDirect3DVertexBuffer9* buffer, int index) {
    void* data = nullptr;
    EXPECT_TRUE(buffer && SUCCEEDED(buffer->Lock(0, 0, &data, 0)));
    Vertex vertex = static_cast<Vertex*>(data)[index];
    buffer->Unlock();
    return vertex;
  }
};

// Resident set size of this process in bytes.
long residentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * 4096;
}

// What a display-mode switch does: everything of the old device goes, a new one is made.
void switchDevice() {
  releaseSceneResources();
  deviceState.device->Release();
  deviceState.direct3D->Release();
  deviceState.device = nullptr;
  deviceState.direct3D = nullptr;
  ASSERT_EQ(createDevice(false), 0);
  setupCameraAndLights();
  createSceneResources();
}

}  // namespace

TEST_F(SceneResourcesTest, EveryHandleIsMade) {
  EXPECT_NE(screenQuad, nullptr);
  EXPECT_NE(pointerQuad, nullptr);
  EXPECT_NE(sparkVertex, nullptr);
  EXPECT_NE(panelQuad, nullptr);
  EXPECT_NE(metaballQuad, nullptr);
  for (GlyphQuad quad : textGlyphs) EXPECT_NE(quad, nullptr);
  for (GlyphQuad quad : scrollGlyphs) EXPECT_NE(quad, nullptr);
  for (IDirect3DVertexBuffer9* bar : barQuads) EXPECT_NE(bar, nullptr);
  for (IDirect3DTexture9* texture :
       {backgroundTexture, scrollFontTexture, textFontTexture, sparkTexture, pointerTexture,
        speakerTexture, repeatTexture, carouselTarget, labelTarget, metaballTarget, staticTexture,
        volumeTexture})
    EXPECT_NE(texture, nullptr);
  for (IDirect3DSurface9* surface : {carouselSurface, labelSurface, metaballSurface, backBuffer})
    EXPECT_NE(surface, nullptr);
  EXPECT_NE(isoSurface, nullptr);
}

TEST_F(SceneResourcesTest, ButtonCornersAreKeptForTheHitTest) {
  EXPECT_FLOAT_EQ(buttonVertices[4][0].x, 489.0f);
  EXPECT_FLOAT_EQ(buttonVertices[4][0].y, 13.4f);
  EXPECT_FLOAT_EQ(buttonVertices[4][1].y, 13.5f);
  EXPECT_FLOAT_EQ(buttonVertices[4][2].x, 528.0f);
  EXPECT_FLOAT_EQ(buttonVertices[4][2].y, 50.0f);
  EXPECT_FLOAT_EQ(buttonVertices[0][0].x, 329.0f);
  ScreenVertex drawn = vertexOf<ScreenVertex>(buttonQuads[4], 2);
  EXPECT_EQ(drawn.x, buttonVertices[4][2].x);
  EXPECT_EQ(drawn.v, 1.0f);
}

TEST_F(SceneResourcesTest, GlyphBuffersHoldTheGlyphTable) {
  TexturedVertex expected[4];
  makeGlyphQuad(95, expected);
  for (int i = 0; i < 4; ++i) {
    TexturedVertex vertex = vertexOf<TexturedVertex>(textGlyphs[95], i);
    EXPECT_EQ(vertex.u, expected[i].u);
    EXPECT_EQ(vertex.v, expected[i].v);
    EXPECT_EQ(vertex.y, expected[i].y);
  }
  EXPECT_FLOAT_EQ(vertexOf<ColouredVertex>(barQuads[5], 1).x, 6.0f / 16.0f);
  EXPECT_FLOAT_EQ(vertexOf<PointVertex>(sparkVertex, 0).size, 0.1f);
}

// Green and magenta become transparent black; every other texel keeps its colour and is
// opaque, the white glyph faces that the load keyed away included.
TEST_F(SceneResourcesTest, TextFontIsReKeyed) {
  IDirect3DTexture9* loaded = nullptr;
  loadImageResource(118, &loaded, true);
  ASSERT_NE(loaded, nullptr);
  Picture before = readTexels(loaded);
  loaded->Release();
  Picture after = readTexels(textFontTexture);
  ASSERT_EQ(after.width, before.width);
  ASSERT_EQ(after.height, before.height);
  int green = 0, white = 0;
  for (int y = 0; y < after.height; ++y)
    for (int x = 0; x < after.width; ++x) {
      uint32_t rgb = before.at(x, y) & 0xFFFFFF;
      if (rgb == 0x00FF00 || rgb == 0xFF00FF) {
        green += rgb == 0x00FF00;
        EXPECT_EQ(after.at(x, y), 0u) << "at " << x << ", " << y;
      } else {
        white += rgb == 0xFFFFFF;
        EXPECT_EQ(after.at(x, y), 0xFF000000 | rgb) << "at " << x << ", " << y;
      }
    }
  EXPECT_GT(green, 1000) << "the font's ground should be green";
  EXPECT_GT(white, 200) << "the font's glyph faces should be white";
}

// Twenty display-mode switches leave the process where two did.
TEST_F(SceneResourcesTest, RecreationDoesNotGrowTheProcess) {
  for (int i = 0; i < 3; ++i) switchDevice();
  long settled = residentBytes();
  for (int i = 0; i < 20; ++i) switchDevice();
  long grown = residentBytes() - settled;
  // Bytes: a switch that keeps the old scene costs about 16 MB (pictures, targets and their
  // GL copies), so twenty of them grow the process by hundreds of MB; allocator noise stays
  // within a few MB. AddressSanitizer keeps freed blocks in quarantine (tens of MB here), so
  // its builds get a wider margin; its leak checker covers them too.
#if defined(__SANITIZE_ADDRESS__)
  constexpr long allowance = 128L << 20;
#else
  constexpr long allowance = 16L << 20;
#endif
  EXPECT_LT(grown, allowance) << "grew by " << grown / 1024 << " KiB";
}
