// tx_pyramid's scene builder and action, built as ordinary code.
#include <math.h>

#include <gtest/gtest.h>

#include "tests/folded_support.h"

// The module's own source: its builder and action are private to it.
#include "src/kapyramid.cpp"

namespace {

// A 720 x 288 field of 625 lines: strips 1.5 units either side of the
// middle, leaning back by asin(1/6) so that their tops move in by half a
// strip width.
const double HalfHeight = 1.5;
const double Lean = asin(1.0 / 6);
const double ApexHeight = (2 * cos(Lean) - 1) * HalfHeight;
const double RingCentreZ = -sqrt(0.5);

struct Pyramid : BuiltShape<PyramidBuilder> {
  using BuiltShape::BuiltShape;
  float taper() const { return builder.domains[0].taper; }
};

TEST(PyramidScene, FourFacesInOrderEachWithItsQuarterOfThePicture) {
  Pyramid p(0.3f, 1, 2);
  ASSERT_EQ(p.scene.surfaces.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const Surface* f = p.face(i);
    EXPECT_EQ(f, &p.builder.faces[i]);
    EXPECT_EQ(f->domain, &p.builder.domains[i]);
    EXPECT_EQ(f->domain->surface, f);
    EXPECT_EQ(p.builder.domains[i].taper, p.taper());
    EXPECT_EQ(f->uMin, i - 2.0);
    EXPECT_EQ(f->uMax, i - 1.0);
    EXPECT_NEAR(f->vMin, -HalfHeight, 1e-6);
    EXPECT_NEAR(f->vMax, HalfHeight, 1e-6);
    // The picture's 720 columns over u in [-2, 2], its 288 rows over v in
    // [-1.5, 1.5], centred.
    EXPECT_EQ(f->uScale, 180.0);
    EXPECT_NEAR(f->vScale, 96.0, 1e-4);
    EXPECT_EQ(f->uCentre, 360.0);
    EXPECT_EQ(f->vCentre, 144.0);
  }
}

// The taper follows the fold: k = tan(fold/2)/2 for a video field.
TEST(PyramidScene, SlantedEdgesOfNeighboursMeetAtEveryFold) {
  for (float progress : {0.0005f, 0.0625f, 0.125f, 0.25f, 0.375f, 0.5f, 0.8f}) {
    SCOPED_TRACE(progress);
    Pyramid p(progress, 1, 3);
    double fold = 0.5 * M_PI * std::min(2.0 * progress, 1.0);
    EXPECT_NEAR(p.taper(), 0.5 * tan(fold / 2), 1e-6);
    for (int i = 0; i < 3; ++i)
      EXPECT_LT(slantedEdgeGap(p.face(i), p.face(i + 1), p.taper(), true), 1e-5) << i;
    // The top edges all stand at the same height.
    for (int i = 0; i < 4; ++i)
      EXPECT_NEAR(worldPoint(p.face(i), i - 1.5, HalfHeight).y, ApexHeight, 1e-5) << i;
    // The ring stays open at the back until it closes at half time.
    double back = slantedEdgeGap(p.face(3), p.face(0), p.taper(), true);
    if (progress < 0.5f) EXPECT_GT(back, 0.01);
    else EXPECT_LT(back, 1e-5);
  }
}

TEST(PyramidScene, ClosedPyramidHasItsFourApexesOnTheRingAxis) {
  for (float progress : {0.5f, 0.9f}) {
    Pyramid p(progress, 0, 0);   // no spin: the ring's axis stays at x = 0
    EXPECT_NEAR(p.taper(), 0.5, 1e-6);
    for (int i = 0; i < 4; ++i) {
      Point3 apex = worldPoint(p.face(i), i - 1.5, HalfHeight);
      EXPECT_NEAR(apex.x, 0.0, 1e-5) << i;
      EXPECT_NEAR(apex.y, ApexHeight, 1e-5) << i;
      EXPECT_NEAR(apex.z, RingCentreZ, 1e-5) << i;
      // The bottom edges are the ring: a square of side 1 about the axis.
      Point3 middle = worldPoint(p.face(i), i - 1.5, -HalfHeight);
      EXPECT_NEAR(hypot(middle.x, middle.z - RingCentreZ), 0.5, 1e-5) << i;
    }
  }
}

// The first field: the strips lie in one plane, leaning back about their
// bottom edge so that the top edge lies 0.5 behind it.
TEST(PyramidScene, FirstFieldIsOnePictureLeaningBack) {
  Pyramid p(0.0005f, 0, 0);
  for (int i = 0; i < 4; ++i)
    for (double u : {i - 2.0, i - 1.0}) {
      Point3 bottom = worldPoint(p.face(i), u, -HalfHeight);
      Point3 top = worldPoint(p.face(i), u, HalfHeight);
      EXPECT_NEAR(bottom.x, u, 1e-2) << i;
      EXPECT_NEAR(bottom.z, 0.0, 1e-2) << i;
      EXPECT_NEAR(top.z, -0.5, 1e-2) << i;
      EXPECT_NEAR(top.y, ApexHeight, 1e-5) << i;
    }
}

TEST(PyramidScene, SpinZeroNeverTurnsAndSpinTurnsTheWayTheDirectionSays) {
  expectSpinZeroStill<PyramidBuilder>(3);
  // A quarter turn (spin 2 at progress 1/8) about the line x = 0,
  // z = -√0.75 carries the front edge (u = 0, at the origin before the
  // spin) to one side: directions 0 and 1 one way, 2 and 3 the other.
  struct { int direction; double x; } senses[] = {
      {0, -sqrt(0.75)}, {1, -sqrt(0.75)}, {2, sqrt(0.75)}, {3, sqrt(0.75)}};
  for (auto s : senses) {
    Pyramid p(0.125f, s.direction, 2);
    Point3 front = worldPoint(p.face(1), 0.0, -HalfHeight);
    EXPECT_NEAR(front.x, s.x, 1e-5) << s.direction;
    EXPECT_NEAR(front.z, -sqrt(0.75), 1e-5) << s.direction;
  }
}

// A picture more than √0.75·4 times as wide as its view is high leans its
// strips by 60°, which would carry the tops past the ring's axis and make
// the taper wider than half a strip; the faces stop at triangles instead
// of crossing over.
TEST(PyramidScene, VeryWidePicturesLeanSixtyDegreesAndStopAtTriangles) {
  PyramidBuilder builder;
  TransitionFrame wide = foldedFrame(0.7f, 720, 90);   // viewWidth/(4·viewHeight) = 1.07
  BuiltScene scene = buildScene(builder, wide, 0, 0);
  EXPECT_FLOAT_EQ(builder.pose.lean, (float)(M_PI / 3));
  ASSERT_GT(builder.pose.taper, 0.5f);
  for (int i = 0; i < 4; ++i) {
    float span[2];
    builder.domains[i].uSpan(span, (float)scene.surfaces[i]->vMax);
    EXPECT_FLOAT_EQ(span[0], i - 1.5f) << i;
    EXPECT_FLOAT_EQ(span[1], i - 1.5f) << i;
    EXPECT_FALSE(builder.domains[i].contains(i - 1.1f, 0.9f * (float)scene.surfaces[i]->vMax));
  }
}

TEST(PyramidScene, TheSolidStaysBeyondTheNearPlane) { expectSolidBeyondNearPlane<PyramidBuilder>(); }

TEST(PyramidModule, LogsAMissingFieldWithItsOwnLineAndPath) {
  expectMissingFieldLogged(action, 1, 120, "../../src/kapyramid", 3406);
  expectMissingFieldLogged(action, 0, 126, "../../src/kapyramid", 3406);
}

}  // namespace
