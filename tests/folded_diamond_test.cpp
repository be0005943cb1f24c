// tx_diamond's scene builder and action, built as ordinary code.
#include <math.h>

#include <gtest/gtest.h>

#include "tests/folded_support.h"

// The module's own source: its builder and action are private to it.
#include "src/kadiamond.cpp"

namespace {

// A 720 x 288 field of 625 lines: each strip's halves are 1.5 units tall
// and lean back about the centre line by asin(1/3), so that their far
// edges move in by half a strip width.
const double FaceHeight = 1.5;
const double Lean = asin(1.0 / 3);
const double TipHeight = FaceHeight * cos(Lean);
const double RingCentreZ = -sqrt(0.5);

struct Diamond : BuiltShape<DiamondBuilder> {
  using BuiltShape::BuiltShape;
  float taper() const { return builder.uppers[0].taper; }
};

TEST(DiamondScene, UpperThenLowerHalvesOfTheFourStrips) {
  Diamond d(0.3f, 2, 2);
  ASSERT_EQ(d.scene.surfaces.size(), 8u);
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    const Surface* f = d.face(i);
    bool upper = i < 4;
    int strip = i % 4;
    EXPECT_EQ(f, &d.builder.faces[i]);
    const TaperDomain* domain = upper ? (const TaperDomain*)&d.builder.uppers[strip]
                                      : (const TaperDomain*)&d.builder.lowers[strip];
    EXPECT_EQ(f->domain, domain);
    EXPECT_EQ(f->domain->surface, f);
    EXPECT_EQ(domain->taper, d.taper());
    EXPECT_EQ(f->uMin, strip - 2.0);
    EXPECT_EQ(f->uMax, strip - 1.0);
    EXPECT_NEAR(f->vMin, upper ? 0.0 : -FaceHeight, 1e-6);
    EXPECT_NEAR(f->vMax, upper ? FaceHeight : 0.0, 1e-6);
    EXPECT_EQ(f->uScale, 180.0);
    EXPECT_NEAR(f->vScale, 96.0, 1e-4);
    // Both halves of a strip are painted across its full width at the
    // centre line.
    float span[2];
    f->domain->uSpan(span, 0.0f);
    EXPECT_EQ(span[0], strip - 2.0f);
    EXPECT_EQ(span[1], strip - 1.0f);
  }
  // Each half of a strip starts where the other ends.
  for (int strip = 0; strip < 4; ++strip)
    for (double u : {strip - 2.0, strip - 1.4})
      EXPECT_LT(distance(worldPoint(d.face(strip), u, 0.0), worldPoint(d.face(strip + 4), u, 0.0)),
                1e-6);
}

TEST(DiamondScene, SlantedEdgesOfNeighboursMeetInBothHalvesAtEveryFold) {
  for (float progress : {0.0005f, 0.0625f, 0.125f, 0.25f, 0.375f, 0.5f, 0.8f}) {
    SCOPED_TRACE(progress);
    Diamond d(progress, 3, 1);
    double fold = 0.5 * M_PI * std::min(2.0 * progress, 1.0);
    EXPECT_NEAR(d.taper(), 0.5 * tan(fold / 2), 1e-6);
    for (int half = 0; half < 2; ++half) {
      const Surface* const* faces = &d.scene.surfaces[4 * half];
      bool narrowAtTop = half == 0;
      for (int i = 0; i < 3; ++i)
        EXPECT_LT(slantedEdgeGap(faces[i], faces[i + 1], d.taper(), narrowAtTop), 1e-5)
            << half << " " << i;
      double back = slantedEdgeGap(faces[3], faces[0], d.taper(), narrowAtTop);
      if (progress < 0.5f) EXPECT_GT(back, 0.01);
      else EXPECT_LT(back, 1e-5);
    }
  }
}

TEST(DiamondScene, ClosedDiamondHasItsTipsOnTheRingAxis) {
  for (float progress : {0.5f, 0.9f}) {
    Diamond d(progress, 0, 0);   // no spin: the ring's axis stays at x = 0
    EXPECT_NEAR(d.taper(), 0.5, 1e-6);
    for (int i = 0; i < 8; ++i) {
      bool upper = i < 4;
      Point3 tip = worldPoint(d.face(i), i % 4 - 1.5, upper ? FaceHeight : -FaceHeight);
      EXPECT_NEAR(tip.x, 0.0, 1e-5) << i;
      EXPECT_NEAR(tip.y, upper ? TipHeight : -TipHeight, 1e-5) << i;
      EXPECT_NEAR(tip.z, RingCentreZ, 1e-5) << i;
      // The equator is the square ring at y = 0.
      Point3 middle = worldPoint(d.face(i), i % 4 - 1.5, 0.0);
      EXPECT_NEAR(middle.y, 0.0, 1e-6) << i;
      EXPECT_NEAR(hypot(middle.x, middle.z - RingCentreZ), 0.5, 1e-5) << i;
    }
  }
}

// The first field: the picture lies flat but for a crease along its
// centre line; both halves lean back, their far edges 0.5 behind.
TEST(DiamondScene, FirstFieldIsCreasedAtTheCentreLine) {
  Diamond d(0.0005f, 0, 0);
  for (int i = 0; i < 8; ++i) {
    double far = i < 4 ? FaceHeight : -FaceHeight;
    for (double u : {i % 4 - 2.0, i % 4 - 1.0}) {
      Point3 crease = worldPoint(d.face(i), u, 0.0);
      Point3 edge = worldPoint(d.face(i), u, far);
      EXPECT_NEAR(crease.x, u, 1e-2) << i;
      EXPECT_NEAR(crease.z, 0.0, 1e-2) << i;
      EXPECT_NEAR(edge.y, i < 4 ? TipHeight : -TipHeight, 1e-5) << i;
      EXPECT_NEAR(edge.z, -0.5, 1e-2) << i;
    }
  }
}

TEST(DiamondScene, SpinZeroNeverTurns) { expectSpinZeroStill<DiamondBuilder>(1); }

TEST(DiamondScene, TheSolidStaysBeyondTheNearPlane) { expectSolidBeyondNearPlane<DiamondBuilder>(); }

TEST(DiamondModule, LogsAMissingFieldWithItsOwnLineAndPath) {
  expectMissingFieldLogged(action, 1, 121, "../../src/kadiamond", 3403);
  expectMissingFieldLogged(action, 0, 127, "../../src/kadiamond", 3403);
}

}  // namespace
