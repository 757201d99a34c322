// Transform helpers: the placement of every 3D object. A rotation from three
// angles, a per-axis scale and a position become the 4 x 4 world matrix
// (row-major, row vectors: p' = p * M) handed to SetTransform(D3DTS_WORLD).
#pragma once

#include <d3d9.h>

struct EulerAngles {
  float x, y, z;  // radians
};

struct Transform {
  float rotation[3][3];  // row-major, from rotationFromAngles
  float position[3];     // world units
  float scale[3];        // along the object's own axes
};

// Rx(x) * Ry(y) * Rz(z) of the column-vector rotations, stored unchanged.
void rotationFromAngles(const EulerAngles& angles, float out[3][3]);

// Scale along the object's axes, then rotate, then move.
D3DMATRIX transformToMatrix(const Transform& transform);
