#include "water/ripple.h"

#include "runtime/services.h"

namespace {

const double Pi = 3.14159265358979323846;
const double HalfSpread = 0.1308996938995747;   // pi/24: each train's offset from theta

// Mean travel angle by direction, radians from the ground x axis toward y.
const float travelAngle[4] = {0.7853982f, -0.7853982f, -2.3561945f, 2.3561945f};

}  // namespace

float twoToThe(int n) {
  float value = 1.0f;
  for (int k = 0; k < n && k < 64; ++k) value *= 2.0f;
  for (int k = 0; k > n && k > -64; --k) value *= 0.5f;
  return value;
}

float waveEnvelope(float progress) {
  if (progress < 0.1) return 10.0f * progress;
  if (progress < 0.9) return 1.0f;
  return 10.0f * (1.0f - progress);
}

float rippleMix(float shape, float progress) {
  float t0 = 0.25f * shape + (2 * progress - 0.5f);
  float t = 2 * (t0 - 0.5f) + 0.5f;
  return t < 0 ? 0.0f : t > 1 ? 1.0f : t;
}

void RippleSurface::setup(const RippleParameters& parameters, float progress) {
  groundScale = 3.5f * twoToThe(2 - parameters.waveSize);
  slope = waveEnvelope(progress) * twoToThe(parameters.waveHeight) / (2000.0f * groundScale);
  unsigned direction = (unsigned)parameters.direction;
  float theta = travelAngle[direction < 4 ? direction : 0];
  double theta1 = theta - HalfSpread, theta2 = theta + HalfSpread;
  k1x = (float)(2 * Pi * cos(theta1));
  k1y = (float)(2 * Pi * sin(theta1));
  k2x = (float)(2 * Pi * cos(theta2));
  k2y = (float)(2 * Pi * sin(theta2));
  phase = (float)(parameters.speed * 2 * Pi * progress);
}

RippleSample RippleSurface::at(const WaterCamera& camera, float u, float v,
                               bool withShape) const {
  // Phases of the two trains and the normal of B (sin a1 + sin a2)
  GroundPoint g = groundPoint(camera, groundScale, 0.0f, u, v);
  float a1 = k1x * g.gx + k1y * g.gy - phase;
  float a2 = k2x * g.gx + k2y * g.gy - phase;
  float c1 = (float)cos(a1), c2 = (float)cos(a2);
  RippleSample sample;
  sample.nx = -slope * (k1x * c1 + k2x * c2);
  sample.ny = -slope * (k1y * c1 + k2y * c2);
  sample.shape = withShape ? (float)(sin(a1) + sin(a2)) : 0.0f;
  return sample;
}
