// Platform-internal: the OpenGL objects behind the Direct3D 9 interfaces of platform/d3d9.h.
//
// One GL 2.1 compatibility context per device, made with SDL on the device window (or on a
// hidden window of the device's own when the window handle is NULL). Every render target, the
// back buffer included, is a texture attached to a framebuffer object and holds the picture
// upside down in GL terms (row 0 = top = texture v 0); Present undoes the flip.
//
// The device caches every Direct3D state on the CPU side, ignores sets that change nothing and
// hands the changed groups to GL just before a draw (d3d9_draw.cpp). A pass on a texture target
// (a Clear and the draws after it) is recorded and given to GL only when it differs from the
// target's previous pass (d3d9_passes.cpp).
//
// Sections: reference counting · device · resources.
#pragma once

#include <SDL.h>
#include <epoxy/gl.h>

#include <cstdint>
#include <vector>

#include "platform/d3d9.h"
#include "platform/d3d9_bounds.h"
#include "platform/d3d9_refusal.h"

class GLDirect3D;
class GLTexture;
class GLSurface;
class GLVertexBuffer;
struct DrawRecord;

// ---- Reference counting -------------------------------------------------------------------
template <class Interface>
class RefCounted : public Interface {
 public:
  ULONG AddRef() override { return ++references; }
  ULONG Release() override {
    ULONG left = --references;
    if (left == 0) delete this;
    return left;
  }

 private:
  ULONG references = 1;
};

class GLDirect3D final : public RefCounted<IDirect3D9> {
 public:
  GLDirect3D();
  ~GLDirect3D() override;
  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
                       D3DPRESENT_PARAMETERS* presentationParameters,
                       IDirect3DDevice9** returnedDeviceInterface) override;
};

// ---- Device -------------------------------------------------------------------------------
constexpr int renderStateCount = 256;  // D3DRENDERSTATETYPE values are below this
constexpr int stageStateCount = 33;    // D3DTEXTURESTAGESTATETYPE values are below this
constexpr int samplerStateCount = 14;  // D3DSAMPLERSTATETYPE values are below this
constexpr int stageCount = 8;          // texture stages and samplers accepted (stage 0 is drawn)
constexpr int lightCount = 8;          // light indices accepted, one GL light each

// Groups of cached state that changed since the last draw.
enum DirtyState : unsigned {
  dirtyBlend = 1u << 0,       // ALPHABLENDENABLE, SRCBLEND, DESTBLEND, BLENDOP
  dirtyDepth = 1u << 1,       // ZENABLE, ZWRITEENABLE, ZFUNC
  dirtyRaster = 1u << 2,      // CULLMODE, FILLMODE, SHADEMODE, DITHERENABLE
  dirtyColourMask = 1u << 3,  // COLORWRITEENABLE
  dirtyLights = 1u << 4,      // SetLight, LightEnable, view transform
  dirtyMaterial = 1u << 5,    // AMBIENT, DIFFUSEMATERIALSOURCE, COLORVERTEX
  dirtyTexture = 1u << 6,     // stage 0 texture, stage states, sampler states
  dirtyMatrices = 1u << 7,    // world, view, projection, render-target size
  dirtyAll = 0xFFu,
};

// Byte offsets of the fields of one flexible vertex format (FVF); -1 = absent.
struct VertexLayout {
  bool valid = false;
  bool pretransformed = false;  // XYZRHW: x, y in window pixels, z, reciprocal of w
  int normal = -1, pointSize = -1, diffuse = -1, texCoord = -1;
  UINT size = 0;  // bytes of one vertex
};

// The layout of a flexible vertex format; not valid when the position is neither XYZ nor XYZRHW.
VertexLayout layoutOf(DWORD fvf);

// What GL's matrix stacks hold at the moment.
enum class MatrixSetup { unknown, camera, screen, clip };

class GLDevice final : public RefCounted<IDirect3DDevice9> {
 public:
  // Makes the context and the default objects; null (and the reason on SDL's error) on failure.
  static GLDevice* create(GLDirect3D* parent, HWND window, const D3DPRESENT_PARAMETERS& parameters);
  ~GLDevice() override;

  // Makes this device's context current; false when its window is gone (then no GL call may run).
  bool makeCurrent();
  bool windowOccluded() const;  // minimised or unmapped: nothing drawn can be seen
  GLuint depthBuffer() const { return autoDepthBuffer; }
  UINT depthWidth() const { return presentParameters.BackBufferWidth; }
  UINT depthHeight() const { return presentParameters.BackBufferHeight; }
  // Resources bind GL textures and framebuffers and clear with masks of their own: the next draw
  // binds and masks again.
  void glBindingsLost() {
    dirty |= dirtyTexture | dirtyColourMask;
    boundFramebuffer = 0xFFFFFFFFu;
  }
  // Unbinds a resource that is going away (textures, vertex buffers, render-target surfaces).
  void forget(const void* resource);

  HRESULT Reset(D3DPRESENT_PARAMETERS* presentationParameters) override;
  HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                  const RGNDATA* dirtyRegion) override;
  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                        D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* sharedHandle) override;
  HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                             IDirect3DVertexBuffer9** vertexBuffer, HANDLE* sharedHandle) override;
  HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DSurface9** surface, HANDLE* sharedHandle) override;
  HRESULT GetRenderTargetData(IDirect3DSurface9* renderTarget,
                              IDirect3DSurface9* destSurface) override;
  HRESULT SetRenderTarget(DWORD renderTargetIndex, IDirect3DSurface9* renderTarget) override;
  HRESULT GetRenderTarget(DWORD renderTargetIndex, IDirect3DSurface9** renderTarget) override;
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                DWORD stencil) override;
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
  HRESULT SetLight(DWORD index, const D3DLIGHT9* light) override;
  HRESULT GetLight(DWORD index, D3DLIGHT9* light) override;
  HRESULT LightEnable(DWORD index, BOOL enable) override;
  HRESULT GetLightEnable(DWORD index, BOOL* enable) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
  HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
  HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) override;
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
  HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
  HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
  HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
  HRESULT SetFVF(DWORD fvf) override;
  HRESULT GetFVF(DWORD* fvf) override;
  HRESULT SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9* streamData, UINT offsetInBytes,
                          UINT stride) override;
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex,
                        UINT primitiveCount) override;

  // d3d9_passes.cpp: gives the pass being recorded to GL, or leaves it out when the target
  // already holds its result. Runs before anything that could see or change what it draws.
  void settlePass();
  size_t recordBytes() const { return recorded.capacity(); }  // of the pass being recorded
  // Gives GL every recorded draw, before a texture or target they name goes away.
  void finishRecordedWork() {
    settlePass();
    payOwedDepth();
  }

 private:
  GLDevice(GLDirect3D* parent, HWND window, SDL_Window* sdlWindow, bool ownsWindow);
  bool initialise(const D3DPRESENT_PARAMETERS& parameters);
  void setDefaultStates();
  void applyWindowMode(bool windowed);
  bool bindRenderTarget();  // makes the context current and binds the target's framebuffer
  void blitToWindow(int left, int top, int width, int height, int drawableWidth, int drawableHeight,
                    GLenum filter);

  // d3d9_targets.cpp: no clears of what was not drawn since the previous one
  bool targetHasDepth() const;
  void flushClear(GLSurface* target);      // gives a target's pending colour Clear to GL
  void prepareDraw(bool coversTarget);     // before a draw on the current target
  void noteDrawn(const TargetRect& area);  // after a draw on the current target

  // d3d9_passes.cpp: passes on texture targets, left out when they repeat
  bool startsPass(DWORD flags) const;
  void recordClear(DWORD flags, D3DCOLOR color, float z);
  // Records the draw, or draws it at once when the record would outgrow its limit.
  void recordDraw(D3DPRIMITIVETYPE type, const unsigned char* vertices, UINT vertexCount,
                  UINT byteCount, const VertexLayout& layout);
  void stopRecording();  // gives GL the pass so far; the rest of it is not recorded
  void executePass(GLSurface* target, const std::vector<unsigned char>& pass, bool depthOnly);
  DrawRecord drawStates() const;  // every state a draw reads, zero-filled around them
  void applyDrawStates(const DrawRecord& states);
  void payOwedDepth();  // gives GL a left-out pass whose depth a draw is about to test

  // d3d9_targets.cpp, d3d9_draw.cpp: the work itself, on the current target
  void clearNow(DWORD flags, D3DCOLOR color, float z);
  void drawNow(D3DPRIMITIVETYPE type, const unsigned char* vertices, UINT vertexCount,
               const VertexLayout& layout);

  // d3d9_draw.cpp
  void initialiseFixedState();
  void applyState(MatrixSetup setup, bool lit, bool vertexDiffuse);
  void applyBlend();
  void applyDepth();
  void applyRaster();
  void applyColourMask();
  void applyLights();
  void applyMaterial(bool vertexDiffuse);
  void applyTexture();
  void applyMatrices(MatrixSetup setup);
  bool coversTarget(D3DPRIMITIVETYPE type, const unsigned char* first, UINT vertexCount,
                    const VertexLayout& layout) const;
  TargetRect drawTriangles(D3DPRIMITIVETYPE type, const unsigned char* first, UINT vertexCount,
                           const VertexLayout& layout);
  TargetRect drawPointSprites(const unsigned char* first, UINT vertexCount,
                              const VertexLayout& layout);

  GLDirect3D* direct3D;
  HWND deviceWindow;
  SDL_Window* window;
  Uint32 windowId;
  bool ownsWindow;
  SDL_GLContext context = nullptr;
  D3DPRESENT_PARAMETERS presentParameters{};

  GLuint autoDepthBuffer = 0;
  GLSurface* backBuffer = nullptr;
  GLSurface* renderTarget = nullptr;
  bool inScene = false;
  ClearedContent depthContent;  // of the automatic depth buffer, shared by targets of its size
  GLuint boundFramebuffer = 0xFFFFFFFFu;  // framebuffer bound for drawing; all ones = unknown

  // The Direct3D states draws read. Every one of them (stage and sampler 0 of the arrays) must
  // also be in a pass's record, DrawRecord with drawStates and applyDrawStates (d3d9_passes.cpp):
  // a state left out there makes a pass that changed only that state look like a repeat of the
  // target's previous one, and it is skipped. The stream is recorded as the vertices it yields.
  DWORD renderStates[renderStateCount];
  DWORD stageStates[stageCount][stageStateCount];
  DWORD samplerStates[stageCount][samplerStateCount];
  D3DMATRIX world, view, projection;
  D3DLIGHT9 lights[lightCount];
  bool lightEnabled[lightCount];
  GLTexture* textures[stageCount];
  DWORD vertexFormat = 0;
  GLVertexBuffer* stream = nullptr;
  UINT streamOffset = 0;
  UINT streamStride = 0;

  unsigned dirty = dirtyAll;
  MatrixSetup matrixSetup = MatrixSetup::unknown;
  bool glLighting = false;          // GL_LIGHTING as last set
  bool materialFromVertex = false;  // GL_COLOR_MATERIAL as last set
  DWORD appliedCombiner[6] = {};    // stage-0 colour and alpha operation and arguments in GL

  GLSurface* recording = nullptr;       // the texture target whose pass is being recorded
  std::vector<unsigned char> recorded;  // its Clear and draws, with every state they read
  // A left-out pass that would have left its depth in the shared depth buffer: given to GL when
  // a draw tests depth there before the next depth Clear.
  GLSurface* owedDepthTarget = nullptr;
};

// ---- Resources ----------------------------------------------------------------------------
// A resource keeps its device alive, as in Direct3D, so its GL objects can always be deleted.
// Binding a resource (SetTexture, SetStreamSource, SetRenderTarget) takes no reference: a
// resource that goes away unbinds itself (GLDevice::forget) instead, so no cycle can form.
// Surfaces that belong to a texture or to the device share their container's count.
template <class Interface>
class DeviceChild : public RefCounted<Interface> {
 public:
  DeviceChild(GLDevice* device, bool keepsDeviceAlive)
      : owner(device), holdsDevice(keepsDeviceAlive) {
    if (holdsDevice) owner->AddRef();
  }
  ~DeviceChild() override {
    if (holdsDevice) owner->Release();
  }
  HRESULT GetDevice(IDirect3DDevice9** device) override {
    if (!device) return refused("GetDevice", "no place for the device");
    owner->AddRef();
    *device = owner;
    return D3D_OK;
  }

 protected:
  GLDevice* owner;
  bool holdsDevice;
};

// A number not handed out before, for GLTexture::contentVersion.
uint64_t nextContentVersion();

// Bytes per texel of the 32-bit formats; rows are tightly packed (Pitch = 4 × width).
constexpr int texelBytes = 4;

class GLTexture final : public DeviceChild<IDirect3DTexture9> {
 public:
  GLTexture(GLDevice* device, const D3DSURFACE_DESC& description);
  ~GLTexture() override;
  bool initialise();  // false when GL cannot hold it

  D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
  DWORD GetLevelCount() override { return 1; }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect(UINT level) override;
  // Gives GL the CPU copy an UnlockRect left behind while the window was occluded.
  void uploadIfPending();

  const D3DSURFACE_DESC& description() const { return desc; }
  GLuint name() const { return texture; }
  GLuint framebuffer() const { return frameBuffer; }
  GLSurface* targetSurface() const { return level; }  // null unless a render target

  // Filtering and addressing last given to GL for this texture (sampler state lives in the
  // texture object in GL 2.1); 0 = not yet set.
  GLint appliedMinFilter = 0, appliedMagFilter = 0, appliedWrapS = 0, appliedWrapT = 0;
  // Changes whenever the texels may have changed (upload, Clear or draw on it); never repeats.
  uint64_t contentVersion = nextContentVersion();

 private:
  D3DSURFACE_DESC desc;
  GLuint texture = 0;
  GLuint frameBuffer = 0;             // render targets only
  GLSurface* level = nullptr;         // render targets only; shares this texture's count
  std::vector<unsigned char> pixels;  // CPU copy of lockable textures
  bool locked = false;
  bool lockedReadOnly = false;
  bool uploadPending = false;  // the CPU copy changed while nothing could be seen

  void upload();
};

// A surface is either level 0 of a texture (render target), the device's back buffer, or a
// system-memory surface for read-back.
class GLSurface final : public DeviceChild<IDirect3DSurface9> {
 public:
  enum class Kind { textureLevel, backBuffer, systemMemory };
  GLSurface(GLDevice* device, Kind kind, const D3DSURFACE_DESC& description,
            GLTexture* container = nullptr);
  ~GLSurface() override;
  bool initialise();  // back buffer: makes its texture and framebuffer

  ULONG AddRef() override;
  ULONG Release() override;

  D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
  HRESULT LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect() override;

  const D3DSURFACE_DESC& description() const { return desc; }
  bool isRenderTarget() const { return kind != Kind::systemMemory; }
  bool isSystemMemory() const { return kind == Kind::systemMemory; }
  // A render target without alpha keeps 255 in its stored alpha: draws never write it.
  bool storesOpaqueAlpha() const { return desc.Format == D3DFMT_X8R8G8B8; }
  GLuint framebuffer() const { return container ? container->framebuffer() : frameBuffer; }
  unsigned char* systemPixels() { return pixels.data(); }
  GLTexture* ownerTexture() const { return container; }  // null unless a texture's level

  // Render targets: what the layer knows of the colour, and a colour Clear not yet given to GL
  // (the next draw may cover the whole target, and then it is never needed).
  ClearedContent colourContent;
  bool clearPending = false;
  D3DCOLOR pendingColour = 0;
  // Texture levels: the last pass given to GL, and the texture's content version right after.
  std::vector<unsigned char> lastPass;
  uint64_t lastPassVersion = 0;

 private:
  Kind kind;
  D3DSURFACE_DESC desc;
  GLTexture* container;               // the texture of a texture level
  GLuint texture = 0;                 // back buffer only
  GLuint frameBuffer = 0;             // back buffer only
  std::vector<unsigned char> pixels;  // system-memory surfaces
};

class GLVertexBuffer final : public DeviceChild<IDirect3DVertexBuffer9> {
 public:
  GLVertexBuffer(GLDevice* device, const D3DVERTEXBUFFER_DESC& description);
  ~GLVertexBuffer() override;

  D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
  HRESULT Lock(UINT offsetToLock, UINT sizeToLock, void** data, DWORD flags) override;
  HRESULT Unlock() override { return D3D_OK; }
  HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

  // Draws read the CPU copy directly: every buffer is small and drawn in immediate mode.
  const std::vector<unsigned char>& bytes() const { return data; }

 private:
  D3DVERTEXBUFFER_DESC desc;
  std::vector<unsigned char> data;
};

// Makes a GL framebuffer object with the colour texture and (when sizes match) the device's
// depth buffer, cleared to opaque black; 0 when GL reports it incomplete.
GLuint makeTargetFramebuffer(GLDevice* device, GLuint colourTexture, UINT width, UINT height);
