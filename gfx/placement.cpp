// World placement: one placement and one world matrix for the whole frame, rebuilt before
// every placed draw and reset at the start of each frame.
#include "gfx/placement.h"

#include "gfx/device.h"

namespace {

// The frame's one placement and the world matrix built from it at the last placed draw.
Placement worldPlacement = uprightPlacement(0, 0, 0, 1, 1, 1);
D3DMATRIX worldMatrix = {};

}  // namespace

void setWorldPlacement(const Placement& placement) {
  worldPlacement = placement;
  Transform transform;
  rotationFromAngles(placement.angles, transform.rotation);
  for (int axis = 0; axis < 3; ++axis) {
    transform.position[axis] = placement.position[axis];
    transform.scale[axis] = placement.scale[axis];
  }
  worldMatrix = transformToMatrix(transform);
  deviceState.device->SetTransform(D3DTS_WORLD, &worldMatrix);
}

void resetPlacement() {
  worldPlacement = uprightPlacement(0, 0, 0, 1, 1, 1);
  worldMatrix = {};
  worldMatrix._11 = worldMatrix._22 = worldMatrix._33 = worldMatrix._44 = 1.0f;
}
