#include <gtest/gtest.h>

#include <limits.h>

#include <algorithm>
#include <random>
#include <vector>

#include "engine/fixed.h"
#include "engine/frame.h"
#include "tests/engine_testscene.h"

namespace {

class Coverage : public ::testing::Test {
 protected:
  void SetUp() override {
    InitColourTables();
    ASSERT_TRUE(allocate(&frame, 8, 6, 64));
    frame.fill = LinearRgb{1.0f, 0.5f, 0.25f};
  }

  // Coverage of the pixel at column x, row y counted from the bottom.
  float at(int x, int y) const { return frame.coverage[(frame.height - 1 - y) * frame.width + x]; }

  // Accumulates the polygon with vertices in 1/256 pixel relative to pixel
  // (x0, y0).
  void add(int x0, int y0, std::vector<FixedPoint> points) {
    FixedPolygon p;
    p.x0 = x0;
    p.y0 = y0;
    p.count = (int)points.size();
    for (int k = 0; k < p.count; ++k) p.v[k] = points[k];
    accumulatePolygon(&p, &frame);
  }

  float total() const {
    float sum = 0;
    for (int k = 0; k < frame.width * frame.height; ++k) sum += frame.coverage[k];
    return sum;
  }

  RenderFrame frame;
};
// Test names start with "engine", so that the engine's tests run together.
using engineCoverage = Coverage;

const int P = FixedOnePixel;

TEST_F(engineCoverage, UnitSquareAddsExactlyOne) {
  add(2, 3, {{0, 0}, {P, 0}, {P, P}, {0, P}});
  EXPECT_EQ(at(2, 3), 1.0f);
  EXPECT_EQ(total(), 1.0f);
  // Colour planes carry colour times area; row 3 from the bottom is row 2
  // from the top.
  int index = 2 * frame.width + 2;
  EXPECT_EQ(frame.red[index], 1.0f);
  EXPECT_EQ(frame.green[index], 0.5f);
  EXPECT_EQ(frame.blue[index], 0.25f);
}

TEST_F(engineCoverage, TriangleAddsHalfInEitherOrientation) {
  add(1, 1, {{0, 0}, {P, 0}, {0, P}});
  EXPECT_EQ(at(1, 1), 0.5f);
  add(1, 1, {{0, P}, {P, 0}, {0, 0}});
  EXPECT_EQ(at(1, 1), 1.0f);
}

TEST_F(engineCoverage, PixelAlignedTwoByTwoSquare) {
  add(3, 2, {{0, 0}, {2 * P, 0}, {2 * P, 2 * P}, {0, 2 * P}});
  for (int x = 3; x <= 4; ++x)
    for (int y = 2; y <= 3; ++y) EXPECT_EQ(at(x, y), 1.0f) << x << "," << y;
  EXPECT_EQ(total(), 4.0f);
}

TEST_F(engineCoverage, TwoByTwoSquareShiftedByHalfAPixel) {
  add(3, 2, {{P / 2, P / 2}, {P / 2 + 2 * P, P / 2}, {P / 2 + 2 * P, P / 2 + 2 * P},
             {P / 2, P / 2 + 2 * P}});
  const float expected[3][3] = {{0.25f, 0.5f, 0.25f}, {0.5f, 1.0f, 0.5f},
                                {0.25f, 0.5f, 0.25f}};
  for (int dx = 0; dx < 3; ++dx)
    for (int dy = 0; dy < 3; ++dy)
      EXPECT_EQ(at(3 + dx, 2 + dy), expected[dy][dx]) << dx << "," << dy;
  EXPECT_EQ(total(), 4.0f);
}

TEST_F(engineCoverage, NegativeCoordinatesNormaliseToTheirPixel) {
  // A unit square given relative to pixel (5, 4) but lying in pixel (3, 2).
  add(5, 4, {{-2 * P, -2 * P}, {-P, -2 * P}, {-P, -P}, {-2 * P, -P}});
  EXPECT_EQ(at(3, 2), 1.0f);
  EXPECT_EQ(total(), 1.0f);
}

TEST_F(engineCoverage, ClipsAtTheFrameEdges) {
  // 3x3 square from (-1.5, 4.5): only the part inside columns 0.. and rows
  // ..5 lands: column 0 and 1 (0.5 wide), rows 4 (0.5 high) and 5.
  add(0, 0, {{-3 * P / 2, 9 * P / 2}, {3 * P / 2, 9 * P / 2}, {3 * P / 2, 15 * P / 2},
             {-3 * P / 2, 15 * P / 2}});
  EXPECT_EQ(at(0, 4), 0.5f);
  EXPECT_EQ(at(1, 4), 0.25f);
  EXPECT_EQ(at(0, 5), 1.0f);
  EXPECT_EQ(at(1, 5), 0.5f);
  EXPECT_EQ(total(), 2.25f);

  // Past the right and bottom edges.
  add(7, -1, {{P / 2, 0}, {3 * P, 0}, {3 * P, 3 * P / 2}, {P / 2, 3 * P / 2}});
  EXPECT_EQ(at(7, 0), 0.25f);
  EXPECT_EQ(total(), 2.5f);
}

TEST_F(engineCoverage, PolygonFarOutsideAddsNothing) {
  add(-100, 50, {{0, 0}, {3 * P, 0}, {0, 3 * P}});
  add(1000, 2, {{0, 0}, {3 * P, 0}, {0, 3 * P}});
  EXPECT_EQ(total(), 0.0f);
}

// A polygon spanning far more than the 180 pixels that 32-bit cut products
// would allow still gives sound coverage of the frame's part.
TEST_F(engineCoverage, HugePolygonCutsWithoutOverflow) {
  const int big = 100000 * P;
  add(0, 0, {{-big, -big}, {big, -big}, {big, big}, {-big, big}});
  for (int k = 0; k < frame.width * frame.height; ++k) EXPECT_EQ(frame.coverage[k], 1.0f);

  // A long sliver: the part over the frame is nearly the trapezoid between
  // heights 6·100000/100008 and 6. Every column cut starts from the previous
  // one's point, rounded down, so over 100000 columns the edge sags by a
  // fraction of a pixel.
  RenderFrame second;
  ASSERT_TRUE(allocate(&second, 8, 6, 0));
  FixedPolygon p = {0, 0, 3, {{-big, 0}, {8 * P, 0}, {8 * P, 6 * P}}};
  accumulatePolygon(&p, &second);
  float sum = 0;
  for (int k = 0; k < 48; ++k) {
    EXPECT_GE(second.coverage[k], k < 8 ? 0.9f : 1.0f) << k;
    EXPECT_LE(second.coverage[k], 1.0f) << k;
    sum += second.coverage[k];
  }
  double h0 = 6.0 * 100000 / 100008;
  EXPECT_NEAR(sum, 8 * (h0 + 6) / 2, 0.25);
}

TEST_F(engineCoverage, ConcavePolygon) {
  // A "U": two prongs joined by a bar through two columns.
  add(0, 0, {{0, 0}, {2 * P, 0}, {2 * P, 3 * P}, {P + P / 2, 3 * P}, {P + P / 2, P},
             {P / 2, P}, {P / 2, 3 * P}, {0, 3 * P}});
  for (int x = 0; x <= 1; ++x) {
    EXPECT_EQ(at(x, 0), 1.0f) << x;
    EXPECT_EQ(at(x, 1), 0.5f) << x;
    EXPECT_EQ(at(x, 2), 0.5f) << x;
  }
  EXPECT_EQ(total(), 4.0f);
}

TEST_F(engineCoverage, CompositeBlendsPartialAndAveragesFullCover) {
  RenderFrame one;
  ASSERT_TRUE(allocate(&one, 3, 1, 0));
  one.coverage[0] = 0.25f;
  one.red[0] = 0.25f;
  one.coverage[1] = 2.0f;
  one.red[1] = 1.0f;
  // Pixel 2 uncovered: left alone.
  VideoPixel black = grey(16), picture[3] = {black, black, videoPixel(99, 77, 55)};
  composite(&one, picture, (int)sizeof picture);

  LinearRgb expected0 = {0.25f, 0, 0}, expected1 = {0.5f, 0, 0};
  VideoPixel v0, v1;
  LinearToVideo(&v0, &expected0);
  LinearToVideo(&v1, &expected1);
  EXPECT_EQ(memcmp(&picture[0], &v0, 4), 0);
  EXPECT_EQ(memcmp(&picture[1], &v1, 4), 0);
  EXPECT_EQ(picture[2].y, 99);
  EXPECT_EQ(picture[2].cb, 77);
  EXPECT_EQ(picture[2].cr, 55);
}

TEST_F(engineCoverage, CompositeKeepsWhatIsBehindPartialCover) {
  RenderFrame one;
  ASSERT_TRUE(allocate(&one, 1, 2, 0));
  one.coverage[0] = 0.5f;   // half white over white stays white
  one.red[0] = one.green[0] = one.blue[0] = 0.5f;
  VideoPixel picture[2] = {grey(235), grey(235)};
  // Rows two pixels apart: the second frame row lands on the second pixel.
  composite(&one, picture, 4);
  EXPECT_EQ(picture[0].y, 235);
  EXPECT_EQ(picture[0].cb, 128);
}

TEST(engineHalveImage, ThreeByThreeGivesTwoByTwo) {
  InitColourTables();
  VideoPixel src[3][3];
  int value = 40;
  for (auto& row : src)
    for (auto& p : row) p = grey(value += 15);
  VideoPixel dst[2][2];
  halveImage(&dst[0][0], 2 * 4, 2, 2, &src[0][0], 3 * 4, 3, 3);

  auto linear = [](VideoPixel p) {
    LinearRgb c;
    VideoToLinear(&c, &p);
    return c.red;
  };
  auto video = [](float red) {
    LinearRgb c = {red, red, red};
    VideoPixel p;
    LinearToVideo(&p, &c);
    return p.y;
  };
  float four = (linear(src[0][0]) + linear(src[0][1]) + linear(src[1][0]) + linear(src[1][1])) *
               0.25f;
  EXPECT_EQ(dst[0][0].y, video(four));
  EXPECT_EQ(dst[0][1].y, video((linear(src[0][2]) + linear(src[1][2])) * 0.5f));
  EXPECT_EQ(dst[1][0].y, video((linear(src[2][0]) + linear(src[2][1])) * 0.5f));
  EXPECT_EQ(memcmp(&dst[1][1], &src[2][2], 4), 0);
  // The means are not the plain means of the video codes.
  EXPECT_NE(dst[0][0].y, (src[0][0].y + src[0][1].y + src[1][0].y + src[1][1].y) / 4);
}

TEST(engineFrame, AllocateClearsAndReleaseIsRepeatable) {
  RenderFrame frame;
  ASSERT_TRUE(allocate(&frame, 5, 4, 72 * 5));
  EXPECT_EQ(frame.width, 5);
  EXPECT_EQ(frame.gridCacheBytes, 72u * 5);
  for (int k = 0; k < 20; ++k) {
    EXPECT_EQ(frame.coverage[k], 0.0f);
    EXPECT_EQ(frame.blue[k], 0.0f);
  }
  release(&frame);
  EXPECT_EQ(frame.coverage, nullptr);
  EXPECT_EQ(frame.gridCache, nullptr);
  EXPECT_EQ(frame.width, 0);
  release(&frame);
}

TEST(engineFrame, AllocateFailureReleasesWhatItGot) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's allocator does not fail quietly";
#endif
  RenderFrame frame;
  // The grid cache cannot be had.
  EXPECT_FALSE(allocate(&frame, 4, 4, (VxSize)-16));
  EXPECT_EQ(frame.coverage, nullptr);
  EXPECT_EQ(frame.blue, nullptr);
  EXPECT_EQ(frame.width, 0);
}

// Random axis-aligned rectangles tiling a region (rows of bricks of random
// heights and widths, neighbours sharing their edges) add up to exactly one in
// every pixel the region covers fully.
TEST(engineCoverageProperty, RectangleTilingSumsToExactlyOnePerCoveredPixel) {
  std::mt19937 rng(99);
  for (int trial = 0; trial < 30; ++trial) {
    RenderFrame frame;
    ASSERT_TRUE(allocate(&frame, 24, 20, 0));
    std::uniform_int_distribution<int> size(20, 900), start(-400, 0);
    const int x0 = start(rng), y0 = start(rng), x1 = 22 * P, y1 = 18 * P;
    for (int y = y0; y < y1;) {
      int yNext = std::min(y1, y + size(rng));
      for (int x = x0; x < x1;) {
        int xNext = std::min(x1, x + size(rng));
        FixedPolygon p = {0, 0, 4, {{x, y}, {xNext, y}, {xNext, yNext}, {x, yNext}}};
        accumulatePolygon(&p, &frame);
        x = xNext;
      }
      y = yNext;
    }
    for (int y = 0; y < 18; ++y)
      for (int x = 0; x < 22; ++x)
        EXPECT_EQ(frame.coverage[(frame.height - 1 - y) * frame.width + x], 1.0f)
            << "trial " << trial << " pixel " << x << "," << y;
    for (int x = 0; x < 24; ++x) EXPECT_EQ(frame.coverage[x], 0.0f);   // top row
    ASSERT_FALSE(::testing::Test::HasFailure());
  }
}

// Random triangles tiling a region (a jittered lattice, neighbours sharing
// their vertices) add up to one in every fully covered pixel, less at most
// half a unit of 1/65536 pixel per fragment: a fragment's area is half its
// integer cross-product sum, rounded down.
TEST(engineCoverageProperty, TriangleTilingSumsToOnePerCoveredPixel) {
  std::mt19937 rng(1234);
  for (int trial = 0; trial < 20; ++trial) {
    RenderFrame frame;
    ASSERT_TRUE(allocate(&frame, 24, 20, 0));
    frame.fill = LinearRgb{1, 1, 1};
    std::uniform_int_distribution<int> cellSize(200, 700);
    const int step = cellSize(rng), n = 18 * P / step + 1;
    // Moving each point by less than a quarter step keeps every quadrilateral
    // convex, so both of its diagonals split it into two proper triangles.
    std::uniform_int_distribution<int> jitter(-step / 5, step / 5);
    const int origin = 3 * P + jitter(rng);
    // Lattice points, the outer ring unjittered so the region is a square.
    std::vector<FixedPoint> lattice(n * n);
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) {
        bool edge = i == 0 || j == 0 || i == n - 1 || j == n - 1;
        lattice[i * n + j] = {origin + i * step + (edge ? 0 : jitter(rng)),
                              origin + j * step + (edge ? 0 : jitter(rng))};
      }
    std::bernoulli_distribution diagonal(0.5), reverse(0.5);
    std::vector<int> fragments(frame.width * frame.height);
    auto emit = [&](std::vector<FixedPoint> pts) {
      if (reverse(rng)) std::reverse(pts.begin(), pts.end());
      FixedPolygon p;
      p.x0 = p.y0 = 0;
      p.count = (int)pts.size();
      for (int k = 0; k < p.count; ++k) p.v[k] = pts[k];
      accumulatePolygon(&p, &frame);
      // Count the polygon for every pixel its bounding box touches.
      int x0 = INT_MAX, x1 = INT_MIN, y0 = INT_MAX, y1 = INT_MIN;
      for (const FixedPoint& q : pts) {
        x0 = std::min(x0, fixedFloorToPixel(q.x));
        x1 = std::max(x1, fixedFloorToPixel(q.x));
        y0 = std::min(y0, fixedFloorToPixel(q.y));
        y1 = std::max(y1, fixedFloorToPixel(q.y));
      }
      for (int y = std::max(y0, 0); y <= std::min(y1, frame.height - 1); ++y)
        for (int x = std::max(x0, 0); x <= std::min(x1, frame.width - 1); ++x)
          ++fragments[(frame.height - 1 - y) * frame.width + x];
    };
    for (int i = 0; i + 1 < n; ++i)
      for (int j = 0; j + 1 < n; ++j) {
        FixedPoint a = lattice[i * n + j], b = lattice[(i + 1) * n + j];
        FixedPoint c = lattice[(i + 1) * n + j + 1], d = lattice[i * n + j + 1];
        if (diagonal(rng)) {
          emit({a, b, c});
          emit({a, c, d});
        } else {
          emit({a, b, d});
          emit({b, c, d});
        }
      }
    const int lo = fixedFloorToPixel(origin) + 1;
    const int hi = std::min(fixedFloorToPixel(origin + (n - 1) * step), 20);   // exclusive
    const float unit = 1.0f / (FixedOnePixel * FixedOnePixel);
    for (int y = lo; y < hi; ++y)
      for (int x = lo; x < hi; ++x) {
        int k = (frame.height - 1 - y) * frame.width + x;
        float c = frame.coverage[k];
        EXPECT_LE(c, 1.0f) << "trial " << trial << " pixel " << x << "," << y;
        EXPECT_GE(c, 1.0f - 0.5f * unit * fragments[k])
            << "trial " << trial << " pixel " << x << "," << y;
      }
    ASSERT_FALSE(::testing::Test::HasFailure());
  }
}

}  // namespace
