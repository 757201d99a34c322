// Passes on texture targets: a Clear of a texture target and the draws on it up to the next
// change of target (or anything else that could see or change them) are recorded with every
// state they read and their vertices. A pass that repeats the target's previous one on the same
// texture contents would draw the same pixels again, so it is left out: Mesa's software
// renderer spends most of a frame filling pixels, and a text pass repeats while nothing moves.
// A record holds at most passRecordLimit bytes: a pass too large for it is drawn as it comes,
// every time, so the records never grow with the number of draws.
#include <cstring>

#include "platform/d3d9_gl.h"
#include "platform/hooks/present_observer.h"

// Everything a draw reads besides its vertices (the device's Direct3D states, d3d9_gl.h);
// zero-filled first so that padding compares equal.
struct DrawRecord {
  DWORD renderStates[renderStateCount];
  DWORD stageStates[stageStateCount];
  DWORD samplerStates[samplerStateCount];
  D3DMATRIX world, view, projection;
  D3DLIGHT9 lights[lightCount];
  DWORD lightEnabled[lightCount];
  GLTexture* texture;
  uint64_t textureVersion;
  DWORD vertexFormat;
  UINT stride;
  D3DPRIMITIVETYPE type;
  UINT vertexCount, byteCount;
};

namespace {

// Bytes of one pass's record: some 400 draws with their states, several times the program's
// largest pass. A device holds one record per texture target and the one being made.
constexpr size_t passRecordLimit = size_t(1) << 20;

enum class Op : unsigned char { clear, draw };

struct ClearRecord {
  DWORD flags;
  D3DCOLOR colour;
  float z;
};

template <class Record>
void append(std::vector<unsigned char>& bytes, Op op, const Record& record) {
  bytes.push_back(static_cast<unsigned char>(op));
  const auto* start = reinterpret_cast<const unsigned char*>(&record);
  bytes.insert(bytes.end(), start, start + sizeof record);
}

template <class Record>
Record take(const std::vector<unsigned char>& bytes, size_t* at) {
  Record record;
  std::memcpy(&record, bytes.data() + *at, sizeof record);
  *at += sizeof record;
  return record;
}

uint64_t versionCounter = 0;

// Whether stage 0 makes the fragment's alpha from the texture alone, so that the vertices'
// diffuse alpha cannot show (text passes share glyph quads whose alpha other passes fade).
bool ignoresDiffuseAlpha(const DWORD* stage, bool textured) {
  return textured && stage[D3DTSS_ALPHAOP] == D3DTOP_SELECTARG1 &&
         stage[D3DTSS_ALPHAARG1] == D3DTA_TEXTURE &&
         !(stage[D3DTSS_COLORARG1] & D3DTA_ALPHAREPLICATE) &&
         !(stage[D3DTSS_COLORARG2] & D3DTA_ALPHAREPLICATE);
}

}  // namespace

uint64_t nextContentVersion() { return ++versionCounter; }

size_t passRecordBytes(IDirect3DDevice9* device, IDirect3DSurface9* target) {
  return static_cast<GLDevice*>(device)->recordBytes() +
         static_cast<GLSurface*>(target)->lastPass.capacity();
}

// A pass starts with a Clear of a whole texture target, its depth included when the target has
// the depth buffer: nothing drawn before it can then show in its result.
bool GLDevice::startsPass(DWORD flags) const {
  return renderTarget->ownerTexture() && (flags & D3DCLEAR_TARGET) &&
         (!targetHasDepth() || (flags & D3DCLEAR_ZBUFFER));
}

void GLDevice::recordClear(DWORD flags, D3DCOLOR color, float z) {
  recording = renderTarget;
  recorded.clear();
  append(recorded, Op::clear, ClearRecord{flags, color, z});
}

void GLDevice::recordDraw(D3DPRIMITIVETYPE type, const unsigned char* vertices, UINT vertexCount,
                          UINT byteCount, const VertexLayout& layout) {
  if (recorded.size() + 1 + sizeof(DrawRecord) + byteCount > passRecordLimit) {
    stopRecording();
    drawNow(type, vertices, vertexCount, layout);
    return;
  }
  DrawRecord draw = drawStates();
  draw.type = type;
  draw.vertexCount = vertexCount;
  draw.byteCount = byteCount;
  append(recorded, Op::draw, draw);
  const size_t start = recorded.size();
  recorded.insert(recorded.end(), vertices, vertices + byteCount);
  const bool textured = textures[0] && stageStates[0][D3DTSS_COLOROP] != D3DTOP_DISABLE;
  if (layout.diffuse >= 0 && ignoresDiffuseAlpha(stageStates[0], textured))
    for (UINT index = 0; index < vertexCount; ++index)
      recorded[start + size_t(index) * streamStride + size_t(layout.diffuse) + 3] = 0xFF;
}

// The pass is too large to record: what it drew so far goes to GL now and the rest is drawn as
// it comes. The target's previous pass is forgotten, as its pixels no longer match it.
void GLDevice::stopRecording() {
  GLSurface* target = recording;
  recording = nullptr;
  executePass(target, recorded, false);
  recorded.clear();
  target->lastPass.clear();
}

void GLDevice::settlePass() {
  if (!recording) return;
  GLSurface* target = recording;
  recording = nullptr;
  if (recorded == target->lastPass &&
      target->ownerTexture()->contentVersion == target->lastPassVersion) {
    // The target holds this pass's pixels; the shared depth buffer may not hold its depth.
    const D3DSURFACE_DESC& desc = target->description();
    if (desc.Width == depthWidth() && desc.Height == depthHeight()) owedDepthTarget = target;
    return;
  }
  executePass(target, recorded, false);
  target->lastPass.swap(recorded);
  target->lastPassVersion = target->ownerTexture()->contentVersion;
}

void GLDevice::payOwedDepth() {
  if (!owedDepthTarget) return;
  GLSurface* target = owedDepthTarget;
  owedDepthTarget = nullptr;
  executePass(target, target->lastPass, true);
}

// Gives a recorded pass to GL on its target, each draw with the states it was recorded with;
// depthOnly leaves the target's colour as it is. The device's own states come back afterwards.
void GLDevice::executePass(GLSurface* target, const std::vector<unsigned char>& pass,
                           bool depthOnly) {
  GLSurface* drawing = renderTarget;
  const DrawRecord saved = drawStates();

  renderTarget = target;
  for (size_t at = 0; at < pass.size();) {
    const Op op = static_cast<Op>(pass[at++]);
    if (op == Op::clear) {
      const ClearRecord clear = take<ClearRecord>(pass, &at);
      dirty = dirtyAll;
      clearNow(depthOnly ? clear.flags & ~DWORD(D3DCLEAR_TARGET) : clear.flags, clear.colour,
               clear.z);
      continue;
    }
    const DrawRecord draw = take<DrawRecord>(pass, &at);
    applyDrawStates(draw);
    if (depthOnly) renderStates[D3DRS_COLORWRITEENABLE] = 0;
    drawNow(draw.type, pass.data() + at, draw.vertexCount, layoutOf(draw.vertexFormat));
    at += draw.byteCount;
  }

  applyDrawStates(saved);
  renderTarget = drawing;
}

DrawRecord GLDevice::drawStates() const {
  DrawRecord states;
  std::memset(&states, 0, sizeof states);
  std::memcpy(states.renderStates, renderStates, sizeof states.renderStates);
  std::memcpy(states.stageStates, stageStates[0], sizeof states.stageStates);
  std::memcpy(states.samplerStates, samplerStates[0], sizeof states.samplerStates);
  states.world = world;
  states.view = view;
  states.projection = projection;
  std::memcpy(states.lights, lights, sizeof states.lights);
  for (int index = 0; index < lightCount; ++index) states.lightEnabled[index] = lightEnabled[index];
  states.texture = textures[0];
  states.textureVersion = textures[0] ? textures[0]->contentVersion : 0;
  states.vertexFormat = vertexFormat;
  states.stride = streamStride;
  return states;
}

void GLDevice::applyDrawStates(const DrawRecord& states) {
  std::memcpy(renderStates, states.renderStates, sizeof states.renderStates);
  std::memcpy(stageStates[0], states.stageStates, sizeof states.stageStates);
  std::memcpy(samplerStates[0], states.samplerStates, sizeof states.samplerStates);
  world = states.world;
  view = states.view;
  projection = states.projection;
  std::memcpy(lights, states.lights, sizeof lights);
  for (int index = 0; index < lightCount; ++index)
    lightEnabled[index] = states.lightEnabled[index] != 0;
  textures[0] = states.texture;
  vertexFormat = states.vertexFormat;
  streamStride = states.stride;
  dirty = dirtyAll;
}
