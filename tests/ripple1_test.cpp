// fx_ripple1 as a host sees it: the real plug-in, loaded with dlopen.
#include <gtest/gtest.h>

#include "tests/plugintest.h"
#include "tests/testhost.h"

namespace {

class Ripple1Test : public ::testing::Test {
 protected:
  Plugin plugin{pluginPath("fx_ripple1")};
  OpTag* list = plugin.getOperatorInfo();
  TestHost host;

  template <class T>
  T* descriptor(uint32_t tag) {
    VxAddress value = 0;
    EXPECT_TRUE(Plugin::find(list, tag, &value));
    return reinterpret_cast<T*>(value);
  }
};

std::vector<uint32_t> options(const uint32_t* list) {
  std::vector<uint32_t> out;
  for (; *list; ++list) out.push_back(*list);
  return out;
}

TEST_F(Ripple1Test, DescribesItselfAsAHostReadsIt) {
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(Plugin::pairCount(list), 9);
  uint32_t order[] = {OPE0, OPE1, OPE3, OPE16, OPE13, OPE4, OPE5, OPE6, OPE7};
  for (int k = 0; k < 9; ++k) EXPECT_EQ(list[k].tag, order[k]) << k;
  EXPECT_EQ(list[1].value, 1u);   // an effect on one clip
  EXPECT_EQ(list[4].value, 2u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(list[3].value)).substr(0, 15), "$Id: karipple1.");

  auto* direction = descriptor<OptionDescriptor>(OPE4);
  EXPECT_EQ(direction->kind, 0);
  EXPECT_EQ(direction->label, 0x55);
  EXPECT_EQ(direction->style, 1u);
  EXPECT_EQ(options(direction->options), (std::vector<uint32_t>{2, 4, 6, 8}));
  EXPECT_EQ(direction->value, 0);

  auto* speed = descriptor<RangeDescriptor>(OPE5);
  EXPECT_EQ(speed->kind, 2);
  EXPECT_EQ(speed->label, 0x56);
  EXPECT_EQ(speed->secondText, 0x59u);
  EXPECT_EQ(speed->minimum, 2);
  EXPECT_EQ(speed->maximum, 10);
  EXPECT_EQ(speed->value, 5);

  struct { uint32_t tag; uint16_t label; std::vector<uint32_t> texts; } choices[] = {
      {OPE6, 0x57, {0x5A, 0x5B, 0x5C}}, {OPE7, 0x58, {0x5D, 0x5E, 0x5F}}};
  for (auto& c : choices) {
    auto* d = descriptor<OptionDescriptor>(c.tag);
    EXPECT_EQ(d->kind, 0);
    EXPECT_EQ(d->label, c.label);
    EXPECT_EQ(d->style, 0u);
    EXPECT_EQ(options(d->options), c.texts);
    EXPECT_EQ(d->value, 1);
  }
}

TEST_F(Ripple1Test, RendersAFieldAndGivesEveryImageBackOnce) {
  ASSERT_NE(list, nullptr);
  host.setStream(0, TestPicture::filled(64, 24, videoWord(120, 90, 160)), 2);
  host.putResult = 7;
  OpRequest request = renderRequest(12, 25);
  EXPECT_EQ(plugin.operatorAction(&request), 7);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"get 0 12", "alloc -1 -1 1 0", "free", "put"}));
  EXPECT_EQ(host.outstanding(), 0);
  EXPECT_EQ(host.misuses, 0);
  EXPECT_EQ(host.abortPolls, 24);
  ASSERT_TRUE(host.delivered);
  // Water over a uniform picture shows the same colour everywhere.
  for (uint32_t p : host.output.pixels) {
    EXPECT_NEAR((int)(p >> 24), 120, 1);
    EXPECT_NEAR((int)(p >> 16 & 255), 90, 1);
    EXPECT_NEAR((int)(p >> 8 & 255), 160, 1);
  }
}

TEST_F(Ripple1Test, FailuresGiveBackWhatWasObtained) {
  ASSERT_NE(list, nullptr);
  OpRequest request = renderRequest(3, 10);
  EXPECT_EQ(plugin.operatorAction(&request), -1);   // no stream 0
  EXPECT_EQ(host.calls, (std::vector<std::string>{"get 0 3"}));

  host.calls.clear();
  host.setStream(0, TestPicture::filled(8, 4, videoWord(16, 128, 128)));
  host.failAllocation = true;
  EXPECT_EQ(plugin.operatorAction(&request), -1);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"get 0 3", "alloc -1 -1 1 0", "free"}));
  EXPECT_EQ(host.outstanding(), 0);
  EXPECT_EQ(host.misuses, 0);
}

TEST_F(Ripple1Test, OnlyTheRenderCodeDoesAnything) {
  ASSERT_NE(list, nullptr);
  host.setStream(0, TestPicture::filled(8, 4, videoWord(16, 128, 128)));
  for (int16_t code : {0, 1, 2, 4, -3}) {
    OpRequest request = renderRequest(0, 1);
    request.code = code;
    EXPECT_EQ(plugin.operatorAction(&request), 0) << code;
  }
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(host.abortPolls, 0);
}

}  // namespace
