// Fixed-function lighting with the program's three lights, and point sprites sized by
// Direct3D's formula.
#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>

#include "tests/platform/d3d9_test_scene.h"

namespace {

constexpr D3DCOLOR black = 0xFF000000;
constexpr D3DCOLOR white = 0xFFFFFFFF;

struct LitVertex {  // D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1, 36 bytes
  float x, y, z;
  float nx, ny, nz;
  D3DCOLOR colour;
  float u, v;
};
constexpr DWORD litFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct PointVertex {  // D3DFVF_XYZ | D3DFVF_PSIZE | D3DFVF_DIFFUSE, 20 bytes
  float x, y, z, size;
  D3DCOLOR colour;
};
constexpr DWORD pointFvf = D3DFVF_XYZ | D3DFVF_PSIZE | D3DFVF_DIFFUSE;

DWORD floatBits(float value) {
  DWORD bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

D3DMATRIX translation(float x, float y, float z) {
  D3DMATRIX matrix{};
  matrix._11 = matrix._22 = matrix._33 = matrix._44 = 1.0f;
  matrix._41 = x, matrix._42 = y, matrix._43 = z;
  return matrix;
}

// Pixels that are not black along the row (horizontal) or the column through (x, y).
int runLength(const Picture& picture, int x, int y, bool horizontal) {
  int count = 0;
  const int limit = horizontal ? picture.width : picture.height;
  for (int i = 0; i < limit; ++i)
    if ((horizontal ? picture.at(i, y) : picture.at(x, i)) != black) ++count;
  return count;
}

}  // namespace

TEST_F(D3D9Scene, LitTriangleTakesTheThreeLightsTimesTheVertexColourAndKeepsItsAlpha) {
  // Direct3D: colour = Σ max(0, N·L) × light diffuse × vertex diffuse, L = −normalised
  // Direction, ambient 0; alpha = vertex alpha. The normal faces lights 0 and 1, not 2.
  const float length = std::sqrt(0.1f * 0.1f + 0.3f * 0.3f + 0.9f * 0.9f);
  const float normal[3] = {0.1f / length, 0.3f / length, -0.9f / length};
  const D3DCOLOR vertexColour = 0xC8787878;  // alpha 200, grey 120
  std::vector<LitVertex> triangle = {
      {-1.0f, -0.5f, 2.0f, normal[0], normal[1], normal[2], vertexColour, 0.0f, 0.0f},
      {0.0f, 0.5f, 2.0f, normal[0], normal[1], normal[2], vertexColour, 0.0f, 0.0f},
      {1.0f, -0.5f, 2.0f, normal[0], normal[1], normal[2], vertexColour, 0.0f, 0.0f}};
  IDirect3DVertexBuffer9* buffer36 = buffer(triangle);

  double expected[3] = {0.0, 0.0, 0.0};
  for (DWORD index = 0; index < 3; ++index) {
    D3DLIGHT9 light;
    ASSERT_EQ(device->GetLight(index, &light), D3D_OK);
    const D3DVECTOR& d = light.Direction;
    const double dl = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    const double lambert =
        std::max(0.0, -(normal[0] * d.x + normal[1] * d.y + normal[2] * d.z) / dl);
    expected[0] += lambert * light.Diffuse.r;
    expected[1] += lambert * light.Diffuse.g;
    expected[2] += lambert * light.Diffuse.b;
  }
  auto drawOver = [&](D3DCOLOR background) {
    device->BeginScene();
    clear(background);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTexture(0, nullptr);
    device->SetFVF(litFvf);
    device->SetStreamSource(0, buffer36, 0, sizeof(LitVertex));
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->EndScene();
    return readRenderTarget(device);
  };
  const Picture overBlack = drawOver(black);
  savePicture(overBlack, "d3d9_lit_triangle");
  const uint32_t onBlack = overBlack.at(320, 300);
  const uint32_t onWhite = drawOver(white).at(320, 300);
  const double alpha = 200.0 / 255.0;
  const int got[3] = {redOf(onBlack), greenOf(onBlack), blueOf(onBlack)};
  for (int channel = 0; channel < 3; ++channel)
    EXPECT_NEAR(got[channel], 255.0 * std::min(1.0, expected[channel] * 120.0 / 255.0) * alpha, 2.0)
        << "channel " << channel;
  // Over white the background shows through by 1 − alpha.
  EXPECT_NEAR(redOf(onWhite) - redOf(onBlack), 255.0 * (1.0 - alpha), 2.0);
}

TEST_F(D3D9Scene, PointSpriteSizeFollowsTheEuclideanEyeDistance) {
  // As the sparks draw: vertex size 0.1, scale A = 1, B = 1, C = 0, placed by the world matrix.
  IDirect3DTexture9* glow = texture(32, 32, [](int, int) { return white; });
  IDirect3DVertexBuffer9* point = buffer<PointVertex>({{0.0f, 0.0f, 0.0f, 0.1f, 0x80FFFFFF}});
  device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
  device->SetRenderState(D3DRS_POINTSCALEENABLE, TRUE);
  device->SetRenderState(D3DRS_POINTSIZE, floatBits(0.05f));
  device->SetRenderState(D3DRS_POINTSCALE_B, floatBits(1.0f));
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  device->SetTexture(0, glow);
  device->SetFVF(pointFvf);
  device->SetStreamSource(0, point, 0, sizeof(PointVertex));

  const float places[][3] = {{-6.1f, 1.1f, 4.0f}, {0.0f, 0.0f, 2.0f}, {3.0f, -0.5f, 6.0f}};
  for (const auto& place : places) {
    const D3DMATRIX world = translation(place[0], place[1], place[2]);
    device->SetTransform(D3DTS_WORLD, &world);
    device->BeginScene();
    clear(black);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3D_OK);
    device->EndScene();
    const Picture picture = readRenderTarget(device);
    const int x = int(std::lround(320.0 + 176.7 * place[0] / place[2]));
    const int y = int(std::lround(240.0 - 579.4 * place[1] / place[2]));
    const double d = std::sqrt(place[0] * place[0] + place[1] * place[1] + place[2] * place[2]);
    const double size = 480.0 * 0.1 * std::sqrt(1.0 / (1.0 + d));
    EXPECT_NEAR(runLength(picture, x, y, true), size, 1.0) << "at z " << place[2];
    EXPECT_NEAR(runLength(picture, x, y, false), size, 1.0) << "at z " << place[2];
    if (place[2] == 4.0f) savePicture(picture, "d3d9_spark_sprite");
  }
}

TEST_F(D3D9Scene, PointSpriteShowsItsTextureUprightAndDrawsWhenPartlyOutside) {
  // Quadrants: top-left red, top-right green, bottom-left blue, bottom-right white.
  IDirect3DTexture9* quadrants = texture(32, 32, [](int x, int y) {
    if (y < 16) return x < 16 ? D3DCOLOR(0xFFFF0000) : D3DCOLOR(0xFF00FF00);
    return x < 16 ? D3DCOLOR(0xFF0000FF) : white;
  });
  // Without PSIZE in the format D3DRS_POINTSIZE gives the size: 40 pixels, unscaled.
  struct PlainPoint {
    float x, y, z;
    D3DCOLOR colour;
  };
  IDirect3DVertexBuffer9* points =
      buffer<PlainPoint>({{0.0f, 0.0f, 2.0f, white}, {-3.65f, 0.0f, 2.0f, white}});
  device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
  device->SetRenderState(D3DRS_POINTSIZE, floatBits(40.0f));
  device->SetTexture(0, quadrants);
  device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  device->SetStreamSource(0, points, 0, sizeof(PlainPoint));
  device->BeginScene();
  clear(black);
  EXPECT_EQ(device->DrawPrimitive(D3DPT_POINTLIST, 0, 2), D3D_OK);
  device->EndScene();
  const Picture picture = readRenderTarget(device);
  savePicture(picture, "d3d9_sprite_quadrants");
  EXPECT_EQ(picture.at(310, 230), 0xFFFF0000u);
  EXPECT_EQ(picture.at(330, 230), 0xFF00FF00u);
  EXPECT_EQ(picture.at(310, 250), 0xFF0000FFu);
  EXPECT_EQ(picture.at(330, 250), white);
  // The second sprite's centre lies 2.5 pixels left of the picture: 18 of its 40 columns show.
  EXPECT_EQ(runLength(picture, 0, 250, true), 40 + 18);
  EXPECT_NE(picture.at(17, 250), black);
  EXPECT_EQ(picture.at(18, 250), black);
}

namespace {

// One lit case: a quad at view depth 2 around (x, y) with the given world scale and normal.
struct LitQuad {
  float scale[3];
  float normal[3];
  bool vertexColour;  // the format carries a diffuse colour
  DWORD colourVertex;
  DWORD ambient;       // D3DRS_AMBIENT
  float lightAmbient;  // every light's Ambient
};

}  // namespace

TEST_F(D3D9Scene, LightingFollowsTheDocumentedSumWithoutRenormalisingOrClampingEachLight) {
  // Normals go through the inverse transpose of the world-view matrix and are not renormalised
  // (D3DRS_NORMALIZENORMALS is off); each light adds max(0, N·L) × its diffuse, unclamped, and
  // the sum times the diffuse material is clamped once. The metaballs' scale (2, 0.5, 0.25)
  // lengthens their normals, so they are lit brighter than unit normals would be; a renderer
  // that clamps each light's N·L at 1 (Wine's) draws them darker and tinted by the lights.
  // Without a vertex colour, or with COLORVERTEX off, the diffuse material is the default
  // material's, zero; ambient light meets the default material's zero ambient colour.
  const float length = std::sqrt(0.1f * 0.1f + 0.3f * 0.3f + 0.9f * 0.9f);
  const float n[3] = {0.1f / length, 0.3f / length, -0.9f / length};
  const LitQuad cases[] = {
      {{1.0f, 1.0f, 1.0f}, {n[0], n[1], n[2]}, true, TRUE, 0, 0.0f},
      {{2.0f, 0.5f, 0.25f}, {n[0], n[1], n[2]}, true, TRUE, 0, 0.0f},
      {{1.0f, 1.0f, 1.0f}, {3 * n[0], 3 * n[1], 3 * n[2]}, true, TRUE, 0, 0.0f},
      {{1.0f, 1.0f, 1.0f}, {n[0], n[1], n[2]}, false, TRUE, 0, 0.0f},
      {{1.0f, 1.0f, 1.0f}, {n[0], n[1], n[2]}, true, FALSE, 0, 0.0f},
      {{1.0f, 1.0f, 1.0f}, {n[0], n[1], n[2]}, true, TRUE, 0xFF808080, 0.5f},
  };
  const D3DCOLOR vertexColour = 0xC8787878;  // pass B's: alpha 200, grey 120
  D3DMATRIX projection;
  ASSERT_EQ(device->GetTransform(D3DTS_PROJECTION, &projection), D3D_OK);
  D3DLIGHT9 lights[3];
  for (DWORD index = 0; index < 3; ++index)
    ASSERT_EQ(device->GetLight(index, &lights[index]), D3D_OK);

  device->BeginScene();
  clear(black);
  device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
  device->SetTexture(0, nullptr);  // unblended: the lit colour itself
  for (size_t k = 0; k < std::size(cases); ++k) {
    const LitQuad& lit = cases[k];
    for (DWORD index = 0; index < 3; ++index) {
      D3DLIGHT9 light = lights[index];
      light.Ambient = {lit.lightAmbient, lit.lightAmbient, lit.lightAmbient, 0.0f};
      device->SetLight(index, &light);
    }
    device->SetRenderState(D3DRS_AMBIENT, lit.ambient);
    device->SetRenderState(D3DRS_COLORVERTEX, lit.colourVertex);
    // Cell k of a 3 × 2 grid; a quad of 60 × 60 pixels around its centre.
    const int column = k % 3, row = k / 3;
    const float x = 107.0f + 213.0f * float(column), y = 120.0f + 240.0f * float(row);
    D3DMATRIX world = translation((x - 320.0f) / 320.0f * 2.0f / projection._11,
                                  (240.0f - y) / 240.0f * 2.0f / projection._22, 2.0f);
    world._11 = lit.scale[0], world._22 = lit.scale[1], world._33 = lit.scale[2];
    device->SetTransform(D3DTS_WORLD, &world);
    const float hx = 30.0f / 320.0f * 2.0f / projection._11 / lit.scale[0];
    const float hy = 30.0f / 240.0f * 2.0f / projection._22 / lit.scale[1];
    std::vector<unsigned char> quad;  // position, normal, [diffuse,] u, v
    auto append = [&quad](const void* bytes, size_t count) {
      quad.insert(quad.end(), static_cast<const unsigned char*>(bytes),
                  static_cast<const unsigned char*>(bytes) + count);
    };
    for (const auto& corner : {std::array{-hx, hy}, std::array{hx, hy}, std::array{hx, -hy},
                               std::array{-hx, hy}, std::array{hx, -hy}, std::array{-hx, -hy}}) {
      const float place[8] = {corner[0],     corner[1],     0.0f, lit.normal[0],
                              lit.normal[1], lit.normal[2], 0.0f, 0.0f};
      append(place, 24);
      if (lit.vertexColour) append(&vertexColour, 4);
      append(place + 6, 8);
    }
    device->SetFVF(lit.vertexColour ? litFvf : D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetStreamSource(0, buffer(quad), 0, lit.vertexColour ? 36 : 32);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
  }
  device->EndScene();
  const Picture picture = readRenderTarget(device);
  savePicture(picture, "d3d9_lighting_cases");

  for (size_t k = 0; k < std::size(cases); ++k) {
    const LitQuad& lit = cases[k];
    double normal[3];
    for (int axis = 0; axis < 3; ++axis) normal[axis] = lit.normal[axis] / lit.scale[axis];
    double sum[3] = {0.0, 0.0, 0.0};
    for (const D3DLIGHT9& light : lights) {
      const D3DVECTOR& d = light.Direction;
      const double dl = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
      const double lambert =
          std::max(0.0, -(normal[0] * d.x + normal[1] * d.y + normal[2] * d.z) / dl);
      sum[0] += lambert * light.Diffuse.r;
      sum[1] += lambert * light.Diffuse.g;
      sum[2] += lambert * light.Diffuse.b;
    }
    const double diffuse = lit.vertexColour && lit.colourVertex ? 120.0 / 255.0 : 0.0;
    const uint32_t got = picture.at(int(107 + 213 * (k % 3)), int(120 + 240 * (k / 3)));
    const int channels[3] = {redOf(got), greenOf(got), blueOf(got)};
    for (int c = 0; c < 3; ++c)
      EXPECT_NEAR(channels[c], 255.0 * std::min(1.0, sum[c] * diffuse), 2.0)
          << "case " << k << ", channel " << c;
  }
}
