// The four water plug-ins as a host sees them: descriptors, the failure
// paths of an effect and of a transition, and what the mix does.
#include <gtest/gtest.h>

#include <set>

#include "runtime/colour.h"
#include "tests/plugintest.h"
#include "tests/testhost.h"

namespace {

struct Choice {
  uint32_t tag;
  uint16_t label;
  uint32_t firstText;
};

struct WaterPlugin {
  const char* name;
  uint32_t kind;          // 1 effect, 0 transition
  int pairs;
  const char* versionFile;
  int directionLabel;     // 0: none
  int speedLabel, speedText;
  Choice waveSize, waveHeight;
};

const WaterPlugin plugins[] = {
    {"fx_ripple1", 1, 9, "karipple1.", 0x55, 0x56, 0x59, {OPE6, 0x57, 0x5A}, {OPE7, 0x58, 0x5D}},
    {"tx_ripple2", 0, 9, "karipple2.", 0x61, 0x62, 0x65, {OPE6, 0x63, 0x66}, {OPE7, 0x64, 0x69}},
    {"fx_drop1", 1, 7, "kadrop1.", 0, 0, 0, {OPE4, 0x2B, 0x2D}, {OPE5, 0x2C, 0x30}},
    {"tx_drop2", 0, 7, "kadrop2.", 0, 0, 0, {OPE4, 0x34, 0x36}, {OPE5, 0x35, 0x39}},
};

template <class T>
T* descriptor(const OpTag* list, uint32_t tag) {
  VxAddress value = 0;
  return Plugin::find(list, tag, &value) ? reinterpret_cast<T*>(value) : nullptr;
}

TEST(WaterPluginsTest, EachDescribesItsOwnParameters) {
  for (const WaterPlugin& w : plugins) {
    SCOPED_TRACE(w.name);
    Plugin plugin(pluginPath(w.name));
    const OpTag* list = plugin.getOperatorInfo();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(Plugin::pairCount(list), w.pairs);
    EXPECT_EQ(list[1].tag, OPE1);
    EXPECT_EQ(list[1].value, w.kind);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(list[3].value)).substr(5, strlen(w.versionFile)),
              w.versionFile);
    for (const Choice& c : {w.waveSize, w.waveHeight}) {
      auto* d = descriptor<OptionDescriptor>(list, c.tag);
      ASSERT_NE(d, nullptr);
      EXPECT_EQ(d->label, c.label);
      EXPECT_EQ(d->options[0], c.firstText);
      EXPECT_EQ(d->options[2], c.firstText + 2);
      EXPECT_EQ(d->options[3], 0u);
      EXPECT_EQ(d->value, 1);
    }
    if (w.directionLabel) {
      EXPECT_EQ(descriptor<OptionDescriptor>(list, OPE4)->label, w.directionLabel);
      auto* speed = descriptor<RangeDescriptor>(list, OPE5);
      EXPECT_EQ(speed->label, w.speedLabel);
      EXPECT_EQ(speed->secondText, (uint32_t)w.speedText);
      EXPECT_EQ(speed->value, 5);
    }
  }
}

TEST(WaterPluginsTest, TransitionFailuresGiveBackWhatWasObtained) {
  struct Case {
    bool stream1, allocation;
    std::vector<std::string> calls;
  } cases[] = {
      {false, true, {"get 0 2", "get 1 2", "free"}},
      {true, false, {"get 0 2", "get 1 2", "alloc -1 -1 1 0", "free", "free"}},
  };
  for (const char* name : {"tx_ripple2", "tx_drop2"}) {
    Plugin plugin(pluginPath(name));
    ASSERT_NE(plugin.getOperatorInfo(), nullptr);
    for (const Case& c : cases) {
      TestHost host;
      host.setStream(0, TestPicture::filled(8, 4, videoWord(16, 128, 128)));
      if (c.stream1) host.setStream(1, TestPicture::filled(8, 4, videoWord(235, 128, 128)));
      host.failAllocation = !c.allocation;
      OpRequest request = renderRequest(2, 5);
      EXPECT_EQ(plugin.operatorAction(&request), -1) << name;
      EXPECT_EQ(host.calls, c.calls) << name;
      EXPECT_EQ(host.outstanding(), 0) << name;
      EXPECT_EQ(host.misuses, 0) << name;
    }
  }
}

// Renders one field of a transition between two uniform pictures, where the
// bending of the rays cannot show and only the mix does.
TestPicture mixOfUniformPictures(Plugin& plugin, uint32_t index, uint32_t count, int waveHeight,
                                 int toWidth = 40, int toHeight = 16) {
  const OpTag* list = plugin.getOperatorInfo();
  VxAddress value;
  bool ripple = Plugin::find(list, OPE7, &value);
  descriptor<OptionDescriptor>(list, ripple ? OPE7 : OPE5)->value = waveHeight;
  TestHost host;
  host.setStream(0, TestPicture::filled(40, 16, videoWord(40, 100, 150)), 1);
  host.setStream(1, TestPicture::filled(toWidth, toHeight, videoWord(200, 160, 90)), 2);
  OpRequest request = renderRequest(index, count);
  EXPECT_EQ(plugin.operatorAction(&request), 0);
  EXPECT_EQ(host.outstanding(), 0);
  return host.output;
}

TEST(WaterPluginsTest, MixDoesNotDependOnTheWaveHeight) {
  for (const char* name : {"tx_ripple2", "tx_drop2"}) {
    Plugin plugin(pluginPath(name));
    TestPicture low = mixOfUniformPictures(plugin, 9, 20, 0);
    TestPicture high = mixOfUniformPictures(plugin, 9, 20, 2);
    EXPECT_EQ(low.pixels, high.pixels) << name;
    std::set<uint32_t> distinct(low.pixels.begin(), low.pixels.end());
    EXPECT_GT(distinct.size(), 2u) << name << ": the mix varies over the picture";
  }
}

TEST(WaterPluginsTest, SmallerIncomingFieldIsClampedAtItsOwnEdges) {
  Plugin plugin(pluginPath("tx_ripple2"));
  // Past seven eighths of the effect every pixel shows the incoming clip.
  TestPicture out = mixOfUniformPictures(plugin, 19, 20, 1, 6, 3);
  for (uint32_t p : out.pixels) EXPECT_EQ(p, out.pixels[0]);
  EXPECT_NEAR((int)(out.pixels[0] >> 24), 200, 1);
}

TEST(WaterPluginsTest, RippleTransitionAtTheMiddleOfFlatWaterIsAnEvenMix) {
  // The first and last tenths carry no waves only in the slope; the mix of a
  // one-field transition (progress 0.5) still follows the height shape, so
  // its mean over the picture is the even mix.
  Plugin plugin(pluginPath("tx_ripple2"));
  TestPicture out = mixOfUniformPictures(plugin, 0, 1, 1);
  InitColourTables();
  LinearRgb a, b;
  uint32_t wa = videoWord(40, 100, 150), wb = videoWord(200, 160, 90);
  VideoToLinear(&a, reinterpret_cast<const VideoPixel*>(&wa));
  VideoToLinear(&b, reinterpret_cast<const VideoPixel*>(&wb));
  double sum = 0;
  for (uint32_t p : out.pixels) {
    LinearRgb c;
    VideoToLinear(&c, reinterpret_cast<const VideoPixel*>(&p));
    sum += (c.green - a.green) / (b.green - a.green);
  }
  EXPECT_NEAR(sum / out.pixels.size(), 0.5, 0.1);
}

}  // namespace
