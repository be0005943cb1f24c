#include <gtest/gtest.h>

#include <math.h>

#include <vector>

#include "engine/engine.h"
#include "tests/engine_testscene.h"

namespace {

const int FrameWidth = 64, FrameHeight = 48;
const float Distance = 1000;

// Renders planes and checks the frame. One world unit at z = 0 is one pixel
// and the origin is the frame's centre, so a surface's projection is known.
class RenderLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    InitColourTables();
    ASSERT_TRUE(allocate(&frame, FrameWidth, FrameHeight, 72 * FrameWidth));
  }

  void render(int field, int halfStep) {
    makeCamera(&camera, FrameWidth, FrameHeight, Distance, field);
    prepareScene(&scene, &camera);
    EXPECT_EQ(renderScene(&scene, &frame, field, halfStep), 1);
  }

  int index(int x, int y) const { return (FrameHeight - 1 - y) * FrameWidth + x; }
  float cover(int x, int y) const { return frame.coverage[index(x, y)]; }
  float red(int x, int y) const { return frame.red[index(x, y)]; }
  float total() const {
    double sum = 0;
    for (int k = 0; k < FrameWidth * FrameHeight; ++k) sum += frame.coverage[k];
    return (float)sum;
  }

  Camera camera;
  Scene scene;
  RenderFrame frame;
};
// Test names start with "engine", so that the engine's tests run together.
using engineRenderLoop = RenderLoop;

float linearOf(VideoPixel p) {
  LinearRgb c;
  VideoToLinear(&c, &p);
  return c.red;
}

TEST_F(engineRenderLoop, FacingPlaneCoversItsProjectionOnceWithoutGapsOrOverlaps) {
  // 16 x 12 texels over 20 x 12 units: cells 1.25 pixels wide, so cell
  // boundaries cross the pixels.
  TestImage picture(16, 12, grey(235));
  TestPlane plane;
  TestRectangle domain;
  Mat4 identity;
  mat4Identity(&identity);
  setSurface(&plane, &domain, &picture.image, -10, 10, -6, 6, 0.8, 1.0, identity);
  addSurface(&scene, &plane);
  int polls = abortPolls;
  render(0, 0);
  EXPECT_EQ(abortPolls - polls, 12);   // once per row line after the first

  // The projection is x 22..42, y 18..30. Inside, every pixel is covered
  // exactly once; along the border the fixed-point truncation of a position
  // a hair below the pixel boundary may leave 1/256 of a pixel.
  const float edge = 2.0f / 256;
  for (int y = 0; y < FrameHeight; ++y)
    for (int x = 0; x < FrameWidth; ++x) {
      bool inside = x >= 22 && x < 42 && y >= 18 && y < 30;
      bool border = inside && (x == 22 || x == 41 || y == 18 || y == 29);
      bool outsideRing = !inside && x >= 21 && x <= 42 && y >= 17 && y <= 30;
      if (inside && !border)
        EXPECT_EQ(cover(x, y), 1.0f) << x << "," << y;
      else if (border)
        EXPECT_NEAR(cover(x, y), 1.0f, edge) << x << "," << y;
      else if (outsideRing)
        EXPECT_NEAR(cover(x, y), 0.0f, edge) << x << "," << y;
      else
        EXPECT_EQ(cover(x, y), 0.0f) << x << "," << y;
      // White at full light: colour equals coverage.
      EXPECT_FLOAT_EQ(red(x, y), cover(x, y));
    }
  EXPECT_NEAR(total(), 240.0f, 64 * edge);
}

TEST_F(engineRenderLoop, PlaneBehindAnotherCoversWhatTheFrontOneLeavesVisible) {
  // A white back plane at z = 0 and a black front plane at z = 100, whose
  // projection is 1000/900 as large.
  TestImage white(40, 24, grey(235)), black(10, 8, grey(16));
  TestPlane back, front;
  TestRectangle backDomain, frontDomain;
  Mat4 identity;
  mat4Identity(&identity);
  setSurface(&back, &backDomain, &white.image, -20, 20, -12, 12, 1, 1, identity);
  setSurface(&front, &frontDomain, &black.image, -5, 5, -4, 4, 1, 1,
             translation(0, 0, 100));
  addSurface(&scene, &back);
  addSurface(&scene, &front);
  render(0, 0);

  const float k = Distance / (Distance - 100);
  const float frontX0 = 32 - 5 * k, frontX1 = 32 + 5 * k;
  const float frontY0 = 24 - 4 * k, frontY1 = 24 + 4 * k;
  for (int y = 12; y < 36; ++y)
    for (int x = 12; x < 52; ++x) {
      bool inFront = x >= frontX0 + 0 && x + 1 <= frontX1 && y >= frontY0 && y + 1 <= frontY1;
      bool clearOfFront = x + 1 < frontX0 - 1 || x > frontX1 + 1 || y + 1 < frontY0 - 1 ||
                          y > frontY1 + 1;
      if (inFront) {
        // Only the front plane: nothing of the white one shows through.
        EXPECT_EQ(red(x, y), 0.0f) << x << "," << y;
        EXPECT_EQ(cover(x, y), 1.0f) << x << "," << y;
      } else if (clearOfFront) {
        EXPECT_EQ(cover(x, y), 1.0f) << x << "," << y;
        EXPECT_EQ(red(x, y), 1.0f) << x << "," << y;
      } else {
        // Along the silhouette the back plane's boundary is placed to 1/32
        // of a texel; at the front plane's corners it is the straight line
        // between the boundary points on two cell edges.
        bool corner = (x == (int)frontX0 || x == (int)frontX1) &&
                      (y == (int)frontY0 || y == (int)frontY1);
        EXPECT_NEAR(cover(x, y), 1.0f, corner ? 1.0f / 8 : 1.0f / 16) << x << "," << y;
      }
    }
  // The white that shows is the back plane's area less the front's shadow.
  double whiteArea = 0;
  for (int i = 0; i < FrameWidth * FrameHeight; ++i) whiteArea += frame.red[i];
  double shadow = (frontX1 - frontX0) * (frontY1 - frontY0);
  double perimeter = 2 * (frontX1 - frontX0 + frontY1 - frontY0);
  EXPECT_NEAR(whiteArea, 40 * 24 - shadow, perimeter / 32 + 4 * 0.125);
}

TEST_F(engineRenderLoop, HalfStepWithAnOddTexelCountEndsWithASingleCell) {
  // 5 x 3 texels, one per pixel, each its own grey; moved by half a unit so
  // that texel (c, r) lies exactly on pixel (30 + c, 23 + r).
  TestImage picture(5, 3, grey(16));
  auto code = [](int c, int r) { return 30 + 40 * c + 13 * r; };
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 5; ++c) picture.at(c, 2 - r) = grey(code(c, r));
  TestPlane plane;
  TestRectangle domain;
  setSurface(&plane, &domain, &picture.image, -2.5, 2.5, -1.5, 1.5, 1, 1,
             translation(0.5f, 0.5f, 0));
  addSurface(&scene, &plane);

  int polls = abortPolls;
  render(0, 1);
  EXPECT_EQ(abortPolls - polls, 2);   // row lines 0, 2, 3
  // Every texel keeps its own colour, the last column's and row's too.
  const float edge = 2.0f / 256;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 5; ++c) {
      EXPECT_NEAR(cover(30 + c, 23 + r), 1.0f, edge) << c << "," << r;
      EXPECT_NEAR(red(30 + c, 23 + r) / cover(30 + c, 23 + r), linearOf(grey(code(c, r))),
                  1e-6f)
          << c << "," << r;
    }

  // The same as stepping every line.
  std::vector<float> halfRed(frame.red, frame.red + FrameWidth * FrameHeight);
  std::vector<float> halfCover(frame.coverage, frame.coverage + FrameWidth * FrameHeight);
  RenderFrame full;
  ASSERT_TRUE(allocate(&full, FrameWidth, FrameHeight, 72 * FrameWidth));
  polls = abortPolls;
  renderScene(&scene, &full, 0, 0);
  EXPECT_EQ(abortPolls - polls, 3);
  for (int k = 0; k < FrameWidth * FrameHeight; ++k) {
    EXPECT_NEAR(halfCover[k], full.coverage[k], 1e-6f) << k;
    EXPECT_NEAR(halfRed[k], full.red[k], 1e-6f) << k;
  }
}

TEST_F(engineRenderLoop, FieldMovesOuterRowsOnlyByAQuarterPixel) {
  TestImage picture(6, 6, grey(235));
  TestPlane plane;
  TestRectangle domain;
  Mat4 identity;
  mat4Identity(&identity);
  setSurface(&plane, &domain, &picture.image, -3, 3, -3, 3, 1, 1, identity);
  addSurface(&scene, &plane);
  render(1, 0);
  // The whole image moves up by a quarter pixel, the interior grid rows a
  // quarter texel back down: rows 21 .. 26 keep their place, the bottom edge
  // rises to 21.25 and the top edge to 27.25.
  const float edge = 2.0f / 256;
  for (int x = 29; x < 35; ++x) {
    EXPECT_NEAR(cover(x, 21), 0.75f, edge) << x;
    for (int y = 22; y < 27; ++y) EXPECT_NEAR(cover(x, y), 1.0f, edge) << x << "," << y;
    EXPECT_NEAR(cover(x, 27), 0.25f, edge) << x;
  }
}

TEST(engineCamera, FieldRaisesTheImageByAQuarterPixel) {
  Camera even, odd, other;
  makeCamera(&even, 720, 288, 500, 0);
  makeCamera(&odd, 720, 288, 500, 1);
  makeCamera(&other, 720, 288, 500, -1);
  Vec4 points[] = {{0, 0, 0, 1}, {100, -50, 20, 1}, {-7, 30, -200, 1}};
  for (const Vec4& p : points) {
    Vec4 a, b, c;
    mat4Transform(&a, &even.screen, &p);
    mat4Transform(&b, &odd.screen, &p);
    mat4Transform(&c, &other.screen, &p);
    EXPECT_NEAR(b.y / b.w - a.y / a.w, 0.25f, 1e-4f);
    EXPECT_NEAR(c.y / c.w - a.y / a.w, -0.25f, 1e-4f);
    EXPECT_NEAR(b.x / b.w, a.x / a.w, 1e-4f);
  }
  // The origin projects to the centre, one unit to one pixel.
  Vec4 origin = {0, 0, 0, 1}, unit = {1, 1, 0, 1}, s, t;
  mat4Transform(&s, &even.screen, &origin);
  mat4Transform(&t, &even.screen, &unit);
  EXPECT_NEAR(s.x / s.w, 360, 1e-3);
  EXPECT_NEAR(s.y / s.w, 144, 1e-3);
  EXPECT_NEAR(t.x / t.w - s.x / s.w, 1, 1e-3);
}

TEST(engineCamera, NearPlaneHasDepthZeroAndFarPlaneDepthRange) {
  for (int range : {1, 1000}) {
    Camera camera;
    makeCamera(&camera, 720, 288, 400, 1);
    camera.depthRange = range;
    setupCamera(&camera, 1);
    // Eye at z = 400 looking down -z: near plane at z = 200, far at -400.
    Vec4 nearPoint = {13, -40, 400 - camera.near, 1}, farPoint = {-90, 25, 400 - camera.far, 1};
    Vec4 middle = {0, 0, 0, 1}, a, b, c;
    mat4Transform(&a, &camera.screen, &nearPoint);
    mat4Transform(&b, &camera.screen, &farPoint);
    mat4Transform(&c, &camera.screen, &middle);
    EXPECT_NEAR(a.z / a.w, 0.0f, 1e-6f * range) << range;
    EXPECT_NEAR(b.z / b.w, (float)range, 1e-6f * range) << range;
    float mid = c.z / c.w;
    EXPECT_GT(mid, 0);
    EXPECT_LT(mid, range);
  }
}

TEST(engineScene, AddSurfaceAppendsAtTheEnd) {
  Scene scene;
  TestPlane a, b, c;
  c.next = &a;   // stale links are cleared
  addSurface(&scene, &a);
  EXPECT_EQ(scene.first, &a);
  EXPECT_EQ(a.next, nullptr);
  addSurface(&scene, &b);
  addSurface(&scene, &c);
  EXPECT_EQ(scene.first, &a);
  EXPECT_EQ(a.next, &b);
  EXPECT_EQ(b.next, &c);
  EXPECT_EQ(c.next, nullptr);
}

TEST(engineScene, GridBoundsAreClampedToThePictureAndMirrorAlike) {
  TestImage picture(10, 8, grey(100));
  Camera camera;
  makeCamera(&camera, 64, 48, 1000, 0);
  Mat4 identity;
  mat4Identity(&identity);

  struct Case {
    double uMin, uMax, vMin, vMax, uScale;
    int u0, u1, v0, v1;
  } cases[] = {
      {-2, 2, -1.5, 1.5, 1, 3, 7, 2, 6},          // inside: texels 3..7, 2..6
      {-2.2, 2.3, -1.5, 1.5, 1, 2, 8, 2, 6},      // floor and ceil
      {-9, 2, -7, 9, 1, 0, 7, 0, 8},              // clamped at 0 and the size
      {-2, 2, -1.5, 1.5, -1, 3, 7, 2, 6},         // mirrored: same bounds
      {-2.2, 2.3, -1.5, 1.5, -1, 2, 8, 2, 6},     // mirrored rectangle, about 0
      {20, 30, -1, 1, 1, 25, 10, 3, 5},           // wholly outside: u0 > u1
  };
  for (const Case& c : cases) {
    TestPlane s;
    TestRectangle d;
    setSurface(&s, &d, &picture.image, c.uMin, c.uMax, c.vMin, c.vMax, c.uScale, 1, identity);
    if (c.uScale < 0) {
      // Mirror the rectangle about the origin, where the picture centre is.
      s.uMin = -c.uMax;
      s.uMax = -c.uMin;
    }
    Scene scene;
    addSurface(&scene, &s);
    prepareScene(&scene, &camera);
    EXPECT_EQ(s.gridU0, c.u0) << c.uMin << " " << c.uScale;
    EXPECT_EQ(s.gridU1, c.u1) << c.uMin << " " << c.uScale;
    EXPECT_EQ(s.gridV0, c.v0) << c.vMin;
    EXPECT_EQ(s.gridV1, c.v1) << c.vMin;
    EXPECT_EQ(s.uStep, 1.0);
    EXPECT_EQ(s.uPerTexel, (float)(1 / c.uScale));
    EXPECT_FLOAT_EQ(s.uLoWide, (float)(s.uMin - 0.01));
    EXPECT_FLOAT_EQ(s.selfWindow[1], 0.25f);
  }
}

// A tilted plane z = u whose intersections are set by the test, to probe how
// isVisible treats hits.
class ScriptedSurface : public TestPlane {
 public:
  void point(Vec4* out, float u, float v) override { *out = Vec4{u, v, u, 1}; }
  int intersect(float* out, const Vec4*, const Vec4*) override {
    for (int k = 0; k < count; ++k) out[k] = hits[k];
    return count / 2;
  }
  float hits[8];
  int count = 0;
};

// Surfaces over one 8x8 grey picture spanning [-4, 4] in u and v, one texel
// per unit, seen by a 64 x 48 camera 1000 units away (near plane at 500).
class Visibility : public ::testing::Test {
 protected:
  void SetUp() override { InitColourTables(); }

  void place(Surface* s, SurfaceDomain* d, const Mat4& placement, double uMin = -4) {
    setSurface(s, d, &picture.image, uMin, 4, -4, 4, 1, 1, placement);
    addSurface(&scene, s);
  }
  // Prepares the scene for drawing s.
  void look(Surface* s) {
    makeCamera(&camera, 64, 48, 1000, 0);
    prepareScene(&scene, &camera);
    relateSurfaces(&scene, s);
  }

  TestImage picture{8, 8, grey(100)};
  Mat4 identity = translation(0, 0, 0);
  Scene scene;
  Camera camera;
};
using engineVisibility = Visibility;

TEST_F(engineVisibility, HitsNearTheTestedPointDoNotHideIt) {
  ScriptedSurface s;
  TestRectangle d;
  place(&s, &d, identity);
  look(&s);

  // The camera looks down -z, so larger u is nearer.
  struct {
    float hu, hv;
    int visible;
    const char* why;
  } cases[] = {
      {0.2f, 0.2f, 1, "within a quarter texel: the point itself"},
      {0.3f, 0.0f, 0, "nearer, a quarter texel away in u"},
      {0.0f, 0.3f, 1, "same depth: never hides"},
      {-0.3f, 0.0f, 1, "farther"},
      {4.5f, 0.0f, 1, "outside the widened rectangle"},
      {4.005f, 0.0f, 0, "inside the widened rectangle"},
  };
  for (auto& c : cases) {
    s.hits[0] = c.hu;
    s.hits[1] = c.hv;
    s.count = 2;
    GridVertex out = {-1, -1, -1, -1};
    EXPECT_EQ(isVisible(&scene, &s, 0, 0, &out), c.visible) << c.why;
    if (c.visible) {
      EXPECT_NEAR(out.sx, 32, 1e-3) << c.why;
      EXPECT_NEAR(out.sy, 24, 1e-3) << c.why;
      EXPECT_EQ(out.u, 0);
    }
  }
  // A grid vertex exactly on the widened border passes the rectangle test.
  s.count = 0;
  EXPECT_EQ(isVisible(&scene, &s, s.uHiWide, 0, nullptr), 1);
}

// A domain painting only u <= 0.5 of its surface.
class HalfDomain : public TestRectangle {
 public:
  int contains(float u, float) override { return u <= 0.5f; }
  void uSpan(float* out, float) override {
    out[0] = (float)surface->uMin;
    out[1] = 0.5f;
  }
};

TEST_F(engineVisibility, EdgePointAtADomainEdgeLiesJustInside) {
  TestPlane s;
  HalfDomain d;
  place(&s, &d, identity);
  look(&s);

  const float inside[2] = {0, 2}, outside[2] = {1, 2};
  GridVertex out;
  findEdgePoint(&scene, &out, &s, inside, outside);
  EXPECT_EQ(out.u, 0.5f - 0.5f / 64);
  EXPECT_EQ(out.v, 2.0f);
  EXPECT_NEAR(out.sx, 32 + out.u, 1e-3);
  EXPECT_NEAR(out.sy, 26, 1e-3);
}

TEST_F(engineVisibility, OcclusionBoundaryIsFoundToAThirtySecondOfTheEdge) {
  TestPlane back, front;
  TestRectangle backDomain, frontDomain;
  place(&back, &backDomain, identity);
  // Front plane: covers u > 0.3 of the back plane, seen straight on.
  const float k = 1000.0f / 900;   // projection scale of the front plane
  place(&front, &frontDomain, translation(0, 0, 100), 0.3 / k);
  look(&back);

  const float inside[2] = {0, 1}, outside[2] = {1, 1};
  ASSERT_EQ(isVisible(&scene, &back, 0, 1, nullptr), 1);
  ASSERT_EQ(isVisible(&scene, &back, 1, 1, nullptr), 0);
  GridVertex out;
  findEdgePoint(&scene, &out, &back, inside, outside);
  EXPECT_NEAR(out.u, 0.3f, 1.0f / 32);
  EXPECT_EQ(out.v, 1.0f);
}

TEST_F(engineVisibility, PointsBeforeTheNearPlaneAreNotSeen) {
  TestPlane s;
  TestRectangle d;
  place(&s, &d, translation(0, 0, 600));
  look(&s);
  EXPECT_EQ(isVisible(&scene, &s, 0, 0, nullptr), 0);
}

}  // namespace
