// Metaball passes A and B and the ball animation (see metaball_passes.h).
#include "metaballs/metaball_passes.h"

#include <algorithm>
#include <cmath>

#include "gfx/device.h"
#include "gfx/scene_resources.h"

float spinX = 30.0f;
float spinY = 30.0f;
int ballFrame = 0;

namespace {

constexpr float spinXRate = 0.4f;    // radians per second
constexpr float spinYRate = 0.3f;    // radians per second
constexpr float passAExtraX = 0.5f;  // radians pass A is turned further about x
constexpr int ballFrameStep = 2;     // animation counter steps per frame
// Factors along the surface's own x, y and z, both passes.
constexpr float surfaceScale[3] = {2.0f, 0.5f, 0.25f};

struct PassStyle {
  BOOL lighting;
  D3DCOLOR colour;    // of every vertex, 0xAARRGGBB
  float position[3];  // world units
  float extraX;       // radians added to spinX
};

// Pass A: grey 180 at alpha 30, unlit; pass B: grey 120 at alpha 200, lit.
constexpr PassStyle passA = {FALSE, 0x1EB4B4B4, {-0.3f, 0.0f, 2.0f}, passAExtraX};
constexpr PassStyle passB = {TRUE, 0xC8787878, {0.2f, 0.0f, 2.0f}, 0.0f};

// The surface's triangles that the vertex buffer holds.
int trianglesInBuffer() { return std::min(isoSurface->triangleCount, metaballMaxTriangles); }

// Copies the triangle list into the vertex buffer, at most what it holds; false when the buffer
// cannot be locked (it then holds an earlier pass's triangles, which are not to be drawn).
bool fillVertexBuffer(D3DCOLOR colour) {
  void* locked = nullptr;
  if (FAILED(isoSurface->vertexBuffer->Lock(0, metaballBufferBytes, &locked, 0)) ||
      locked == nullptr)
    return false;
  MetaballVertex* vertex = static_cast<MetaballVertex*>(locked);
  const int count = trianglesInBuffer();
  for (int t = 0; t < count; ++t) {
    const IsoTriangle& triangle = isoSurface->triangles[t];
    for (const float* corner : {triangle.a, triangle.b, triangle.c}) {
      vertex->x = corner[0];
      vertex->y = corner[1];
      vertex->z = corner[2];
      vertex->nx = triangle.normal[0];
      vertex->ny = triangle.normal[1];
      vertex->nz = triangle.normal[2];
      vertex->diffuse = colour;
      ++vertex;
    }
  }
  isoSurface->vertexBuffer->Unlock();
  return true;
}

void drawPass(IDirect3DDevice9* device, const PassStyle& style) {
  if (isoSurface == nullptr || isoSurface->vertexBuffer == nullptr) return;
  device->SetRenderState(D3DRS_LIGHTING, style.lighting);
  const bool filled = !windowMinimised() && fillVertexBuffer(style.colour);

  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetFVF(metaballFvf);

  for (int axis = 0; axis < 3; ++axis) isoSurface->position[axis] = style.position[axis];
  isoSurface->angles = {spinX + style.extraX, spinY, 0.0f};
  Transform transform;
  rotationFromAngles(isoSurface->angles, transform.rotation);
  for (int axis = 0; axis < 3; ++axis) {
    transform.position[axis] = isoSurface->position[axis];
    transform.scale[axis] = surfaceScale[axis];
  }
  const D3DMATRIX world = transformToMatrix(transform);
  device->SetTransform(D3DTS_WORLD, &world);

  const int count = trianglesInBuffer();
  device->SetTexture(0, nullptr);
  device->SetStreamSource(0, isoSurface->vertexBuffer, 0, sizeof(MetaballVertex));
  if (filled && count > 0) device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, count);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
}

// amplitude * sin(multiplier * n): sine in double, kept as a float. Amplitudes are in the
// surface's own units (before its scale and placement), multipliers in radians per ballFrame
// step.
float wave(float amplitude, float multiplier, int n) {
  return static_cast<float>(amplitude * std::sin(static_cast<double>(multiplier) * n));
}

}  // namespace

// Pass A runs before pass B has advanced the spin, so it lags by one frame's increment.
void drawMetaballsA(IDirect3DDevice9* device, float /*frameSeconds*/) { drawPass(device, passA); }

void drawMetaballsB(IDirect3DDevice9* device, float frameSeconds) {
  spinX += frameSeconds * spinXRate;
  spinY += frameSeconds * spinYRate;
  drawPass(device, passB);
}

void animateBalls() {
  const int n = ballFrame;
  ballSet[0].centre[0] = wave(0.2f, 1.0f / 140.0f, n);
  ballSet[0].centre[1] = wave(0.4f, 1.0f / 120.0f, n);
  ballSet[0].centre[2] = wave(0.3f, 0.01f, n);
  ballSet[1].centre[0] = wave(0.7f, 0.025f, n);
  ballSet[1].centre[1] = wave(0.5f, 0.0125f, n);
  ballSet[1].centre[2] = wave(0.3f, 1.0f / 120.0f, n);
  ballSet[2].centre[0] = wave(0.6f, 0.0125f, n);
  ballSet[2].centre[1] = wave(0.1f, 1.0f / 60.0f, n);
  ballSet[2].centre[2] = wave(0.5f, 1.0f / 30.0f, n);
  ballFrame += ballFrameStep;
}
