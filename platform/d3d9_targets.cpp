// Render targets, Clear, read-back and Present of the OpenGL-backed Direct3D 9 device.
// Every target is a framebuffer object holding the picture with its top row at GL row 0;
// Present blits the back buffer to the window with that flip undone.
#include <cstring>

#include "platform/d3d9_gl.h"
#include "platform/hooks/present_observer.h"
#include "platform/sdl_window.h"

namespace {

constexpr float byteScale = 1.0f / 255.0f;  // colour byte → GL intensity

// Clears the window's framebuffer to the clear colour around the picture's rectangle (drawable
// pixels, row 0 at the top); the picture itself is overwritten by the blit.
void clearAround(int drawableWidth, int drawableHeight, int left, int top, int width, int height) {
  // GL rows count from the bottom.
  const int pictureBottom = drawableHeight - top - height, pictureTop = drawableHeight - top;
  const int strips[4][4] = {{0, 0, drawableWidth, pictureBottom},
                            {0, pictureTop, drawableWidth, drawableHeight - pictureTop},
                            {0, pictureBottom, left, height},
                            {left + width, pictureBottom, drawableWidth - left - width, height}};
  glEnable(GL_SCISSOR_TEST);
  for (const auto& strip : strips) {
    if (strip[2] <= 0 || strip[3] <= 0) continue;
    glScissor(strip[0], strip[1], strip[2], strip[3]);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glDisable(GL_SCISSOR_TEST);
}

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
  if (index != 0) return refused("SetRenderTarget", "only render target 0");
  if (!target) return refused("SetRenderTarget", "no surface");
  if (!target->isRenderTarget()) return refused("SetRenderTarget", "not a render-target surface");
  if (target == renderTarget) return D3D_OK;
  settlePass();
  renderTarget = target;
  // The viewport follows the target, as in Direct3D; the alpha mask follows its format.
  dirty |= dirtyMatrices | dirtyColourMask;
  return D3D_OK;
}

HRESULT GLDevice::GetRenderTarget(DWORD index, IDirect3DSurface9** surface) {
  if (index != 0) return refused("GetRenderTarget", "only render target 0");
  if (!surface) return refused("GetRenderTarget", "no place for the surface");
  renderTarget->AddRef();
  *surface = renderTarget;
  return D3D_OK;
}

bool GLDevice::targetHasDepth() const {
  const D3DSURFACE_DESC& desc = renderTarget->description();
  return desc.Width == depthWidth() && desc.Height == depthHeight();
}

void GLDevice::flushClear(GLSurface* target) {
  if (!target || !target->clearPending) return;
  target->clearPending = false;
  GLSurface* drawing = renderTarget;
  renderTarget = target;
  if (bindRenderTarget()) {
    const D3DCOLOR color = target->pendingColour;
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    const float alpha = target->storesOpaqueAlpha() ? 1.0f : float(color >> 24) * byteScale;
    glClearColor(float((color >> 16) & 0xFF) * byteScale, float((color >> 8) & 0xFF) * byteScale,
                 float(color & 0xFF) * byteScale, alpha);
    glClear(GL_COLOR_BUFFER_BIT);
    dirty |= dirtyColourMask;
  }
  renderTarget = drawing;
}

// A pending Clear of the target is dropped when the draw overwrites every pixel; the Clear of a
// render target the draw samples is given to GL first.
void GLDevice::prepareDraw(bool coversTarget) {
  if (coversTarget)
    renderTarget->clearPending = false;
  else
    flushClear(renderTarget);
  if (textures[0] && textures[0]->targetSurface()) flushClear(textures[0]->targetSurface());
  bindRenderTarget();
}

void GLDevice::noteDrawn(const TargetRect& area) {
  if (renderStates[D3DRS_COLORWRITEENABLE] & 0xF) renderTarget->colourContent.drawn(area);
  if (renderStates[D3DRS_ZENABLE] != D3DZB_FALSE && renderStates[D3DRS_ZWRITEENABLE] &&
      targetHasDepth())
    depthContent.drawn(area);
}

// Clears nothing when nothing was drawn since the previous Clear to the same value, else the
// whole buffer: Mesa's software renderer fills a whole buffer at memory speed but draws a
// scissored clear as a shaded quad, which costs more even for a third of the target. The colour
// waits for the next draw, which may overwrite the whole target. Direct3D's Clear ignores
// COLORWRITEENABLE and ZWRITEENABLE, so the masks are opened for it and given back by the next
// draw.
HRESULT GLDevice::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                        DWORD) {
  if (count != 0 && rects) return refused("Clear", "only whole-target clears");
  if (windowOccluded()) return D3D_OK;
  if (!makeCurrent()) return refused("Clear", "the device window is gone");
  settlePass();
  if (startsPass(flags))
    recordClear(flags, color, z);
  else
    clearNow(flags, color, z);
  return D3D_OK;
}

void GLDevice::clearNow(DWORD flags, D3DCOLOR color, float z) {
  if (!bindRenderTarget()) return;
  const D3DSURFACE_DESC& desc = renderTarget->description();
  const TargetRect whole{0, 0, int(desc.Width), int(desc.Height)};
  if (flags & D3DCLEAR_TARGET) {
    if (!renderTarget->colourContent.clear(color, whole).empty()) {
      renderTarget->clearPending = true;
      renderTarget->pendingColour = color;
    }
    if (GLTexture* texture = renderTarget->ownerTexture())
      texture->contentVersion = nextContentVersion();
  }
  if ((flags & D3DCLEAR_ZBUFFER) && targetHasDepth()) {
    owedDepthTarget = nullptr;  // whatever a left-out pass would have left there is gone
    DWORD depthBits;
    std::memcpy(&depthBits, &z, sizeof depthBits);
    if (!depthContent.clear(depthBits, whole).empty()) {
      glDepthMask(GL_TRUE);
      glClearDepth(double(z));
      glClear(GL_DEPTH_BUFFER_BIT);
      dirty |= dirtyDepth;
    }
  }
  notifyDeviceWorkObserver(this, DeviceWork::clear);
}

HRESULT GLDevice::GetRenderTargetData(IDirect3DSurface9* renderTargetSurface,
                                      IDirect3DSurface9* destSurface) {
  GLSurface* source = static_cast<GLSurface*>(renderTargetSurface);
  GLSurface* dest = static_cast<GLSurface*>(destSurface);
  if (!source || !dest) return refused("GetRenderTargetData", "no surface");
  if (!source->isRenderTarget())
    return refused("GetRenderTargetData", "the source is not a render target");
  if (!dest->isSystemMemory())
    return refused("GetRenderTargetData", "the destination is not a system-memory surface");
  const D3DSURFACE_DESC& from = source->description();
  const D3DSURFACE_DESC& to = dest->description();
  if (from.Width != to.Width || from.Height != to.Height)
    return refused("GetRenderTargetData", "the surfaces differ in size");
  if (!makeCurrent()) return refused("GetRenderTargetData", "the device window is gone");
  settlePass();
  flushClear(source);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, source->framebuffer());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glReadPixels(0, 0, GLsizei(from.Width), GLsizei(from.Height), GL_BGRA,
               GL_UNSIGNED_INT_8_8_8_8_REV, dest->systemPixels());
  boundFramebuffer = 0xFFFFFFFFu;
  return D3D_OK;
}

// Copies the back buffer into the rectangle (left, top, width, height) of the window's drawable
// (row 0 at the top), scaled to its size with the filter, and clears the rest of the drawable to
// black.
void GLDevice::blitToWindow(int left, int top, int width, int height, int drawableWidth,
                            int drawableHeight, GLenum filter) {
  glBindFramebuffer(GL_READ_FRAMEBUFFER, backBuffer->framebuffer());
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glViewport(0, 0, drawableWidth, drawableHeight);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  clearAround(drawableWidth, drawableHeight, left, top, width, height);
  // GL's window rows count from the bottom: the picture's top row goes to the highest row.
  const int topRow = drawableHeight - top;
  glBlitFramebuffer(0, 0, int(presentParameters.BackBufferWidth),
                    int(presentParameters.BackBufferHeight), left, topRow, left + width,
                    topRow - height, GL_COLOR_BUFFER_BIT, filter);
}

// Like a Direct3D 9 device with an occluded window, the device does no work at all while its
// window is minimised or unmapped: Clear, draws and Present return at once.
//
// Blits the back buffer to the window: at the top-left corner when windowed, enlarged by the
// window scale with nearest texels (1:1 at scale 1); scaled with its aspect kept and centred
// between black bars when the window covers the desktop.
HRESULT GLDevice::Present(const RECT* sourceRect, const RECT* destRect, HWND, const RGNDATA*) {
  if (sourceRect || destRect) return refused("Present", "only whole pictures");
  if (windowOccluded()) return D3D_OK;
  if (!makeCurrent()) return refused("Present", "the device window is gone");
  settlePass();
  flushClear(backBuffer);
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
  blitToWindow(left, top, pictureWidth, pictureHeight, drawableWidth, drawableHeight, filter);
  SDL_GL_SwapWindow(window);
  boundFramebuffer = 0xFFFFFFFFu;
  dirty |= dirtyColourMask;
  notifyDeviceWorkObserver(this, DeviceWork::present);
  return D3D_OK;
}
