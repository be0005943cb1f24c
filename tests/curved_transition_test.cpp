// The curved shape transitions (sphere, ellipsoid, four spheres, cylinder,
// cone) as a host sees them: the real plug-ins, rendering pictures in memory.
// Pictures are neutral grey with coloured marks; the incoming clip is a
// strong blue, so any pixel with a neutral chroma shows the outgoing
// picture and any blue one shows the background.
#include <math.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/plugintest.h"
#include "tests/testhost.h"

namespace {

struct Transition {
  const char* name;
  bool hasDirection;   // the four spheres have no direction and no corner path
  uint16_t firstLabel;
  const char* versionStart;
};

const Transition transitions[] = {
    {"tx_sphere", true, 0x75, "$Id: kasphere."},
    {"tx_ellipsoid", true, 0x3D, "$Id: kaellipsoid."},
    {"tx_spherex4", false, 0x7D, "$Id: kaspherex4."},
    {"tx_cylinder", true, 0x1B, "$Id: kacylinder."},
    {"tx_cone", true, 0x0B, "$Id$"},
};

const Transition& transition(const std::string& name) {
  for (const Transition& t : transitions)
    if (name == t.name) return t;
  abort();
}

int lumaOf(uint32_t word) { return (int)(word >> 24); }
int cbOf(uint32_t word) { return (int)(word >> 16 & 0xFF); }
int crOf(uint32_t word) { return (int)(word >> 8 & 0xFF); }

const uint32_t Background = videoWord(60, 220, 110);
bool isBackground(uint32_t word) { return cbOf(word) > 190; }
bool isPicture(uint32_t word) { return abs(cbOf(word) - 128) < 12 && abs(crOf(word) - 128) < 12; }
bool isRed(uint32_t word) { return crOf(word) > 170 && cbOf(word) < 140; }

// A smooth grey ramp from left to right.
TestPicture rampPicture(int width, int height) {
  TestPicture p = TestPicture::filled(width, height, 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      p.pixels[y * width + x] = videoWord(40 + 160 * x / width, 128, 128);
  return p;
}

// Dark left half, bright right half.
TestPicture halvesPicture(int width, int height) {
  TestPicture p = TestPicture::filled(width, height, videoWord(50, 128, 128));
  for (int y = 0; y < height; ++y)
    for (int x = width / 2; x < width; ++x) p.pixels[y * width + x] = videoWord(220, 128, 128);
  return p;
}

// Mid grey with a red square over the middle fifth.
TestPicture middleMarkPicture(int width, int height) {
  TestPicture p = TestPicture::filled(width, height, videoWord(120, 128, 128));
  for (int y = 2 * height / 5; y < 3 * height / 5; ++y)
    for (int x = 2 * width / 5; x < 3 * width / 5; ++x)
      p.pixels[y * width + x] = videoWord(90, 100, 220);
  return p;
}

// One plug-in loaded as a host loads it, with its parameters set and one
// field rendered over a test host.
class Render {
 public:
  explicit Render(const std::string& name)
      : info_(transition(name)), plugin_(pluginPath(name)), list_(plugin_.getOperatorInfo()) {}

  void set(int direction, int spin, int quality) {
    int next = OPE4;
    if (info_.hasDirection) descriptor<OptionDescriptor>(next++)->value = direction;
    descriptor<RangeDescriptor>(next++)->value = spin;
    descriptor<OptionDescriptor>(next)->value = quality;
  }

  // Renders field index of count; returns the action's result.
  int run(const TestPicture& source, uint32_t index, uint32_t count, uint32_t flags = 0) {
    host.setStream(0, source, 2);
    host.setStream(1, TestPicture::filled(source.width, source.height, Background), 3);
    OpRequest request = renderRequest(index, count, flags);
    return plugin_.operatorAction(&request);
  }

  // Pixel at x from the left and y from the bottom, as the engine counts.
  uint32_t at(int x, int yUp) const {
    return host.output.at(x, host.output.height - 1 - yUp);
  }

  template <class T>
  T* descriptor(uint32_t tag) {
    VxAddress value = 0;
    EXPECT_TRUE(Plugin::find(list_, tag, &value));
    return reinterpret_cast<T*>(value);
  }

  OpTag* list() const { return list_; }

  const Transition& info_;
  TestHost host;

 private:
  Plugin plugin_;
  OpTag* list_;
};

// --- Descriptors ---

std::vector<uint32_t> options(const uint32_t* list) {
  std::vector<uint32_t> out;
  for (; *list; ++list) out.push_back(*list);
  return out;
}

TEST(CurvedTransitions, DescribeThemselvesAsTransitionsWithTheirOwnTexts) {
  for (const Transition& t : transitions) {
    SCOPED_TRACE(t.name);
    Render r(t.name);
    OpTag* list = r.list();
    ASSERT_NE(list, nullptr);
    int parameters = t.hasDirection ? 3 : 2;
    EXPECT_EQ(Plugin::pairCount(list), 5 + parameters);
    EXPECT_EQ(list[1].tag, OPE1);
    EXPECT_EQ(list[1].value, 0u);
    std::string version(reinterpret_cast<const char*>(list[3].value));
    EXPECT_EQ(version.substr(0, strlen(t.versionStart)), t.versionStart);

    // Labels in tag order, then the spin's second text, then the qualities.
    uint16_t label = t.firstLabel;
    int tag = OPE4;
    if (t.hasDirection) {
      auto* direction = r.descriptor<OptionDescriptor>(tag++);
      EXPECT_EQ(direction->label, label++);
      EXPECT_EQ(options(direction->options), (std::vector<uint32_t>{2, 4, 6, 8}));
      EXPECT_EQ(direction->value, 0);
    }
    auto* spin = r.descriptor<RangeDescriptor>(tag++);
    auto* quality = r.descriptor<OptionDescriptor>(tag);
    EXPECT_EQ(spin->label, label);
    EXPECT_EQ(quality->label, label + 1);
    EXPECT_EQ(spin->secondText, label + 2u);
    EXPECT_EQ(options(quality->options),
              (std::vector<uint32_t>{label + 3u, label + 4u, label + 5u}));
    EXPECT_EQ(spin->minimum, 0);
    EXPECT_EQ(spin->maximum, 10);
    EXPECT_EQ(spin->value, 2);
    EXPECT_EQ(quality->value, 0);
  }
}

// --- The course of the transitions ---

// At the first field of a long transition every solid is a patch so small
// and so close that the output is all but the outgoing picture. The cone's
// band is sized by the mean of its width and its slant, and its slant is a
// little longer than the view's proportions ask for, so for a 4:3 view the
// picture comes out about 6% narrower and a sliver of the incoming clip
// shows at either side.
TEST(CurvedTransitions, FirstFieldIsAlmostTheOutgoingPicture) {
  const int width = 180, height = 72;
  TestPicture source = rampPicture(width, height);
  struct {
    const char* name;
    int sideColumns;   // columns at either side that may show the background
  } cases[] = {{"tx_sphere", 0}, {"tx_ellipsoid", 0}, {"tx_spherex4", 0},
               {"tx_cylinder", 0}, {"tx_cone", 6}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Render r(c.name);
    r.set(0, 2, 2);
    ASSERT_EQ(r.run(source, 0, 2000), 0);
    ASSERT_TRUE(r.host.delivered);
    EXPECT_EQ(r.host.outstanding(), 0);
    long total = 0;
    int worst = 0, background = 0, compared = 0;
    for (int y = 1; y < height - 1; ++y)
      for (int x = 1 + c.sideColumns; x < width - 1 - c.sideColumns; ++x) {
        uint32_t out = r.host.output.at(x, y);
        int gap = abs(lumaOf(out) - lumaOf(source.at(x, y)));
        total += gap;
        ++compared;
        if (gap > worst) worst = gap;
        if (isBackground(out)) ++background;
      }
    EXPECT_LT(total / double(compared), 1.5);
    EXPECT_LE(worst, 12);
    EXPECT_EQ(background, 0);
  }
}

// Half-way with one turn in all, the solid has made half a turn: its back
// faces the camera at the anchor (three quarters of the way to the upper
// right corner). Where the picture wraps the whole way round, its right
// edge (bright) meets its left edge (dark) there; the sphere of a 4:3 view
// wraps only 240° of longitude and leaves a gap at the back, through which
// the inside of the picture's middle (red) shows.
TEST(CurvedTransitions, HalfWayThePictureClosesAtTheBackOrLeavesAGap) {
  const int width = 360, height = 144;
  const struct {
    const char* name;
    bool closed;
  } cases[] = {{"tx_ellipsoid", true}, {"tx_cylinder", true}, {"tx_cone", true},
               {"tx_sphere", false}};
  TestPicture source = halvesPicture(width, height);
  TestPicture marked = middleMarkPicture(width, height);
  for (int k = 0; k < (int)marked.pixels.size(); ++k)
    if (!isRed(marked.pixels[k])) marked.pixels[k] = source.pixels[k];
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Render r(c.name);
    r.set(0, 1, 2);
    ASSERT_EQ(r.run(marked, 0, 1), 0);   // progress 0.5
    int x = (int)(0.75 * width), y = (int)(0.75 * height);
    if (c.closed) {
      for (int dx = -3; dx <= 3; ++dx) EXPECT_TRUE(isPicture(r.at(x + dx, y))) << dx;
      EXPECT_GT(lumaOf(r.at(x - 4, y)), lumaOf(r.at(x + 4, y)) + 60);
    } else {
      EXPECT_TRUE(isRed(r.at(x, y)));
    }
  }
}

// With spin 0 the camera faces the picture's middle all the way; with one
// turn, three quarters of the way through the middle has gone round to the
// side.
TEST(CurvedTransitions, WithoutSpinThePicturesMiddleKeepsFacingTheCamera) {
  const int width = 360, height = 144;
  TestPicture source = middleMarkPicture(width, height);
  for (const char* name : {"tx_sphere", "tx_ellipsoid", "tx_cylinder", "tx_cone"}) {
    SCOPED_TRACE(name);
    for (int spin : {0, 1}) {
      Render r(name);
      r.set(2, spin, 2);
      ASSERT_EQ(r.run(source, 2, 4), 0);   // progress 0.625
      // Direction 2 heads for the lower left corner.
      float anchor = 0.5f - 0.5f * 0.625f;
      uint32_t middle = r.at((int)(anchor * width), (int)(anchor * height));
      EXPECT_EQ(isRed(middle), spin == 0) << "spin " << spin;
    }
  }
}

// The sense of the turn follows the corner: towards the upper right (0) the
// solid turns its middle to the left, so the picture, foreshortened on the
// far side, reaches farther to the right of the anchor than to its left;
// towards the lower left (2) the other way round.
TEST(CurvedTransitions, DirectionSetsTheSenseOfTheTurn) {
  const int width = 360, height = 144;
  TestPicture source = rampPicture(width, height);
  for (const char* name : {"tx_sphere", "tx_ellipsoid", "tx_cylinder", "tx_cone"}) {
    for (int direction : {0, 2}) {
      SCOPED_TRACE(std::string(name) + " direction " + std::to_string(direction));
      Render r(name);
      r.set(direction, 1, 2);
      ASSERT_EQ(r.run(source, 0, 4), 0);   // progress 0.125: an eighth of a turn
      float anchor = direction == 0 ? 0.5625f : 0.4375f;
      int x0 = (int)(anchor * width), y = (int)(anchor * height);
      int left = 0, right = 0;
      for (int x = 0; x < width; ++x)
        if (isPicture(r.at(x, y))) ++(x < x0 ? left : right);
      if (direction == 0)
        EXPECT_GT(right, left + 10);
      else
        EXPECT_GT(left, right + 10);
    }
  }
}

// Centroid of the non-background pixels in one quadrant of the output, as
// offsets from the frame's middle in fractions of width and height.
struct Blob {
  int pixels = 0;
  double x = 0, y = 0;
};

Blob quadrantBlob(const TestPicture& out, int right, int upper) {
  Blob b;
  int w = out.width, h = out.height;
  for (int row = 0; row < h; ++row)
    for (int col = 0; col < w; ++col) {
      bool inRight = col >= w / 2, inUpper = row < h / 2;
      if (inRight != (right != 0) || inUpper != (upper != 0)) continue;
      if (isBackground(out.at(col, row))) continue;
      ++b.pixels;
      b.x += (col + 0.5) / w - 0.5;
      b.y += 0.5 - (row + 0.5) / h;
    }
  if (b.pixels) {
    b.x /= b.pixels;
    b.y /= b.pixels;
  }
  return b;
}

// In the second half the four spheres fly apart along the diagonals: at the
// last field they are four separate blobs, farther out than before, each
// about as far out in width as in height.
TEST(CurvedTransitions, FourSpheresDriftApartDiagonally) {
  const int width = 360, height = 144, count = 20;
  TestPicture source = rampPicture(width, height);
  Blob before[4], after[4];
  for (uint32_t index : {15u, 19u}) {
    Render r("tx_spherex4");
    r.set(0, 2, 2);
    ASSERT_EQ(r.run(source, index, count), 0);
    const TestPicture& out = r.host.output;
    // Nothing on the middle lines: the blobs have come apart.
    for (int x = 0; x < width; ++x) EXPECT_TRUE(isBackground(out.at(x, height / 2))) << x;
    for (int y = 0; y < height; ++y) EXPECT_TRUE(isBackground(out.at(width / 2, y))) << y;
    for (int q = 0; q < 4; ++q) {
      int right = !(q & 1), upper = !(q & 2);
      Blob b = quadrantBlob(out, right, upper);
      ASSERT_GT(b.pixels, 0) << "quadrant " << q << " field " << index;
      EXPECT_EQ(b.x > 0, right != 0);
      EXPECT_EQ(b.y > 0, upper != 0);
      EXPECT_NEAR(fabs(b.x), fabs(b.y), 0.2 * fabs(b.x));
      (index == 15 ? before : after)[q] = b;
    }
  }
  for (int q = 0; q < 4; ++q) {
    EXPECT_GT(fabs(after[q].x), fabs(before[q].x) + 0.1) << q;
    EXPECT_GT(fabs(after[q].y), fabs(before[q].y) + 0.1) << q;
  }
}

// Views of extreme proportions: a view more than 2π times as wide as high
// has no real cone height; a very tall one squeezes every solid. Each still
// renders, draws its solid and gives every image back.
TEST(CurvedTransitions, ExtremeViewsStillDrawTheSolid) {
  struct View {
    int width, height;
  } views[] = {{720, 8}, {720, 2}, {8, 288}};
  for (const Transition& t : transitions) {
    for (const View& v : views) {
      for (uint32_t index : {1u, 5u}) {
        SCOPED_TRACE(std::string(t.name) + " " + std::to_string(v.width) + "x" +
                     std::to_string(v.height) + " field " + std::to_string(index));
        Render r(t.name);
        r.set(1, 3, 2);
        TestPicture source = TestPicture::filled(v.width, v.height, videoWord(150, 128, 128));
        ASSERT_EQ(r.run(source, index, 8), 0);
        EXPECT_EQ(r.host.outstanding(), 0);
        EXPECT_EQ(r.host.misuses, 0);
        // A solid may be smaller than a pixel; it still leaves its coverage.
        int touched = 0;
        for (uint32_t word : r.host.output.pixels) touched += word != Background;
        EXPECT_GT(touched, 0);
      }
    }
  }
}

}  // namespace
