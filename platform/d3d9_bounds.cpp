// Draw bounds and cleared content of the Direct3D layer's targets (platform/d3d9_bounds.h).
#include "platform/d3d9_bounds.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float nearestW = 1e-6f;  // clip w below this: at or behind the eye, bounds unknown

}  // namespace

TargetRect unite(const TargetRect& a, const TargetRect& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

void DrawBounds::addPixel(float x, float y) {
  if (!std::isfinite(x) || !std::isfinite(y)) {
    unknown = true;
    return;
  }
  minX = std::min(minX, x);
  minY = std::min(minY, y);
  maxX = std::max(maxX, x);
  maxY = std::max(maxY, y);
}

// Direct3D's viewport: x from −1..1 to −0.5..width − 0.5, y from 1..−1 to −0.5..height − 0.5.
void DrawBounds::addClip(float x, float y, float w, float halfSide) {
  if (!(w >= nearestW)) {
    unknown = true;
    return;
  }
  const float pixelX = (x / w + 1.0f) * 0.5f * float(width) - 0.5f;
  const float pixelY = (1.0f - y / w) * 0.5f * float(height) - 0.5f;
  addPixel(pixelX - halfSide, pixelY - halfSide);
  addPixel(pixelX + halfSide, pixelY + halfSide);
}

TargetRect DrawBounds::rect() const {
  const TargetRect whole{0, 0, width, height};
  if (unknown) return whole;
  if (minX > maxX) return {};
  // Bounds far outside the target are clipped in float before converting.
  const float limit = float(std::max(width, height)) + 2.0f;
  auto clampedFloor = [limit](float value) {
    return int(std::floor(std::clamp(value, -limit, limit)));
  };
  auto clampedCeil = [limit](float value) {
    return int(std::ceil(std::clamp(value, -limit, limit)));
  };
  TargetRect area{clampedFloor(minX) - 1, clampedFloor(minY) - 1, clampedCeil(maxX) + 2,
                  clampedCeil(maxY) + 2};
  area.left = std::max(area.left, 0);
  area.top = std::max(area.top, 0);
  area.right = std::min(area.right, width);
  area.bottom = std::min(area.bottom, height);
  return area.empty() ? TargetRect{} : area;
}

bool fanCoversTarget(const float positions[4][4], int width, int height) {
  float minX = FLT_MAX, minY = FLT_MAX, maxX = -FLT_MAX, maxY = -FLT_MAX;
  for (int corner = 0; corner < 4; ++corner) {
    const float* p = positions[corner];
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !(p[2] >= 0.0f && p[2] <= 1.0f) ||
        !(p[3] > 0.0f) || !std::isfinite(p[3]))
      return false;
    minX = std::min(minX, p[0]);
    minY = std::min(minY, p[1]);
    maxX = std::max(maxX, p[0]);
    maxY = std::max(maxY, p[1]);
  }
  // Each corner must be a corner of the bounding rectangle, going round it in order.
  for (int corner = 0; corner < 4; ++corner) {
    const float* p = positions[corner];
    const float* next = positions[(corner + 1) % 4];
    const bool onCorner = (p[0] == minX || p[0] == maxX) && (p[1] == minY || p[1] == maxY);
    const bool alongEdge = (p[0] == next[0]) != (p[1] == next[1]);
    if (!onCorner || !alongEdge) return false;
  }
  // Pixel centres lie on integers: 0 .. width − 1 and 0 .. height − 1, strictly inside.
  return minX < 0.0f && minY < 0.0f && maxX > float(width - 1) && maxY > float(height - 1);
}

bool fanIsClockwise(const float positions[4][4]) {
  float twiceArea = 0.0f;
  for (int corner = 0; corner < 4; ++corner) {
    const float* p = positions[corner];
    const float* next = positions[(corner + 1) % 4];
    twiceArea += p[0] * next[1] - next[0] * p[1];
  }
  return twiceArea > 0.0f;  // with y growing downwards
}

TargetRect ClearedContent::clear(DWORD newValue, const TargetRect& whole) {
  TargetRect area = whole;
  if (known && value == newValue) area = changed;
  known = true;
  value = newValue;
  changed = {};
  return area;
}
