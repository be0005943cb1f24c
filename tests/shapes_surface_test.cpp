// The shared surfaces and domains of the shape transitions, tested by their
// properties on seeded samples.
#include <gtest/gtest.h>
#include <math.h>

#include <random>

#include "shapes/cap.h"
#include "shapes/plane.h"

namespace {

struct Sampler {
  std::mt19937 engine;
  explicit Sampler(unsigned seed) : engine(seed) {}
  double uniform(double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(engine);
  }
  // A factor of either sign whose size spans four decades.
  float factor() {
    double size = pow(10.0, uniform(-2, 2));
    return (float)(engine() & 1 ? size : -size);
  }
};

Vec4 scaled(const Vec4& p, float k) { return Vec4{p.x * k, p.y * k, p.z * k, p.w * k}; }

Vec4 dehomogenised(const Vec4& p) { return Vec4{p.x / p.w, p.y / p.w, p.z / p.w, 1}; }

// --- Surfaces ---

struct SurfaceCase {
  const char* name;
  Surface* surface;
  double reach;   // parameters sampled in [-reach, reach]
};

// A line of sight through the point at (u, v) finds (u, v) again, whatever
// factors p and q carry; the tangent plane holds the point and the surface's
// first-order neighbours.
TEST(SurfacePropertyTest, PointsAreFoundAgainAndLieInTheirTangentPlanes) {
  PlaneSurface plane;
  CapSurface cap;
  SurfaceCase cases[] = {{"plane", &plane, 5}, {"cap", &cap, 3}};
  for (const SurfaceCase& c : cases) {
    Sampler random(11);
    int checked = 0;
    for (int trial = 0; trial < 2000; ++trial) {
      float u = (float)random.uniform(-c.reach, c.reach), v = (float)random.uniform(-c.reach, c.reach);
      Vec4 p, plane4;
      c.surface->point(&p, u, v);
      c.surface->tangentPlane(&plane4, u, v);
      Vec4 at = dehomogenised(p);
      double normalLength = sqrt(dot3(&plane4, &plane4));

      // The tangent plane holds the point and, to first order, its neighbours.
      EXPECT_NEAR(dot4(&plane4, &at) / normalLength, 0, 1e-5) << c.name << " " << u << "," << v;
      const float h = 1e-3f;
      Vec4 du, dv;
      c.surface->point(&du, u + h, v);
      c.surface->point(&dv, u, v + h);
      du = dehomogenised(du);
      dv = dehomogenised(dv);
      EXPECT_NEAR(dot4(&plane4, &du) / normalLength, 0, 1e-4) << c.name;
      EXPECT_NEAR(dot4(&plane4, &dv) / normalLength, 0, 1e-4) << c.name;

      // An eye on either side, not nearly in the tangent plane.
      Vec4 eye = {(float)random.uniform(-10, 10), (float)random.uniform(-10, 10),
                  (float)random.uniform(-10, 10), 1};
      Vec4 toEye = {eye.x - at.x, eye.y - at.y, eye.z - at.z, 0};
      double slant = dot3(&plane4, &toEye) / (normalLength * sqrt(dot3(&toEye, &toEye)));
      if (fabs(slant) < 0.1) continue;
      ++checked;

      Vec4 pp = scaled(p, random.factor()), qq = scaled(eye, random.factor());
      float hits[8];
      int n = c.surface->intersect(hits, &pp, &qq);
      ASSERT_GE(n, 0);
      ASSERT_LE(n, 4);
      bool found = false;
      for (int k = 0; k < n; ++k)
        found = found || (fabs(hits[2 * k] - u) < 1e-3 * (1 + fabs(u)) &&
                          fabs(hits[2 * k + 1] - v) < 1e-3 * (1 + fabs(v)));
      EXPECT_TRUE(found) << c.name << " (" << u << ", " << v << ") from (" << eye.x << ", "
                         << eye.y << ", " << eye.z << ") with " << n << " hits";
    }
    EXPECT_GT(checked, 1000) << c.name;
  }
}

TEST(SurfacePropertyTest, LinesThatMissGiveNoHits) {
  PlaneSurface plane;
  CapSurface cap;
  // Parallel to the plane; far out along a grazing line; clear of the sphere;
  // through the lower hemisphere only.
  struct Case {
    Surface* surface;
    Vec4 p, q;
  } cases[] = {
      {&plane, {0, 0, 2, 1}, {5, 3, 2, 1}},
      {&plane, {0, 0, 1, 1}, {500, 0, -0.01f, 1}},
      {&cap, {3, 0, 0, 1}, {3, 1, 5, 1}},
      {&cap, {-3, 0, -0.5f, 1}, {3, 0.2f, -0.5f, 1}},
  };
  for (const Case& c : cases) {
    float hits[8];
    EXPECT_EQ(c.surface->intersect(hits, &c.p, &c.q), 0);
    Vec4 p = scaled(c.p, -0.25f), q = scaled(c.q, 40);
    EXPECT_EQ(c.surface->intersect(hits, &p, &q), 0);
  }
}

// --- Domains ---

struct Rect {
  double uMin, uMax, vMin, vMax;
};

void setRect(Surface* s, const Rect& r) {
  s->uMin = r.uMin;
  s->uMax = r.uMax;
  s->vMin = r.vMin;
  s->vMax = r.vMax;
}

bool within(float x, const float* span, float slack) {
  return x >= span[0] - slack && x <= span[1] + slack;
}

// A point is painted exactly when it lies in both spans through it; the spans
// never leave the parameter rectangle.
void checkDomain(const char* name, SurfaceDomain* domain, Surface* surface, unsigned seed) {
  SCOPED_TRACE(name);
  Sampler random(seed);
  const float slack = 1e-4f;
  int inside = 0, outside = 0;
  for (int trial = 0; trial < 4000; ++trial) {
    float u = (float)random.uniform(surface->uMin, surface->uMax);
    float v = (float)random.uniform(surface->vMin, surface->vMax);
    float uSpan[2], vSpan[2];
    domain->uSpan(uSpan, v);
    domain->vSpan(vSpan, u);
    bool loose = within(u, uSpan, slack) && within(v, vSpan, slack);
    bool tight = within(u, uSpan, -slack) && within(v, vSpan, -slack);
    if (loose != tight) continue;   // too near the boundary to judge
    bool painted = domain->contains(u, v) != 0;
    EXPECT_EQ(painted, tight) << u << ", " << v;
    if (!painted) {
      ++outside;
      continue;
    }
    ++inside;
    EXPECT_GE(uSpan[0], (float)surface->uMin);
    EXPECT_LE(uSpan[1], (float)surface->uMax);
    EXPECT_GE(vSpan[0], (float)surface->vMin);
    EXPECT_LE(vSpan[1], (float)surface->vMax);
  }
  EXPECT_GT(inside, 200);
}

TEST(DomainPropertyTest, ContainsAgreesWithBothSpans) {
  PlaneSurface plane;
  CapSurface cap;

  DiscDomain disc;
  disc.surface = &cap;
  disc.radius = 0.6f;
  Rect discRects[] = {{-0.6, 0.6, -0.6, 0.6}, {-0.45, 0.45, -0.3, 0.3}, {-0.7, 0.7, -0.2, 0.2}};
  for (const Rect& r : discRects) {
    setRect(&cap, r);
    checkDomain("disc", &disc, &cap, 3);
  }

  RectangleDomain whole;
  whole.surface = &plane;
  setRect(&plane, {-2.5, -1.5, -0.5, 0.5});
  checkDomain("rectangle", &whole, &plane, 4);

  // Flaps as first set, and cut down to part of a picture.
  UpperFlapDomain upper;
  LowerFlapDomain lower;
  upper.surface = lower.surface = &plane;
  struct FlapCase {
    FlapRect flap;
    Rect cut;
  } flaps[] = {
      {{-0.5f, 0.5f, 0.5f, 1}, {-0.5, 0.5, 0.5, 1}},
      {{0.5f, 1.5f, 0.5f, 1}, {0.5, 1.2, 0.5, 0.9}},
      {{-2.5f, -1.5f, -1, -0.5f}, {-2.0, -1.5, -1, -0.5}},
      {{1.5f, 2.5f, -1, -0.5f}, {1.5, 2.5, -0.8, -0.5}},
  };
  for (const FlapCase& f : flaps) {
    upper.flapRect = lower.flapRect = f.flap;
    setRect(&plane, f.cut);
    checkDomain("upper flap", &upper, &plane, 5);
    checkDomain("lower flap", &lower, &plane, 6);
  }
}

TEST(DomainPropertyTest, FlapsAreTrianglesWithTheirApexOppositeTheBase) {
  PlaneSurface plane;
  setRect(&plane, {-0.5, 0.5, 0.5, 1});
  UpperFlapDomain upper;
  LowerFlapDomain lower;
  upper.surface = lower.surface = &plane;
  upper.flapRect = lower.flapRect = FlapRect{-0.5f, 0.5f, 0.5f, 1};
  float span[2];
  upper.uSpan(span, 0.5f);   // the base
  EXPECT_FLOAT_EQ(span[0], -0.5f);
  EXPECT_FLOAT_EQ(span[1], 0.5f);
  upper.uSpan(span, 1);      // the apex
  EXPECT_FLOAT_EQ(span[0], 0);
  EXPECT_FLOAT_EQ(span[1], 0);
  upper.vSpan(span, 0.25f);
  EXPECT_FLOAT_EQ(span[0], 0.5f);
  EXPECT_FLOAT_EQ(span[1], 0.75f);
  lower.vSpan(span, -0.25f);
  EXPECT_FLOAT_EQ(span[0], 0.75f);
  EXPECT_FLOAT_EQ(span[1], 1);
  EXPECT_TRUE(upper.contains(0.25f, 0.75f));   // on the slanted edge
  EXPECT_FALSE(upper.contains(0.26f, 0.75f));
  EXPECT_TRUE(lower.contains(0.25f, 0.75f));
  EXPECT_FALSE(lower.contains(0.25f, 0.74f));
}

// --- Clipping panels to the picture ---

TEST(ClipToPictureTest, KeepsOnlyPanelsThatCarryPicture) {
  // Texels x = 10·u + 50 on a picture 100 wide, y = 8·v + 20 on one 40 high.
  struct Case {
    const char* what;
    Rect rect;
    bool kept;
    Rect clipped;
  } cases[] = {
      {"inside", {-1, 1, -1, 1}, true, {-1, 1, -1, 1}},
      {"touches the left edge", {-6, -5, -1, 1}, false, {}},
      {"touches the right edge", {5, 6, -1, 1}, false, {}},
      {"touches the bottom edge", {-1, 1, -3, -2.5}, false, {}},
      {"touches the top edge", {-1, 1, 2.5, 3}, false, {}},
      {"beyond the left edge", {-9, -7, -1, 1}, false, {}},
      {"across the left edge", {-6, -4, -1, 1}, true, {-5, -4, -1, 1}},
      {"across every edge", {-9, 9, -4, 4}, true, {-5, 5, -2.5, 2.5}},
      {"no width", {1, 1, -1, 1}, false, {}},
  };
  for (const Case& c : cases) {
    PlaneSurface panel;
    setRect(&panel, c.rect);
    panel.uScale = 10;
    panel.uCentre = 50;
    panel.vScale = 8;
    panel.vCentre = 20;
    panel.uOrigin = panel.vOrigin = 0;
    EXPECT_EQ(clipToPicture(&panel, 100, 40), c.kept) << c.what;
    if (!c.kept) continue;
    EXPECT_DOUBLE_EQ(panel.uMin, c.clipped.uMin) << c.what;
    EXPECT_DOUBLE_EQ(panel.uMax, c.clipped.uMax) << c.what;
    EXPECT_DOUBLE_EQ(panel.vMin, c.clipped.vMin) << c.what;
    EXPECT_DOUBLE_EQ(panel.vMax, c.clipped.vMax) << c.what;
  }
}

}  // namespace
