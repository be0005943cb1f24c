// A shape-transition plug-in loaded as a host loads it, with its parameter
// slots at hand, and pictures and measures for its renders.
#pragma once

#include <string>

#include "runtime/colour.h"
#include "tests/plugintest.h"
#include "tests/testhost.h"

class ShapePlugin {
 public:
  explicit ShapePlugin(const std::string& name);

  // The value slot of the descriptor under tag (direction OPE4, spin OPE5,
  // quality OPE6), which a host writes.
  int32_t& slot(uint32_t tag);
  // Renders field index of count with the streams of the test host in place;
  // the action's result.
  int render(uint32_t index, uint32_t count, uint32_t flags = 0);

  Plugin plugin;
  OpTag* list;
};

// One transition rendering a gradient picture over a uniform background,
// with the full-size texture and no half steps unless a test says otherwise.
struct TransitionRender {
  TransitionRender(const std::string& name, int width, int height);
  void background(uint32_t word);
  // The delivered field at index of count with the given spin.
  TestPicture field(uint32_t index, uint32_t count, int spin);

  ShapePlugin transition;
  TestHost host;
  TestPicture picture;
  int width, height;
};

const uint32_t BackgroundBlue = 0x29F06E00;   // Y 41, Cb 240, Cr 110

// A smooth picture whose luma grows to the right and whose chroma grows
// downwards, so that any shift or turn shows.
TestPicture gradientPicture(int width, int height);

LinearRgb linearOf(uint32_t word);
int lumaOf(uint32_t word);
// Mean of |a - b| over the luma of two pictures of one size.
double meanLumaDifference(const TestPicture& a, const TestPicture& b);
