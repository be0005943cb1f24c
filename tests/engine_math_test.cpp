#include <gtest/gtest.h>

#include <math.h>

#include <random>

#include "engine/vecmath.h"
#include "tests/engine_testscene.h"

namespace {

Mat4 randomMatrix(std::mt19937& rng) {
  std::uniform_real_distribution<float> value(-2.0f, 2.0f);
  Mat4 m;
  for (float& e : m.m) e = value(rng);
  return m;
}

float largest(const Mat4& m) {
  float most = 0;
  for (float e : m.m) most = fmaxf(most, fabsf(e));
  return most;
}

void expectNearIdentity(const Mat4& m, float tolerance) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      EXPECT_NEAR(m.m[4 * r + c], r == c ? 1.0f : 0.0f, tolerance) << r << "," << c;
}

TEST(engineMath, MultiplyIntoEitherArgumentMatchesAThirdMatrix) {
  std::mt19937 rng(7);
  Mat4 a = randomMatrix(rng), b = randomMatrix(rng), expected;
  mat4Multiply(&expected, &a, &b);

  Mat4 intoA = a;
  mat4Multiply(&intoA, &intoA, &b);
  Mat4 intoB = b;
  mat4Multiply(&intoB, &a, &intoB);
  for (int k = 0; k < 16; ++k) {
    EXPECT_EQ(intoA.m[k], expected.m[k]);
    EXPECT_EQ(intoB.m[k], expected.m[k]);
  }
}

TEST(engineMath, TransformAndInvertMayWriteOverTheirArgument) {
  std::mt19937 rng(8);
  Mat4 m = randomMatrix(rng);
  Vec4 p = {1.5f, -2.0f, 0.25f, 1.0f}, expected;
  mat4Transform(&expected, &m, &p);
  mat4Transform(&p, &m, &p);
  EXPECT_EQ(p.x, expected.x);
  EXPECT_EQ(p.y, expected.y);
  EXPECT_EQ(p.z, expected.z);
  EXPECT_EQ(p.w, expected.w);

  Mat4 inverse, inPlace = m;
  mat4Invert(&inverse, &m);
  mat4Invert(&inPlace, &inPlace);
  for (int k = 0; k < 16; ++k) EXPECT_EQ(inPlace.m[k], inverse.m[k]);
}

TEST(engineMath, ElementsAreRowMajorActingOnColumns) {
  Mat4 t = translation(3, 4, 5);
  Vec4 p = {1, 1, 1, 1}, out;
  mat4Transform(&out, &t, &p);
  EXPECT_EQ(out.x, 4);
  EXPECT_EQ(out.y, 5);
  EXPECT_EQ(out.z, 6);
  EXPECT_EQ(out.w, 1);
  // Scale first, then translate: T·S.
  Mat4 ts = product(t, scaling(2));
  mat4Transform(&out, &ts, &p);
  EXPECT_EQ(out.x, 5);
  EXPECT_EQ(mat4Determinant(&ts), 8.0);
}

TEST(engineMath, NormaliseScaleTurnsScaledRotationIntoRotation) {
  Mat4 r = product(rotationX(0.3), rotationY(-1.1));
  const float k = 3.5f;
  Mat4 m;
  for (int e = 0; e < 16; ++e) m.m[e] = k * r.m[e];
  mat4NormalizeScale(&m);
  for (int e = 0; e < 16; ++e) EXPECT_NEAR(m.m[e], r.m[e], 1e-6f) << e;
  EXPECT_NEAR(mat4Determinant(&m), 1.0, 1e-5);

  // A mirror keeps its negative determinant.
  Mat4 mirror = scaling(2);
  mirror.m[0] = -2;
  mat4NormalizeScale(&mirror);
  EXPECT_NEAR(mat4Determinant(&mirror), -1.0, 1e-6);
  EXPECT_NEAR(mirror.m[0], -2 / sqrt(sqrt(8.0)), 1e-6);
  EXPECT_NEAR(mirror.m[15], 1 / sqrt(sqrt(8.0)), 1e-6);
}

TEST(engineMath, CofactorOfRotationIsTheRotation) {
  Mat4 r = product(rotationY(0.7), rotationX(-0.4)), cof;
  mat4Cofactor(&cof, &r);
  for (int e = 0; e < 16; ++e) EXPECT_NEAR(cof.m[e], r.m[e], 1e-6f) << e;
}

TEST(engineMath, CofactorOfUniformScale) {
  Mat4 s = scaling(3), cof;
  mat4Cofactor(&cof, &s);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      float expected = r != c ? 0.0f : r < 3 ? 9.0f : 27.0f;
      EXPECT_EQ(cof.m[4 * r + c], expected) << r << "," << c;
    }
}

TEST(engineMath, CofactorIsDeterminantTimesInverseTransposed) {
  std::mt19937 rng(11);
  Mat4 m = randomMatrix(rng), cof, inv;
  mat4Cofactor(&cof, &m);
  mat4Invert(&inv, &m);
  double det = mat4Determinant(&m);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      EXPECT_NEAR(cof.m[4 * r + c], det * inv.m[4 * c + r], 1e-4 * fabs(det) + 1e-5);
}

TEST(engineMath, DotProducts) {
  Vec4 a = {1, 2, 3, 4}, b = {5, 6, 7, 8}, bOtherW = {5, 6, 7, -100};
  EXPECT_EQ(dot4(&a, &b), 70.0);
  EXPECT_EQ(dot3(&a, &b), 38.0);
  EXPECT_EQ(dot3(&a, &bOtherW), dot3(&a, &b));
  // Full precision: no rounding to float inside.
  Vec4 c = {16777217.0f, 0, 0, 0}, d = {1.0f + 1.0f / 8388608, 0, 0, 0};
  EXPECT_EQ(dot4(&c, &d), (double)c.x * d.x);
}

// Placements from rotations, scalings and translations, and camera screen
// matrices, invert to within float precision.
TEST(engineMath, RandomPlacementsAndCamerasInvert) {
  std::mt19937 rng(2024);
  std::uniform_real_distribution<double> angle(-3.2, 3.2);
  std::uniform_real_distribution<float> offset(-10, 10), scale(0.2f, 5);
  for (int trial = 0; trial < 200; ++trial) {
    Mat4 placement = product(translation(offset(rng), offset(rng), offset(rng)),
                             product(rotationY(angle(rng)),
                                     product(rotationX(angle(rng)), scaling(scale(rng)))));
    Mat4 inverse, check;
    mat4Invert(&inverse, &placement);
    mat4Multiply(&check, &placement, &inverse);
    // Rounding grows with the sizes of the elements multiplied.
    expectNearIdentity(check, 4e-6f * largest(placement) * largest(inverse));

    Camera camera;
    makeCamera(&camera, 720, 288, 5 + scale(rng) * 100, trial % 3 - 1);
    // Turn the camera frame as well.
    double yaw = angle(rng), pitch = angle(rng) / 2;
    float axisX[3] = {(float)cos(yaw), 0, (float)-sin(yaw)};
    float axisY[3] = {(float)(-sin(pitch) * sin(yaw)), (float)cos(pitch),
                      (float)(-sin(pitch) * cos(yaw))};
    float axisZ[3] = {(float)(cos(pitch) * sin(yaw)), (float)sin(pitch),
                      (float)(cos(pitch) * cos(yaw))};
    for (int k = 0; k < 3; ++k) {
      camera.axisX[k] = axisX[k];
      camera.axisY[k] = axisY[k];
      camera.axisZ[k] = axisZ[k];
    }
    setupCamera(&camera, 1);
    mat4Multiply(&check, &camera.view, &camera.cameraToWorld);
    expectNearIdentity(check, 4e-6f * largest(camera.view) * largest(camera.cameraToWorld));
    // The screen matrix mixes scales of 1e4 and 1e-2; compare its product
    // with the inverse relative to the largest element.
    mat4Multiply(&check, &camera.screen, &camera.screenInverse);
    expectNearIdentity(check, 1e-3f);
    ASSERT_FALSE(HasFailure()) << "trial " << trial;
  }
}

}  // namespace
