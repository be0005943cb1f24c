// tx_recttube's scene builder and action, built as ordinary code.
#include <math.h>

#include <gtest/gtest.h>

#include "tests/folded_support.h"

// The module's own source: its builder and action are private to it.
#include "src/karecttube.cpp"

namespace {

// A 720 x 288 field of 625 lines: the picture 2·720/540 units either side
// of the middle, 4 units high in four level strips.
const double HalfLength = 2.0 * 720 / 540;

using Tube = BuiltShape<RectTubeBuilder>;

TEST(TubeScene, FourLevelStripsFromTheBottomUpEachWholeWidth) {
  Tube t(0.3f, 1, 2);
  ASSERT_EQ(t.scene.surfaces.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const Surface* f = t.face(i);
    EXPECT_EQ(f, &t.builder.faces[i]);
    EXPECT_EQ(f->domain, &t.builder.domains[i]);
    EXPECT_EQ(f->domain->surface, f);
    EXPECT_NEAR(f->uMin, -HalfLength, 1e-6);
    EXPECT_NEAR(f->uMax, HalfLength, 1e-6);
    EXPECT_EQ(f->vMin, i - 2.0);
    EXPECT_EQ(f->vMax, i - 1.0);
    // The picture's 288 rows over v in [-2, 2], its 720 columns over
    // u in [-8/3, 8/3], centred.
    EXPECT_EQ(f->vScale, 72.0);
    EXPECT_NEAR(f->uScale, 135.0, 1e-4);
    EXPECT_EQ(f->uCentre, 360.0);
    EXPECT_EQ(f->vCentre, 144.0);
  }
}

TEST(TubeScene, NeighbouringStripsShareTheirHingeEdgeAtEveryFold) {
  for (float progress : {0.0005f, 0.125f, 0.25f, 0.375f, 0.5f, 0.8f}) {
    SCOPED_TRACE(progress);
    Tube t(progress, 2, 3);
    for (int i = 0; i < 3; ++i)
      for (double u : {-HalfLength, 0.3, HalfLength})
        EXPECT_LT(distance(worldPoint(t.face(i), u, i - 1.0), worldPoint(t.face(i + 1), u, i - 1.0)),
                  1e-5) << i;
    // The tube closes at half time, the bottom strip's lower edge meeting
    // the top strip's upper edge.
    double back = distance(worldPoint(t.face(0), 0.0, -2.0), worldPoint(t.face(3), 0.0, 2.0));
    if (progress < 0.5f) EXPECT_GT(back, 0.01);
    else EXPECT_LT(back, 1e-5);
  }
}

// Closed and however turned, a cut across the tube is a square of side 1:
// the five edges v = -2 .. 2 are its corners, in turn, back to the first.
TEST(TubeScene, ClosedTubeHasASquareCrossSectionOfSideOne) {
  for (float progress : {0.5f, 0.63f, 0.9f}) {
    Tube t(progress, 1, 2);
    for (double u : {-2.0, 0.0, 1.7}) {
      Point3 corners[5];
      for (int k = 0; k < 5; ++k) corners[k] = worldPoint(t.face(k < 4 ? k : 3), u, k - 2.0);
      for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(distance(corners[k], corners[k + 1]), 1.0, 1e-5) << progress << " " << k;
        EXPECT_NEAR(distance(corners[k], corners[(k + 2) % 4]), sqrt(2.0), 1e-5) << progress;
      }
      EXPECT_LT(distance(corners[4], corners[0]), 1e-5);
    }
  }
}

TEST(TubeScene, FirstFieldLiesFlat) {
  Tube t(0.0005f, 0, 0);
  for (int i = 0; i < 4; ++i)
    for (double v : {i - 2.0, i - 1.0})
      for (double u : {-HalfLength, HalfLength}) {
        Point3 p = worldPoint(t.face(i), u, v);
        EXPECT_NEAR(p.x, u, 1e-2);
        EXPECT_NEAR(p.y, v, 1e-2);
        EXPECT_NEAR(p.z, 0.0, 1e-2);
      }
}

TEST(TubeScene, SpinZeroNeverRolls) { expectSpinZeroStill<RectTubeBuilder>(2); }

// Directions 0 and 1 turn the tube one way about the upright axis, 2 and 3
// the other; the roll about the level axis is the same for all four. Seen
// without the turn, the tube of direction 2 is the tube of direction 0
// turned by twice the turn: every point keeps its height.
TEST(TubeScene, TheRollIgnoresTheDirectionWhileTheTurnFollowsIt) {
  for (float progress : {0.2f, 0.7f}) {
    SCOPED_TRACE(progress);
    Tube one(progress, 0, 3), other(progress, 2, 3), alike(progress, 1, 3);
    for (int i = 0; i < 4; ++i) {
      EXPECT_TRUE(samePlacement(one.face(i), alike.face(i))) << i;
      EXPECT_FALSE(samePlacement(one.face(i), other.face(i))) << i;
      for (double u : {-2.5, 0.0, 2.5})
        for (double v : {i - 2.0, i - 1.5}) {
          Point3 a = worldPoint(one.face(i), u, v), b = worldPoint(other.face(i), u, v);
          EXPECT_NEAR(a.y, b.y, 1e-5) << i;
          // The same distance from the upright axis x = 0, z = -√0.75.
          EXPECT_NEAR(hypot(a.x, a.z + sqrt(0.75)), hypot(b.x, b.z + sqrt(0.75)), 1e-5) << i;
        }
    }
  }
  // The turn: a point on the upright axis' front (x = 0, z = 0) before it
  // moves to x = -√0.75·sin(π/12·ramp) for directions 0 and 1.
  Tube closed(0.7f, 0, 0);
  Point3 front = worldPoint(closed.face(1), 0.0, 0.0);
  EXPECT_NEAR(front.x, -sqrt(0.75) * sin(M_PI / 12), 1e-5);
}

TEST(TubeScene, TheSolidStaysBeyondTheNearPlane) { expectSolidBeyondNearPlane<RectTubeBuilder>(); }

TEST(TubeModule, LogsAMissingFieldWithItsOwnLineAndPath) {
  expectMissingFieldLogged(action, 1, 120, "../../src/karecttube", 3407);
  expectMissingFieldLogged(action, 0, 126, "../../src/karecttube", 3407);
}

}  // namespace
