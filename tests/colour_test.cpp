#include <gtest/gtest.h>

#include "runtime/colour.h"

namespace {

class ColourTest : public ::testing::Test {
 protected:
  void SetUp() override { InitColourTables(); }
};

VideoPixel pixel(int y, int cb, int cr) { return VideoPixel{0, (uint8_t)cr, (uint8_t)cb, (uint8_t)y}; }

LinearRgb toLinear(int y, int cb, int cr) {
  VideoPixel p = pixel(y, cb, cr);
  LinearRgb c;
  VideoToLinear(&c, &p);
  return c;
}

VideoPixel toVideo(float r, float g, float b) {
  LinearRgb c{r, g, b};
  VideoPixel p{99, 99, 99, 99};
  LinearToVideo(&p, &c);
  return p;
}

TEST_F(ColourTest, CurveTablesHoldTheirTellingEntries) {
  struct { int index, code; } toGamma[] = {
      {100, 68}, {500, 168}, {1000, 238}, {1147, 255}, {1148, 255}, {2000, 349},
      {3687, 534}, {20, 20}, {-276, -276}};
  for (auto c : toGamma) EXPECT_EQ(linearToGammaAt(c.index), c.code) << c.index;

  struct { int code; float linear; } toLinearEntries[] = {
      {-276, -0.240418f}, {20, 0.0174216f}, {64, 0.0787436f}, {128, 0.261612f},
      {254, 0.992090f}, {534, 3.21175f}};
  for (auto c : toLinearEntries) EXPECT_NEAR(gammaToLinearAt(c.code), c.linear, 5e-6) << c.code;
  EXPECT_EQ(gammaToLinearAt(255), 1.0f);
  EXPECT_EQ(gammaToLinearAt(-277), (float)(-277 / 1148.0));
}

TEST_F(ColourTest, EveryGammaCodeComesHomeThroughLinearLight) {
  for (int code = -276; code <= 534; ++code) {
    double scaled = 1148.0 * gammaToLinearAt(code);
    int n = scaled < 0 ? -(int)(0.5 - scaled) : (int)(scaled + 0.5);
    EXPECT_EQ(linearToGammaAt(n), code) << code;
  }
}

TEST_F(ColourTest, BlackAndWhiteConvertExactly) {
  LinearRgb black = toLinear(16, 128, 128), white = toLinear(235, 128, 128);
  EXPECT_EQ(black.red, 0.0f);
  EXPECT_EQ(black.green, 0.0f);
  EXPECT_EQ(black.blue, 0.0f);
  EXPECT_EQ(white.red, 1.0f);
  EXPECT_EQ(white.green, 1.0f);
  EXPECT_EQ(white.blue, 1.0f);

  struct { float level; int y; } cases[] = {{1.0f, 235}, {0.0f, 16}, {3.2117f, 254}, {-0.2404f, 1}};
  for (auto c : cases) {
    VideoPixel p = toVideo(c.level, c.level, c.level);
    EXPECT_EQ(p.y, c.y) << c.level;
    EXPECT_EQ(p.cb, 128) << c.level;
    EXPECT_EQ(p.cr, 128) << c.level;
    EXPECT_EQ(p.unused, 0) << c.level;
  }
}

TEST_F(ColourTest, LowestBlueReachesTheFirstTableEntry) {
  EXPECT_EQ(toLinear(0, 0, 128).blue, (float)(-277 / 1148.0));
}

TEST_F(ColourTest, ComponentsFarOutOfRangeAreLimitedToTheTableEnds) {
  EXPECT_EQ(toVideo(1e9f, 1e9f, 1e9f).y, 254);
  EXPECT_EQ(toVideo(-1e9f, -1e9f, -1e9f).y, 1);
  VideoPixel p = toVideo(0.0f / 0.0f, 0.5f, 0.5f);   // NaN does not crash either
  EXPECT_GE(p.y, 1);
}

TEST_F(ColourTest, RoundTripStaysCloseAndAvoidsTheReservedCodes) {
  for (int y = 0; y < 256; y += 3)
    for (int cb = 0; cb < 256; cb += 5)
      for (int cr = 0; cr < 256; cr += 5) {
        LinearRgb c = toLinear(y, cb, cr);
        VideoPixel back;
        LinearToVideo(&back, &c);
        for (uint8_t code : {back.y, back.cb, back.cr}) {
          EXPECT_GE(code, 1);
          EXPECT_LE(code, 254);
        }
        // Inside the legal range the codes come back within the rounding.
        if (y >= 16 && y <= 235 && cb >= 16 && cb <= 240 && cr >= 16 && cr <= 240) {
          int r = (298 * y + 408 * cr - 56864) >> 8, g = (298 * y - 100 * cb - 208 * cr + 34784) >> 8,
              b = (298 * y + 516 * cb - 70688) >> 8;
          if (r < 0 || g < 0 || b < 0 || r > 255 || g > 255 || b > 255) continue;
          EXPECT_NEAR(back.y, y, 1) << y << " " << cb << " " << cr;
          EXPECT_NEAR(back.cb, cb, 2) << y << " " << cb << " " << cr;
          EXPECT_NEAR(back.cr, cr, 2) << y << " " << cb << " " << cr;
        }
      }
}

}  // namespace
