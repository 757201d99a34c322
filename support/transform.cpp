// Transform helpers: rotation from Euler angles and the world matrix.
#include "support/transform.h"

#include <cmath>

void rotationFromAngles(const EulerAngles& angles, float out[3][3]) {
  // Sine and cosine in double precision, each kept as a float.
  const float sx = static_cast<float>(std::sin(static_cast<double>(angles.x)));
  const float cx = static_cast<float>(std::cos(static_cast<double>(angles.x)));
  const float sy = static_cast<float>(std::sin(static_cast<double>(angles.y)));
  const float cy = static_cast<float>(std::cos(static_cast<double>(angles.y)));
  const float sz = static_cast<float>(std::sin(static_cast<double>(angles.z)));
  const float cz = static_cast<float>(std::cos(static_cast<double>(angles.z)));

  out[0][0] = cz * cy;
  out[0][1] = -sz * cy;
  out[0][2] = sy;
  out[1][0] = cz * sy * sx + sz * cx;
  out[1][1] = cz * cx - sz * sy * sx;
  out[1][2] = -cy * sx;
  out[2][0] = sz * sx - cz * sy * cx;
  out[2][1] = sz * sy * cx + cz * sx;
  out[2][2] = cy * cx;
}

D3DMATRIX transformToMatrix(const Transform& transform) {
  D3DMATRIX matrix;
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column)
      matrix.m[row][column] = transform.rotation[row][column] * transform.scale[row];
    matrix.m[row][3] = 0.0f;
  }
  for (int column = 0; column < 3; ++column) matrix.m[3][column] = transform.position[column];
  matrix.m[3][3] = 1.0f;
  return matrix;
}
