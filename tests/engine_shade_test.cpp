#include <gtest/gtest.h>

#include <math.h>

#include <vector>

#include "engine/fixed.h"
#include "engine/shade.h"
#include "tests/engine_testscene.h"

namespace {

// A surface whose tangent plane is set by the test.
class FixedPlaneSurface : public TestPlane {
 public:
  void tangentPlane(Vec4* out, float, float) override { *out = plane; }
  Vec4 plane = {0, 0, 1, 0};
};

TEST(engineShade, FactorFollowsAbsoluteCosineWithTheLight) {
  Camera camera = {};
  camera.light[2] = 1;
  Scene scene;
  scene.camera = &camera;
  FixedPlaneSurface s;
  mat4Identity(&s.normalMatrix);

  const double c60 = cos(M_PI / 3), s60 = sin(M_PI / 3);
  struct {
    Vec4 plane;
    float factor;
  } cases[] = {
      {{0, 0, 1, 0}, 1.0f},           // normal along the light
      {{0, 0, -3, 7}, 1.0f},          // other face, any length and offset
      {{1, 0, 0, 0}, 0.5f},           // edge-on
      {{0, -2, 0, 1}, 0.5f},
      {{(float)s60, 0, (float)c60, 0}, 0.75f},
      {{(float)-s60, 0, (float)-c60, 0}, 0.75f},
      {{0, 0, 0, 1}, 0.0f},           // degenerate: no normal
  };
  for (auto& c : cases) {
    s.plane = c.plane;
    EXPECT_NEAR(shadeFactor(&scene, &s, 0, 0), c.factor, 1e-7f)
        << c.plane.x << " " << c.plane.y << " " << c.plane.z << " " << c.plane.w;
  }
}

TEST(engineShade, NormalGoesThroughTheNormalMatrix) {
  Camera camera = {};
  camera.light[0] = 1;   // light along camera x
  Scene scene;
  scene.camera = &camera;
  FixedPlaneSurface s;
  s.plane = {0, 0, 1, 0};
  // The surface turned a quarter about y: its z normal now points along x.
  Mat4 turn = rotationY(M_PI / 2);
  mat4Cofactor(&s.normalMatrix, &turn);
  EXPECT_NEAR(shadeFactor(&scene, &s, 0, 0), 1.0f, 1e-6f);
}

// --- Cuts ---

void expectVertex(const GridVertex* v, float sx, float sy, float u, float vv) {
  EXPECT_FLOAT_EQ(v->sx, sx);
  EXPECT_FLOAT_EQ(v->sy, sy);
  EXPECT_FLOAT_EQ(v->u, u);
  EXPECT_FLOAT_EQ(v->v, vv);
}

TEST(engineCuts, MiddleCutOfASquare) {
  // A skewed cell so that every component is interpolated visibly.
  GridVertex lo = {1, 2, 0, 10}, ln = {1.5f, 5, 0, 12}, rn = {6, 7, 4, 12},
             ro = {5, 1, 4, 10};
  CellPolygon poly;
  poly.count = 4;
  GridVertex* order[4] = {&lo, &ln, &rn, &ro};
  for (int k = 0; k < 4; ++k) poly.vertex[k] = order[k];
  CellPolygon low, high;
  splitAtU(&poly, 2.0f, &low, &high);

  ASSERT_EQ(low.count, 4);
  ASSERT_EQ(high.count, 4);
  EXPECT_EQ(low.vertex[0], &lo);
  EXPECT_EQ(low.vertex[1], &ln);
  EXPECT_EQ(high.vertex[0], &rn);
  EXPECT_EQ(high.vertex[1], &ro);
  // Cut vertices at the midpoints of the new-row and old-row edges.
  expectVertex(low.vertex[2], 3.75f, 6, 2, 12);
  expectVertex(low.vertex[3], 3, 1.5f, 2, 10);
  EXPECT_EQ(high.vertex[2], low.vertex[3]);
  EXPECT_EQ(high.vertex[3], low.vertex[2]);
  // The cuts live in the polygon that was cut.
  EXPECT_EQ(low.vertex[3], &poly.cutA);
  EXPECT_EQ(low.vertex[2], &poly.cutB);

  // The same square cut at its middle v.
  splitAtV(&poly, 11.0f, &low, &high);
  ASSERT_EQ(low.count, 4);
  ASSERT_EQ(high.count, 4);
  EXPECT_EQ(low.vertex[0], &ro);
  EXPECT_EQ(low.vertex[1], &lo);
  expectVertex(low.vertex[2], 1.25f, 3.5f, 0, 11);
  expectVertex(low.vertex[3], 5.5f, 4, 4, 11);
  EXPECT_EQ(high.vertex[0], &ln);
  EXPECT_EQ(high.vertex[1], &rn);
}

TEST(engineCuts, TableOfSpecialCases) {
  GridVertex a = {0, 0, 0, 0}, b = {1, 0, 1, 0}, c = {0, 1, 0.5f, 1}, d = {1, 1, 1, 1};
  struct Case {
    const char* name;
    std::vector<GridVertex*> vertices;
    float cut;
    int low, high;
  } cases[] = {
      {"touches at a vertex, rest below", {&a, &b, &c}, 1.0f, 3, 0},
      {"touches at a vertex, rest above", {&a, &b, &c}, 0.0f, 0, 3},
      {"all on the line", {&b, &d}, 1.0f, 0, 0},
      {"wholly below", {&a, &b, &c}, 2.0f, 3, 0},
      {"through a vertex", {&a, &b, &d, &c}, 0.5f, 3, 4},
  };
  for (auto& t : cases) {
    CellPolygon poly, low, high;
    poly.count = (int)t.vertices.size();
    for (int k = 0; k < poly.count; ++k) poly.vertex[k] = t.vertices[k];
    splitAtU(&poly, t.cut, &low, &high);
    EXPECT_EQ(low.count, t.low) << t.name;
    EXPECT_EQ(high.count, t.high) << t.name;
  }
}

TEST(engineCuts, ThroughAVertexSharesItWithBothParts) {
  // Square a, b, d, c cut at u = 0.5 where c lies: both parts hold c.
  GridVertex a = {0, 0, 0, 0}, b = {1, 0, 1, 0}, c = {0, 1, 0.5f, 1}, d = {1, 1, 1, 1};
  CellPolygon poly, low, high;
  poly.count = 4;
  GridVertex* order[4] = {&a, &b, &d, &c};
  for (int k = 0; k < 4; ++k) poly.vertex[k] = order[k];
  splitAtU(&poly, 0.5f, &low, &high);
  ASSERT_EQ(low.count, 3);
  EXPECT_EQ(low.vertex[0], &c);
  EXPECT_EQ(low.vertex[1], &a);
  expectVertex(low.vertex[2], 0.5f, 0, 0.5f, 0);
  ASSERT_EQ(high.count, 4);
  EXPECT_EQ(high.vertex[0], &b);
  EXPECT_EQ(high.vertex[1], &d);
  EXPECT_EQ(high.vertex[2], &c);
  EXPECT_EQ(high.vertex[3], low.vertex[2]);
}

// --- Filling ---

TEST(engineFill, ScreenPositionsTruncateTowardZero) {
  EXPECT_EQ(fixedFromPixels(-0.3f), -76);
  EXPECT_EQ(fixedFromPixels(0.3f), 76);
  EXPECT_EQ(fixedFromPixels(-2.0f), -512);

  // A fill gives the same coverage as the truncated fixed-point polygon.
  InitColourTables();
  RenderFrame viaCell, viaFixed;
  ASSERT_TRUE(allocate(&viaCell, 3, 3, 0));
  ASSERT_TRUE(allocate(&viaFixed, 3, 3, 0));
  GridVertex p0 = {-0.3f, 0.2f, 0, 0}, p1 = {2.6f, -0.7f, 0, 0}, p2 = {1.3f, 2.9f, 0, 0};
  CellPolygon poly;
  poly.count = 3;
  poly.vertex[0] = &p0;
  poly.vertex[1] = &p1;
  poly.vertex[2] = &p2;
  fillPolygon(&poly, &viaCell);
  FixedPolygon fixed = {0, 0, 3, {{-76, 51}, {665, -179}, {332, 742}}};
  accumulatePolygon(&fixed, &viaFixed);
  for (int k = 0; k < 9; ++k) EXPECT_EQ(viaCell.coverage[k], viaFixed.coverage[k]) << k;

  // Fewer than three vertices add nothing.
  poly.count = 2;
  RenderFrame empty;
  ASSERT_TRUE(allocate(&empty, 3, 3, 0));
  fillPolygon(&poly, &empty);
  for (int k = 0; k < 9; ++k) EXPECT_EQ(empty.coverage[k], 0.0f);
}

// Cell painting on a 4x4 picture whose texels all differ, with one texel per
// pixel.
class Painting : public ::testing::Test {
 protected:
  void SetUp() override {
    InitColourTables();
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) picture.at(c, 3 - r) = grey(texelCode(c, r));
    surface.picture = &picture.image;
    ASSERT_TRUE(allocate(&frame, 6, 6, 0));
  }

  // Texel (column c, row r counted from the bottom).
  static int texelCode(int c, int r) { return 40 + 12 * c + 45 * r; }
  static float texelLinear(int c, int r) {
    VideoPixel p = grey(texelCode(c, r));
    LinearRgb l;
    VideoToLinear(&l, &p);
    return l.red;
  }
  // Mean colour of a frame pixel (column x, row y from the bottom).
  float colour(int x, int y) const {
    int k = (frame.height - 1 - y) * frame.width + x;
    return frame.red[k] / frame.coverage[k];
  }
  float cover(int x, int y) const { return frame.coverage[(frame.height - 1 - y) * frame.width + x]; }

  TestImage picture{4, 4, grey(16)};
  TestPlane surface;
  RenderFrame frame;
};
// Test names start with "engine", so that the engine's tests run together.
using enginePainting = Painting;

TEST_F(enginePainting, FullDoubleCellGivesEachTexelItsQuarter) {
  // Cell over texels columns 1-2, rows 0-1, drawn on pixels (1..3, 1..3).
  GridVertex lo = {1, 1, 1, 0}, ln = {1, 3, 1, 2}, rn = {3, 3, 3, 2}, ro = {3, 1, 3, 0};
  CellPolygon poly;
  poly.count = 4;
  GridVertex* order[4] = {&lo, &ln, &rn, &ro};
  for (int k = 0; k < 4; ++k) poly.vertex[k] = order[k];
  CellPlace place = {1, 0, 1, 1, 1, 3, 0, 2};
  paintCell(&surface, &frame, &poly, 1, 0.5f, &place);
  for (int dx = 0; dx < 2; ++dx)
    for (int dy = 0; dy < 2; ++dy) {
      EXPECT_EQ(cover(1 + dx, 1 + dy), 1.0f);
      EXPECT_FLOAT_EQ(colour(1 + dx, 1 + dy), 0.5f * texelLinear(1 + dx, dy)) << dx << dy;
    }
}

TEST_F(enginePainting, PartialDoubleCellFillsOnlyTheSideItCovers) {
  // A triangle in the left half of a cell double in u and v.
  GridVertex a = {1, 1, 0, 0}, b = {1.75f, 1, 0.75f, 0}, c = {1, 3, 0, 2};
  CellPolygon poly;
  poly.count = 3;
  poly.vertex[0] = &a;
  poly.vertex[1] = &b;
  poly.vertex[2] = &c;
  CellPlace place = {0, 0, 1, 1, 0, 2, 0, 2};
  paintCell(&surface, &frame, &poly, 0, 1.0f, &place);
  // Left column only; old row below v = 1, new row above it.
  EXPECT_FLOAT_EQ(colour(1, 1), texelLinear(0, 0));
  EXPECT_FLOAT_EQ(colour(1, 2), texelLinear(0, 1));
  EXPECT_EQ(cover(1, 1), 0.5625f);
  EXPECT_EQ(cover(1, 2), 0.1875f);
  for (int k = 0; k < 36; ++k)
    if (frame.coverage[k] > 0) {
      EXPECT_TRUE(k == 4 * 6 + 1 || k == 3 * 6 + 1) << k;
    }
}

TEST_F(enginePainting, MirroredCellTakesTheSplitSideByGridDirection) {
  // u falls from the left column line to the right one: the left part of the
  // cell is the high part of the cut.
  GridVertex lo = {1, 1, 2, 0}, ln = {1, 2, 2, 1}, rn = {3, 2, 0, 1}, ro = {3, 1, 0, 0};
  CellPolygon poly;
  poly.count = 3;   // drop RO: a partial cell, LO, LN, RN
  GridVertex* order[3] = {&ln, &lo, &rn};
  for (int k = 0; k < 3; ++k) poly.vertex[k] = order[k];
  (void)ro;
  CellPlace place = {2, 1, 1, 0, 2, 0, 0, 1};
  paintCell(&surface, &frame, &poly, 0, 1.0f, &place);
  EXPECT_FLOAT_EQ(colour(1, 1), texelLinear(2, 1));
  EXPECT_FLOAT_EQ(colour(2, 1), texelLinear(3, 1));
}

}  // namespace
