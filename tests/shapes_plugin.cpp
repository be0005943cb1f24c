#include "tests/shapes_plugin.h"

#include <gtest/gtest.h>
#include <stdlib.h>

ShapePlugin::ShapePlugin(const std::string& name)
    : plugin(pluginPath(name)), list(plugin.getOperatorInfo()) {}

int32_t& ShapePlugin::slot(uint32_t tag) {
  VxAddress value = 0;
  Plugin::find(list, tag, &value);
  auto* kind = reinterpret_cast<uint16_t*>(value);
  if (*kind == DescriptorRange) return reinterpret_cast<RangeDescriptor*>(value)->value;
  return reinterpret_cast<OptionDescriptor*>(value)->value;
}

int ShapePlugin::render(uint32_t index, uint32_t count, uint32_t flags) {
  OpRequest request = renderRequest(index, count, flags);
  return plugin.operatorAction(&request);
}

TransitionRender::TransitionRender(const std::string& name, int w, int h)
    : transition(name), picture(gradientPicture(w, h)), width(w), height(h) {
  host.setStream(0, picture, 1);
  background(BackgroundBlue);
  transition.slot(OPE6) = 2;
}

void TransitionRender::background(uint32_t word) {
  host.setStream(1, TestPicture::filled(width, height, word), 2);
}

TestPicture TransitionRender::field(uint32_t index, uint32_t count, int spin) {
  transition.slot(OPE5) = spin;
  EXPECT_EQ(transition.render(index, count), 0);
  return host.output;
}

TestPicture gradientPicture(int width, int height) {
  TestPicture p = TestPicture::filled(width, height, 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      p.pixels[y * width + x] =
          videoWord(40 + 160 * x / width, 60 + 120 * y / height, 180 - 100 * y / height);
  return p;
}

LinearRgb linearOf(uint32_t word) {
  InitColourTables();
  VideoPixel pixel;
  pixel.unused = (uint8_t)word;
  pixel.cr = (uint8_t)(word >> 8);
  pixel.cb = (uint8_t)(word >> 16);
  pixel.y = (uint8_t)(word >> 24);
  LinearRgb out;
  VideoToLinear(&out, &pixel);
  return out;
}

int lumaOf(uint32_t word) { return (int)(word >> 24); }

double meanLumaDifference(const TestPicture& a, const TestPicture& b) {
  double sum = 0;
  for (size_t k = 0; k < a.pixels.size(); ++k) sum += abs(lumaOf(a.pixels[k]) - lumaOf(b.pixels[k]));
  return a.pixels.empty() ? 0 : sum / a.pixels.size();
}
