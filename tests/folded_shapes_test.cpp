// The tapered domains and the strip hinges of the folded solids.
#include <gtest/gtest.h>
#include <math.h>

#include <random>

#include "shapes/hinge.h"
#include "shapes/taper.h"

namespace {

// A surface that only owns a parameter rectangle: the domains read nothing
// else of it.
class RectangleOnly : public Surface {
 public:
  RectangleOnly(double u0, double u1, double v0, double v1) {
    uMin = u0, uMax = u1, vMin = v0, vMax = v1;
  }
  void point(Vec4*, float, float) override {}
  void tangentPlane(Vec4*, float, float) override {}
  int intersect(float*, const Vec4*, const Vec4*) override { return 0; }
};

template <class Domain>
struct Trapezoid {
  RectangleOnly face;
  Domain domain;
  Trapezoid(double u0, double u1, double v0, double v1, float taper)
      : face(u0, u1, v0, v1) {
    domain.surface = &face;
    domain.taper = taper;
    face.domain = &domain;
  }
};

struct Span {
  float lo, hi;
};
Span uSpanOf(SurfaceDomain& d, float v) {
  float out[2];
  d.uSpan(out, v);
  return {out[0], out[1]};
}
Span vSpanOf(SurfaceDomain& d, float u) {
  float out[2];
  d.vSpan(out, u);
  return {out[0], out[1]};
}

// Random rectangles (unit width like the faces, any height) and tapers up
// to beyond half the width; random points inside. A point is painted iff it
// lies inside both spans through it, and both spans stay in the rectangle.
// Points within a hair of a span's end are left out: there the two spans may
// round differently.
template <class Domain>
void checkSpansAgreeWithContains(unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const float hair = 1e-4f;
  int painted = 0, unpainted = 0;
  for (int shape = 0; shape < 200; ++shape) {
    double u0 = floor(8.0 * unit(random)) - 4.0, v0 = 4.0 * unit(random) - 2.0;
    double height = 0.05 + 3.0 * unit(random);
    float taper = (float)(0.8 * unit(random));
    Trapezoid<Domain> t(u0, u0 + 1.0, v0, v0 + height, taper);
    for (int k = 0; k < 100; ++k) {
      float u = (float)(u0 + unit(random)), v = (float)(v0 + height * unit(random));
      Span across = uSpanOf(t.domain, v), up = vSpanOf(t.domain, u);
      ASSERT_GE(across.lo, (float)u0);
      ASSERT_LE(across.hi, (float)(u0 + 1.0));
      ASSERT_GE(up.lo, (float)v0);
      ASSERT_LE(up.hi, (float)(v0 + height));
      if (fabsf(u - across.lo) < hair || fabsf(u - across.hi) < hair ||
          fabsf(v - up.lo) < hair || fabsf(v - up.hi) < hair)
        continue;
      bool inside = across.lo <= u && u <= across.hi && up.lo <= v && v <= up.hi;
      ASSERT_EQ(t.domain.contains(u, v) != 0, inside)
          << "rectangle u " << u0 << " v " << v0 << " + " << height << " taper " << taper
          << " point " << u << ", " << v;
      ++(inside ? painted : unpainted);
    }
  }
  // Both outcomes were exercised.
  EXPECT_GT(painted, 1000);
  EXPECT_GT(unpainted, 1000);
}

TEST(TaperDomainTest, PaintedExactlyWhereBothSpansReach) {
  checkSpansAgreeWithContains<TopTaperDomain>(20261211u);
  checkSpansAgreeWithContains<BottomTaperDomain>(20261212u);
}

// Rectangle [0, 1] x [0, 2] with taper 0.25 (exact binary fractions).
TEST(TaperDomainTest, PointsOnTheSlantedEdgesArePaintedAndJustOutsideAreNot) {
  Trapezoid<TopTaperDomain> top(0.0, 1.0, 0.0, 2.0, 0.25f);
  Trapezoid<BottomTaperDomain> bottom(0.0, 1.0, 0.0, 2.0, 0.25f);
  struct { float u, v; } topEdge[] = {
      {0.0f, 0.0f}, {0.125f, 1.0f}, {0.25f, 2.0f}, {1.0f, 0.0f}, {0.875f, 1.0f}, {0.75f, 2.0f}};
  for (auto p : topEdge) {
    EXPECT_TRUE(top.domain.contains(p.u, p.v)) << p.u << ", " << p.v;
    // The bottom taper is the top one mirrored about v = 1.
    EXPECT_TRUE(bottom.domain.contains(p.u, 2.0f - p.v)) << p.u << ", " << 2.0f - p.v;
    float outward = p.u < 0.5f ? -1e-3f : 1e-3f;
    EXPECT_FALSE(top.domain.contains(p.u + outward, p.v)) << p.u << ", " << p.v;
    EXPECT_FALSE(bottom.domain.contains(p.u + outward, 2.0f - p.v)) << p.u << ", " << p.v;
  }
  // Where a span ends, the domain paints.
  for (float v : {0.3f, 0.7f, 1.1f, 1.9f}) {
    Span s = uSpanOf(top.domain, v);
    EXPECT_TRUE(top.domain.contains(s.lo, v) && top.domain.contains(s.hi, v)) << v;
    s = uSpanOf(bottom.domain, v);
    EXPECT_TRUE(bottom.domain.contains(s.lo, v) && bottom.domain.contains(s.hi, v)) << v;
  }
}

TEST(TaperDomainTest, WideEdgeSpansTheFullWidthAndTheNarrowEdgeIsInset) {
  Trapezoid<TopTaperDomain> top(-2.0, -1.0, -0.75, 0.75, 0.2f);
  Trapezoid<BottomTaperDomain> bottom(-2.0, -1.0, -0.75, 0.75, 0.2f);
  Span s = uSpanOf(top.domain, -0.75f);
  EXPECT_EQ(s.lo, -2.0f);
  EXPECT_EQ(s.hi, -1.0f);
  s = uSpanOf(top.domain, 0.75f);
  EXPECT_FLOAT_EQ(s.lo, -1.8f);
  EXPECT_FLOAT_EQ(s.hi, -1.2f);
  s = uSpanOf(bottom.domain, 0.75f);
  EXPECT_EQ(s.lo, -2.0f);
  EXPECT_EQ(s.hi, -1.0f);
  s = uSpanOf(bottom.domain, -0.75f);
  EXPECT_FLOAT_EQ(s.lo, -1.8f);
  EXPECT_FLOAT_EQ(s.hi, -1.2f);
  // Half-way along a slanted edge, and clear of both.
  s = vSpanOf(top.domain, -1.9f);
  EXPECT_EQ(s.lo, -0.75f);
  EXPECT_NEAR(s.hi, 0.0f, 1e-6);
  s = vSpanOf(bottom.domain, -1.1f);
  EXPECT_NEAR(s.lo, 0.0f, 1e-6);
  EXPECT_EQ(s.hi, 0.75f);
  s = vSpanOf(top.domain, -1.5f);
  EXPECT_EQ(s.lo, -0.75f);
  EXPECT_EQ(s.hi, 0.75f);
}

// A taper beyond half the width would cross the slanted edges over and give
// spans whose ends are swapped; the region stops at a triangle instead.
TEST(TaperDomainTest, TaperBeyondHalfTheWidthStopsAtATriangle) {
  Trapezoid<TopTaperDomain> t(0.0, 1.0, 0.0, 1.0, 0.9f);
  Span apex = uSpanOf(t.domain, 1.0f);
  EXPECT_EQ(apex.lo, 0.5f);
  EXPECT_EQ(apex.hi, 0.5f);
  EXPECT_TRUE(t.domain.contains(0.5f, 1.0f));
  EXPECT_FALSE(t.domain.contains(0.9f, 0.5f));   // right of the right edge
  EXPECT_TRUE(t.domain.contains(0.7f, 0.5f));
  Span up = vSpanOf(t.domain, 0.75f);
  EXPECT_EQ(up.lo, 0.0f);
  EXPECT_FLOAT_EQ(up.hi, 0.5f);
}

TEST(TaperDomainTest, NoTaperPaintsTheWholeRectangle) {
  Trapezoid<BottomTaperDomain> t(0.0, 1.0, -1.0, 0.0, 0.0f);
  for (float u : {0.0f, 1e-30f, 0.5f, 1.0f}) {
    Span up = vSpanOf(t.domain, u);
    EXPECT_EQ(up.lo, -1.0f) << u;
    EXPECT_EQ(up.hi, 0.0f) << u;
    EXPECT_TRUE(t.domain.contains(u, -1.0f)) << u;
  }
}

// Hinges -------------------------------------------------------------------

struct Point3 {
  double x, y, z;
};

Point3 place(const Mat4& m, double x, double y, double z = 0.0) {
  Vec4 p = {(float)x, (float)y, (float)z, 1.0f}, q;
  mat4Transform(&q, &m, &p);
  return {q.x / q.w, q.y / q.w, q.z / q.w};
}

double distance(Point3 a, Point3 b) {
  return sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
              (a.z - b.z) * (a.z - b.z));
}

// A point of a strip's own plane: `across` on the across axis, `along` on
// the hinge direction.
Point3 stripPoint(const Mat4& m, HingeAxis axis, double across, double along) {
  return axis == HingesUpright ? place(m, across, along) : place(m, along, across);
}
double acrossOf(HingeAxis axis, Point3 p) { return axis == HingesUpright ? p.x : p.y; }
double alongOf(HingeAxis axis, Point3 p) { return axis == HingesUpright ? p.y : p.x; }

const double Pi = 3.14159265358979323846;
const HingeAxis BothAxes[] = {HingesUpright, HingesLevel};

TEST(HingeTest, NeighbouringStripsShareTheirHingeEdgeAtEveryFold) {
  for (HingeAxis axis : BothAxes) {
    for (double fold : {1e-6, 0.3, 0.9, 1.4, Pi / 2}) {
      Mat4 strips[HingedStripCount];
      for (int i = 0; i < HingedStripCount; ++i) stripHinge(&strips[i], axis, i, fold);
      for (int i = 0; i + 1 < HingedStripCount; ++i)
        for (double along : {-1.5, 0.4}) {
          double edge = i - 1;   // strip i's upper end, strip i + 1's lower end
          Point3 a = stripPoint(strips[i], axis, edge, along);
          Point3 b = stripPoint(strips[i + 1], axis, edge, along);
          EXPECT_LT(distance(a, b), 1e-6) << "axis " << axis << " fold " << fold << " strips "
                                          << i << ", " << i + 1;
          EXPECT_NEAR(alongOf(axis, a), along, 1e-6);   // nothing moves along the hinge
        }
      // Neighbours stand at the fold angle to each other: the strip ends
      // away from a shared edge are 2·cos(fold/2) apart.
      for (int i = 0; i + 1 < HingedStripCount; ++i) {
        Point3 a = stripPoint(strips[i], axis, i - 2, 0.0);
        Point3 b = stripPoint(strips[i + 1], axis, i, 0.0);
        EXPECT_NEAR(distance(a, b), 2.0 * cos(fold / 2), 1e-6) << fold;
      }
    }
  }
}

TEST(HingeTest, UnfoldedStripsLieFlatWhereTheyStarted) {
  for (HingeAxis axis : BothAxes)
    for (int i = 0; i < HingedStripCount; ++i) {
      Mat4 m;
      stripHinge(&m, axis, i, 0.0);
      for (double across : {i - 2.0, i - 1.5, i - 1.0}) {
        Point3 p = stripPoint(m, axis, across, 0.7);
        EXPECT_NEAR(acrossOf(axis, p), across, 1e-7);
        EXPECT_NEAR(p.z, 0.0, 1e-7);
      }
    }
}

// Closed, the strips are the four sides of a unit square about the line
// across = 0, z = -√2/2, with the strips' shared line at its front corner
// and the free ends of strips 0 and 3 meeting at its back corner.
TEST(HingeTest, ClosedStripsFormASquareOfSideOne) {
  const double centreZ = -sqrt(0.5);
  for (HingeAxis axis : BothAxes) {
    Mat4 strips[HingedStripCount];
    for (int i = 0; i < HingedStripCount; ++i) {
      stripHinge(&strips[i], axis, i, Pi / 2);
      Point3 middle = stripPoint(strips[i], axis, i - 1.5, 0.0);
      Point3 corner = stripPoint(strips[i], axis, i - 2.0, 0.0);
      EXPECT_NEAR(hypot(acrossOf(axis, middle), middle.z - centreZ), 0.5, 1e-6) << i;
      EXPECT_NEAR(hypot(acrossOf(axis, corner), corner.z - centreZ), sqrt(0.5), 1e-6) << i;
    }
    Point3 back0 = stripPoint(strips[0], axis, -2.0, 0.0);
    Point3 back3 = stripPoint(strips[3], axis, 2.0, 0.0);
    EXPECT_LT(distance(back0, back3), 1e-6);
    EXPECT_NEAR(back0.z, 2 * centreZ, 1e-6);
  }
}

TEST(HingeTest, TurnsAboutALineKeepThatLineAndCarryAcrossTowardsMinusZ) {
  for (HingeAxis axis : BothAxes) {
    Mat4 spin, turn;
    spinAboutAxis(&spin, axis, 0.8);
    turnAboutLine(&turn, axis, 0.8, -1.25, 0.5);
    for (double along : {-1.0, 2.0}) {
      Point3 onAxis = stripPoint(spin, axis, 0.0, along);
      Vec4 p = axis == HingesUpright ? Vec4{0.0f, (float)along, -0.8660254f, 1.0f}
                                     : Vec4{(float)along, 0.0f, -0.8660254f, 1.0f};
      Point3 kept = place(spin, p.x, p.y, p.z);
      EXPECT_NEAR(kept.z, -0.8660254, 1e-6);
      EXPECT_NEAR(acrossOf(axis, kept), 0.0, 1e-6);
      // The strip's own line across = 0, z = 0 circles the axis.
      EXPECT_NEAR(hypot(acrossOf(axis, onAxis), onAxis.z + 0.8660254), 0.8660254, 1e-6);
      EXPECT_GT(acrossOf(axis, onAxis), 0.0);   // and +z swings towards +across

      Point3 pivot = axis == HingesUpright ? place(turn, -1.25, along, 0.5)
                                           : place(turn, along, -1.25, 0.5);
      EXPECT_NEAR(acrossOf(axis, pivot), -1.25, 1e-6);
      EXPECT_NEAR(pivot.z, 0.5, 1e-6);
      Point3 ahead = stripPoint(turn, axis, -0.25, along);   // one unit +across of the pivot's foot
      EXPECT_LT(ahead.z, 0.5 - 0.7);
    }
  }
}

}  // namespace
