// A drop falls into the water and a ring wave spreads from the point of
// impact until it has passed every corner of the picture. The drop effect and
// the drop transition share it.
#pragma once

#include "runtime/operator.h"
#include "water/waterview.h"

// Tilt of the drops' camera: 75 degrees.
constexpr float DropSinTilt = 0.9659258f;
constexpr float DropCosTilt = 0.2588190f;

struct DropParameters {
  int waveSize;     // 0..2: sets the growth constant K = 100, 50 or 25
  int waveHeight;   // height doubles with each step
};

// A drop module's parameter descriptors. Labels are consecutive: waveSize,
// waveHeight, then the three texts of each option list.
struct DropControls {
  uint32_t sizeTexts[4];
  OptionDescriptor waveSize;
  uint32_t heightTexts[4];
  OptionDescriptor waveHeight;

  DropParameters read() const { return DropParameters{waveSize.value, waveHeight.value}; }
};

#define VX_DROP_CONTROLS(name, firstLabel)                                              \
  DropControls name = {                                                                 \
      VX_TEXT_OPTIONS((firstLabel) + 2),                                                \
      {DescriptorOptions, (firstLabel), OptionsAreTexts, name.sizeTexts, 1},            \
      VX_TEXT_OPTIONS((firstLabel) + 5),                                                \
      {DescriptorOptions, (firstLabel) + 1, OptionsAreTexts, name.heightTexts, 1}}

// The operator list of a drop module: kind 1 for an effect on one clip, 0
// for a transition.
#define VX_DROP_OPERATOR_INFO(name, kind, action, version, controls) \
  OperatorInfo<7> name = {{                                           \
      {OPE0, 0},                                                      \
      {OPE1, (kind)},                                                 \
      {OPE3, VX_ADDRESS(action)},                                     \
      {OPE16, VX_ADDRESS(version)},                                   \
      {OPE13, 2},                                                     \
      {OPE4, VX_ADDRESS(&(controls).waveSize)},                       \
      {OPE5, VX_ADDRESS(&(controls).waveHeight)},                     \
  }, 0}

// The wave at one ground point.
struct DropSample {
  float nx, ny;   // horizontal normal components; both exactly 0 where calm
  float mix;      // transition mix toward stream 1, 0..1
};

// Where the output pixel (i, j) at view-plane point (u, v) looks: calm water
// shows the pixel's own centre.
SamplePoint dropSamplePoint(const WaterCamera& camera, float u, float v, int i, int j,
                            const DropSample& water);

class DropWave {
 public:
  void setup(const DropParameters& parameters, float progress, const WaterCamera& camera);
  DropSample at(const WaterCamera& camera, float u, float v) const;

  // Ground distance from the impact point under view-plane point (u, v).
  float distance(const WaterCamera& camera, float u, float v) const;

  float growth;       // K
  float spread;       // G = (K - 1) p + 1, from 1 to K
  float amplitude;    // amp = Hd / G
  float groundOffset; // yc: puts the impact point on the picture's centre line
  float reach;        // Rm: ground distance from the impact point to every corner
  float outerRadius;  // rOut: the ring's radius
  float innerRadius;  // rIn = rOut / 3: calm inside
};
