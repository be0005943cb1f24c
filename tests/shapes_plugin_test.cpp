// tx_saucer and tx_cube as a host sees them: descriptors, and the images
// every render takes and gives back.
#include <gtest/gtest.h>

#include "tests/shapes_plugin.h"

namespace {

struct Described {
  const char* plugin;
  const char* versionStart;
  uint16_t directionLabel, spinLabel, qualityLabel;
  uint32_t spinText, firstQualityText;
} described[] = {
    {"tx_saucer", "$Id: kasaucer.c,v 0.1 2001/03/22 ", 0x6D, 0x6E, 0x6F, 0x70, 0x71},
    {"tx_cube", "$Id: kacube.c,v 0.1 2001/03/22 ", 0x13, 0x14, 0x15, 0x16, 0x17},
};

std::vector<uint32_t> options(const uint32_t* list) {
  std::vector<uint32_t> out;
  for (; *list; ++list) out.push_back(*list);
  return out;
}

template <class T>
T* descriptor(const OpTag* list, uint32_t tag) {
  VxAddress value = 0;
  EXPECT_TRUE(Plugin::find(list, tag, &value));
  return reinterpret_cast<T*>(value);
}

TEST(ShapePluginTest, DescribeThemselvesAsAHostReadsThem) {
  for (const Described& d : described) {
    SCOPED_TRACE(d.plugin);
    ShapePlugin p(d.plugin);
    ASSERT_NE(p.list, nullptr);
    ASSERT_EQ(Plugin::pairCount(p.list), 8);
    const uint32_t order[] = {OPE0, OPE1, OPE3, OPE16, OPE13, OPE4, OPE5, OPE6};
    for (int k = 0; k < 8; ++k) EXPECT_EQ(p.list[k].tag, order[k]) << k;
    EXPECT_EQ(p.list[0].value, 0u);
    EXPECT_EQ(p.list[1].value, 0u);   // a transition
    EXPECT_EQ(p.list[4].value, 2u);
    std::string version = reinterpret_cast<const char*>(p.list[3].value);
    EXPECT_EQ(version.substr(0, strlen(d.versionStart)), d.versionStart);
    EXPECT_EQ(version.substr(version.size() - 2), " $");

    auto* direction = descriptor<OptionDescriptor>(p.list, OPE4);
    EXPECT_EQ(direction->kind, 0);
    EXPECT_EQ(direction->label, d.directionLabel);
    EXPECT_EQ(direction->style, 1u);
    EXPECT_EQ(options(direction->options), (std::vector<uint32_t>{2, 4, 6, 8}));
    EXPECT_EQ(direction->value, 0);

    auto* spin = descriptor<RangeDescriptor>(p.list, OPE5);
    EXPECT_EQ(spin->kind, 2);
    EXPECT_EQ(spin->label, d.spinLabel);
    EXPECT_EQ(spin->reserved0, 0u);
    EXPECT_EQ(spin->secondText, d.spinText);
    EXPECT_EQ(spin->reserved1, 0u);
    EXPECT_EQ(spin->minimum, 0);
    EXPECT_EQ(spin->maximum, 10);
    EXPECT_EQ(spin->value, 2);

    auto* quality = descriptor<OptionDescriptor>(p.list, OPE6);
    EXPECT_EQ(quality->kind, 0);
    EXPECT_EQ(quality->label, d.qualityLabel);
    EXPECT_EQ(quality->style, 0u);
    uint32_t t = d.firstQualityText;
    EXPECT_EQ(options(quality->options), (std::vector<uint32_t>{t, t + 1, t + 2}));
    EXPECT_EQ(quality->value, 0);
  }
}

TEST(ShapePluginTest, RenderIntoTheBackgroundFieldAndGiveEveryImageBackOnce) {
  struct Case {
    int quality;
    uint32_t flags;
    bool halved;
  } cases[] = {{0, 0, true}, {1, 0, false}, {2, 0, false}, {1, OpFlagFast, true}};
  for (const Described& d : described) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << d.plugin << " quality " << c.quality << " flags " << c.flags);
      ShapePlugin p(d.plugin);
      TestHost host;
      host.setStream(0, gradientPicture(48, 20), 1);
      host.setStream(1, TestPicture::filled(48, 20, videoWord(41, 240, 110)), 2);
      host.putResult = 7;
      p.slot(OPE6) = c.quality;
      EXPECT_EQ(p.render(3, 10, c.flags), 7);
      std::vector<std::string> calls = {"get 1 3", "get 0 3"};
      if (c.halved) calls.insert(calls.end(), {"alloc 24 10 1 0", "free"});
      calls.insert(calls.end(), {"free", "put"});
      EXPECT_EQ(host.calls, calls);
      EXPECT_EQ(host.outstanding(), 0);
      EXPECT_EQ(host.misuses, 0);
      EXPECT_GT(host.abortPolls, 0);
      ASSERT_TRUE(host.delivered);
      // The solid shows in front of the background.
      int changed = 0;
      for (uint32_t pixel : host.output.pixels) changed += pixel != videoWord(41, 240, 110);
      EXPECT_GT(changed, 20);
      EXPECT_LT(changed, 48 * 20);
    }
  }
}

TEST(ShapePluginTest, FailuresAndOtherRequestsGiveBackWhatWasObtained) {
  for (const Described& d : described) {
    SCOPED_TRACE(d.plugin);
    ShapePlugin p(d.plugin);
    TestHost host;
    host.setStream(0, gradientPicture(16, 6));
    EXPECT_EQ(p.render(2, 5), -1);   // no background: the source is never asked for
    EXPECT_EQ(host.calls, (std::vector<std::string>{"get 1 2"}));

    host.calls.clear();
    host.clearStream(0);
    host.setStream(1, gradientPicture(16, 6));
    EXPECT_EQ(p.render(2, 5), -1);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"get 1 2", "get 0 2", "free"}));
    EXPECT_EQ(host.outstanding(), 0);
    EXPECT_EQ(host.misuses, 0);

    host.calls.clear();
    for (int16_t code : {0, 1, 2, 4}) {
      OpRequest request = renderRequest(0, 1);
      request.code = code;
      EXPECT_EQ(p.plugin.operatorAction(&request), 0) << code;
    }
    EXPECT_TRUE(host.calls.empty());
  }
}

TEST(ShapePluginTest, SpinZeroDoesNotTurn) {
  // Fields at which `turns` turns a transition have brought the solid round
  // to where it started, and one turn a transition has not.
  struct Case {
    const char* plugin;
    uint32_t index, count;
    int turns;
  } cases[] = {
      {"tx_saucer", 2, 4, 2},   // t = 0.625: the saucer has made half its turns
      {"tx_cube", 1, 2, 4},     // t = 0.75: the cube three quarters of them
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.plugin);
    TransitionRender r(c.plugin, 240, 96);
    TestPicture still = r.field(c.index, c.count, 0);
    TestPicture roundAgain = r.field(c.index, c.count, c.turns);
    TestPicture partWay = r.field(c.index, c.count, 1);
    EXPECT_LT(meanLumaDifference(still, roundAgain), 0.05);
    EXPECT_GT(meanLumaDifference(still, partWay), 0.5);
  }
}

}  // namespace
