#include "water/drop.h"

#include "runtime/services.h"
#include "water/ripple.h"

namespace {
const float DropGroundScale = 3.5f;   // sigma: ground units per unit of the view plane
}

void DropWave::setup(const DropParameters& parameters, float progress, const WaterCamera& camera) {
  growth = 25.0f * twoToThe(2 - parameters.waveSize);
  float height = waveEnvelope(progress) * twoToThe(parameters.waveHeight) * growth / 2000.0f;

  // Impact point and reach: the ground points seen at the four corners all
  // lie at distance Rm from the impact point.
  float sa = camera.sinTilt, ca = camera.cosTilt;
  float fx = camera.extentX, f = camera.extentY;
  float p = sa * sa * fx * fx + f * f;
  float d = 4 * sa * sa - f * f * ca * ca;
  groundOffset = DropGroundScale * ca * p / d;
  reach = DropGroundScale * sa * (float)sqrt(p * (4 + fx * fx * ca * ca)) / d;

  // Spread: the ring grows from 2 Rm / K to 2 Rm
  spread = (growth - 1) * progress + 1;
  outerRadius = 2 * reach / growth * spread;
  innerRadius = outerRadius / 3;
  amplitude = height / spread;
}

float DropWave::distance(const WaterCamera& camera, float u, float v) const {
  GroundPoint g = groundPoint(camera, DropGroundScale, groundOffset, u, v);
  return (float)sqrt(g.gx * g.gx + g.gy * g.gy);
}

DropSample DropWave::at(const WaterCamera& camera, float u, float v) const {
  GroundPoint g = groundPoint(camera, DropGroundScale, groundOffset, u, v);
  float gx = g.gx, gy = g.gy;
  float d = (float)sqrt(gx * gx + gy * gy);
  // Inside the inner radius the wave is below 1e-17: calm, fully stream 1.
  if (d < innerRadius) return DropSample{0.0f, 0.0f, 1.0f};

  // The ring: q^2 E peaks on d = rOut, calm inside, fading outside
  float q = outerRadius / d;
  float q2 = q * q;
  float e = (float)exp(-0.5 * q2 * q2);
  float phase = q * spread;
  float cq = (float)cos(phase), sq = (float)sin(phase);
  float eq = e * q2;

  DropSample sample;
  float mix = q2 / 2 - 1 - eq * sq;
  sample.mix = mix < 0 ? 0.0f : mix > 1 ? 1.0f : mix;
  float slope = amplitude * eq * (q2 * cq + 2 * q * (1 - q2 * q2) * sq / spread);
  sample.nx = -slope * gx / d;
  sample.ny = -slope * gy / d;
  return sample;
}

SamplePoint dropSamplePoint(const WaterCamera& camera, float u, float v, int i, int j,
                            const DropSample& water) {
  if (water.nx == 0 && water.ny == 0) return SamplePoint{i + 0.5f, j + 0.5f};
  return ReflectSample(camera, u, v, water.nx, water.ny);
}
