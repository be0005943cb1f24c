// Fields and layouts: how frames are split into fields, which requests the
// plug-ins get, how the fields are woven back, and how the host reports a
// plug-in that breaks the image contract. The fake plug-ins stamp each
// output field's first pixel with Y = index, Cb = flags, Cr = count.
#include <gtest/gtest.h>

#include "host/vxhost/render.h"
#include "tests/vxhost_testsupport.h"

using namespace vxhost;

namespace {

class CollectSink : public FrameSink {
 public:
  Status write(const Picture& frame) override {
    frames.push_back(frame);
    return Status();
  }
  std::vector<Picture> frames;
};

struct Stamp {
  unsigned index, flags, count;
};
Stamp stampAt(const Picture& p, int row) {
  uint32_t v = p.row(row)[0];
  return {pixelY(v), pixelCb(v), pixelCr(v)};
}

class vxhostRender : public ::testing::Test {
 protected:
  void SetUp() override {
    effect = vxtest::loadFake(vxtest::fakeEffectPath());
    transition = vxtest::loadFake(vxtest::fakeTransitionPath());
    effect->resetParameters();
    transition->resetParameters();
  }

  Status run(const Plugin& plugin, const VideoFormat& format, int frames, const RenderRequest& request,
             int toFrames = -1) {
    sink.frames.clear();
    std::unique_ptr<Clip> from, to;
    VX_TRY(openY4mClip(vxtest::y4mBytes(format, frames), "from.y4m", from));
    if (toFrames >= 0) {
      VideoFormat second = format;
      VX_TRY(openY4mClip(vxtest::y4mBytes(second, toFrames), "to.y4m", to));
    }
    VX_TRY(planRender(plugin, request, *from, to.get(), plan));
    return renderClips(plugin, plan, *from, to.get(), sink, nullptr);
  }

  std::shared_ptr<Plugin> effect, transition;
  RenderPlan plan;
  CollectSink sink;
};

TEST(vxhostFields, SplitAndWeaveEveryHeight) {
  for (int height = 1; height <= 5; ++height) {
    Picture frame = vxtest::patternFrame(3, height, 0), upper, lower;
    extractField(frame, FieldParity::Upper, upper);
    extractField(frame, FieldParity::Lower, lower);
    EXPECT_EQ(upper.height, (height + 1) / 2);
    EXPECT_EQ(lower.height, height / 2);
    for (int y = 0; y < upper.height; ++y) EXPECT_EQ(upper.row(y)[1], frame.row(2 * y)[1]);
    for (int y = 0; y < lower.height; ++y) EXPECT_EQ(lower.row(y)[1], frame.row(2 * y + 1)[1]);
    Picture woven;
    woven.resize(3, height);
    insertField(woven, FieldParity::Lower, lower);
    insertField(woven, FieldParity::Upper, upper);
    EXPECT_EQ(woven.pixels, frame.pixels) << height;
  }
}

TEST_F(vxhostRender, InterlacedTopFirstTakesTheUpperFieldFirst) {
  RenderRequest request;   // auto: the header says interlaced
  ASSERT_TRUE(run(*effect, vxtest::format(4, 6, "444", Interlace::TopFirst), 3, request).ok());
  EXPECT_EQ(plan.layout, Layout::Interlaced);
  ASSERT_EQ(sink.frames.size(), 3u);
  for (unsigned n = 0; n < 3; ++n) {
    Stamp upper = stampAt(sink.frames[n], 0), lower = stampAt(sink.frames[n], 1);
    EXPECT_EQ(upper.index, 2 * n);
    EXPECT_EQ(lower.index, 2 * n + 1);
    EXPECT_EQ(upper.flags, (unsigned)OpFlagParity);
    EXPECT_EQ(lower.flags, 0u);
    EXPECT_EQ(upper.count, 6u);
    // Everything but the stamps is the input, woven back in place.
    Picture expected = vxtest::patternFrame(4, 6, n);
    for (int y = 0; y < 6; ++y)
      for (int x = y < 2 ? 1 : 0; x < 4; ++x) EXPECT_EQ(sink.frames[n].row(y)[x], expected.row(y)[x]);
  }
  EXPECT_EQ(plan.output.interlace, Interlace::TopFirst);
}

TEST_F(vxhostRender, InterlacedBottomFirstTakesTheLowerFieldFirst) {
  RenderRequest request;
  ASSERT_TRUE(run(*effect, vxtest::format(4, 6, "444", Interlace::BottomFirst), 2, request).ok());
  Stamp upper = stampAt(sink.frames[1], 0), lower = stampAt(sink.frames[1], 1);
  EXPECT_EQ(lower.index, 2u);
  EXPECT_EQ(upper.index, 3u);
  EXPECT_EQ(upper.flags, (unsigned)OpFlagParity);
  EXPECT_EQ(lower.flags, 0u);
  EXPECT_EQ(plan.output.interlace, Interlace::BottomFirst);
}

TEST_F(vxhostRender, ProgressiveRendersBothFieldsAtTheFrameIndex) {
  RenderRequest request;
  ASSERT_TRUE(run(*effect, vxtest::format(4, 6), 3, request).ok());
  EXPECT_EQ(plan.layout, Layout::Progressive);
  for (unsigned n = 0; n < 3; ++n) {
    Stamp upper = stampAt(sink.frames[n], 0), lower = stampAt(sink.frames[n], 1);
    EXPECT_EQ(upper.index, n);
    EXPECT_EQ(lower.index, n);
    EXPECT_EQ(upper.count, 3u);
    EXPECT_EQ(upper.flags, (unsigned)OpFlagParity);
    EXPECT_EQ(lower.flags, 0u);
  }
}

TEST_F(vxhostRender, FieldsLayoutTakesEveryPictureAsOneField) {
  for (FieldParity parity : {FieldParity::Upper, FieldParity::Lower}) {
    RenderRequest request;
    request.layout = Layout::Fields;
    request.parity = parity;
    ASSERT_TRUE(run(*effect, vxtest::format(4, 3, "444", Interlace::TopFirst), 4, request).ok());
    ASSERT_EQ(sink.frames.size(), 4u);
    for (unsigned n = 0; n < 4; ++n) {
      Stamp s = stampAt(sink.frames[n], 0);
      EXPECT_EQ(s.index, n);
      EXPECT_EQ(s.count, 4u);
      EXPECT_EQ(s.flags, parity == FieldParity::Upper ? (unsigned)OpFlagParity : 0u);
      EXPECT_EQ(sink.frames[n].row(1)[0], vxtest::patternPixel(0, 1, n));
    }
  }
}

TEST_F(vxhostRender, FramesSetsTheLengthAndTheShorterClipIsTheDefault) {
  RenderRequest request;
  ASSERT_TRUE(run(*transition, vxtest::format(4, 4, "444", Interlace::TopFirst), 5, request, 3).ok());
  EXPECT_EQ(sink.frames.size(), 3u);
  EXPECT_EQ(stampAt(sink.frames[0], 0).count, 6u);
  request.frames = 2;
  ASSERT_TRUE(run(*transition, vxtest::format(4, 4, "444", Interlace::TopFirst), 5, request, 3).ok());
  EXPECT_EQ(sink.frames.size(), 2u);
  EXPECT_EQ(stampAt(sink.frames[0], 0).count, 4u);
  request.frames = 4;
  Status s = run(*transition, vxtest::format(4, 4, "444", Interlace::TopFirst), 5, request, 3);
  EXPECT_EQ(s.message(), "to.y4m has only 3 frames, and --frames 4 asks for more");
}

TEST_F(vxhostRender, CountAndIndexRenderOnePoint) {
  RenderRequest request;
  request.count = 100;
  request.index = 7;   // frame 3, its second field: the lower one when top first
  ASSERT_TRUE(run(*effect, vxtest::format(4, 5, "444", Interlace::TopFirst), 5, request).ok());
  ASSERT_EQ(sink.frames.size(), 1u);
  EXPECT_EQ(sink.frames[0].height, 2);
  EXPECT_EQ(plan.output.height, 2);
  Stamp s = stampAt(sink.frames[0], 0);
  EXPECT_EQ(s.index, 7u);
  EXPECT_EQ(s.count, 100u);
  EXPECT_EQ(s.flags, 0u);
  EXPECT_EQ(sink.frames[0].row(1)[2], vxtest::patternPixel(2, 3, 3));

  request.layout = Layout::Progressive;
  request.index = 4;
  ASSERT_TRUE(run(*effect, vxtest::format(4, 5), 5, request).ok());
  ASSERT_EQ(sink.frames.size(), 1u);
  EXPECT_EQ(sink.frames[0].height, 5);
  EXPECT_EQ(stampAt(sink.frames[0], 1).index, 4u);
  EXPECT_EQ(sink.frames[0].row(2)[0], vxtest::patternPixel(0, 2, 4));

  request.index = 5;
  EXPECT_FALSE(run(*effect, vxtest::format(4, 5), 5, request).ok());
}

TEST_F(vxhostRender, LineStandardAndFastFlags) {
  struct Case {
    int height;
    int lines;
    bool fast;
    unsigned flags;   // of the lower field
  } cases[] = {
      {480, 0, false, OpFlag525}, {486, 0, false, OpFlag525}, {478, 0, false, 0},
      {488, 0, false, 0},         {576, 0, false, 0},         {576, 525, false, OpFlag525},
      {480, 625, true, OpFlagFast},
  };
  for (const Case& c : cases) {
    RenderRequest request;
    request.lines = c.lines;
    request.fast = c.fast;
    ASSERT_TRUE(run(*effect, vxtest::format(2, c.height, "444", Interlace::TopFirst), 1, request).ok());
    EXPECT_EQ(stampAt(sink.frames[0], 1).flags, c.flags) << c.height << " " << c.lines;
  }
}

TEST_F(vxhostRender, TransitionDeliversItsStreamOneField) {
  RenderRequest request;
  request.layout = Layout::Fields;
  std::unique_ptr<Clip> from, to;
  ASSERT_TRUE(openClip("builtin:color=16,128,128", ClipSettings(), from).ok());
  ASSERT_TRUE(openClip("builtin:color=235,128,128", ClipSettings(), to).ok());
  ASSERT_TRUE(planRender(*transition, request, *from, to.get(), plan).ok());
  EXPECT_EQ(plan.pictures, 25);   // built-in clips alone last one second
  ASSERT_TRUE(renderClips(*transition, plan, *from, to.get(), sink, nullptr).ok());
  EXPECT_EQ(sink.frames[3].row(10)[10], packPixel(235, 128, 128));
}

TEST_F(vxhostRender, RefusesMismatchedClips) {
  RenderRequest request;
  std::unique_ptr<Clip> small, large;
  ASSERT_TRUE(openY4mClip(vxtest::y4mBytes(vxtest::format(4, 4), 2), "small.y4m", small).ok());
  ASSERT_TRUE(openY4mClip(vxtest::y4mBytes(vxtest::format(6, 4), 2), "large.y4m", large).ok());
  Status s = planRender(*transition, request, *small, large.get(), plan);
  EXPECT_EQ(s.code(), ExitFailure);
  EXPECT_NE(s.message().find("small.y4m is 4x4, large.y4m is 6x4"), std::string::npos);
  EXPECT_EQ(planRender(*transition, request, *small, nullptr, plan).code(), ExitUsage);
  EXPECT_EQ(planRender(*effect, request, *small, large.get(), plan).code(), ExitUsage);
  std::unique_ptr<Clip> oneRow;
  ASSERT_TRUE(openY4mClip(vxtest::y4mBytes(vxtest::format(4, 1), 1), "row.y4m", oneRow).ok());
  EXPECT_NE(planRender(*effect, request, *oneRow, nullptr, plan).message().find("empty"), std::string::npos);
}

// A plug-in that breaks the contract is reported, whatever it does.
TEST_F(vxhostRender, ReportsContractFaults) {
  struct Case {
    int behaviour;
    const char* message;
  } cases[] = {
      {1, "it gave back an image twice"},
      {2, "it kept 1 image(s) it should have given back"},
      {3, "it gave back an image that vxhost never handed out"},
      {4, "it returned -1"},
      {5, "it delivered 1x1 for a field of 4x2"},
      {6, "it delivered its output twice"},
      {7, "it returned -1 after it asked for field 1 while field 0 was being rendered"},
  };
  for (const Case& c : cases)
    for (Plugin* plugin : {effect.get(), transition.get()}) {
      RenderRequest request;
      ASSERT_TRUE(parseSettings(*plugin, {"param1=" + std::to_string(c.behaviour)}, request.parameters).ok());
      applyParameters(*plugin, request.parameters);
      Status s = run(*plugin, vxtest::format(4, 4, "444", Interlace::TopFirst), 2, request,
                     plugin == transition.get() ? 2 : -1);
      EXPECT_EQ(s.code(), ExitFailure);
      EXPECT_EQ(s.message(), plugin->name() + " failed at field 0 of 4: " + c.message +
                                 (c.behaviour == 4 || c.behaviour == 7 ? "" : " (a fault in the plug-in)"))
          << c.behaviour;
    }
}

}  // namespace
