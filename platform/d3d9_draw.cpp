// DrawPrimitive of the OpenGL-backed Direct3D 9 device, and the hand-over of cached state to GL.
//
// Vertices are read from the vertex buffer's CPU copy and fed in immediate mode. Where Direct3D 9
// and GL differ the Direct3D meaning is kept:
// - the projection is followed by a matrix that flips Y (targets hold their top row at GL row 0),
//   moves by half a pixel (Direct3D's pixel centres lie on integers) and maps depth 0..1 to -1..1;
// - because of the flip, GL's counter-clockwise front faces are Direct3D's clockwise ones;
// - pre-transformed (XYZRHW) vertices are window pixels, with pixel centres on integers;
// - directional lights travel along Direction; the material is zero except a vertex diffuse
//   colour chosen by D3DRS_DIFFUSEMATERIALSOURCE;
// - stage 0 combines colour and alpha separately (GL_COMBINE), and with no texture bound
//   every argument is the diffuse colour;
// - point sprites become camera-facing quads sized by Direct3D's formula on the CPU.
// Lines, strips, lit points and texture stages above 0 are not drawn.
#include <cmath>
#include <cstring>

#include "platform/d3d9_gl.h"
#include "platform/hooks/present_observer.h"

VertexLayout layoutOf(DWORD fvf) {
  VertexLayout layout;
  const DWORD position = fvf & D3DFVF_POSITION_MASK;
  if (position != D3DFVF_XYZ && position != D3DFVF_XYZRHW) return layout;
  layout.pretransformed = position == D3DFVF_XYZRHW;
  int offset = layout.pretransformed ? 16 : 12;
  if (fvf & D3DFVF_NORMAL) layout.normal = offset, offset += 12;
  if (fvf & D3DFVF_PSIZE) layout.pointSize = offset, offset += 4;
  if (fvf & D3DFVF_DIFFUSE) layout.diffuse = offset, offset += 4;
  if (fvf & D3DFVF_SPECULAR) offset += 4;
  const DWORD texCoordSets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (texCoordSets > 0) layout.texCoord = offset;
  offset += int(texCoordSets) * 8;
  layout.size = UINT(offset);
  layout.valid = true;
  return layout;
}

namespace {

struct Vertex {
  float position[4] = {0.0f, 0.0f, 0.0f, 1.0f};  // x, y, z and (pre-transformed) rhw
  float normal[3] = {0.0f, 0.0f, 0.0f};
  float pointSize = 0.0f;
  D3DCOLOR colour = 0xFFFFFFFF;  // Direct3D's diffuse colour when the format has none
  float texCoord[2] = {0.0f, 0.0f};
};

Vertex decode(const unsigned char* bytes, const VertexLayout& layout) {
  Vertex vertex;
  std::memcpy(vertex.position, bytes, layout.pretransformed ? 16 : 12);
  if (layout.normal >= 0) std::memcpy(vertex.normal, bytes + layout.normal, 12);
  if (layout.pointSize >= 0) std::memcpy(&vertex.pointSize, bytes + layout.pointSize, 4);
  if (layout.diffuse >= 0) std::memcpy(&vertex.colour, bytes + layout.diffuse, 4);
  if (layout.texCoord >= 0) std::memcpy(vertex.texCoord, bytes + layout.texCoord, 8);
  return vertex;
}

void sendColour(D3DCOLOR colour) {
  glColor4ub(GLubyte(colour >> 16), GLubyte(colour >> 8), GLubyte(colour), GLubyte(colour >> 24));
}

float asFloat(DWORD bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void colourOf(D3DCOLOR colour, float out[4]) {
  out[0] = float((colour >> 16) & 0xFF) / 255.0f;
  out[1] = float((colour >> 8) & 0xFF) / 255.0f;
  out[2] = float(colour & 0xFF) / 255.0f;
  out[3] = float(colour >> 24) / 255.0f;
}

GLenum blendFactorOf(DWORD blend) {
  switch (blend) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    default: return GL_ONE;
  }
}

GLenum blendEquationOf(DWORD operation) {
  switch (operation) {
    case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    default: return GL_FUNC_ADD;
  }
}

GLenum compareFunctionOf(DWORD function) {
  switch (function) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    case D3DCMP_ALWAYS: return GL_ALWAYS;
    default: return GL_LEQUAL;
  }
}

GLint filterOf(DWORD filter) { return filter >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST; }

GLint wrapOf(DWORD address) {
  switch (address) {
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    default: return GL_REPEAT;
  }
}

// One half (colour or alpha) of stage 0 as a GL_COMBINE function.
void setCombiner(bool alpha, DWORD operation, DWORD argument1, DWORD argument2) {
  auto source = [](DWORD argument) {
    return (argument & D3DTA_SELECTMASK) == D3DTA_TEXTURE ? GL_TEXTURE : GL_PRIMARY_COLOR;
  };
  auto operand = [alpha](DWORD argument) {
    const bool complement = argument & D3DTA_COMPLEMENT;
    if (alpha || (argument & D3DTA_ALPHAREPLICATE))
      return complement ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_ALPHA;
    return complement ? GL_ONE_MINUS_SRC_COLOR : GL_SRC_COLOR;
  };
  GLint function = GL_MODULATE;
  DWORD first = argument1, second = argument2;
  if (operation == D3DTOP_SELECTARG1) {
    function = GL_REPLACE;
  } else if (operation == D3DTOP_SELECTARG2 || operation == D3DTOP_DISABLE) {
    function = GL_REPLACE;
    first = operation == D3DTOP_DISABLE ? D3DTA_CURRENT : argument2;
  }
  glTexEnvi(GL_TEXTURE_ENV, alpha ? GL_COMBINE_ALPHA : GL_COMBINE_RGB, function);
  glTexEnvi(GL_TEXTURE_ENV, alpha ? GL_SRC0_ALPHA : GL_SRC0_RGB, source(first));
  glTexEnvi(GL_TEXTURE_ENV, alpha ? GL_OPERAND0_ALPHA : GL_OPERAND0_RGB, operand(first));
  glTexEnvi(GL_TEXTURE_ENV, alpha ? GL_SRC1_ALPHA : GL_SRC1_RGB, source(second));
  glTexEnvi(GL_TEXTURE_ENV, alpha ? GL_OPERAND1_ALPHA : GL_OPERAND1_RGB, operand(second));
}

// Clip-space correction after the program's projection, for a W × H target (GL column-major):
// x' = x + w/W, y' = −y + w/H, z' = 2z − w.
void loadTargetCorrection(float width, float height) {
  const float matrix[16] = {1.0f, 0.0f, 0.0f, 0.0f, 0.0f,         -1.0f,         0.0f,  0.0f,
                            0.0f, 0.0f, 2.0f, 0.0f, 1.0f / width, 1.0f / height, -1.0f, 1.0f};
  glLoadMatrixf(matrix);
}

// Window pixels (pixel centres on integers) fed as (x, y, z, 1) · w to clip space.
void loadScreenToClip(float width, float height) {
  const float matrix[16] = {
      2.0f / width, 0.0f, 0.0f, 0.0f, 0.0f, 2.0f / height,       0.0f,
      0.0f,         0.0f, 0.0f, 2.0f, 0.0f, 1.0f / width - 1.0f, 1.0f / height - 1.0f,
      -1.0f,        1.0f};
  glLoadMatrixf(matrix);
}

// a × b for Direct3D's row-vector matrices (a applies first).
void multiply(const D3DMATRIX& a, const D3DMATRIX& b, D3DMATRIX& product) {
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column)
      product.m[row][column] = a.m[row][0] * b.m[0][column] + a.m[row][1] * b.m[1][column] +
                               a.m[row][2] * b.m[2][column] + a.m[row][3] * b.m[3][column];
}

// Row vector (x, y, z, w) times a Direct3D matrix.
void transformPoint(const float in[4], const D3DMATRIX& matrix, float out[4]) {
  for (int column = 0; column < 4; ++column)
    out[column] = in[0] * matrix.m[0][column] + in[1] * matrix.m[1][column] +
                  in[2] * matrix.m[2][column] + in[3] * matrix.m[3][column];
}

}  // namespace

// ---- Fixed GL state -----------------------------------------------------------------------
void GLDevice::initialiseFixedState() {
  glFrontFace(GL_CCW);  // Direct3D's clockwise front faces, seen through the Y flip
  glDisable(GL_NORMALIZE);
  glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_TRUE);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
  const float zero[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, zero);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, zero);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, zero);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, zero);
  glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
}

// ---- State groups -------------------------------------------------------------------------
void GLDevice::applyBlend() {
  if (renderStates[D3DRS_ALPHABLENDENABLE])
    glEnable(GL_BLEND);
  else
    glDisable(GL_BLEND);
  glBlendFunc(blendFactorOf(renderStates[D3DRS_SRCBLEND]),
              blendFactorOf(renderStates[D3DRS_DESTBLEND]));
  glBlendEquation(blendEquationOf(renderStates[D3DRS_BLENDOP]));
}

void GLDevice::applyDepth() {
  if (renderStates[D3DRS_ZENABLE] == D3DZB_FALSE) {
    glDisable(GL_DEPTH_TEST);  // also stops depth writes, as in Direct3D
    return;
  }
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(compareFunctionOf(renderStates[D3DRS_ZFUNC]));
  glDepthMask(renderStates[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);
}

void GLDevice::applyRaster() {
  switch (renderStates[D3DRS_CULLMODE]) {
    case D3DCULL_CW:
      glEnable(GL_CULL_FACE);
      glCullFace(GL_FRONT);
      break;
    case D3DCULL_CCW:
      glEnable(GL_CULL_FACE);
      glCullFace(GL_BACK);
      break;
    default: glDisable(GL_CULL_FACE);
  }
  const DWORD fill = renderStates[D3DRS_FILLMODE];
  glPolygonMode(GL_FRONT_AND_BACK, fill == D3DFILL_POINT       ? GL_POINT
                                   : fill == D3DFILL_WIREFRAME ? GL_LINE
                                                               : GL_FILL);
  glShadeModel(renderStates[D3DRS_SHADEMODE] == D3DSHADE_FLAT ? GL_FLAT : GL_SMOOTH);
  if (renderStates[D3DRS_DITHERENABLE])
    glEnable(GL_DITHER);
  else
    glDisable(GL_DITHER);
}

void GLDevice::applyColourMask() {
  const DWORD mask = renderStates[D3DRS_COLORWRITEENABLE];
  glColorMask((mask & D3DCOLORWRITEENABLE_RED) != 0, (mask & D3DCOLORWRITEENABLE_GREEN) != 0,
              (mask & D3DCOLORWRITEENABLE_BLUE) != 0,
              (mask & D3DCOLORWRITEENABLE_ALPHA) != 0 && !renderTarget->storesOpaqueAlpha());
}

// GL transforms a light's position by the modelview of the moment: the view, since Direct3D
// gives lights in world space. A directional light's GL position points towards the light.
void GLDevice::applyLights() {
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(&view.m[0][0]);
  matrixSetup = MatrixSetup::unknown;
  for (int index = 0; index < lightCount; ++index) {
    const GLenum light = GLenum(GL_LIGHT0 + index);
    if (!lightEnabled[index]) {
      glDisable(light);
      continue;
    }
    const D3DLIGHT9& source = lights[index];
    glLightfv(light, GL_DIFFUSE, &source.Diffuse.r);
    glLightfv(light, GL_SPECULAR, &source.Specular.r);
    glLightfv(light, GL_AMBIENT, &source.Ambient.r);
    if (source.Type == D3DLIGHT_DIRECTIONAL) {
      const D3DVECTOR& d = source.Direction;
      const float length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
      const float scale = length > 0.0f ? -1.0f / length : 0.0f;
      const float position[4] = {d.x * scale, d.y * scale, d.z * scale, 0.0f};
      glLightfv(light, GL_POSITION, position);
    } else {
      const float position[4] = {source.Position.x, source.Position.y, source.Position.z, 1.0f};
      glLightfv(light, GL_POSITION, position);
      glLightf(light, GL_CONSTANT_ATTENUATION, source.Attenuation0);
      glLightf(light, GL_LINEAR_ATTENUATION, source.Attenuation1);
      glLightf(light, GL_QUADRATIC_ATTENUATION, source.Attenuation2);
    }
    glEnable(light);
  }
}

// The material is never set, so it is zero, except the diffuse colour when it comes from the
// vertex (D3DMCS_COLOR1 with a diffuse colour in the format); lit alpha is that diffuse alpha.
void GLDevice::applyMaterial(bool vertexDiffuse) {
  float ambient[4];
  colourOf(renderStates[D3DRS_AMBIENT], ambient);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  const bool fromVertex = vertexDiffuse && renderStates[D3DRS_COLORVERTEX] &&
                          renderStates[D3DRS_DIFFUSEMATERIALSOURCE] == D3DMCS_COLOR1;
  if (fromVertex) {
    glEnable(GL_COLOR_MATERIAL);
  } else {
    glDisable(GL_COLOR_MATERIAL);
    const float zero[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, zero);
  }
  materialFromVertex = fromVertex;
}

void GLDevice::applyTexture() {
  GLTexture* texture = textures[0];
  const DWORD* stage = stageStates[0];
  if (!texture || stage[D3DTSS_COLOROP] == D3DTOP_DISABLE) {
    glDisable(GL_TEXTURE_2D);  // every argument falls back to the diffuse colour
    return;
  }
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture->name());
  const DWORD* sampler = samplerStates[0];
  const GLint minFilter = filterOf(sampler[D3DSAMP_MINFILTER]);
  const GLint magFilter = filterOf(sampler[D3DSAMP_MAGFILTER]);
  const GLint wrapS = wrapOf(sampler[D3DSAMP_ADDRESSU]);
  const GLint wrapT = wrapOf(sampler[D3DSAMP_ADDRESSV]);
  if (texture->appliedMinFilter != minFilter)
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, texture->appliedMinFilter = minFilter);
  if (texture->appliedMagFilter != magFilter)
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, texture->appliedMagFilter = magFilter);
  if (texture->appliedWrapS != wrapS)
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, texture->appliedWrapS = wrapS);
  if (texture->appliedWrapT != wrapT)
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, texture->appliedWrapT = wrapT);

  const DWORD combiner[6] = {stage[D3DTSS_COLOROP],   stage[D3DTSS_COLORARG1],
                             stage[D3DTSS_COLORARG2], stage[D3DTSS_ALPHAOP],
                             stage[D3DTSS_ALPHAARG1], stage[D3DTSS_ALPHAARG2]};
  if (std::memcmp(combiner, appliedCombiner, sizeof combiner) == 0) return;
  std::memcpy(appliedCombiner, combiner, sizeof combiner);
  setCombiner(false, combiner[0], combiner[1], combiner[2]);
  setCombiner(true, combiner[3], combiner[4], combiner[5]);
}

void GLDevice::applyMatrices(MatrixSetup setup) {
  const D3DSURFACE_DESC& target = renderTarget->description();
  const float width = float(target.Width), height = float(target.Height);
  glMatrixMode(GL_PROJECTION);
  if (setup == MatrixSetup::camera) {
    loadTargetCorrection(width, height);
    glMultMatrixf(&projection.m[0][0]);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(&view.m[0][0]);
    glMultMatrixf(&world.m[0][0]);
  } else {
    if (setup == MatrixSetup::screen)
      loadScreenToClip(width, height);
    else
      glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }
  matrixSetup = setup;
}

void GLDevice::applyState(MatrixSetup setup, bool lit, bool vertexDiffuse) {
  if (dirty & dirtyBlend) applyBlend();
  if (dirty & dirtyDepth) applyDepth();
  if (dirty & dirtyRaster) applyRaster();
  if (dirty & dirtyColourMask) applyColourMask();
  if (dirty & dirtyTexture) applyTexture();
  if (lit) {
    if (dirty & dirtyLights) {
      applyLights();
      dirty &= ~dirtyLights;
    }
    if ((dirty & dirtyMaterial) || materialFromVertex != vertexDiffuse) {
      applyMaterial(vertexDiffuse);
      dirty &= ~dirtyMaterial;
    }
  }
  if (lit != glLighting) {
    if (lit)
      glEnable(GL_LIGHTING);
    else
      glDisable(GL_LIGHTING);
    glLighting = lit;
  }
  if ((dirty & dirtyMatrices) || matrixSetup != setup) applyMatrices(setup);
  dirty &= dirtyLights | dirtyMaterial;
}

// ---- Drawing ------------------------------------------------------------------------------
HRESULT GLDevice::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
  const VertexLayout layout = layoutOf(vertexFormat);
  if (!stream) return refused("DrawPrimitive", "no vertex buffer bound");
  if (!layout.valid) return refused("DrawPrimitive", "not a vertex format the layer draws");
  if (streamStride < layout.size)
    return refused("DrawPrimitive", "stream stride shorter than a vertex");
  if (primitiveCount == 0) return refused("DrawPrimitive", "no primitives");
  UINT vertexCount = 0;
  if (type == D3DPT_TRIANGLELIST)
    vertexCount = primitiveCount * 3;
  else if (type == D3DPT_TRIANGLEFAN)
    vertexCount = primitiveCount + 2;
  else if (type == D3DPT_POINTLIST)
    vertexCount = primitiveCount;
  else
    return refused("DrawPrimitive", "only triangle lists, triangle fans and point lists");
  const std::vector<unsigned char>& bytes = stream->bytes();
  const size_t first = size_t(streamOffset) + size_t(startVertex) * streamStride;
  if (first + size_t(vertexCount - 1) * streamStride + layout.size > bytes.size())
    return refused("DrawPrimitive", "vertices past the end of the stream");
  if (windowOccluded()) return D3D_OK;
  if (!makeCurrent()) return refused("DrawPrimitive", "the device window is gone");
  if (textures[0]) textures[0]->uploadIfPending();
  const unsigned char* vertices = bytes.data() + first;
  if (recording && recording != renderTarget) settlePass();
  if (recording) {
    recordDraw(type, vertices, vertexCount,
               UINT(size_t(vertexCount - 1) * streamStride + layout.size), layout);
    return D3D_OK;
  }
  drawNow(type, vertices, vertexCount, layout);
  return D3D_OK;
}

// A draw given to GL at once; a depth-tested one first has GL draw a left-out pass whose depth
// the depth buffer should hold.
void GLDevice::drawNow(D3DPRIMITIVETYPE type, const unsigned char* vertices, UINT vertexCount,
                       const VertexLayout& layout) {
  if (renderStates[D3DRS_ZENABLE] != D3DZB_FALSE && targetHasDepth()) payOwedDepth();
  if (!bindRenderTarget()) return;
  prepareDraw(coversTarget(type, vertices, vertexCount, layout));
  noteDrawn(type == D3DPT_POINTLIST ? drawPointSprites(vertices, vertexCount, layout)
                                    : drawTriangles(type, vertices, vertexCount, layout));
  if (GLTexture* texture = renderTarget->ownerTexture())
    texture->contentVersion = nextContentVersion();
  notifyDeviceWorkObserver(this, DeviceWork::draw);
}

// Whether the draw writes every pixel of the target whatever it held: one opaque, solid,
// uncut rectangle over the whole target without depth test or blending.
bool GLDevice::coversTarget(D3DPRIMITIVETYPE type, const unsigned char* first, UINT vertexCount,
                            const VertexLayout& layout) const {
  const DWORD* rs = renderStates;
  if (type != D3DPT_TRIANGLEFAN || vertexCount != 4 || !layout.pretransformed ||
      rs[D3DRS_ALPHABLENDENABLE] || rs[D3DRS_ZENABLE] != D3DZB_FALSE ||
      rs[D3DRS_FILLMODE] != D3DFILL_SOLID || (rs[D3DRS_COLORWRITEENABLE] & 0xF) != 0xF)
    return false;
  float positions[4][4];
  for (UINT index = 0; index < 4; ++index)
    std::memcpy(positions[index], first + size_t(index) * streamStride, sizeof positions[index]);
  const D3DSURFACE_DESC& target = renderTarget->description();
  if (!fanCoversTarget(positions, int(target.Width), int(target.Height))) return false;
  const DWORD cull = rs[D3DRS_CULLMODE];
  const bool clockwise = fanIsClockwise(positions);
  return cull == D3DCULL_NONE || (cull == D3DCULL_CCW) == clockwise;
}

TargetRect GLDevice::drawTriangles(D3DPRIMITIVETYPE type, const unsigned char* first,
                                   UINT vertexCount, const VertexLayout& layout) {
  const bool lit = renderStates[D3DRS_LIGHTING] && !layout.pretransformed;
  applyState(layout.pretransformed ? MatrixSetup::screen : MatrixSetup::camera, lit,
             layout.diffuse >= 0);
  const D3DSURFACE_DESC& target = renderTarget->description();
  DrawBounds bounds(int(target.Width), int(target.Height));
  D3DMATRIX worldView, toClip;
  multiply(world, view, worldView);
  multiply(worldView, projection, toClip);
  if (layout.normal < 0) glNormal3f(0.0f, 0.0f, 0.0f);  // Direct3D lights such vertices black
  glBegin(type == D3DPT_TRIANGLELIST ? GL_TRIANGLES : GL_TRIANGLE_FAN);
  for (UINT index = 0; index < vertexCount; ++index) {
    const Vertex vertex = decode(first + size_t(index) * streamStride, layout);
    sendColour(vertex.colour);
    if (layout.normal >= 0) glNormal3fv(vertex.normal);
    glTexCoord2fv(vertex.texCoord);
    if (layout.pretransformed) {
      const float rhw = vertex.position[3];
      const float w = rhw != 0.0f ? 1.0f / rhw : 1.0f;
      glVertex4f(vertex.position[0] * w, vertex.position[1] * w, vertex.position[2] * w, w);
      if (w > 0.0f)
        bounds.addPixel(vertex.position[0], vertex.position[1]);
      else
        bounds.addUnknown();
    } else {
      glVertex3fv(vertex.position);
      float clip[4];
      transformPoint(vertex.position, toClip, clip);
      bounds.addClip(clip[0], clip[1], clip[3]);
    }
  }
  glEnd();
  return bounds.rect();
}

// Each point becomes a quad facing the camera, computed in clip space. Its side in pixels is
// Direct3D's: the vertex's PSIZE (or D3DRS_POINTSIZE), scaled when POINTSCALEENABLE by
// viewport height × √(1 / (A + B·d + C·d²)) with d the eye distance, clamped to
// [POINTSIZE_MIN, POINTSIZE_MAX]. A sprite partly off the target is clipped, not dropped.
TargetRect GLDevice::drawPointSprites(const unsigned char* first, UINT vertexCount,
                                      const VertexLayout& layout) {
  applyState(MatrixSetup::clip, false, layout.diffuse >= 0);
  glDisable(GL_CULL_FACE);  // sprites are never culled
  dirty |= dirtyRaster;
  const D3DSURFACE_DESC& target = renderTarget->description();
  const float width = float(target.Width), height = float(target.Height);
  const bool scaled = renderStates[D3DRS_POINTSCALEENABLE] != FALSE;
  const bool sprite = renderStates[D3DRS_POINTSPRITEENABLE] != FALSE;
  const float a = asFloat(renderStates[D3DRS_POINTSCALE_A]);
  const float b = asFloat(renderStates[D3DRS_POINTSCALE_B]);
  const float c = asFloat(renderStates[D3DRS_POINTSCALE_C]);
  const float minimum = asFloat(renderStates[D3DRS_POINTSIZE_MIN]);
  const float maximum = asFloat(renderStates[D3DRS_POINTSIZE_MAX]);
  DrawBounds bounds(int(target.Width), int(target.Height));

  glBegin(GL_QUADS);
  for (UINT index = 0; index < vertexCount; ++index) {
    const Vertex vertex = decode(first + size_t(index) * streamStride, layout);
    float inWorld[4], eye[4], clip[4];
    transformPoint(vertex.position, world, inWorld);
    transformPoint(inWorld, view, eye);
    transformPoint(eye, projection, clip);
    const float w = clip[3];
    if (w <= 0.0f) continue;  // behind the eye
    float size = layout.pointSize >= 0 ? vertex.pointSize : asFloat(renderStates[D3DRS_POINTSIZE]);
    if (scaled) {
      const float distance = std::sqrt(eye[0] * eye[0] + eye[1] * eye[1] + eye[2] * eye[2]);
      const float attenuation = a + b * distance + c * distance * distance;
      size = attenuation > 0.0f ? height * size * std::sqrt(1.0f / attenuation) : maximum;
    }
    size = std::fmin(std::fmax(size, minimum), maximum);
    // The same correction as loadTargetCorrection, then half the side in clip units.
    const float x = clip[0] + w / width, y = -clip[1] + w / height, z = 2.0f * clip[2] - w;
    const float halfX = size / width * w, halfY = size / height * w;
    bounds.addClip(clip[0], clip[1], w, 0.5f * size);
    const float corners[4][2] = {{-1.0f, -1.0f}, {1.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}};
    sendColour(vertex.colour);
    for (const auto& corner : corners) {
      // Row 0 is the top of the picture, so −y is up and v = 0 is the sprite's top.
      if (sprite)
        glTexCoord2f(corner[0] > 0.0f ? 1.0f : 0.0f, corner[1] > 0.0f ? 1.0f : 0.0f);
      else
        glTexCoord2fv(vertex.texCoord);
      glVertex4f(x + corner[0] * halfX, y + corner[1] * halfY, z, w);
    }
  }
  glEnd();
  return bounds.rect();
}
