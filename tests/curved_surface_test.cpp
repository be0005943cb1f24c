// The curved surfaces: sphere, cylinder and cone. Every point that `point`
// produces is found again by `intersect` on lines of sight through it, and
// lies on its own tangent plane; then the lines that touch, run parallel or
// cross to the other nappe.
#include <math.h>

#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "shapes/sphere.h"
#include "src/conesurface.h"
#include "src/cylindersurface.h"

namespace {

const double Pi = 3.14159265358979323846;

// A surface with the part of its parameter plane where (u, v) is a
// well-defined point of it (away from poles, apex and the ends).
struct CurvedCase {
  const char* name;
  Surface* (*make)();
  float vLow, vHigh;
};

Surface* makeSphere() { static SphereSurface s; return &s; }
Surface* makeCylinder() { static CylinderSurface s; return &s; }
Surface* makeCone() { static ConeSurface s; return &s; }

const CurvedCase curvedCases[] = {
    {"Sphere", makeSphere, -1.4f, 1.4f},
    {"Cylinder", makeCylinder, -0.99f, 0.99f},
    {"Cone", makeCone, 0.0f, 0.95f},
};

Vec4 scaled(const Vec4& p, float k) { return Vec4{p.x * k, p.y * k, p.z * k, p.w * k}; }

double distance3(const Vec4& a, const Vec4& b) {
  double dx = a.x / (double)a.w - b.x / (double)b.w;
  double dy = a.y / (double)a.w - b.y / (double)b.w;
  double dz = a.z / (double)a.w - b.z / (double)b.w;
  return sqrt(dx * dx + dy * dy + dz * dz);
}

// Distance of a from the line through b and c.
double distanceFromLine(const Vec4& a, const Vec4& b, const Vec4& c) {
  double ab[3] = {a.x / a.w - b.x / b.w, a.y / a.w - b.y / b.w, a.z / a.w - b.z / b.w};
  double cb[3] = {c.x / c.w - b.x / b.w, c.y / c.w - b.y / b.w, c.z / c.w - b.z / b.w};
  double cross[3] = {ab[1] * cb[2] - ab[2] * cb[1], ab[2] * cb[0] - ab[0] * cb[2],
                     ab[0] * cb[1] - ab[1] * cb[0]};
  return sqrt((cross[0] * cross[0] + cross[1] * cross[1] + cross[2] * cross[2]) /
              (cb[0] * cb[0] + cb[1] * cb[1] + cb[2] * cb[2]));
}

class CurvedSurfaceTest : public ::testing::TestWithParam<CurvedCase> {};

TEST_P(CurvedSurfaceTest, PointIsFoundAgainOnLinesOfSightThroughIt) {
  Surface* surface = GetParam().make();
  std::mt19937 random(20261211);
  std::uniform_real_distribution<float> angle(-3.1f, 3.1f);
  std::uniform_real_distribution<float> height(GetParam().vLow, GetParam().vHigh);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  std::uniform_real_distribution<float> factor(0.25f, 4.0f);
  std::uniform_real_distribution<float> along(0.0f, 2.0f);
  int tried = 0;
  for (int trial = 0; trial < 2000; ++trial) {
    float u = angle(random), v = height(random);
    Vec4 x;
    surface->point(&x, u, v);
    // An eye 3 to 400 units away, and a point on the line beyond x.
    float ex = unit(random), ey = unit(random), ez = unit(random);
    float norm = sqrtf(ex * ex + ey * ey + ez * ez) + 1e-3f;
    float range = 3.0f + 400.0f * along(random) * along(random) / 4.0f;
    Vec4 eye{ex / norm * range, ey / norm * range, ez / norm * range, 1.0f};
    float t = along(random);
    Vec4 beyond{x.x + t * (x.x - eye.x), x.y + t * (x.y - eye.y),
                x.z + t * (x.z - eye.z), 1.0f};
    // Grazing lines through a point rounded to float may miss altogether.
    Vec4 plane;
    surface->tangentPlane(&plane, u, v);
    Vec4 sight{x.x - eye.x, x.y - eye.y, x.z - eye.z, 0.0f};
    if (fabs(dot3(&plane, &sight)) < 0.05 * sqrt(dot3(&plane, &plane) * dot3(&sight, &sight)))
      continue;
    ++tried;
    float ps = factor(random) * (trial & 1 ? -1 : 1);
    float qs = factor(random) * (trial & 2 ? -1 : 1);
    Vec4 p = scaled(beyond, ps), q = scaled(eye, qs);

    float hits[8];
    int n = surface->intersect(hits, &p, &q);
    ASSERT_GE(n, 1) << "trial " << trial << " u " << u << " v " << v;
    ASSERT_LE(n, 2);
    double best = 1e9;
    for (int k = 0; k < n; ++k) {
      Vec4 found;
      surface->point(&found, hits[2 * k], hits[2 * k + 1]);
      best = fmin(best, distance3(found, x));
      EXPECT_LT(distanceFromLine(found, x, eye), 2e-3) << "pair " << k << " off the line";
    }
    EXPECT_LT(best, 2e-3) << "trial " << trial << " u " << u << " v " << v;
  }
  EXPECT_GT(tried, 1500);
}

TEST_P(CurvedSurfaceTest, TangentPlanePassesThroughThePointAlongTheSurface) {
  Surface* surface = GetParam().make();
  std::mt19937 random(7);
  std::uniform_real_distribution<float> angle(-3.1f, 3.1f);
  std::uniform_real_distribution<float> height(GetParam().vLow, GetParam().vHigh);
  const float step = 1e-2f;
  for (int trial = 0; trial < 500; ++trial) {
    float u = angle(random), v = height(random);
    Vec4 plane, x, du0, du1, dv0, dv1;
    surface->tangentPlane(&plane, u, v);
    surface->point(&x, u, v);
    surface->point(&du0, u - step, v);
    surface->point(&du1, u + step, v);
    surface->point(&dv0, u, v - step);
    surface->point(&dv1, u, v + step);
    double size = sqrt(dot3(&plane, &plane));
    ASSERT_GT(size, 0.5);
    EXPECT_NEAR(dot4(&plane, &x) / size, 0.0, 1e-5);
    // Second-order small: the surface leaves the plane only quadratically.
    EXPECT_NEAR(dot4(&plane, &du0) / size, 0.0, 1e-4);
    EXPECT_NEAR(dot4(&plane, &du1) / size, 0.0, 1e-4);
    EXPECT_NEAR(dot4(&plane, &dv0) / size, 0.0, 1e-4);
    EXPECT_NEAR(dot4(&plane, &dv1) / size, 0.0, 1e-4);
  }
}

INSTANTIATE_TEST_SUITE_P(Curved, CurvedSurfaceTest, ::testing::ValuesIn(curvedCases),
                         [](const ::testing::TestParamInfo<CurvedCase>& info) {
                           return std::string(info.param.name);
                         });

// A line given by two points, each with its own homogeneous factor, and the
// pairs it must give, in order.
struct LineCase {
  const char* what;
  Surface* (*make)();
  Vec4 p, q;
  int count;
  float hits[4];
};

const float P = (float)Pi;

const LineCase lineCases[] = {
    {"line touching the sphere", makeSphere, {1, 0, 0, 1}, {1, 0, 5, 1}, 2, {0, 0, 0, 0}},
    {"touching line, negative factors", makeSphere, {-2, 0, 0, -2}, {3, 0, 15, 3}, 2,
     {0, 0, 0, 0}},
    {"line missing the sphere", makeSphere, {1.01f, 0, 0, 1}, {1.01f, 0, 5, 1}, 0, {}},
    {"line through the sphere's poles", makeSphere, {0, 0, -3, 1}, {0, 0, 3, 1}, 2,
     {0, P / 2, 0, -P / 2}},
    {"line parallel to the cylinder's axis", makeCylinder, {0.5f, 0, 0, 1},
     {0.5f, 0, 3, 1}, 0, {}},
    {"line farther than 1 from the axis", makeCylinder, {0, 1.5f, 0, 1},
     {4, 1.5f, 0.2f, 1}, 0, {}},
    {"line touching the cylinder", makeCylinder, {1, 0, 0, 1}, {1, 3, 0, 1}, 2,
     {0, 0, 0, 0}},
    {"line across the cylinder", makeCylinder, {3, 0, -0.5f, -1}, {3, 0, 0.5f, 1}, 2,
     {0, 0.5f, P, 0.5f}},
    {"one root above the cylinder's top", makeCylinder, {1, 0, 0.5f, 1},
     {-3, 0, 5.5f, 1}, 1, {0, 0.5f}},
    {"steep line meets both nappes", makeCone, {0.5f, 0, 0, 1}, {0.5f, 0, 4, 1}, 2,
     {0, 0.5f, P, 1.5f}},
    {"flat line meets the lower nappe twice", makeCone, {-3, 0, 0.5f, 1},
     {-6, 0, -1, -2}, 2, {0, 0.5f, P, 0.5f}},
    {"flat line above the apex", makeCone, {-3, 0, 1.5f, 1}, {3, 0, 1.5f, 1}, 0, {}},
    {"line parallel to a generator", makeCone, {0, 0.3f, 0, 1}, {1, 0.3f, -1, 1}, 0, {}},
};

double angleGap(double a, double b) {
  double gap = fabs(a - b);
  return fmin(gap, 2 * Pi - gap);
}

TEST(CurvedSurfaceLines, TouchingParallelAndCrossingLines) {
  for (const LineCase& c : lineCases) {
    SCOPED_TRACE(c.what);
    float hits[8];
    int n = c.make()->intersect(hits, &c.p, &c.q);
    ASSERT_EQ(n, c.count);
    // Each expected pair is among those returned, in either order.
    for (int k = 0; k < n; ++k) {
      bool found = false;
      for (int j = 0; j < n; ++j)
        found = found || (angleGap(hits[2 * j], c.hits[2 * k]) < 1e-4 &&
                          fabs(hits[2 * j + 1] - c.hits[2 * k + 1]) < 1e-4);
      EXPECT_TRUE(found) << "pair (" << c.hits[2 * k] << ", " << c.hits[2 * k + 1]
                         << ") got (" << hits[0] << ", " << hits[1] << ") ("
                         << hits[2] << ", " << hits[3] << ")";
    }
  }
}

// A touching line's two pairs are equal, not merely close.
TEST(CurvedSurfaceLines, TouchingLineGivesTwoEqualHits) {
  Vec4 p{1, 0, 0, 1}, q{1, 3, 4, 1};
  float hits[8];
  SphereSurface sphere;
  ASSERT_EQ(sphere.intersect(hits, &p, &q), 2);
  EXPECT_EQ(hits[0], hits[2]);
  EXPECT_EQ(hits[1], hits[3]);
  CylinderSurface cylinder;
  ASSERT_EQ(cylinder.intersect(hits, &p, &q), 2);
  EXPECT_EQ(hits[0], hits[2]);
  EXPECT_EQ(hits[1], hits[3]);
}

// Cosine and sine from the half-angle tangent, over the whole range the
// parameters reach, the half turns where the tangent blows up included.
TEST(CurvedSurfaceTurn, MatchesCosineAndSine) {
  std::mt19937 random(3);
  std::uniform_real_distribution<double> angle(-2 * Pi + 1e-3, 2 * Pi - 1e-3);
  std::vector<double> angles = {0, Pi, -Pi, (float)Pi, -(float)Pi, Pi / 2, 1e-9};
  for (int k = 0; k < 1000; ++k) angles.push_back(angle(random));
  for (double a : angles) {
    Turn t = turnOf(a);
    EXPECT_NEAR(t.cos, cos(a), 1e-12) << a;
    EXPECT_NEAR(t.sin, sin(a), 1e-12) << a;
  }
}

}  // namespace
