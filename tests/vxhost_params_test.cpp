// Parameter values from the command line, checked against the descriptors.
#include <gtest/gtest.h>

#include "host/vxhost/params.h"
#include "tests/vxhost_testsupport.h"

using namespace vxhost;

namespace {

ParameterInfo directionParameter() {
  ParameterInfo p;
  p.name = "direction";
  p.descriptorKind = DescriptorOptions;
  p.style = OptionsAreDirections;
  p.options = {2, 4, 6, 8};
  return p;
}

ParameterInfo rangeParameter() {
  ParameterInfo p;
  p.name = "speed";
  p.descriptorKind = DescriptorRange;
  p.minimum = 2;
  p.maximum = 10;
  return p;
}

ParameterInfo qualityParameter() {
  ParameterInfo p;
  p.name = "quality";
  p.descriptorKind = DescriptorOptions;
  p.style = OptionsAreTexts;
  p.options = {0x17, 0x18, 0x19};
  return p;
}

TEST(vxhostParameterValue, AcceptsWhatTheDescriptorAllows) {
  struct Case {
    ParameterInfo parameter;
    const char* text;
    int32_t value;
  } cases[] = {
      {directionParameter(), "0", 0},          {directionParameter(), "3", 3},
      {directionParameter(), "upright", 0},    {directionParameter(), "downright", 1},
      {directionParameter(), "downleft", 2},   {directionParameter(), "upleft", 3},
      {rangeParameter(), "2", 2},              {rangeParameter(), "10", 10},
      {qualityParameter(), "2", 2},
  };
  for (const Case& c : cases) {
    int32_t value = -99;
    EXPECT_TRUE(parseParameterValue(c.parameter, c.text, value).ok()) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

TEST(vxhostParameterValue, RefusesEverythingElse) {
  struct Case {
    ParameterInfo parameter;
    const char* text;
    const char* message;
  } cases[] = {
      {directionParameter(), "4", "direction=4 is not allowed; direction takes 0..3 or upright downright downleft upleft"},
      {directionParameter(), "-1", "direction=-1 is not allowed"},
      {directionParameter(), "2.0", "direction=2.0 is not allowed"},
      {directionParameter(), "UpRight", "direction=UpRight is not allowed"},
      {directionParameter(), "", "direction= is not allowed"},
      {rangeParameter(), "1", "speed=1 is not allowed; speed takes 2..10"},
      {rangeParameter(), "11", "speed=11 is not allowed"},
      {rangeParameter(), "4294967298", "speed=4294967298 is not allowed"},
      {rangeParameter(), "5x", "speed=5x is not allowed"},
      {qualityParameter(), "3", "quality=3 is not allowed; quality takes 0..2"},
      {qualityParameter(), "upright", "quality=upright is not allowed"},
  };
  for (const Case& c : cases) {
    int32_t value = 1234;
    Status s = parseParameterValue(c.parameter, c.text, value);
    EXPECT_EQ(s.code(), ExitUsage) << c.text;
    EXPECT_EQ(s.message().find(c.message), 0u) << s.message();
    EXPECT_EQ(value, 1234);
  }
}

TEST(vxhostSettings, WriteTheSlotsOnlyWhenAllAreGood) {
  auto plugin = vxtest::loadFake(vxtest::fakeEffectPath());
  plugin->resetParameters();
  const ParameterInfo* spin = plugin->findParameter("spin");
  const ParameterInfo* direction = plugin->findParameter("direction");
  ASSERT_TRUE(spin && direction);
  EXPECT_EQ(spin->defaultValue, 2);

  std::vector<ParameterValue> values;
  ASSERT_TRUE(parseSettings(*plugin, {"spin=7", "direction=downleft"}, values).ok());
  applyParameters(*plugin, values);
  EXPECT_EQ(*spin->slot, 7);
  EXPECT_EQ(*direction->slot, 2);

  struct Case {
    std::vector<std::string> settings;
    const char* message;
  } cases[] = {
      {{"spin=3", "spn=1"}, "fake_effect has no parameter 'spn'; its parameters are param1, direction, spin"},
      {{"spin"}, "--set takes name=value, not 'spin'"},
      {{"=3"}, "--set takes name=value, not '=3'"},
      {{"spin=3", "spin=11"}, "spin=11 is not allowed; spin takes 0..10"},
  };
  for (const Case& c : cases) {
    Status s = parseSettings(*plugin, c.settings, values);
    EXPECT_EQ(s.code(), ExitUsage);
    EXPECT_EQ(s.message(), c.message);
  }
  EXPECT_EQ(*spin->slot, 7);   // nothing written by a failed parse
  applyParameters(*plugin, {});
  EXPECT_EQ(*spin->slot, 2);   // back to the default
}

TEST(vxhostSettings, NamesComeFromTheLabels) {
  struct Case {
    unsigned label;
    const char* name;
  } cases[] = {
      {0x6D, "direction"}, {0x6E, "spin"},      {0x6F, "quality"},    {0x7D, "spin"},
      {0x7E, "quality"},   {0x56, "speed"},     {0x63, "waveSize"},   {0x64, "waveHeight"},
      {0x2B, "waveSize"},  {0x35, "waveHeight"}, {0x70, ""},          {0x200, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(parameterNameForLabel(c.label), c.name) << c.label;
}

}  // namespace
