// Two crossing trains of straight waves, 7.5 degrees either side of a mean
// travel angle, swelling in over the first tenth of the effect and dying away
// over the last. The ripple effect and the ripple transition share it.
#pragma once

#include "water/waterview.h"

// Tilt of the ripples' camera: 85 degrees.
constexpr float RippleSinTilt = 0.9961947f;
constexpr float RippleCosTilt = 0.0871557f;

struct RippleParameters {
  int direction;    // 0..3: mean travel angle pi/4, -pi/4, -3pi/4, 3pi/4
  int speed;        // wave periods passing a point over the whole effect
  int waveSize;     // 0 small .. 2 large
  int waveHeight;   // height doubles with each step
};

// The surface at one ground point: normal components and height shape.
struct RippleSample {
  float nx, ny;
  float shape;      // sin a1 + sin a2, from -2 to 2
};

class RippleSurface {
 public:
  void setup(const RippleParameters& parameters, float progress);

  // The surface under view-plane point (u, v); the height shape only when
  // asked for.
  RippleSample at(const WaterCamera& camera, float u, float v, bool withShape) const;

  float groundScale;   // A: ground units per unit of the view plane
  float slope;         // B: slope factor of the height field
  float k1x, k1y, k2x, k2y;   // wave vectors, length 2 pi (one ground unit per wave)
  float phase;         // phi = speed 2 pi p
};

// How far a transition has turned to the incoming clip at a point of height
// shape s: crests (s near 2) turn over up to half the effect before troughs.
float rippleMix(float shape, float progress);

// Wave envelope: rises linearly over the first tenth, falls over the last.
float waveEnvelope(float progress);

// 2^n for the small exponents the parameters give.
float twoToThe(int n);
