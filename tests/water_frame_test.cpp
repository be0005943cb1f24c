// The water render frame and fx_ripple1's module code built as ordinary
// code, where the log records its failures write can be seen.
#include <gtest/gtest.h>

#include "tests/testhost.h"
#include "tests/testlog.h"
#include "water/waterframe.h"

namespace {

// Paints every pixel with its column and row, and counts fields.
struct CoordinateEffect {
  int fields = 0;
  void beginField(const WaterField&) { ++fields; }
  void pixel(const WaterField&, float, float, int i, int j, VideoPixel* out) {
    *out = VideoPixel{0, (uint8_t)i, (uint8_t)j, 77};
  }
};

const ModuleIdentity testModule = {"../../src/katest", 3999};

struct Failure {
  const char* what;
  int streams;
  bool stream0, stream1, allocation;
  std::vector<std::string> calls;
  const char* message;
};

TEST(WaterFrameTest, EveryFailureLogsItsMessageAndGivesBackWhatItHolds) {
  const Failure failures[] = {
      {"effect, no stream 0", 1, false, true, true, {"get 0 4"}, "Unable to get stream 0 field\n"},
      {"effect, no image", 1, true, true, false, {"get 0 4", "alloc -1 -1 1 0", "free"},
       "Unable to allocate image\n"},
      {"transition, no stream 0", 2, false, true, true, {"get 0 4"}, "Unable to get stream 0 field\n"},
      {"transition, no stream 1", 2, true, false, true, {"get 0 4", "get 1 4", "free"},
       "Unable to get stream 1 field\n"},
      {"transition, no image", 2, true, true, false,
       {"get 0 4", "get 1 4", "alloc -1 -1 1 0", "free", "free"}, "Unable to allocate image\n"},
  };
  for (const Failure& f : failures) {
    SCOPED_TRACE(f.what);
    TestHost host;
    if (f.stream0) host.setStream(0, TestPicture::filled(6, 4, videoWord(16, 128, 128)));
    if (f.stream1) host.setStream(1, TestPicture::filled(6, 4, videoWord(16, 128, 128)));
    host.failAllocation = !f.allocation;
    loggedRecords().clear();
    CoordinateEffect effect;
    OpRequest request = {OpRender, 0, 0, 10, 4};
    EXPECT_EQ(renderWater(&request, testModule, f.streams, 0.5f, 0.5f, effect), -1);
    EXPECT_EQ(host.calls, f.calls);
    EXPECT_EQ(host.outstanding(), 0);
    EXPECT_EQ(host.misuses, 0);
    EXPECT_EQ(effect.fields, 0);
    ASSERT_EQ(loggedRecords().size(), 1u);
    const LogRecord& r = loggedRecords()[0];
    EXPECT_EQ(r.level, 0x200);
    EXPECT_GT(r.line, 0);
    EXPECT_EQ(r.sourcePath, "../../src/katest");
    EXPECT_EQ((uint32_t)r.operatorCode, 3999u << 16);
    EXPECT_EQ(r.message, f.message);
  }
}

TEST(WaterFrameTest, WritesTheActiveAreaRowByRowAndPollsOncePerRow) {
  TestHost host;
  host.setStream(0, TestPicture::filled(5, 3, videoWord(16, 128, 128)), 2);
  host.putResult = 3;
  CoordinateEffect effect;
  OpRequest request = {OpRender, 0, 0, 1, 0};
  loggedRecords().clear();
  EXPECT_EQ(renderWater(&request, testModule, 1, 0.5f, 0.5f, effect), 3);
  EXPECT_TRUE(loggedRecords().empty());
  EXPECT_EQ(host.abortPolls, 3);
  ASSERT_TRUE(host.delivered);
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 5; ++i) EXPECT_EQ(host.output.at(i, j), videoWord(77, j, i)) << i << "," << j;
}

}  // namespace
