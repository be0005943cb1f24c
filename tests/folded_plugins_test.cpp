// The folded transitions (pyramid, diamond, rectangular tube) as a host sees
// them: the real plug-ins rendering over a test host, measured by how much
// of each pixel the solid covers.
#include <math.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "tests/folded_support.h"

namespace {

struct Transition {
  const char* name;
  uint16_t firstLabel;
  const char* versionStart;
};

const Transition transitions[] = {
    {"tx_pyramid", 0x45, "$Id: kapyramid."},
    {"tx_diamond", 0x23, "$Id: kadiamond."},
    {"tx_recttube", 0x4D, "$Id: karecttube."},
};

std::vector<uint32_t> options(const uint32_t* list) {
  std::vector<uint32_t> out;
  for (; *list; ++list) out.push_back(*list);
  return out;
}

TEST(FoldedPlugins, DescribeThemselvesAsTransitionsWithTheirOwnTexts) {
  for (const Transition& t : transitions) {
    SCOPED_TRACE(t.name);
    FoldedPlugin p(t.name);
    OpTag* list = p.list();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(Plugin::pairCount(list), 8);
    uint32_t order[] = {OPE0, OPE1, OPE3, OPE16, OPE13, OPE4, OPE5, OPE6};
    for (int k = 0; k < 8; ++k) EXPECT_EQ(list[k].tag, order[k]) << k;
    EXPECT_EQ(list[0].value, 0u);
    EXPECT_EQ(list[1].value, 0u);   // a transition
    EXPECT_EQ(list[4].value, 2u);
    std::string version(reinterpret_cast<const char*>(list[3].value));
    EXPECT_EQ(version.substr(0, strlen(t.versionStart)), t.versionStart);

    // Labels in tag order, then the spin's second text, then the qualities.
    auto* direction = p.descriptor<OptionDescriptor>(OPE4);
    auto* spin = p.descriptor<RangeDescriptor>(OPE5);
    auto* quality = p.descriptor<OptionDescriptor>(OPE6);
    ASSERT_TRUE(direction && spin && quality);
    EXPECT_EQ(direction->kind, 0);
    EXPECT_EQ(direction->label, t.firstLabel);
    EXPECT_EQ(direction->style, 1u);
    EXPECT_EQ(options(direction->options), (std::vector<uint32_t>{2, 4, 6, 8}));
    EXPECT_EQ(direction->value, 0);
    EXPECT_EQ(spin->kind, 2);
    EXPECT_EQ(spin->label, t.firstLabel + 1);
    EXPECT_EQ(spin->secondText, t.firstLabel + 3u);
    EXPECT_EQ(spin->minimum, 0);
    EXPECT_EQ(spin->maximum, 10);
    EXPECT_EQ(spin->value, 2);
    EXPECT_EQ(quality->kind, 0);
    EXPECT_EQ(quality->label, t.firstLabel + 2);
    EXPECT_EQ(quality->style, 0u);
    uint32_t first = t.firstLabel + 4u;
    EXPECT_EQ(options(quality->options), (std::vector<uint32_t>{first, first + 1, first + 2}));
    EXPECT_EQ(quality->value, 0);
  }
}

// The first field of a long transition: the strips lie side by side, the
// flat picture 4 units across seen from 40/zoom units (the tube's 4 units
// high from 53.3/zoom), and fill the frame but where the lean carries an
// edge back. The pyramid leans back by asin(1/6) about its bottom edge,
// which stays on the frame's bottom edge; its top edge rises to
// (2·cos λ - 1)·h at 0.5 units behind. The diamond's two halves lean back
// by asin(1/3) about the centre line; its top and bottom edges stand at
// ±h·cos λ, 0.5 units behind. The tube lies flat, 2 units either side of
// the centre, but has already rolled by 2π·spin·progress about its axis
// √0.75 behind, which lifts it by √0.75·sin(roll). (h = 1.5 for a 720 x 288
// field of 625 lines.) The field of parity -1 sits a quarter row low, and
// the anchor has begun to rise towards the upper corner.
TEST(FoldedPlugins, FirstFieldShowsTheStripsSideBySideLeaningAsTheirShapeWants) {
  const uint32_t count = 1000;
  const double h = 1.5, progress = 0.5 / count, zoom = frameZoom(progress, 288);
  const double down = 0.25 - 0.5 * progress * 288;   // rows the whole image has moved down
  auto rowsBeyond = [&](double height, double distance) {   // rows between an edge and the frame's
    return 144.0 - RowsPerUnit * height / distance;
  };
  double strips = 40.0 / zoom, tube = 4.0 / 540 * 7200 / zoom;
  double pyramidTop = rowsBeyond((2 * cos(asin(1.0 / 6)) - 1) * h, strips + 0.5);
  double diamondEdge = rowsBeyond(h * cos(asin(1.0 / 3)), strips + 0.5);
  double tubeEdge = rowsBeyond(2.0, tube);
  double tubeLift = RowsPerUnit * sqrt(0.75) * sin(2 * M_PI * 2 * progress) / tube;
  struct Case {
    const char* name;
    double top, bottom;   // background rows above and below the picture
  } cases[] = {
      {"tx_pyramid", pyramidTop + down, 0.0},
      {"tx_diamond", diamondEdge + down, diamondEdge - down},
      {"tx_recttube", tubeEdge + down - tubeLift, tubeEdge - down + tubeLift},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FoldedPlugin p(c.name);
    Coverage cover = p.render(0, count);
    ASSERT_EQ(cover.solid.size(), 720u * 288u);
    // An edge beyond the frame leaves no background.
    EXPECT_NEAR(backgroundRows(cover, true), std::max(c.top, 0.0), 0.05);
    EXPECT_NEAR(backgroundRows(cover, false), std::max(c.bottom, 0.0), 0.05);
    // Nothing shows through the flat picture's middle.
    for (int row = 100; row < 188; ++row) ASSERT_EQ(cover.at(360, row), 1.0f) << row;
  }
}

// The closed solids, a little after half time, turned part way round: the
// background that shows inside the outline, through the seams where the
// faces meet. Measured at every quality; the bounds sit just above the
// figures measured when they were set, so that a regression shows. (Most
// of each figure is not a seam at all: whole faces whose coverage sums to a
// hair under 1 let through enough background to move a pixel by a code.)
TEST(FoldedPlugins, BackgroundThroughTheSeamsOfTheClosedSolidsStaysSmall) {
  struct Case {
    const char* name;
    int quality;
    double leakBound;     // pixels
    float worstBound;     // share of one pixel
  } cases[] = {
      {"tx_pyramid", 0, 1.3, 0.03f},  {"tx_pyramid", 1, 1.3, 0.02f}, {"tx_pyramid", 2, 0.7, 0.015f},
      {"tx_diamond", 0, 2.4, 0.04f},  {"tx_diamond", 1, 6.5, 0.04f}, {"tx_diamond", 2, 6.0, 0.02f},
      {"tx_recttube", 0, 0.5, 0.06f}, {"tx_recttube", 1, 0.4, 0.055f}, {"tx_recttube", 2, 0.25, 0.03f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " quality " + std::to_string(c.quality));
    FoldedPlugin p(c.name);
    p.set(0, 2, c.quality);
    SeamLeak s = seamLeak(p.render(540, 1000));
    printf("%-12s quality %d: %d pixels inside, background %.3f pixels, worst pixel %.3f\n",
           c.name, c.quality, s.inside, s.leak, s.worst);
    EXPECT_GT(s.inside, 2000);
    EXPECT_LT(s.leak, c.leakBound);
    EXPECT_LT(s.worst, c.worstBound);
  }
}

// Spin 0 does not turn the solid: at progress 0.75 (the second field of
// two) it looks as it does after the three whole turns of spin 4, and not
// as after the three quarters of a turn of spin 1, which swing it aside
// about an axis off its centre.
TEST(FoldedPlugins, SpinZeroLeavesTheSolidUnturned) {
  for (const Transition& t : transitions) {
    SCOPED_TRACE(t.name);
    FoldedPlugin p(t.name);
    Coverage turns[3];
    const int spins[3] = {0, 4, 1};
    for (int k = 0; k < 3; ++k) {
      p.set(1, spins[k], 2);
      turns[k] = p.render(1, 2);
    }
    EXPECT_GT(outlineOf(turns[0]).right, 0);   // something was drawn
    EXPECT_LT(difference(turns[0], turns[1]), 0.02f);
    EXPECT_GT(difference(turns[0], turns[2]), 0.5f);
  }
}

// Direction 3 (upper left corner) is direction 0 (upper right) seen in a
// mirror: the anchor, the camera's yaw and every turn about an upright
// axis change sides, while the tube's roll, about a level axis, is the
// same in the mirror and so must not change with the direction.
TEST(FoldedPlugins, DirectionsZeroAndThreeAreMirrorImages) {
  for (const Transition& t : transitions)
    for (uint32_t index : {300u, 700u}) {
      SCOPED_TRACE(std::string(t.name) + " field " + std::to_string(index));
      FoldedPlugin p(t.name);
      p.set(0, 3, 2);
      Coverage right = p.render(index, 1000);
      p.set(3, 3, 2);
      Coverage left = p.render(index, 1000);
      EXPECT_GT(mirrorDifference(right, right), 0.5f);   // not symmetric in itself
      EXPECT_LT(mirrorDifference(right, left), 0.05f);
    }
}

}  // namespace
