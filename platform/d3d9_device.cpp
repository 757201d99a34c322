// IDirect3DDevice9 on one OpenGL context: creation, Direct3D 9 default states, the state cache
// (render, texture-stage and sampler states, transforms, lights, bindings), scenes and Reset.
// Drawing is in d3d9_draw.cpp; targets, Clear and Present in d3d9_targets.cpp.
#include <cstring>

#include "platform/d3d9_gl.h"
#include "platform/sdl_window.h"

namespace {

GLDevice* currentDevice = nullptr;     // whose context is current
GLDevice* fullScreenDevice = nullptr;  // the device that made its window cover the desktop

DWORD floatBits(float value) {
  DWORD bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

D3DMATRIX identityMatrix() {
  D3DMATRIX matrix{};
  matrix._11 = matrix._22 = matrix._33 = matrix._44 = 1.0f;
  return matrix;
}

// Which cached group a render state belongs to; 0 for states that only need storing.
unsigned groupOfRenderState(D3DRENDERSTATETYPE state) {
  switch (state) {
    case D3DRS_ALPHABLENDENABLE:
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND:
    case D3DRS_BLENDOP: return dirtyBlend;
    case D3DRS_ZENABLE:
    case D3DRS_ZWRITEENABLE:
    case D3DRS_ZFUNC: return dirtyDepth;
    case D3DRS_CULLMODE:
    case D3DRS_FILLMODE:
    case D3DRS_SHADEMODE:
    case D3DRS_DITHERENABLE: return dirtyRaster;
    case D3DRS_COLORWRITEENABLE: return dirtyColourMask;
    case D3DRS_AMBIENT:
    case D3DRS_DIFFUSEMATERIALSOURCE:
    case D3DRS_COLORVERTEX: return dirtyMaterial;
    default: return 0;
  }
}

}  // namespace

// ---- Creation -----------------------------------------------------------------------------
GLDevice* GLDevice::create(GLDirect3D* parent, HWND window,
                           const D3DPRESENT_PARAMETERS& parameters) {
  SDL_Window* sdlWindow = nullptr;
  bool ownWindow = false;
  if (window) {
    sdlWindow = sdlWindowOf(window);
    if (!sdlWindow) {
      SDL_SetError("Direct3D: the device window does not exist");
      return nullptr;
    }
  } else {
    // Off-screen device: a hidden window of its own only carries the context.
    int width = parameters.BackBufferWidth ? int(parameters.BackBufferWidth) : 640;
    int height = parameters.BackBufferHeight ? int(parameters.BackBufferHeight) : 480;
    sdlWindow = SDL_CreateWindow("Direct3D device", 0, 0, width, height,
                                 SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!sdlWindow) return nullptr;
    ownWindow = true;
  }
  GLDevice* device = new GLDevice(parent, window, sdlWindow, ownWindow);
  if (!device->initialise(parameters)) {
    delete device;  // nothing else holds it yet
    return nullptr;
  }
  return device;
}

GLDevice::GLDevice(GLDirect3D* parent, HWND hwnd, SDL_Window* sdlWindow, bool ownWindow)
    : direct3D(parent),
      deviceWindow(hwnd),
      window(sdlWindow),
      windowId(SDL_GetWindowID(sdlWindow)),
      ownsWindow(ownWindow) {
  direct3D->AddRef();
  std::memset(textures, 0, sizeof textures);
}

bool GLDevice::initialise(const D3DPRESENT_PARAMETERS& parameters) {
  presentParameters = parameters;
  if (presentParameters.BackBufferWidth == 0 || presentParameters.BackBufferHeight == 0) {
    int width, height;
    SDL_GetWindowSize(window, &width, &height);
    presentParameters.BackBufferWidth = UINT(width);
    presentParameters.BackBufferHeight = UINT(height);
  }
  if (presentParameters.BackBufferFormat == D3DFMT_UNKNOWN)
    presentParameters.BackBufferFormat = D3DFMT_X8R8G8B8;

  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, 0);
  context = SDL_GL_CreateContext(window);
  if (!context) return false;
  currentDevice = nullptr;
  if (!makeCurrent()) return false;
  if (epoxy_gl_version() < 30 && !epoxy_has_gl_extension("GL_ARB_framebuffer_object")) {
    SDL_SetError("Direct3D: OpenGL has no framebuffer objects");
    return false;
  }
  SDL_GL_SetSwapInterval(
      presentParameters.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);

  const UINT width = presentParameters.BackBufferWidth;
  const UINT height = presentParameters.BackBufferHeight;
  glGenRenderbuffers(1, &autoDepthBuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, autoDepthBuffer);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, GLsizei(width), GLsizei(height));

  D3DSURFACE_DESC description{presentParameters.BackBufferFormat,
                              D3DRTYPE_SURFACE,
                              D3DUSAGE_RENDERTARGET,
                              D3DPOOL_DEFAULT,
                              D3DMULTISAMPLE_NONE,
                              0,
                              width,
                              height};
  backBuffer = new GLSurface(this, GLSurface::Kind::backBuffer, description);
  if (!backBuffer->initialise()) {
    SDL_SetError("Direct3D: OpenGL cannot make a %ux%u back buffer", width, height);
    return false;
  }
  renderTarget = backBuffer;
  initialiseFixedState();
  applyWindowMode(presentParameters.Windowed);
  setDefaultStates();
  return true;
}

GLDevice::~GLDevice() {
  if (fullScreenDevice == this) {
    if (sdlWindowOf(deviceWindow)) setWindowFullScreen(deviceWindow, false);
    fullScreenDevice = nullptr;
  }
  delete backBuffer;
  if (context) {
    if (makeCurrent() && autoDepthBuffer) glDeleteRenderbuffers(1, &autoDepthBuffer);
    SDL_GL_MakeCurrent(nullptr, nullptr);
    SDL_GL_DeleteContext(context);
  }
  if (currentDevice == this) currentDevice = nullptr;
  if (ownsWindow) SDL_DestroyWindow(window);
  direct3D->Release();
}

bool GLDevice::makeCurrent() {
  if (SDL_GetWindowFromID(windowId) != window) return false;
  if (currentDevice == this) return true;
  if (SDL_GL_MakeCurrent(window, context) != 0) return false;
  currentDevice = this;
  boundFramebuffer = 0xFFFFFFFFu;  // unknown after a switch
  return true;
}

// A device's own hidden window only carries the context; the program's window shows nothing
// while it is minimised or unmapped.
bool GLDevice::windowOccluded() const {
  return !ownsWindow && (SDL_GetWindowFlags(window) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED));
}

void GLDevice::applyWindowMode(bool windowed) {
  if (ownsWindow) return;
  if (!windowed) {
    if (!isWindowFullScreen(deviceWindow)) setWindowFullScreen(deviceWindow, true);
    fullScreenDevice = this;
  } else {
    if (isWindowFullScreen(deviceWindow)) setWindowFullScreen(deviceWindow, false);
    if (fullScreenDevice == this) fullScreenDevice = nullptr;
  }
}

// Direct3D 9's documented defaults, never GL's.
void GLDevice::setDefaultStates() {
  std::memset(renderStates, 0, sizeof renderStates);
  DWORD* rs = renderStates;
  rs[D3DRS_ZENABLE] = presentParameters.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
  rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
  rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
  rs[D3DRS_ZWRITEENABLE] = TRUE;
  rs[D3DRS_LASTPIXEL] = TRUE;
  rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  rs[D3DRS_CULLMODE] = D3DCULL_CCW;
  rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
  rs[D3DRS_CLIPPING] = TRUE;
  rs[D3DRS_LIGHTING] = TRUE;
  rs[D3DRS_COLORVERTEX] = TRUE;
  rs[D3DRS_LOCALVIEWER] = TRUE;
  rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
  rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
  rs[D3DRS_POINTSIZE] = floatBits(1.0f);
  rs[D3DRS_POINTSIZE_MIN] = floatBits(1.0f);
  rs[D3DRS_POINTSCALE_A] = floatBits(1.0f);
  rs[D3DRS_POINTSCALE_B] = floatBits(0.0f);
  rs[D3DRS_POINTSCALE_C] = floatBits(0.0f);
  rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
  rs[D3DRS_POINTSIZE_MAX] = floatBits(64.0f);
  rs[D3DRS_COLORWRITEENABLE] = 0xF;
  rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;

  std::memset(stageStates, 0, sizeof stageStates);
  std::memset(samplerStates, 0, sizeof samplerStates);
  for (int stage = 0; stage < stageCount; ++stage) {
    DWORD* ts = stageStates[stage];
    ts[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    ts[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    ts[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    ts[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    ts[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    ts[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    ts[D3DTSS_TEXCOORDINDEX] = DWORD(stage);
    DWORD* ss = samplerStates[stage];
    ss[D3DSAMP_ADDRESSU] = ss[D3DSAMP_ADDRESSV] = ss[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
    ss[D3DSAMP_MAGFILTER] = ss[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    ss[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
    ss[D3DSAMP_MAXANISOTROPY] = 1;
  }
  world = view = projection = identityMatrix();
  std::memset(lights, 0, sizeof lights);
  std::memset(lightEnabled, 0, sizeof lightEnabled);
  std::memset(textures, 0, sizeof textures);
  vertexFormat = 0;
  stream = nullptr;
  streamOffset = streamStride = 0;
  renderTarget = backBuffer;
  dirty = dirtyAll;
  matrixSetup = MatrixSetup::unknown;
}

void GLDevice::forget(const void* resource) {
  for (GLTexture*& texture : textures)
    if (texture == resource) {
      texture = nullptr;
      dirty |= dirtyTexture;
    }
  if (stream == resource) stream = nullptr;
  if (renderTarget == resource) {
    renderTarget = backBuffer;
    dirty |= dirtyMatrices | dirtyColourMask;
  }
}

HRESULT GLDevice::Reset(D3DPRESENT_PARAMETERS* parameters) {
  if (!parameters) return refused("Reset", "no presentation parameters");
  const UINT width =
      parameters->BackBufferWidth ? parameters->BackBufferWidth : presentParameters.BackBufferWidth;
  const UINT height = parameters->BackBufferHeight ? parameters->BackBufferHeight
                                                   : presentParameters.BackBufferHeight;
  // The back buffer keeps its size: render targets and the depth buffer are made for it.
  if (width != presentParameters.BackBufferWidth || height != presentParameters.BackBufferHeight)
    return refused("Reset", "the back buffer cannot change its size");
  presentParameters.Windowed = parameters->Windowed;
  presentParameters.PresentationInterval = parameters->PresentationInterval;
  settlePass();
  applyWindowMode(parameters->Windowed);
  setDefaultStates();
  inScene = false;
  return D3D_OK;
}

// ---- Scenes -------------------------------------------------------------------------------
HRESULT GLDevice::BeginScene() {
  if (inScene) return refused("BeginScene", "already in a scene");
  inScene = true;
  return D3D_OK;
}

HRESULT GLDevice::EndScene() {
  if (!inScene) return refused("EndScene", "not in a scene");
  inScene = false;
  return D3D_OK;
}

// ---- Transforms and lights ----------------------------------------------------------------
HRESULT GLDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  if (!matrix) return refused("SetTransform", "no matrix");
  D3DMATRIX* target = state == D3DTS_WORLD        ? &world
                      : state == D3DTS_VIEW       ? &view
                      : state == D3DTS_PROJECTION ? &projection
                                                  : nullptr;
  if (!target) return refused("SetTransform", "only world, view and projection transforms");
  // The cache holds exactly the bits it was given, so only the same bytes change nothing
  // (comparing values would take -0 for 0, and a NaN never for itself).
  // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison)
  if (std::memcmp(target, matrix, sizeof *matrix) == 0) return D3D_OK;
  *target = *matrix;
  dirty |= dirtyMatrices;
  if (state == D3DTS_VIEW) dirty |= dirtyLights;  // light directions are given in world space
  return D3D_OK;
}

HRESULT GLDevice::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
  if (!matrix) return refused("GetTransform", "no place for the matrix");
  if (state == D3DTS_WORLD)
    *matrix = world;
  else if (state == D3DTS_VIEW)
    *matrix = view;
  else if (state == D3DTS_PROJECTION)
    *matrix = projection;
  else
    return refused("GetTransform", "only world, view and projection transforms");
  return D3D_OK;
}

HRESULT GLDevice::SetLight(DWORD index, const D3DLIGHT9* light) {
  if (!light) return refused("SetLight", "no light");
  if (index >= DWORD(lightCount)) return refused("SetLight", "light index past the eight lights");
  if (light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL)
    return refused("SetLight", "not a point, spot or directional light");
  lights[index] = *light;
  dirty |= dirtyLights;
  return D3D_OK;
}

HRESULT GLDevice::GetLight(DWORD index, D3DLIGHT9* light) {
  if (!light) return refused("GetLight", "no place for the light");
  if (index >= DWORD(lightCount)) return refused("GetLight", "light index past the eight lights");
  if (lights[index].Type == 0) return refused("GetLight", "light never set");
  *light = lights[index];
  return D3D_OK;
}

HRESULT GLDevice::LightEnable(DWORD index, BOOL enable) {
  if (index >= DWORD(lightCount))
    return refused("LightEnable", "light index past the eight lights");
  if (lights[index].Type == 0) {
    // Direct3D gives a light that was never set a white directional light along +z.
    lights[index].Type = D3DLIGHT_DIRECTIONAL;
    lights[index].Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    lights[index].Direction = {0.0f, 0.0f, 1.0f};
  }
  if (lightEnabled[index] == (enable != FALSE)) return D3D_OK;
  lightEnabled[index] = enable != FALSE;
  dirty |= dirtyLights;
  return D3D_OK;
}

HRESULT GLDevice::GetLightEnable(DWORD index, BOOL* enable) {
  if (!enable) return refused("GetLightEnable", "no place for the answer");
  if (index >= DWORD(lightCount))
    return refused("GetLightEnable", "light index past the eight lights");
  if (lights[index].Type == 0) return refused("GetLightEnable", "light never set");
  *enable = lightEnabled[index] ? TRUE : FALSE;
  return D3D_OK;
}

// ---- Render, texture-stage and sampler states ---------------------------------------------
HRESULT GLDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  if (unsigned(state) >= unsigned(renderStateCount))
    return refused("SetRenderState", "not a render state");
  if (renderStates[state] == value) return D3D_OK;
  renderStates[state] = value;
  dirty |= groupOfRenderState(state);
  return D3D_OK;
}

HRESULT GLDevice::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
  if (!value) return refused("GetRenderState", "no place for the value");
  if (unsigned(state) >= unsigned(renderStateCount))
    return refused("GetRenderState", "not a render state");
  *value = renderStates[state];
  return D3D_OK;
}

HRESULT GLDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (stage >= DWORD(stageCount))
    return refused("SetTextureStageState", "stage past the eight stages");
  if (unsigned(type) >= unsigned(stageStateCount))
    return refused("SetTextureStageState", "not a texture-stage state");
  if (stageStates[stage][type] == value) return D3D_OK;
  stageStates[stage][type] = value;
  if (stage == 0) dirty |= dirtyTexture;
  return D3D_OK;
}

HRESULT GLDevice::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
  if (!value) return refused("GetTextureStageState", "no place for the value");
  if (stage >= DWORD(stageCount))
    return refused("GetTextureStageState", "stage past the eight stages");
  if (unsigned(type) >= unsigned(stageStateCount))
    return refused("GetTextureStageState", "not a texture-stage state");
  *value = stageStates[stage][type];
  return D3D_OK;
}

HRESULT GLDevice::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  if (sampler >= DWORD(stageCount))
    return refused("SetSamplerState", "sampler past the eight samplers");
  if (unsigned(type) >= unsigned(samplerStateCount))
    return refused("SetSamplerState", "not a sampler state");
  if (samplerStates[sampler][type] == value) return D3D_OK;
  samplerStates[sampler][type] = value;
  if (sampler == 0) dirty |= dirtyTexture;
  return D3D_OK;
}

HRESULT GLDevice::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
  if (!value) return refused("GetSamplerState", "no place for the value");
  if (sampler >= DWORD(stageCount))
    return refused("GetSamplerState", "sampler past the eight samplers");
  if (unsigned(type) >= unsigned(samplerStateCount))
    return refused("GetSamplerState", "not a sampler state");
  *value = samplerStates[sampler][type];
  return D3D_OK;
}

// ---- Bindings -----------------------------------------------------------------------------
HRESULT GLDevice::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
  if (stage >= DWORD(stageCount)) return refused("SetTexture", "stage past the eight stages");
  GLTexture* glTexture = static_cast<GLTexture*>(static_cast<IDirect3DTexture9*>(texture));
  if (textures[stage] == glTexture) return D3D_OK;
  textures[stage] = glTexture;
  if (stage == 0) dirty |= dirtyTexture;
  return D3D_OK;
}

HRESULT GLDevice::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) {
  if (!texture) return refused("GetTexture", "no place for the texture");
  if (stage >= DWORD(stageCount)) return refused("GetTexture", "stage past the eight stages");
  *texture = textures[stage];
  if (*texture) (*texture)->AddRef();
  return D3D_OK;
}

HRESULT GLDevice::SetFVF(DWORD fvf) {
  vertexFormat = fvf;
  return D3D_OK;
}

HRESULT GLDevice::GetFVF(DWORD* fvf) {
  if (!fvf) return refused("GetFVF", "no place for the vertex format");
  *fvf = vertexFormat;
  return D3D_OK;
}

HRESULT GLDevice::SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9* streamData,
                                  UINT offsetInBytes, UINT stride) {
  if (streamNumber != 0) return refused("SetStreamSource", "only stream 0");
  stream = static_cast<GLVertexBuffer*>(streamData);
  streamOffset = offsetInBytes;
  streamStride = stride;
  return D3D_OK;
}
