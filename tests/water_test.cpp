#include <gtest/gtest.h>
#include <math.h>

#include "runtime/operator.h"
#include "tests/testhost.h"
#include "water/drop.h"
#include "water/ripple.h"
#include "water/waterview.h"

namespace {

// A 4 x 3 field with distinct pixels, inside a wider buffer.
struct SmallField {
  std::vector<uint32_t> buffer;
  OpImage image;
  SmallField(int width, int height) : buffer((width + 3) * (height + 2), videoWord(200, 30, 220)) {
    image = OpImage{buffer.data(), (int16_t)(width + 3), (int16_t)(height + 2), 2, 1,
                    (int16_t)width, (int16_t)height};
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) pixel(x, y) = videoWord(30 + 40 * x, 100 + 10 * y, 140) | 7;
  }
  uint32_t& pixel(int x, int y) { return buffer[(y + 1) * image.stride + x + 2]; }
};

uint32_t sampleVideo(const FieldView& view, float x, float y) {
  VideoPixel out;
  SampleVideo(view, &out, x, y);
  uint32_t word;
  memcpy(&word, &out, 4);
  return word;
}

LinearRgb linearOf(uint32_t word) {
  VideoPixel p;
  memcpy(&p, &word, 4);
  LinearRgb c;
  VideoToLinear(&c, &p);
  return c;
}

TEST(SamplerTest, PixelCentresAndClampedPointsGiveThePixelsThemselves) {
  SmallField f(4, 3);
  FieldView view = InitFieldView(&f.image);
  // The last pixel comes back with all four bytes, unconverted.
  EXPECT_EQ(sampleVideo(view, 3.5f, 2.5f), f.pixel(3, 2));
  EXPECT_EQ(sampleVideo(view, 1e30f, 1e30f), f.pixel(3, 2));
  LinearRgb first, expected = linearOf(f.pixel(0, 0));
  SampleLinear(view, &first, 0.5f, 0.5f);
  EXPECT_EQ(first.red, expected.red);
  EXPECT_EQ(first.blue, expected.blue);

  struct { float x, y; int px, py; } clamped[] = {
      {-10.0f, 3.5f, 0, 2}, {-10.0f, 1.5f, 0, 1}, {2.5f, -1e30f, 2, 0}, {1e9f, 0.5f, 3, 0},
      {NAN, 1.5f, 0, 1}, {-INFINITY, INFINITY, 0, 2}};
  for (auto c : clamped) {
    LinearRgb got, want = linearOf(f.pixel(c.px, c.py));
    SampleLinear(view, &got, c.x, c.y);
    EXPECT_EQ(got.green, want.green) << c.x << ", " << c.y;
  }
}

TEST(SamplerTest, HalfwayBetweenTwoPixelsIsTheirLinearMean) {
  SmallField f(4, 3);
  FieldView view = InitFieldView(&f.image);
  LinearRgb got, a = linearOf(f.pixel(0, 0)), b = linearOf(f.pixel(1, 0));
  SampleLinear(view, &got, 1.0f, 0.5f);
  EXPECT_FLOAT_EQ(got.red, (a.red + b.red) / 2);
  EXPECT_FLOAT_EQ(got.blue, (a.blue + b.blue) / 2);
}

TEST(SamplerTest, FieldsOneWideOrOneHighInterpolateAlongTheOtherAxisOnly) {
  SmallField column(1, 3), row(4, 1);
  FieldView columnView = InitFieldView(&column.image), rowView = InitFieldView(&row.image);
  LinearRgb got, a = linearOf(column.pixel(0, 0)), b = linearOf(column.pixel(0, 1));
  SampleLinear(columnView, &got, 0.9f, 1.25f);
  EXPECT_FLOAT_EQ(got.green, a.green + (b.green - a.green) * 0.75f);
  a = linearOf(row.pixel(1, 0));
  b = linearOf(row.pixel(2, 0));
  SampleLinear(rowView, &got, 2.0f, 0.1f);
  EXPECT_FLOAT_EQ(got.red, (a.red + b.red) / 2);
}

TEST(WaterViewTest, FlatWaterSamplesEveryPixelAtItsOwnCentre) {
  for (float scale : {1.875f, 2.25f}) {
    WaterCamera camera = makeWaterCamera(720, 288, scale, RippleSinTilt, RippleCosTilt);
    for (int j = 0; j < 288; j += 7)
      for (int i = 0; i < 720; i += 11) {
        SamplePoint p = ReflectSample(camera, viewU(camera, i), viewV(camera, j), 0.0f, 0.0f);
        EXPECT_NEAR(p.x, i + 0.5f, 1e-3) << i << ", " << j;
        EXPECT_NEAR(p.y, j + 0.5f, 1e-3) << i << ", " << j;
      }
  }
}

TEST(RippleTest, EnvelopeRisesAndFallsContinuously) {
  EXPECT_FLOAT_EQ(waveEnvelope(0.05f), 0.5f);
  EXPECT_NEAR(waveEnvelope(0.1f), 1.0f, 1e-6);
  EXPECT_NEAR(waveEnvelope(0.0999999f), 1.0f, 1e-5);
  EXPECT_EQ(waveEnvelope(0.5f), 1.0f);
  EXPECT_NEAR(waveEnvelope(0.9f), 1.0f, 1e-6);
  EXPECT_NEAR(waveEnvelope(0.95f), 0.5f, 1e-6);
}

RippleSurface ripple(int direction, int speed, int waveSize, int waveHeight, float progress) {
  RippleSurface s;
  s.setup(RippleParameters{direction, speed, waveSize, waveHeight}, progress);
  return s;
}

TEST(RippleTest, ParametersScaleTheWavesAsTheyShould) {
  EXPECT_FLOAT_EQ(ripple(0, 5, 1, 2, 0.5f).slope, 4 * ripple(0, 5, 1, 0, 0.5f).slope);
  RippleSurface small = ripple(0, 5, 0, 1, 0.5f), large = ripple(0, 5, 2, 1, 0.5f);
  EXPECT_FLOAT_EQ(small.groundScale, 14.0f);
  EXPECT_FLOAT_EQ(large.groundScale, 3.5f);
  EXPECT_FLOAT_EQ(small.slope * 4, large.slope);
  // Each wave vector is 2 pi long: one wave per ground unit.
  EXPECT_NEAR(hypot(small.k1x, small.k1y), 2 * M_PI, 1e-5);
  EXPECT_NEAR(hypot(small.k2x, small.k2y), 2 * M_PI, 1e-5);
}

TEST(RippleTest, SpeedSetsHowManyWavesPassOverTheEffect) {
  for (int speed : {2, 10}) {
    float start = ripple(0, speed, 1, 1, 0.0f).phase, end = ripple(0, speed, 1, 1, 1.0f).phase;
    EXPECT_NEAR((end - start) / (2 * M_PI), speed, 1e-5);
  }
}

TEST(RippleTest, OppositeDirectionReversesTheWaves) {
  RippleSurface forward = ripple(0, 5, 1, 1, 0.5f), backward = ripple(2, 5, 1, 1, 0.5f);
  EXPECT_NEAR(backward.k1x, -forward.k1x, 1e-5);
  EXPECT_NEAR(backward.k1y, -forward.k1y, 1e-5);
  EXPECT_NEAR(backward.k2x, -forward.k2x, 1e-5);
  EXPECT_NEAR(backward.k2y, -forward.k2y, 1e-5);
  // A direction outside the list takes the first.
  EXPECT_EQ(ripple(7, 5, 1, 1, 0.5f).k1x, forward.k1x);
}

TEST(RippleTest, OneFieldEffectRendersTheMiddleAtFullHeight) {
  OpRequest request = {OpRender, 0, 0, 1, 0};
  EXPECT_EQ(effectProgress(&request), 0.5f);
  EXPECT_EQ(waveEnvelope(effectProgress(&request)), 1.0f);
  OpRequest last = {OpRender, 0, 0, 100000, 99999};
  EXPECT_LT(effectProgress(&last), 1.0f);
}

}  // namespace

namespace {

DropWave drop(int waveSize, int waveHeight, float progress, const WaterCamera& camera) {
  DropWave w;
  w.setup(DropParameters{waveSize, waveHeight}, progress, camera);
  return w;
}

TEST(DropTest, CornersLieAtTheReachFromTheImpactPoint) {
  struct { int width, height; float scale; } views[] = {
      {720, 288, 1.875f}, {720, 240, 2.25f}, {1920, 540, 1.875f}, {64, 64, 2.25f}, {17, 300, 1.875f}};
  for (auto view : views) {
    WaterCamera camera = makeWaterCamera(view.width, view.height, view.scale, DropSinTilt, DropCosTilt);
    DropWave w = drop(1, 1, 0.5f, camera);
    float halfX = camera.extentX / 2, halfY = camera.extentY / 2;
    for (float u : {-halfX, halfX}) {
      for (float v : {-halfY, halfY}) {
        EXPECT_NEAR(w.distance(camera, u, v), w.reach, 1e-4 * w.reach)
            << view.width << "x" << view.height << " at " << u << ", " << v;
      }
    }
    // The impact point is on the picture's vertical centre line.
    EXPECT_LT(w.distance(camera, 0.0f, viewV(camera, view.height / 3)), w.reach / 2);
  }
}

TEST(DropTest, InsideTheInnerRadiusTheWaterIsCalmAndShowsTheIncomingClip) {
  WaterCamera camera = makeWaterCamera(720, 288, 1.875f, DropSinTilt, DropCosTilt);
  DropWave w = drop(1, 2, 0.5f, camera);
  int inside = 0;
  for (int j = 0; j < 288; j += 3)
    for (int i = 0; i < 720; i += 5) {
      float u = viewU(camera, i), v = viewV(camera, j);
      DropSample s = w.at(camera, u, v);
      if (w.distance(camera, u, v) < w.innerRadius) {
        ++inside;
        EXPECT_EQ(s.nx, 0.0f);
        EXPECT_EQ(s.ny, 0.0f);
        EXPECT_EQ(s.mix, 1.0f);
      }
    }
  EXPECT_GT(inside, 100);
}

TEST(DropTest, MixIsContinuousAtTheInnerRadiusAndZeroFarOut) {
  WaterCamera camera = makeWaterCamera(720, 288, 1.875f, DropSinTilt, DropCosTilt);
  DropWave w = drop(1, 1, 0.3f, camera);
  // Walk down the centre line from the impact point outward.
  bool crossed = false;
  for (int j = 0; j < 288; ++j) {
    float v = viewV(camera, j);
    float d = w.distance(camera, 0.0f, v);
    DropSample s = w.at(camera, 0.0f, v);
    if (d >= w.innerRadius && d < w.innerRadius * 1.2f) {
      EXPECT_NEAR(s.mix, 1.0f, 1e-6) << d;
      crossed = true;
    }
    if (d > 2 * w.outerRadius) {
      EXPECT_EQ(s.mix, 0.0f) << d;
    }
  }
  EXPECT_TRUE(crossed);
}

TEST(DropTest, ParametersScaleTheWave) {
  WaterCamera camera = makeWaterCamera(720, 288, 1.875f, DropSinTilt, DropCosTilt);
  DropWave small = drop(0, 1, 0.0f, camera), large = drop(2, 1, 0.0f, camera);
  EXPECT_FLOAT_EQ(small.growth, 100.0f);
  EXPECT_FLOAT_EQ(large.growth, 25.0f);
  EXPECT_FLOAT_EQ(small.outerRadius * 4, large.outerRadius);   // a quarter of the ring at the start
  EXPECT_GT(drop(0, 1, 0.5f, camera).outerRadius / small.outerRadius,
            drop(2, 1, 0.5f, camera).outerRadius / large.outerRadius);   // and grows faster
  EXPECT_FLOAT_EQ(drop(1, 2, 0.5f, camera).amplitude, 4 * drop(1, 0, 0.5f, camera).amplitude);
  // The ring ends beyond every corner.
  EXPECT_NEAR(drop(1, 1, 1.0f, camera).outerRadius, 2 * small.reach, 1e-4);
}

TEST(RippleTest, TransitionMixFollowsTheHeightShape) {
  EXPECT_EQ(rippleMix(0.0f, 0.5f), 0.5f);
  EXPECT_EQ(rippleMix(2.0f, 0.25f), 0.5f);    // highest crests turn half-way first
  EXPECT_EQ(rippleMix(-2.0f, 0.75f), 0.5f);   // deepest troughs last
  EXPECT_EQ(rippleMix(2.0f, 0.1f), 0.0f);
  EXPECT_EQ(rippleMix(-2.0f, 0.9f), 1.0f);
}

TEST(SamplerTest, MixOfTwoFieldsIsTakenInLinearLight) {
  SmallField a(4, 3), b(2, 2);
  FieldView from = InitFieldView(&a.image), to = InitFieldView(&b.image);
  VideoPixel got;
  SampleMix(from, to, 0.5f, 0.5f, 0.5f, &got);
  LinearRgb ca = linearOf(a.pixel(0, 0)), cb = linearOf(b.pixel(0, 0));
  LinearRgb mean = {(ca.red + cb.red) / 2, (ca.green + cb.green) / 2, (ca.blue + cb.blue) / 2};
  VideoPixel want;
  LinearToVideo(&want, &mean);
  EXPECT_EQ(memcmp(&got, &want, 4), 0);
}

}  // namespace
