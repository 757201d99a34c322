// Metaball field and marching-cubes polygoniser. Three balls make a scalar
// field; IsoSurface samples it on a regular grid over [-1, 1]^3 and turns the
// grid into triangles on the surface where the field equals the iso level.
// The passes in metaball_passes.h copy the triangles into vertexBuffer.
#pragma once

#include <vector>

#include <d3d9.h>
#include "support/transform.h"

// One metaball: field strength s and centre (world units before placement).
struct Ball {
  float strength;
  float centre[3];
};

// The three balls of the scene (strengths 0.2, 0.25, 0.3; centres animated).
extern Ball ballSet[3];

// Sum over ballSet of s^4 / ((x-bx)^4 + (y-by)^4 + (z-bz)^4), in double precision.
// Infinite at a ball's centre.
float metaballField(float x, float y, float z);

struct FieldSample {
  float x, y, z, value;
};

// A cube of the grid: its eight corner samples, corners 0-3 on the j face
// (i,k), (i+1,k), (i+1,k+1), (i,k+1), corners 4-7 the same on the j+1 face.
struct GridCell {
  const FieldSample* corners[8];
};

struct IsoTriangle {
  float a[3], b[3], c[3];
  float normal[3];  // (A-B) x (A-C) made unit length; zero for a degenerate triangle
};

// Vertex format of the metaball vertex buffer (36 bytes).
struct MetaballVertex {
  float x, y, z;
  float nx, ny, nz;
  D3DCOLOR diffuse;
  float u, v;  // never written or used
};
static_assert(sizeof(MetaballVertex) == 36, "the vertex buffer's stride is 36 bytes");

constexpr DWORD metaballFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr UINT metaballBufferBytes = 360000;  // 10,000 vertices
constexpr int metaballMaxTriangles = metaballBufferBytes / sizeof(MetaballVertex) / 3;  // 3,333

// Marching-cubes tables: crossed edges (12-bit mask) and triangles (edge
// triples ending with -1) for each of the 256 corner states.
extern const int edgeTable[256];
extern const int triTable[256][16];

class IsoSurface {
 public:
  // device may be null (no vertex buffer is made then).
  IsoSurface(IDirect3DDevice9* device, int gridSize, float isoLevel,
             float (*fieldFunction)(float, float, float));
  ~IsoSurface();
  IsoSurface(const IsoSurface&) = delete;
  IsoSurface& operator=(const IsoSurface&) = delete;

  void sampleField();                                   // evaluate the field at every grid point
  int polygonise();                                     // rebuild triangles, return triangleCount
  int polygoniseCell(const GridCell& cell, float iso);  // append one cell's triangles

  FieldSample& sample(int i, int j, int k);
  const GridCell& cell(int i, int j, int k) const;

  int gridSize;  // cells along each axis
  float isoLevel;
  std::vector<FieldSample> samples;  // (n+1)^3, [i][j][k] flattened
  std::vector<GridCell> cells;       // n^3, [i][j][k] flattened
  float (*fieldFunction)(float, float, float);
  std::vector<IsoTriangle> triangles;  // in cell order, then table order
  float position[3];                   // world placement, set by the passes
  EulerAngles angles;
  IDirect3DVertexBuffer9* vertexBuffer;
  int triangleCount;

 private:
  void sampleBallSet();                       // sampleField for metaballField, row at a time
  std::vector<double> planePowers;            // [ball][axis][plane] fourth powers of distances
  std::vector<unsigned long long> belowRows;  // [i][j]: bit k set when sample (i,j,k) is below
};

// Crossing point on the edge from p1 to p2 by linear interpolation.
void interpolateEdge(float iso, const FieldSample& p1, const FieldSample& p2, float out[3]);

// Unit normal (A-B) x (A-C); zero for a degenerate triangle.
void faceNormal(const float a[3], const float b[3], const float c[3], float out[3]);
