// Pictures through the real Direct3D layer: the console picture drawn as the background layer
// lands on the back buffer texel for texel, textures hold the decoded texels with the white
// key, and loading never touches the working folder (a user's `_.tmp` survives, nothing is
// left behind, a read-only folder still gets every picture).
#include "gfx/device.h"
#include "gfx/image_loader.h"
#include "platform/win32.h"
#include "tests/support/render_helpers.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>

namespace {

constexpr int firstPicture = 103, lastPicture = 119;

class ImageLoaderRender : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(createOffscreenDevice()); }
  void TearDown() override { releaseOffscreenDevice(); }
};

DecodedImage decodedResource(int id, bool colourKey) {
  HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(id), "BINARYDATA");
  DecodedImage image;
  decodeImageBlob(static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, resource))),
                  SizeofResource(nullptr, resource), colourKey, image);
  return image;
}

// Bilinear sample of channel c (0 blue, 1 green, 2 red) at texel coordinates (tx, ty), edges
// clamped.
double sample(const DecodedImage& image, double tx, double ty, int c) {
  const int x0 = int(std::floor(tx)), y0 = int(std::floor(ty));
  const double fx = tx - x0, fy = ty - y0;
  auto texel = [&](int x, int y) {
    x = std::clamp(x, 0, image.width - 1), y = std::clamp(y, 0, image.height - 1);
    return double(image.texels[(std::size_t(y) * image.width + x) * 4 + c]);
  };
  return (texel(x0, y0) * (1 - fx) + texel(x0 + 1, y0) * fx) * (1 - fy) +
         (texel(x0, y0 + 1) * (1 - fx) + texel(x0 + 1, y0 + 1) * fx) * fy;
}

// The background layer: the whole-window screen quad with the picture, no blending, no depth.
void drawBackgroundLayer(IDirect3DDevice9* device, IDirect3DTexture9* texture) {
  struct ScreenVertex {
    float x, y, z, rhw, u, v;
  };
  const ScreenVertex quad[4] = {{-0.5f, -0.5f, 0.5f, 1, 0, 0},
                                {640, -0.5f, 0.5f, 1, 1, 0},
                                {640, 480, 0.5f, 1, 1, 1},
                                {-0.5f, 480, 0.5f, 1, 0, 1}};
  IDirect3DVertexBuffer9* buffer = nullptr;
  ASSERT_FALSE(FAILED(device->CreateVertexBuffer(sizeof quad, 0, D3DFVF_XYZRHW | D3DFVF_TEX1,
                                                 D3DPOOL_MANAGED, &buffer, nullptr)));
  void* data = nullptr;
  buffer->Lock(0, 0, &data, 0);
  std::memcpy(data, quad, sizeof quad);
  buffer->Unlock();
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFFFFFF, 1.0f, 0);
  device->BeginScene();
  device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTexture(0, texture);
  device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
  device->SetStreamSource(0, buffer, 0, sizeof(ScreenVertex));
  device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
  device->EndScene();
  buffer->Release();
}

TEST_F(ImageLoaderRender, BackgroundFillsTheWindowAsDecoded) {
  IDirect3DTexture9* background = nullptr;
  loadImageResource(105, &background, false);
  ASSERT_NE(background, nullptr);
  drawBackgroundLayer(deviceState.device, background);
  const Picture shown = readRenderTarget(deviceState.device);
  savePicture(shown, "image_loader_background");
  ASSERT_EQ(shown.width, 640);
  ASSERT_EQ(shown.height, 480);
  // Pixel centre x + 0.5 of the quad from -0.5 to 640 samples texel coordinate u * 640 - 0.5.
  const DecodedImage expected = decodedResource(105, false);
  int worst = 0, white = 0;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      const double tx = (x + 0.5) / 640.5 * 640 - 0.5, ty = (y + 0.5) / 480.5 * 480 - 0.5;
      const std::uint32_t p = shown.at(x, y);
      const int channels[3] = {blueOf(p), greenOf(p), redOf(p)};
      bool whiteInPicture = true;
      for (int c = 0; c < 3; ++c) {
        const double wanted = sample(expected, tx, ty, c);
        worst = std::max(worst, int(std::lround(std::abs(channels[c] - wanted))));
        whiteInPicture = whiteInPicture && wanted > 254.5;
      }
      // White the picture itself holds (the scroller's strip) is not the clear colour.
      white += p == 0xFFFFFFFF && !whiteInPicture;
    }
  EXPECT_LE(worst, 3) << "largest channel difference from the decoded picture";
  EXPECT_LT(white, 640) << "the white clear colour must not show through";
  background->Release();
}

TEST_F(ImageLoaderRender, TexturesHoldTheDecodedTexelsWithTheKey) {
  IDirect3DTexture9* pointer = nullptr;
  loadImageResource(104, &pointer, true);
  ASSERT_NE(pointer, nullptr);
  D3DLOCKED_RECT locked;
  ASSERT_FALSE(FAILED(pointer->LockRect(0, &locked, nullptr, 0)));
  const auto* bytes = static_cast<const unsigned char*>(locked.pBits);
  const DecodedImage expected = decodedResource(104, true);
  for (int y = 0; y < 32; ++y)
    ASSERT_EQ(std::memcmp(bytes + y * locked.Pitch, &expected.texels[y * 32 * 4], 32 * 4), 0)
        << "row " << y;
  EXPECT_EQ(bytes[3], 0) << "white around the arrow is keyed out";
  EXPECT_EQ(bytes[5 * locked.Pitch + 5 * 4 + 3], 255) << "the tip is opaque";
  pointer->UnlockRect(0);
  pointer->Release();
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

std::vector<std::string> folderEntries(const std::string& path) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(path.c_str())) {
    while (dirent* entry = readdir(dir))
      if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
        names.push_back(entry->d_name);
    closedir(dir);
  }
  return names;
}

// Runs `body` with a fresh folder as the working folder, then restores the old one.
template <typename Body>
void inScratchFolder(mode_t mode, Body body) {
  char pattern[] = "/tmp/zolta_image_loader_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string folder = pattern;
  char* previous = getcwd(nullptr, 0);
  body(folder, [&] {
    chmod(folder.c_str(), mode);
    return chdir(folder.c_str()) == 0;
  });
  ASSERT_EQ(chdir(previous), 0);
  std::free(previous);
  chmod(folder.c_str(), 0700);
  for (const std::string& name : folderEntries(folder)) std::remove((folder + "/" + name).c_str());
  rmdir(folder.c_str());
}

int loadEveryPicture() {
  int loaded = 0;
  for (int id = firstPicture; id <= lastPicture; ++id) {
    IDirect3DTexture9* texture = nullptr;
    loadImageResource(WORD(id), &texture, id == 104 || id == 111 || id == 112 || id == 118);
    if (texture) ++loaded, texture->Release();
  }
  return loaded;
}

TEST_F(ImageLoaderRender, UsersTempFileSurvivesAndNothingIsLeftBehind) {
  inScratchFolder(0700, [](const std::string& folder, auto enter) {
    const std::string userData = "the user's own notes\n";
    std::ofstream(folder + "/_.tmp", std::ios::binary) << userData;
    ASSERT_TRUE(enter());
    EXPECT_EQ(loadEveryPicture(), lastPicture - firstPicture + 1);
    EXPECT_EQ(readFile(folder + "/_.tmp"), userData);
    EXPECT_EQ(folderEntries(folder), std::vector<std::string>{"_.tmp"});
  });
}

TEST_F(ImageLoaderRender, ReadOnlyWorkingFolderStillLoadsEveryPicture) {
  inScratchFolder(0500, [](const std::string& folder, auto enter) {
    ASSERT_TRUE(enter());
    EXPECT_EQ(loadEveryPicture(), lastPicture - firstPicture + 1);
    EXPECT_TRUE(folderEntries(folder).empty());
  });
}

}  // namespace
