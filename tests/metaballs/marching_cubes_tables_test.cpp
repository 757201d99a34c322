// Marching-cubes tables: every row checked against the cube's geometry, so a
// mistyped entry shows up as a hole, a wrong edge or a flipped triangle.
#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "metaballs/iso_surface.h"

namespace {

constexpr int edgeCorners[12][2] = {
    {0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6}, {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7},
};
// Corner positions (x, y, z) for the GridCell numbering.
constexpr int cornerAt[8][3] = {
    {0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}, {0, 1, 0}, {1, 1, 0}, {1, 1, 1}, {0, 1, 1},
};

int triangleCountOf(int row) {
  int t = 0;
  while (t < 5 && triTable[row][3 * t] != -1) ++t;
  return t;
}

bool below(int row, int corner) { return (row >> corner) & 1; }

// Twice the midpoint of an edge (integer coordinates).
void edgeMidpoint(int edge, int out[3]) {
  for (int a = 0; a < 3; ++a)
    out[a] = cornerAt[edgeCorners[edge][0]][a] + cornerAt[edgeCorners[edge][1]][a];
}

// Two edge midpoints lie on a common cube face when they agree on a coordinate that is 0 or 2.
bool onCommonFace(int e1, int e2) {
  int p[3], q[3];
  edgeMidpoint(e1, p);
  edgeMidpoint(e2, q);
  for (int a = 0; a < 3; ++a)
    if (p[a] == q[a] && p[a] != 1) return true;
  return false;
}

TEST(MarchingCubesTables, EdgeTableMarksExactlyTheCrossedEdges) {
  for (int row = 0; row < 256; ++row) {
    int crossed = 0;
    for (int e = 0; e < 12; ++e)
      if (below(row, edgeCorners[e][0]) != below(row, edgeCorners[e][1])) crossed |= 1 << e;
    EXPECT_EQ(edgeTable[row], crossed) << "row " << row;
  }
}

TEST(MarchingCubesTables, TrianglesUseExactlyTheEdgeTableEdges) {
  for (int row = 0; row < 256; ++row) {
    const int count = triangleCountOf(row);
    EXPECT_LE(count, 5) << "row " << row;
    EXPECT_EQ(triTable[row][3 * count], -1) << "row " << row << " not terminated";
    for (int i = 3 * count; i < 16; ++i) EXPECT_EQ(triTable[row][i], -1) << "row " << row;
    int used = 0;
    for (int i = 0; i < 3 * count; ++i) {
      ASSERT_GE(triTable[row][i], 0) << "row " << row;
      ASSERT_LT(triTable[row][i], 12) << "row " << row;
      used |= 1 << triTable[row][i];
    }
    EXPECT_EQ(used, edgeTable[row]) << "row " << row;
  }
  EXPECT_EQ(triangleCountOf(0), 0);
  EXPECT_EQ(triangleCountOf(255), 0);
}

TEST(MarchingCubesTables, KnownRows) {
  EXPECT_EQ(edgeTable[1], 0x109);
  EXPECT_EQ(edgeTable[3], 0x30A);
  EXPECT_EQ(edgeTable[5], 0x50F);
  const std::pair<int, std::vector<int>> rows[] = {
      {1, {0, 8, 3}},
      {3, {1, 8, 3, 9, 8, 1}},
      {7, {2, 8, 3, 2, 10, 8, 10, 9, 8}},
      {254, {0, 3, 8}},
  };
  for (const auto& [row, edges] : rows) {
    ASSERT_EQ(triangleCountOf(row) * 3, static_cast<int>(edges.size())) << "row " << row;
    for (size_t i = 0; i < edges.size(); ++i)
      EXPECT_EQ(triTable[row][i], edges[i]) << "row " << row;
  }
}

// Within a cube the triangles of a row form one oriented patch: a segment
// inside the cube joins exactly two triangles, in opposite directions, and a
// segment on a cube face belongs to exactly one; every face segment joins the
// crossings of that face in pairs.
TEST(MarchingCubesTables, EveryRowIsAnOrientedPatch) {
  for (int row = 1; row < 255; ++row) {
    std::map<std::pair<int, int>, int> directed;
    const int count = triangleCountOf(row);
    for (int t = 0; t < count; ++t)
      for (int v = 0; v < 3; ++v)
        ++directed[{triTable[row][3 * t + v], triTable[row][3 * t + (v + 1) % 3]}];
    std::map<int, int> faceSegmentsAtEdge;
    for (const auto& [segment, uses] : directed) {
      const auto [from, to] = segment;
      const auto reverse = directed.find({to, from});
      const int reverseUses = reverse == directed.end() ? 0 : reverse->second;
      EXPECT_EQ(uses, 1) << "row " << row << " segment " << from << "-" << to << " repeated";
      if (onCommonFace(from, to)) {
        EXPECT_EQ(reverseUses, 0) << "row " << row << " face segment " << from << "-" << to;
        ++faceSegmentsAtEdge[from];
        ++faceSegmentsAtEdge[to];
      } else {
        EXPECT_EQ(reverseUses, 1) << "row " << row << " open inner segment " << from << "-" << to;
      }
    }
    // Each crossed edge lies on two faces and so ends two face segments.
    for (int e = 0; e < 12; ++e) {
      const int expected = (edgeTable[row] & (1 << e)) ? 2 : 0;
      EXPECT_EQ(faceSegmentsAtEdge[e], expected) << "row " << row << " edge " << e;
    }
  }
}

// With crossings at edge midpoints, each triangle's normal (A-B) x (A-C)
// points, on balance over its three edges, from the corners below the iso
// level towards those above it (the patch test above makes the rest agree).
TEST(MarchingCubesTables, TrianglesFaceAwayFromTheCornersBelow) {
  for (int row = 1; row < 255; ++row) {
    for (int t = 0; t < triangleCountOf(row); ++t) {
      int p[3][3];
      for (int v = 0; v < 3; ++v) edgeMidpoint(triTable[row][3 * t + v], p[v]);
      const int a[3] = {p[0][0] - p[1][0], p[0][1] - p[1][1], p[0][2] - p[1][2]};
      const int b[3] = {p[0][0] - p[2][0], p[0][1] - p[2][1], p[0][2] - p[2][2]};
      const int n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                        a[0] * b[1] - a[1] * b[0]};
      int towardsHigh = 0;
      for (int v = 0; v < 3; ++v) {
        const int edge = triTable[row][3 * t + v];
        const int sign = below(row, edgeCorners[edge][0]) ? 1 : -1;
        for (int axis = 0; axis < 3; ++axis)
          towardsHigh +=
              sign * n[axis] *
              (cornerAt[edgeCorners[edge][1]][axis] - cornerAt[edgeCorners[edge][0]][axis]);
      }
      EXPECT_GT(towardsHigh, 0) << "row " << row << " triangle " << t;
    }
  }
}

}  // namespace
