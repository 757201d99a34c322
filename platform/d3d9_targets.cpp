// Render targets, Clear, read-back and Present of the OpenGL-backed Direct3D 9 device.
// Every target is a framebuffer object holding the picture with its top row at GL row 0;
// Present blits the back buffer to the window with that flip undone.
#include "platform/d3d9_gl.h"
#include "platform/hooks/present_observer.h"
#include "platform/sdl_window.h"
#include "platform/start_options.h"

namespace {

constexpr float byteScale = 1.0f / 255.0f;  // colour byte → GL intensity

}  // namespace

bool GLDevice::bindRenderTarget() {
  if (!makeCurrent()) return false;
  const GLuint framebuffer = renderTarget->framebuffer();
  if (framebuffer != boundFramebuffer) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    const D3DSURFACE_DESC& desc = renderTarget->description();
    glViewport(0, 0, GLsizei(desc.Width), GLsizei(desc.Height));
    boundFramebuffer = framebuffer;
  }
  return true;
}

HRESULT GLDevice::SetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
  GLSurface* target = static_cast<GLSurface*>(surface);
  if (index != 0 || !target || !target->isRenderTarget()) return D3DERR_INVALIDCALL;
  if (target == renderTarget) return D3D_OK;
  renderTarget = target;
  dirty |= dirtyMatrices;  // the viewport follows the target, as in Direct3D
  return D3D_OK;
}

HRESULT GLDevice::GetRenderTarget(DWORD index, IDirect3DSurface9** surface) {
  if (index != 0 || !surface) return D3DERR_INVALIDCALL;
  renderTarget->AddRef();
  *surface = renderTarget;
  return D3D_OK;
}

// Clears the whole target. Direct3D's Clear ignores COLORWRITEENABLE and ZWRITEENABLE, so the
// masks are opened for it and given back by the next draw.
HRESULT GLDevice::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                        DWORD) {
  if (count != 0 && rects) return D3DERR_INVALIDCALL;  // only whole-target clears
  if (!bindRenderTarget()) return D3DERR_INVALIDCALL;
  GLbitfield buffers = 0;
  if (flags & D3DCLEAR_TARGET) {
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(float((color >> 16) & 0xFF) * byteScale, float((color >> 8) & 0xFF) * byteScale,
                 float(color & 0xFF) * byteScale, float(color >> 24) * byteScale);
    buffers |= GL_COLOR_BUFFER_BIT;
    dirty |= dirtyColourMask;
  }
  if (flags & D3DCLEAR_ZBUFFER) {
    glDepthMask(GL_TRUE);
    glClearDepth(double(z));
    buffers |= GL_DEPTH_BUFFER_BIT;
    dirty |= dirtyDepth;
  }
  if (buffers) glClear(buffers);
  return D3D_OK;
}

HRESULT GLDevice::GetRenderTargetData(IDirect3DSurface9* renderTargetSurface,
                                      IDirect3DSurface9* destSurface) {
  GLSurface* source = static_cast<GLSurface*>(renderTargetSurface);
  GLSurface* dest = static_cast<GLSurface*>(destSurface);
  if (!source || !dest || !source->isRenderTarget() || !dest->isSystemMemory())
    return D3DERR_INVALIDCALL;
  const D3DSURFACE_DESC& from = source->description();
  const D3DSURFACE_DESC& to = dest->description();
  if (from.Width != to.Width || from.Height != to.Height) return D3DERR_INVALIDCALL;
  if (!makeCurrent()) return D3DERR_INVALIDCALL;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, source->framebuffer());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glReadPixels(0, 0, GLsizei(from.Width), GLsizei(from.Height), GL_BGRA,
               GL_UNSIGNED_INT_8_8_8_8_REV, dest->systemPixels());
  boundFramebuffer = 0xFFFFFFFFu;
  return D3D_OK;
}

// Blits the back buffer to the window: at the top-left corner when windowed, enlarged by the
// window scale with nearest texels (1:1 at scale 1); scaled with its aspect kept and centred
// between black bars when the window covers the desktop.
HRESULT GLDevice::Present(const RECT* sourceRect, const RECT* destRect, HWND, const RGNDATA*) {
  if (sourceRect || destRect) return D3DERR_INVALIDCALL;  // whole pictures only
  if (!makeCurrent()) return D3DERR_INVALIDCALL;
  notifyPresentObserver(this);
  int drawableWidth, drawableHeight;
  SDL_GL_GetDrawableSize(window, &drawableWidth, &drawableHeight);
  const int width = int(presentParameters.BackBufferWidth);
  const int height = int(presentParameters.BackBufferHeight);
  int left = 0, top = 0, pictureWidth = width, pictureHeight = height;
  GLenum filter = GL_NEAREST;
  if (!ownsWindow && isWindowFullScreen(deviceWindow)) {
    pictureViewport(drawableWidth, drawableHeight, &left, &top, &pictureWidth, &pictureHeight);
    if (pictureWidth != width || pictureHeight != height) filter = GL_LINEAR;
  } else if (!ownsWindow) {
    pictureWidth = width * windowScale();
    pictureHeight = height * windowScale();
  }

  glBindFramebuffer(GL_READ_FRAMEBUFFER, backBuffer->framebuffer());
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glViewport(0, 0, drawableWidth, drawableHeight);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  // GL's window rows count from the bottom: the picture's top row goes to the highest row.
  const int topRow = drawableHeight - top;
  glBlitFramebuffer(0, 0, width, height, left, topRow, left + pictureWidth, topRow - pictureHeight,
                    GL_COLOR_BUFFER_BIT, filter);
  SDL_GL_SwapWindow(window);
  boundFramebuffer = 0xFFFFFFFFu;
  dirty |= dirtyColourMask;
  return D3D_OK;
}
