// Metaball field and marching-cubes polygoniser (see iso_surface.h).
#include "metaballs/iso_surface.h"

#include <bit>
#include <cmath>

Ball ballSet[3] = {
    {0.2f, {0.0f, 0.0f, 0.0f}},
    {0.25f, {0.0f, 0.0f, 0.0f}},
    {0.3f, {0.0f, 0.0f, 0.0f}},
};

namespace {

// First and second corner of each cube edge.
constexpr int edgeCorners[12][2] = {
    {0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6}, {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7},
};

// Worst case of the table: five triangles in every cell.
constexpr int maxTrianglesPerCell = 5;

constexpr int ballCount = 3;
constexpr int rowBits = 64;  // samples per row that polygonise can screen by bit masks

typedef double Double2 __attribute__((vector_size(16)));  // two lanes, plain IEEE arithmetic

}  // namespace

float metaballField(float x, float y, float z) {
  double sum = 0.0;
  for (const Ball& ball : ballSet) {
    const double dx = static_cast<double>(x) - ball.centre[0];
    const double dy = static_cast<double>(y) - ball.centre[1];
    const double dz = static_cast<double>(z) - ball.centre[2];
    const double dx2 = dx * dx, dy2 = dy * dy, dz2 = dz * dz;
    const double s2 = static_cast<double>(ball.strength) * ball.strength;
    sum += s2 * s2 / (dx2 * dx2 + dy2 * dy2 + dz2 * dz2);  // infinite at the centre
  }
  return static_cast<float>(sum);
}

IsoSurface::IsoSurface(IDirect3DDevice9* device, int gridSize, float isoLevel,
                       float (*fieldFunction)(float, float, float))
    : gridSize(gridSize),
      isoLevel(isoLevel),
      fieldFunction(fieldFunction),
      position{0.0f, 0.0f, 0.0f},
      angles{0.0f, 0.0f, 0.0f},
      vertexBuffer(nullptr),
      triangleCount(0) {
  const int points = gridSize + 1;
  samples.resize(static_cast<size_t>(points) * points * points);
  cells.resize(static_cast<size_t>(gridSize) * gridSize * gridSize);
  planePowers.resize(static_cast<size_t>(ballCount) * 3 * (points + 1));  // + 1: room for a pair
  belowRows.resize(static_cast<size_t>(points) * points);
  // Room for the worst case, so that polygonise never allocates.
  triangles.reserve(cells.size() * maxTrianglesPerCell);
  sampleField();

  for (int i = 0; i < gridSize; ++i) {
    for (int j = 0; j < gridSize; ++j) {
      for (int k = 0; k < gridSize; ++k) {
        GridCell& c = cells[(static_cast<size_t>(i) * gridSize + j) * gridSize + k];
        c.corners[0] = &sample(i, j, k);
        c.corners[1] = &sample(i + 1, j, k);
        c.corners[2] = &sample(i + 1, j, k + 1);
        c.corners[3] = &sample(i, j, k + 1);
        c.corners[4] = &sample(i, j + 1, k);
        c.corners[5] = &sample(i + 1, j + 1, k);
        c.corners[6] = &sample(i + 1, j + 1, k + 1);
        c.corners[7] = &sample(i, j + 1, k + 1);
      }
    }
  }

  if (device != nullptr)
    device->CreateVertexBuffer(metaballBufferBytes, D3DUSAGE_WRITEONLY, metaballFvf,
                               D3DPOOL_MANAGED, &vertexBuffer, nullptr);
}

IsoSurface::~IsoSurface() {
  if (vertexBuffer != nullptr) vertexBuffer->Release();
}

FieldSample& IsoSurface::sample(int i, int j, int k) {
  const size_t points = static_cast<size_t>(gridSize) + 1;
  return samples[(i * points + j) * points + k];
}

const GridCell& IsoSurface::cell(int i, int j, int k) const {
  const size_t n = static_cast<size_t>(gridSize);
  return cells[(i * n + j) * n + k];
}

void IsoSurface::sampleField() {
  if (fieldFunction == metaballField) {
    sampleBallSet();
    return;
  }
  const int points = gridSize + 1;
  const float step = 2.0f / static_cast<float>(gridSize);  // grid spacing, world units
  FieldSample* s = samples.data();
  for (int i = 0; i < points; ++i) {
    const float x = static_cast<float>(i) * step - 1.0f;
    for (int j = 0; j < points; ++j) {
      const float y = static_cast<float>(j) * step - 1.0f;
      for (int k = 0; k < points; ++k, ++s) {
        const float z = static_cast<float>(k) * step - 1.0f;
        s->x = x;
        s->y = y;
        s->z = z;
        s->value = fieldFunction(x, y, z);
      }
    }
  }
}

// The same values as metaballField at every sample, bit for bit: each ball's
// (x-bx)^4, (y-by)^4 and (z-bz)^4 depend on one grid plane only, so they are
// computed once per plane, and each row along z is summed two samples at a time.
void IsoSurface::sampleBallSet() {
  const int points = gridSize + 1;
  const int planes = points + 1;
  const float step = 2.0f / static_cast<float>(gridSize);  // grid spacing, world units
  double strength4[ballCount];
  for (int b = 0; b < ballCount; ++b) {
    const double s2 = static_cast<double>(ballSet[b].strength) * ballSet[b].strength;
    strength4[b] = s2 * s2;
    for (int axis = 0; axis < 3; ++axis) {
      double* power = &planePowers[(b * 3 + axis) * planes];
      for (int p = 0; p < planes; ++p) {
        const double d =
            static_cast<double>(static_cast<float>(p) * step - 1.0f) - ballSet[b].centre[axis];
        const double d2 = d * d;
        power[p] = d2 * d2;
      }
    }
  }
  auto powers = [&](int b, int axis) { return &planePowers[(b * 3 + axis) * planes]; };

  FieldSample* s = samples.data();
  for (int i = 0; i < points; ++i) {
    const float x = static_cast<float>(i) * step - 1.0f;
    for (int j = 0; j < points; ++j, s += points) {
      const float y = static_cast<float>(j) * step - 1.0f;
      double xy[ballCount];
      for (int b = 0; b < ballCount; ++b) xy[b] = powers(b, 0)[i] + powers(b, 1)[j];
      for (int k = 0; k < points; k += 2) {
        Double2 sum = {0.0, 0.0};
        for (int b = 0; b < ballCount; ++b) {
          const Double2 z4 = {powers(b, 2)[k], powers(b, 2)[k + 1]};
          sum += strength4[b] / (xy[b] + z4);  // infinite at a ball's centre
        }
        for (int lane = 0; lane < 2 && k + lane < points; ++lane) {
          FieldSample& sample = s[k + lane];
          sample.x = x;
          sample.y = y;
          sample.z = static_cast<float>(k + lane) * step - 1.0f;
          sample.value = static_cast<float>(sum[lane]);
        }
      }
    }
  }
}

// Cells whose eight corners are all below, or all not below, the iso level
// make no triangles; they are skipped by comparing bit rows of the samples,
// which leaves the same triangles in the same order as visiting every cell.
int IsoSurface::polygonise() {
  triangles.clear();
  triangleCount = 0;
  const int n = gridSize;
  const int points = n + 1;
  if (points > rowBits) {
    for (const GridCell& c : cells) triangleCount += polygoniseCell(c, isoLevel);
    return triangleCount;
  }

  const FieldSample* s = samples.data();
  for (unsigned long long& row : belowRows) {
    unsigned long long bits = 0;
    for (int k = 0; k < points; ++k, ++s)
      bits |= static_cast<unsigned long long>(s->value < isoLevel) << k;
    row = bits;
  }
  const unsigned long long cellBits = (1ull << n) - 1;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const unsigned long long r00 = belowRows[i * points + j],
                               r10 = belowRows[(i + 1) * points + j];
      const unsigned long long r01 = belowRows[i * points + j + 1],
                               r11 = belowRows[(i + 1) * points + j + 1];
      const unsigned long long all = r00 & r10 & r01 & r11, any = r00 | r10 | r01 | r11;
      unsigned long long mixed = (any | any >> 1) & ~(all & all >> 1) & cellBits;
      while (mixed != 0) {
        const int k = std::countr_zero(mixed);
        mixed &= mixed - 1;
        triangleCount += polygoniseCell(cells[(static_cast<size_t>(i) * n + j) * n + k], isoLevel);
      }
    }
  }
  return triangleCount;
}

int IsoSurface::polygoniseCell(const GridCell& cell, float iso) {
  int cubeIndex = 0;
  for (int corner = 0; corner < 8; ++corner)
    if (cell.corners[corner]->value < iso) cubeIndex |= 1 << corner;

  const int mask = edgeTable[cubeIndex];
  if (mask == 0) return 0;

  float points[12][3];
  for (int e = 0; e < 12; ++e)
    if (mask & (1 << e))
      interpolateEdge(iso, *cell.corners[edgeCorners[e][0]], *cell.corners[edgeCorners[e][1]],
                      points[e]);

  const int* row = triTable[cubeIndex];
  int made = 0;
  for (; row[3 * made] != -1; ++made) {
    IsoTriangle& t = triangles.emplace_back();
    for (int axis = 0; axis < 3; ++axis) {
      t.a[axis] = points[row[3 * made]][axis];
      t.b[axis] = points[row[3 * made + 1]][axis];
      t.c[axis] = points[row[3 * made + 2]][axis];
    }
    faceNormal(t.a, t.b, t.c, t.normal);
  }
  return made;
}

void interpolateEdge(float iso, const FieldSample& p1, const FieldSample& p2, float out[3]) {
  // At a ball's centre the field is infinite; the crossing then tends to the
  // other end (the plain formula would give inf / inf = NaN).
  const float mu = std::isinf(p1.value) ? 1.0f : (iso - p1.value) / (p2.value - p1.value);
  out[0] = p1.x + mu * (p2.x - p1.x);
  out[1] = p1.y + mu * (p2.y - p1.y);
  out[2] = p1.z + mu * (p2.z - p1.z);
}

void faceNormal(const float a[3], const float b[3], const float c[3], float out[3]) {
  const float u[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
  const float v[3] = {a[0] - c[0], a[1] - c[1], a[2] - c[2]};
  const float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                      u[0] * v[1] - u[1] * v[0]};
  const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  // A degenerate triangle (a crossing on a grid point) has no direction: leave it zero, not NaN.
  for (int axis = 0; axis < 3; ++axis) out[axis] = length > 0.0f ? n[axis] / length : 0.0f;
}
