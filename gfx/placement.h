// World placement of the frame's 3D quads: angles, position and per-axis scale, turned into
// the world matrix (scale, then rotate, then move) right before each placed draw.
#pragma once

#include <d3d9.h>
#include "support/transform.h"

struct Placement {
  EulerAngles angles;  // radians about x, y, z
  float position[3];   // world units
  float scale[3];      // per-axis factors along the quad's own axes
};

// Upright placement (all angles 0), the form most blocks use.
constexpr Placement uprightPlacement(float x, float y, float z, float sx, float sy, float sz) {
  return Placement{{0, 0, 0}, {x, y, z}, {sx, sy, sz}};
}

// Builds the world matrix from `placement` and sets it with SetTransform(D3DTS_WORLD, ...).
void setWorldPlacement(const Placement& placement);

// Start of a frame: angles 0, position 0, scale 1 and the identity matrix.
void resetPlacement();
