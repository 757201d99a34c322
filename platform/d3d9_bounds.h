// Platform-internal: what the Direct3D layer knows of a target's pixels, so that a Clear is
// left out when nothing landed on the target since the previous Clear to the same value (pure
// arithmetic, no GL).
//
// A Clear leaves every pixel at one value; each draw afterwards changes pixels only inside its
// bounds. A later Clear to the same value then needs to clear only the union of those bounds.
#pragma once

#include <cfloat>

#include "platform/d3d9.h"

// A rectangle of target pixels: row 0 at the top, right and bottom exclusive.
struct TargetRect {
  int left = 0, top = 0, right = 0, bottom = 0;

  bool empty() const { return right <= left || bottom <= top; }
  bool operator==(const TargetRect&) const = default;
};

TargetRect unite(const TargetRect& a, const TargetRect& b);

// The pixels a draw can touch, from the Direct3D pixel positions of its vertices (pixel centres
// on integers). Widened by a pixel on every side and clipped to the width × height target; the
// whole target once any point is unknown (behind the eye, not finite).
class DrawBounds {
 public:
  DrawBounds(int width, int height) : width(width), height(height) {}

  void addPixel(float x, float y);
  // A point in clip space (after the program's projection, before the divide by w), or a square
  // around it halfSide pixels each way.
  void addClip(float x, float y, float w, float halfSide = 0.0f);
  void addUnknown() { unknown = true; }
  TargetRect rect() const;

 private:
  int width, height;
  bool unknown = false;
  float minX = FLT_MAX, minY = FLT_MAX, maxX = -FLT_MAX, maxY = -FLT_MAX;
};

// Whether a triangle fan of four pre-transformed vertices is a rectangle that covers the centre
// of every pixel of a width × height target and lies within the depth range; positions are
// (x, y, z, rhw) in window pixels.
bool fanCoversTarget(const float positions[4][4], int width, int height);

// Whether the fan's corners run clockwise on the screen (row 0 at the top).
bool fanIsClockwise(const float positions[4][4]);

// A colour target or a depth buffer as the layer knows it.
class ClearedContent {
 public:
  // The rectangle a Clear to value has to clear on a target whose whole area is whole (empty:
  // nothing to do); the content then holds value everywhere.
  TargetRect clear(DWORD value, const TargetRect& whole);
  // A draw changed pixels inside area.
  void drawn(const TargetRect& area) { changed = unite(changed, area); }
  // Anything may be anywhere (a new target, pixels written behind the layer's back).
  void forget() { known = false; }

 private:
  bool known = false;
  DWORD value = 0;
  TargetRect changed;  // since the last Clear
};
