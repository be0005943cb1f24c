// YUV4MPEG2 streams: a header line, then frames of planar 8-bit Y'CbCr, each
// after a FRAME line. Frames become Pictures of VideoPixels at full
// resolution (see ChromaResampler for subsampled chroma), so 4:4:4 passes
// through unchanged.
#pragma once

#include <memory>
#include <string>

#include "host/vxhost/chroma.h"
#include "host/vxhost/io.h"
#include "host/vxhost/picture.h"

namespace vxhost {

enum class Interlace { Progressive, TopFirst, BottomFirst };

struct Rational {
  int num = 0;
  int den = 0;
};

// The chroma layouts vxhost reads and writes, by their header tag.
struct ChromaLayout {
  const char* tag;   // after the C of the header: "420jpeg", "444", "mono"...
  int shiftX;        // log2 of the horizontal subsampling
  int shiftY;        // log2 of the vertical subsampling
  bool hasChroma;    // false for mono: a Y plane only, Cb and Cr read as 128
  bool cositedX;     // a chroma sample sits on its first luma column, not between
  bool cositedY;     // the same for rows
};

const ChromaLayout* findChroma(const std::string& tag);
const ChromaLayout& chroma444();
std::string supportedChromaTags();

struct VideoFormat {
  int width = 0;
  int height = 0;
  Rational rate{25, 1};
  Rational aspect{0, 0};   // 0:0 when unknown
  Interlace interlace = Interlace::Progressive;
  const ChromaLayout* chroma = &chroma444();
};

// Largest picture the reader accepts: beyond the host records' 16-bit sides,
// and a bound on memory that a damaged header cannot push past.
constexpr long MaxFramePixels = 8192L * 8192L;

Status parseY4mHeader(const std::string& line, VideoFormat& format);
std::string formatY4mHeader(const VideoFormat& format);
// Bytes of one frame's planes.
size_t y4mFrameBytes(const VideoFormat& format);

class Y4mReader {
 public:
  explicit Y4mReader(ByteSource& source) : source_(source) {}
  Status readHeader();
  const VideoFormat& format() const { return format_; }
  // Reads the next frame; at a clean end of the stream sets end and leaves
  // the picture alone.
  Status readFrame(Picture& picture, bool& end);
  // Counts the frames left without converting them.
  Status countFrames(long& frames);

 private:
  Status readFrameLine(bool& end);
  ByteSource& source_;
  VideoFormat format_;
  std::unique_ptr<ChromaResampler> chroma_;
  long frameNumber_ = 0;
  std::vector<uint8_t> planes_;
};

class Y4mWriter {
 public:
  Y4mWriter(ByteSink& sink, const VideoFormat& format)
      : sink_(sink), format_(format), chroma_(format) {}
  Status writeFrame(const Picture& picture);

 private:
  ByteSink& sink_;
  VideoFormat format_;
  ChromaResampler chroma_;
  bool headerWritten_ = false;
  std::vector<uint8_t> planes_;
};

}  // namespace vxhost
