// Two crossing trains of straight waves, 7.5 degrees either side of a mean
// travel angle, swelling in over the first tenth of the effect and dying away
// over the last. The ripple effect and the ripple transition share it.
#pragma once

#include "runtime/operator.h"
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

// A ripple module's parameter descriptors. Labels are consecutive:
// direction, speed, waveSize, waveHeight, speed's second text, then the
// three texts of each option list.
struct RippleControls {
  OptionDescriptor direction;
  RangeDescriptor speed;
  uint32_t sizeTexts[4];
  OptionDescriptor waveSize;
  uint32_t heightTexts[4];
  OptionDescriptor waveHeight;

  RippleParameters read() const {
    return RippleParameters{direction.value, speed.value, waveSize.value, waveHeight.value};
  }
};

constexpr int SpeedMinimum = 2, SpeedMaximum = 10, SpeedDefault = 5;

#define VX_RIPPLE_CONTROLS(name, firstLabel)                                            \
  RippleControls name = {                                                               \
      directionDescriptor(firstLabel),                                                  \
      {DescriptorRange, (firstLabel) + 1, 0, (firstLabel) + 4, 0, SpeedMinimum,         \
       SpeedMaximum, SpeedDefault},                                                     \
      VX_TEXT_OPTIONS((firstLabel) + 5),                                                \
      {DescriptorOptions, (firstLabel) + 2, OptionsAreTexts, name.sizeTexts, 1},        \
      VX_TEXT_OPTIONS((firstLabel) + 8),                                                \
      {DescriptorOptions, (firstLabel) + 3, OptionsAreTexts, name.heightTexts, 1}}

// The operator list of a ripple module: kind 1 for an effect on one clip, 0
// for a transition.
#define VX_RIPPLE_OPERATOR_INFO(name, kind, action, version, controls) \
  OperatorInfo<9> name = {{                                             \
      {OPE0, 0},                                                        \
      {OPE1, (kind)},                                                   \
      {OPE3, VX_ADDRESS(action)},                                       \
      {OPE16, VX_ADDRESS(version)},                                     \
      {OPE13, 2},                                                       \
      {OPE4, VX_ADDRESS(&(controls).direction)},                        \
      {OPE5, VX_ADDRESS(&(controls).speed)},                            \
      {OPE6, VX_ADDRESS(&(controls).waveSize)},                         \
      {OPE7, VX_ADDRESS(&(controls).waveHeight)},                       \
  }, 0}

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
