// The YUV4MPEG2 reader and writer: header tags, every chroma layout, and
// damaged files.
#include <gtest/gtest.h>

#include "host/vxhost/y4m.h"
#include "tests/vxhost_testsupport.h"

using namespace vxhost;

namespace {

Status readAll(const std::string& bytes, std::vector<Picture>& frames, VideoFormat* format = nullptr) {
  MemorySource source(bytes);
  Y4mReader reader(source);
  VX_TRY(reader.readHeader());
  if (format) *format = reader.format();
  for (;;) {
    Picture p;
    bool end;
    VX_TRY(reader.readFrame(p, end));
    if (end) return Status();
    frames.push_back(p);
  }
}

TEST(vxhostY4mHeader, ReadsEveryTag) {
  VideoFormat f;
  ASSERT_TRUE(parseY4mHeader("YUV4MPEG2 W720 H576 F30000:1001 Ib A16:15 C420paldv XYSCSS=420PALDV", f).ok());
  EXPECT_EQ(f.width, 720);
  EXPECT_EQ(f.height, 576);
  EXPECT_EQ(f.rate.num, 30000);
  EXPECT_EQ(f.rate.den, 1001);
  EXPECT_EQ(f.aspect.num, 16);
  EXPECT_EQ(f.aspect.den, 15);
  EXPECT_EQ(f.interlace, Interlace::BottomFirst);
  EXPECT_STREQ(f.chroma->tag, "420paldv");
}

TEST(vxhostY4mHeader, DefaultsAndRoundTrip) {
  VideoFormat f;
  ASSERT_TRUE(parseY4mHeader("YUV4MPEG2 W8 H6", f).ok());
  EXPECT_EQ(f.rate.num, 25);
  EXPECT_EQ(f.interlace, Interlace::Progressive);
  EXPECT_STREQ(f.chroma->tag, "444");
  f.interlace = Interlace::TopFirst;
  f.chroma = findChroma("422");
  EXPECT_EQ(formatY4mHeader(f), "YUV4MPEG2 W8 H6 F25:1 It A0:0 C422\n");
  VideoFormat again;
  ASSERT_TRUE(parseY4mHeader(formatY4mHeader(f).substr(0, formatY4mHeader(f).size() - 1), again).ok());
  EXPECT_EQ(again.interlace, Interlace::TopFirst);
  EXPECT_EQ(again.chroma, f.chroma);
}

TEST(vxhostY4mHeader, RefusesBadHeaders) {
  struct Case {
    const char* header;
    const char* message;   // part of the message
  } cases[] = {
      {"YUV4MPEG W8 H8", "not a YUV4MPEG2 file"},
      {"RIFF0000", "not a YUV4MPEG2 file"},
      {"YUV4MPEG2 H8", "no W or H"},
      {"YUV4MPEG2 W0 H8", "bad width"},
      {"YUV4MPEG2 W-4 H8", "bad width"},
      {"YUV4MPEG2 W8 Hx", "bad height"},
      {"YUV4MPEG2 W8 H8 F25", "bad frame rate"},
      {"YUV4MPEG2 W8 H8 F25:0", "bad frame rate"},
      {"YUV4MPEG2 W8 H8 A1", "bad aspect"},
      {"YUV4MPEG2 W8 H8 Iq", "bad interlacing"},
      {"YUV4MPEG2 W8 H8 Im", "mixed interlacing"},
      {"YUV4MPEG2 W8 H8 C411", "unsupported chroma"},
      {"YUV4MPEG2 W8 H8 C420p10", "unsupported chroma"},
      {"YUV4MPEG2 W8 H8 C444alpha", "unsupported chroma"},
      {"YUV4MPEG2 W40000 H8", "larger than vxhost handles"},
      {"YUV4MPEG2 W30000 H30000", "larger than vxhost handles"},
      {"YUV4MPEG2 W99999999999 H8", "bad width"},
  };
  for (const Case& c : cases) {
    VideoFormat f;
    Status s = parseY4mHeader(c.header, f);
    EXPECT_FALSE(s.ok()) << c.header;
    EXPECT_NE(s.message().find(c.message), std::string::npos) << c.header << ": " << s.message();
  }
}

Picture roundTrip(const VideoFormat& f, const Picture& in) {
  MemorySink sink;
  Y4mWriter writer(sink, f);
  EXPECT_TRUE(writer.writeFrame(in).ok());
  EXPECT_EQ(sink.bytes().size(), formatY4mHeader(f).size() + 6 + y4mFrameBytes(f)) << f.chroma->tag;
  std::vector<Picture> out;
  EXPECT_TRUE(readAll(std::string(sink.bytes().begin(), sink.bytes().end()), out).ok());
  return out.empty() ? Picture() : out[0];
}

struct LayoutCase {
  const char* chroma;
  Interlace interlace;
};
const LayoutCase EveryLayout[] = {
    {"444", Interlace::Progressive},      {"422", Interlace::Progressive},
    {"420jpeg", Interlace::Progressive},  {"420mpeg2", Interlace::Progressive},
    {"420paldv", Interlace::Progressive}, {"420", Interlace::Progressive},
    {"420jpeg", Interlace::TopFirst},     {"420mpeg2", Interlace::BottomFirst},
    {"420paldv", Interlace::TopFirst},
};

// Luma always, and chroma that is flat, come back exactly in every layout
// and at every size, odd ones included.
TEST(vxhostY4mRoundTrip, EveryLayoutKeepsLumaAndFlatChroma) {
  for (const LayoutCase& c : EveryLayout)
    for (int height : {2, 3, 5, 6, 8})
      for (int width : {1, 4, 7}) {
        VideoFormat f = vxtest::format(width, height, c.chroma, c.interlace);
        Picture in;
        in.resize(width, height);
        for (int i = 0; i < width * height; ++i) in.pixels[i] = packPixel(16 + 9 * i % 220, 77, 201);
        EXPECT_EQ(roundTrip(f, in).pixels, in.pixels) << c.chroma << " " << width << "x" << height;
      }
}

TEST(vxhostY4mRoundTrip, FourFourFourKeepsEveryPixel) {
  for (Interlace interlace : {Interlace::Progressive, Interlace::TopFirst}) {
    VideoFormat f = vxtest::format(7, 5, "444", interlace);
    Picture in = vxtest::patternFrame(7, 5, 3);
    in.pixels[0] = packPixel(0, 255, 0);
    in.pixels[1] = packPixel(255, 0, 255);
    EXPECT_EQ(roundTrip(f, in).pixels, in.pixels);
  }
}

// Smooth colour survives subsampling within a code or two, away from the
// edges.
TEST(vxhostY4mRoundTrip, SmoothChromaComesBackClose) {
  for (const LayoutCase& c : EveryLayout) {
    VideoFormat f = vxtest::format(16, 12, c.chroma, c.interlace);
    Picture in;
    in.resize(16, 12);
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 16; ++x) in.row(y)[x] = packPixel(100, 60 + 4 * x + y, 200 - 3 * x - 2 * (y / 2));
    Picture out = roundTrip(f, in);
    for (int y = 2; y < 10; ++y)   // the edges repeat their last sample
      for (int x = 1; x < 15; ++x) {
        EXPECT_NEAR((int)pixelCb(out.row(y)[x]), (int)pixelCb(in.row(y)[x]), 2) << c.chroma << " " << x << "," << y;
        EXPECT_NEAR((int)pixelCr(out.row(y)[x]), (int)pixelCr(in.row(y)[x]), 2) << c.chroma << " " << x << "," << y;
      }
  }
}

// Where each layout puts its chroma samples: two samples, 0 and 200, read
// into four pixels across (or down).
TEST(vxhostY4mRead, ChromaSamplesSitWhereTheLayoutSays) {
  struct Case {
    const char* chroma;
    bool vertical;
    unsigned expected[4];
  } cases[] = {
      {"420jpeg", false, {0, 50, 150, 200}},    // centred between two pixels
      {"420jpeg", true, {0, 50, 150, 200}},
      {"420mpeg2", false, {0, 100, 200, 200}},  // on the first pixel across
      {"420mpeg2", true, {0, 50, 150, 200}},    // centred down
      {"420paldv", false, {0, 100, 200, 200}},  // on the first pixel both ways
      {"420paldv", true, {0, 100, 200, 200}},
      {"422", false, {0, 100, 200, 200}},
  };
  for (const Case& c : cases) {
    int w = c.vertical ? 1 : 4, h = c.vertical ? 4 : 2;
    if (std::string(c.chroma) == "422") h = 1;
    std::string header = "YUV4MPEG2 W" + std::to_string(w) + " H" + std::to_string(h) + " C" + c.chroma + "\nFRAME\n";
    std::string luma(w * h, '\x80');
    std::string samples("\x00\xC8", 2);   // 0 then 200, across or down
    std::vector<Picture> out;
    ASSERT_TRUE(readAll(header + luma + samples + samples, out).ok()) << c.chroma;
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(pixelCb(out[0].pixels[i]), c.expected[i]) << c.chroma << (c.vertical ? " down " : " across ") << i;
  }
}

TEST(vxhostY4mRoundTrip, SubsampledChromaIsTheMeanOfItsBlock) {
  VideoFormat f = vxtest::format(2, 2, "420jpeg");
  Picture in;
  in.resize(2, 2);
  in.pixels = {packPixel(50, 10, 100), packPixel(60, 20, 100), packPixel(70, 30, 101), packPixel(80, 41, 102)};
  MemorySink sink;
  Y4mWriter writer(sink, f);
  ASSERT_TRUE(writer.writeFrame(in).ok());
  std::vector<Picture> out;
  ASSERT_TRUE(readAll(std::string(sink.bytes().begin(), sink.bytes().end()), out).ok());
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(pixelY(out[0].pixels[i]), pixelY(in.pixels[i]));
    EXPECT_EQ(pixelCb(out[0].pixels[i]), 25u);    // (10 + 20 + 30 + 41) / 4, rounded
    EXPECT_EQ(pixelCr(out[0].pixels[i]), 101u);   // (100 + 100 + 101 + 102) / 4, rounded
  }
}

TEST(vxhostY4mRoundTrip, MonoHasOnlyLumaAndNeutralChroma) {
  std::string bytes = "YUV4MPEG2 W3 H1 Cmono\nFRAME\n\x10\x80\xEB";
  std::vector<Picture> out;
  ASSERT_TRUE(readAll(bytes, out).ok());
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].pixels, (std::vector<uint32_t>{packPixel(16, 128, 128), packPixel(128, 128, 128),
                                                  packPixel(235, 128, 128)}));
  MemorySink sink;
  Y4mWriter writer(sink, vxtest::format(3, 1, "mono"));
  ASSERT_TRUE(writer.writeFrame(out[0]).ok());
  EXPECT_EQ(std::string(sink.bytes().begin(), sink.bytes().end()),
            "YUV4MPEG2 W3 H1 F25:1 Ip A0:0 Cmono\nFRAME\n\x10\x80\xEB");
}

// In an interlaced 4:2:0 frame the second chroma row belongs to the lower
// field: it colours rows 1 and 3, and the fields' colours never mix. In a
// progressive frame the rows between the samples blend them.
TEST(vxhostY4mRead, InterlacedChromaRowsFollowTheFields) {
  std::string planes(2 * 4, '\x50');   // luma 2x4
  std::string header = "YUV4MPEG2 W2 H4 It C420jpeg\nFRAME\n";
  std::string cb = "\x0A\x14", cr = "\x1E\x28";   // one sample a row
  std::vector<Picture> out;
  ASSERT_TRUE(readAll(header + planes + cb + cr, out).ok());
  for (int y = 0; y < 4; ++y) EXPECT_EQ(pixelCb(out[0].row(y)[0]), y % 2 == 0 ? 10u : 20u) << y;
  out.clear();
  std::string progressive = "YUV4MPEG2 W2 H4 Ip C420jpeg\nFRAME\n";
  ASSERT_TRUE(readAll(progressive + planes + cb + cr, out).ok());
  const unsigned blended[4] = {10, 13, 18, 20};
  for (int y = 0; y < 4; ++y) EXPECT_EQ(pixelCb(out[0].row(y)[0]), blended[y]) << y;
}

TEST(vxhostY4mRead, FrameParametersAndCounting) {
  std::string bytes = "YUV4MPEG2 W1 H1 Cmono\nFRAME\n\x20" "FRAME Ixyz\n\x21";
  std::vector<Picture> out;
  ASSERT_TRUE(readAll(bytes, out).ok());
  EXPECT_EQ(out.size(), 2u);
  MemorySource source(bytes);
  Y4mReader reader(source);
  ASSERT_TRUE(reader.readHeader().ok());
  long frames = 0;
  ASSERT_TRUE(reader.countFrames(frames).ok());
  EXPECT_EQ(frames, 2);
}

TEST(vxhostY4mRead, RefusesDamagedFiles) {
  std::string good = vxtest::y4mBytes(vxtest::format(4, 2, "420jpeg"), 2);
  size_t header = good.find('\n') + 1;
  struct Case {
    std::string bytes;
    const char* message;
  } cases[] = {
      {"", "empty"},
      {"YUV4MPEG2 W4 H2", "does not end"},
      {std::string("YUV4MPEG2 W4 H2 ") + std::string(5000, 'X'), "does not end"},
      {good.substr(0, good.size() - 1), "frame 1 is truncated (11 of 12 bytes)"},
      {good.substr(0, header + 3), "frame 0 is truncated in its FRAME line"},
      {good.substr(0, header) + "FRAMX\n" + good.substr(header + 6), "frame 0 does not start with FRAME"},
      {good.substr(0, header) + "FRAMES\n" + good.substr(header + 6), "frame 0 does not start with FRAME"},
  };
  for (const Case& c : cases) {
    std::vector<Picture> out;
    Status s = readAll(c.bytes, out);
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message().find(c.message), std::string::npos) << s.message();
    EXPECT_EQ(s.message().find('\n'), std::string::npos);
  }
  MemorySource truncated(good.substr(0, good.size() - 5));
  Y4mReader counter(truncated);
  ASSERT_TRUE(counter.readHeader().ok());
  long frames;
  EXPECT_FALSE(counter.countFrames(frames).ok());
}

}  // namespace
