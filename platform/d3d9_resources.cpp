// Textures, surfaces and vertex buffers of the OpenGL-backed Direct3D 9 device.
// 32-bit texels are B, G, R, A in memory: GL_BGRA with GL_UNSIGNED_INT_8_8_8_8_REV reads them
// as they are. Lockable textures and every vertex buffer keep a CPU copy; a texture's copy is
// uploaded whole at UnlockRect, or at its next draw when the window was occluded then. Row 0 of
// every texture is its top row (texture v = 0). A discarding lock of a dynamic texture or
// buffer hands back a pattern, never the old contents, as Direct3D promises nothing of them.
#include <algorithm>

#include "platform/d3d9_gl.h"

namespace {

bool isColourFormat(D3DFORMAT format) {
  return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8;
}

// GL_RGBA with GL_BGRA data makes Mesa store B, G, R, A as Direct3D does, the layout its software
// renderer's fast paths draw to and sample from. X8R8G8B8 has no alpha and samples it as 1: a
// texture the program fills gets GL_RGB8; a render target keeps 255 in its alpha bytes instead
// (cleared so when made, never written by draws, see storesOpaqueAlpha).
GLint internalFormatOf(D3DFORMAT format, bool renderTarget) {
  return format == D3DFMT_X8R8G8B8 && !renderTarget ? GL_RGB8 : GL_RGBA;
}

GLuint makeColourTexture(UINT width, UINT height, D3DFORMAT format, bool renderTarget) {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, internalFormatOf(format, renderTarget), GLsizei(width),
               GLsizei(height), 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
  return texture;
}

// Whether a lock hands back a new, undefined store: D3DLOCK_DISCARD does so for a dynamic
// resource locked for writing (on any other it is ignored, as Direct3D ignores it).
bool lockDiscards(DWORD usage, DWORD flags) {
  return (usage & D3DUSAGE_DYNAMIC) && (flags & D3DLOCK_DISCARD) && !(flags & D3DLOCK_READONLY);
}

// What a discarded store holds here: never the old contents, so a program that reads them back
// or leaves part unwritten draws this pattern instead of what it last wrote.
void fillDiscarded(std::vector<unsigned char>& store) {
  constexpr unsigned char discardedByte = 0xCD;  // as texel: grey 205 with alpha 205
  std::fill(store.begin(), store.end(), discardedByte);
}

// Start of the locked area inside a tightly packed 32-bit picture; null when out of bounds.
unsigned char* lockedStart(std::vector<unsigned char>& pixels, const D3DSURFACE_DESC& desc,
                           const RECT* rect, INT* pitch) {
  *pitch = INT(desc.Width) * texelBytes;
  if (!rect) return pixels.data();
  if (rect->left < 0 || rect->top < 0 || rect->right > LONG(desc.Width) ||
      rect->bottom > LONG(desc.Height) || rect->left >= rect->right || rect->top >= rect->bottom)
    return nullptr;
  return pixels.data() + size_t(rect->top) * size_t(*pitch) + size_t(rect->left) * texelBytes;
}

}  // namespace

GLuint makeTargetFramebuffer(GLDevice* device, GLuint colourTexture, UINT width, UINT height) {
  GLuint framebuffer = 0;
  glGenFramebuffers(1, &framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  device->glBindingsLost();
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colourTexture, 0);
  // The automatic depth buffer serves every target of its size, as in Direct3D.
  if (width == device->depthWidth() && height == device->depthHeight())
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                              device->depthBuffer());
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    glDeleteFramebuffers(1, &framebuffer);
    return 0;
  }
  // A target without alpha must hold 255 there before anything is drawn.
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  return framebuffer;
}

// ---- Creation on the device ---------------------------------------------------------------
HRESULT GLDevice::CreateTexture(UINT width, UINT height, UINT, DWORD usage, D3DFORMAT format,
                                D3DPOOL pool, IDirect3DTexture9** texture, HANDLE*) {
  if (!texture) return refused("CreateTexture", "no place for the texture");
  if (width == 0 || height == 0) return refused("CreateTexture", "no pixels");
  if (!isColourFormat(format))
    return refused("CreateTexture", "only A8R8G8B8 and X8R8G8B8 textures");
  *texture = nullptr;
  if ((usage & D3DUSAGE_RENDERTARGET) && pool != D3DPOOL_DEFAULT)
    return refused("CreateTexture", "a render target outside the default pool");
  D3DSURFACE_DESC description{format, D3DRTYPE_SURFACE, usage, pool, D3DMULTISAMPLE_NONE, 0, width,
                              height};
  GLTexture* made = new GLTexture(this, description);
  if (!made->initialise()) {
    delete made;  // nothing else holds it yet
    return refused("CreateTexture", "OpenGL cannot hold the texture", D3DERR_OUTOFVIDEOMEMORY);
  }
  *texture = made;
  return D3D_OK;
}

HRESULT GLDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                     IDirect3DVertexBuffer9** vertexBuffer, HANDLE*) {
  if (!vertexBuffer) return refused("CreateVertexBuffer", "no place for the buffer");
  if (length == 0) return refused("CreateVertexBuffer", "no bytes");
  D3DVERTEXBUFFER_DESC description{
      D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, pool, length, fvf};
  *vertexBuffer = new GLVertexBuffer(this, description);
  return D3D_OK;
}

HRESULT GLDevice::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format,
                                              D3DPOOL pool, IDirect3DSurface9** surface, HANDLE*) {
  if (!surface) return refused("CreateOffscreenPlainSurface", "no place for the surface");
  if (width == 0 || height == 0) return refused("CreateOffscreenPlainSurface", "no pixels");
  if (!isColourFormat(format))
    return refused("CreateOffscreenPlainSurface", "only A8R8G8B8 and X8R8G8B8 surfaces");
  if (pool != D3DPOOL_SYSTEMMEM && pool != D3DPOOL_SCRATCH)
    return refused("CreateOffscreenPlainSurface", "only system-memory and scratch surfaces");
  D3DSURFACE_DESC description{format, D3DRTYPE_SURFACE, 0, pool, D3DMULTISAMPLE_NONE, 0, width,
                              height};
  *surface = new GLSurface(this, GLSurface::Kind::systemMemory, description);
  return D3D_OK;
}

// ---- Textures -----------------------------------------------------------------------------
GLTexture::GLTexture(GLDevice* device, const D3DSURFACE_DESC& description)
    : DeviceChild(device, true), desc(description) {}

bool GLTexture::initialise() {
  if (!owner->makeCurrent()) return false;
  texture = makeColourTexture(desc.Width, desc.Height, desc.Format,
                              (desc.Usage & D3DUSAGE_RENDERTARGET) != 0);
  owner->glBindingsLost();
  appliedMinFilter = appliedMagFilter = GL_NEAREST;
  appliedWrapS = appliedWrapT = GL_REPEAT;
  if (desc.Usage & D3DUSAGE_RENDERTARGET) {
    frameBuffer = makeTargetFramebuffer(owner, texture, desc.Width, desc.Height);
    if (!frameBuffer) return false;
    level = new GLSurface(owner, GLSurface::Kind::textureLevel, desc, this);
  } else if ((desc.Usage & D3DUSAGE_DYNAMIC) || desc.Pool != D3DPOOL_DEFAULT) {
    pixels.assign(size_t(desc.Width) * desc.Height * texelBytes, 0);
  }
  return glGetError() == GL_NO_ERROR;
}

GLTexture::~GLTexture() {
  owner->finishRecordedWork();
  owner->forget(this);
  delete level;
  if (owner->makeCurrent()) {
    if (frameBuffer) glDeleteFramebuffers(1, &frameBuffer);
    if (texture) glDeleteTextures(1, &texture);
    owner->glBindingsLost();
  }
}

HRESULT GLTexture::GetLevelDesc(UINT levelIndex, D3DSURFACE_DESC* description) {
  if (levelIndex != 0) return refused("GetLevelDesc", "textures have level 0 only");
  if (!description) return refused("GetLevelDesc", "no place for the description");
  *description = desc;
  return D3D_OK;
}

// Only render-target textures hand out their surface (SetRenderTarget needs it).
HRESULT GLTexture::GetSurfaceLevel(UINT levelIndex, IDirect3DSurface9** surface) {
  if (levelIndex != 0) return refused("GetSurfaceLevel", "textures have level 0 only");
  if (!surface) return refused("GetSurfaceLevel", "no place for the surface");
  if (!level) return refused("GetSurfaceLevel", "only render-target textures hand out a surface");
  level->AddRef();
  *surface = level;
  return D3D_OK;
}

HRESULT GLTexture::LockRect(UINT levelIndex, D3DLOCKED_RECT* lockedRect, const RECT* rect,
                            DWORD flags) {
  if (levelIndex != 0) return refused("LockRect", "textures have level 0 only");
  if (!lockedRect) return refused("LockRect", "no place for the locked rectangle");
  if (pixels.empty())
    return refused("LockRect", "texture not lockable (default pool, not dynamic)");
  if (locked) return refused("LockRect", "texture already locked");
  unsigned char* start = lockedStart(pixels, desc, rect, &lockedRect->Pitch);
  if (!start) return refused("LockRect", "rectangle outside the texture or empty");
  if (lockDiscards(desc.Usage, flags)) fillDiscarded(pixels);  // the whole level, any rectangle
  lockedRect->pBits = start;
  locked = true;
  lockedReadOnly = (flags & D3DLOCK_READONLY) != 0;
  return D3D_OK;
}

// While the window is occluded the copy waits for the first draw that samples the texture, so a
// texture refilled every frame costs no upload until it can be seen again.
HRESULT GLTexture::UnlockRect(UINT levelIndex) {
  if (levelIndex != 0) return refused("UnlockRect", "textures have level 0 only");
  if (!locked) return refused("UnlockRect", "texture not locked");
  locked = false;
  if (lockedReadOnly) return D3D_OK;
  owner->settlePass();  // a recorded draw may sample the old texels
  contentVersion = nextContentVersion();
  if (owner->windowOccluded())
    uploadPending = true;
  else
    upload();
  return D3D_OK;
}

void GLTexture::uploadIfPending() {
  if (uploadPending) upload();
}

void GLTexture::upload() {
  if (!owner->makeCurrent()) return;
  uploadPending = false;
  glBindTexture(GL_TEXTURE_2D, texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, GLsizei(desc.Width), GLsizei(desc.Height), GL_BGRA,
                  GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
  owner->glBindingsLost();
}

// ---- Surfaces -----------------------------------------------------------------------------
GLSurface::GLSurface(GLDevice* device, Kind surfaceKind, const D3DSURFACE_DESC& description,
                     GLTexture* containerTexture)
    : DeviceChild(device, surfaceKind == Kind::systemMemory),
      kind(surfaceKind),
      desc(description),
      container(containerTexture) {
  if (kind == Kind::systemMemory) pixels.assign(size_t(desc.Width) * desc.Height * texelBytes, 0);
}

bool GLSurface::initialise() {
  if (kind != Kind::backBuffer) return true;
  if (!owner->makeCurrent()) return false;
  texture = makeColourTexture(desc.Width, desc.Height, desc.Format, true);
  frameBuffer = makeTargetFramebuffer(owner, texture, desc.Width, desc.Height);
  return frameBuffer != 0 && glGetError() == GL_NO_ERROR;
}

GLSurface::~GLSurface() {
  if (kind != Kind::systemMemory) owner->finishRecordedWork();
  owner->forget(this);
  if (kind == Kind::backBuffer && owner->makeCurrent()) {
    if (frameBuffer) glDeleteFramebuffers(1, &frameBuffer);
    if (texture) glDeleteTextures(1, &texture);
    owner->glBindingsLost();
  }
}

// A texture's level lives as long as its texture, the back buffer as long as its device.
ULONG GLSurface::AddRef() {
  if (kind == Kind::textureLevel) return container->AddRef();
  if (kind == Kind::backBuffer) return owner->AddRef();
  return DeviceChild::AddRef();
}

ULONG GLSurface::Release() {
  if (kind == Kind::textureLevel) return container->Release();
  if (kind == Kind::backBuffer) return owner->Release();
  return DeviceChild::Release();
}

HRESULT GLSurface::GetDesc(D3DSURFACE_DESC* description) {
  if (!description) return refused("GetDesc", "no place for the description");
  *description = desc;
  return D3D_OK;
}

// Only system-memory surfaces can be locked (render targets cannot, as in Direct3D).
HRESULT GLSurface::LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD) {
  if (!lockedRect) return refused("LockRect", "no place for the locked rectangle");
  if (kind != Kind::systemMemory) return refused("LockRect", "only system-memory surfaces lock");
  unsigned char* start = lockedStart(pixels, desc, rect, &lockedRect->Pitch);
  if (!start) return refused("LockRect", "rectangle outside the surface or empty");
  lockedRect->pBits = start;
  return D3D_OK;
}

HRESULT GLSurface::UnlockRect() {
  if (kind != Kind::systemMemory) return refused("UnlockRect", "only system-memory surfaces lock");
  return D3D_OK;
}

// ---- Vertex buffers -----------------------------------------------------------------------
GLVertexBuffer::GLVertexBuffer(GLDevice* device, const D3DVERTEXBUFFER_DESC& description)
    : DeviceChild(device, true), desc(description), data(description.Size, 0) {}

GLVertexBuffer::~GLVertexBuffer() { owner->forget(this); }

HRESULT GLVertexBuffer::Lock(UINT offsetToLock, UINT sizeToLock, void** lockedData, DWORD flags) {
  if (!lockedData) return refused("Lock", "no place for the pointer");
  if (offsetToLock > desc.Size) return refused("Lock", "offset past the end of the buffer");
  if (sizeToLock != 0 && sizeToLock > desc.Size - offsetToLock)
    return refused("Lock", "range past the end of the buffer");
  if (lockDiscards(desc.Usage, flags)) fillDiscarded(data);  // recorded draws hold copies
  *lockedData = data.data() + offsetToLock;
  return D3D_OK;
}

HRESULT GLVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* description) {
  if (!description) return refused("GetDesc", "no place for the description");
  *description = desc;
  return D3D_OK;
}
