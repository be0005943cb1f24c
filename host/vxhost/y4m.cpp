#include "host/vxhost/y4m.h"

#include <limits.h>
#include <stdlib.h>
#include <algorithm>
#include <sstream>

namespace vxhost {

namespace {

const char Magic[] = "YUV4MPEG2";
const char FrameMagic[] = "FRAME";
constexpr size_t MaxHeaderLine = 4096;   // a longer line is not a header
constexpr size_t ReadChunk = 1 << 20;    // planes grow by this, so a truncated
                                         // file costs only what it holds

const ChromaLayout Layouts[] = {
    {"420jpeg", 1, 1, true, false, false}, {"420mpeg2", 1, 1, true, true, false},
    {"420paldv", 1, 1, true, true, true},  {"420", 1, 1, true, false, false},
    {"422", 1, 0, true, true, false},      {"444", 0, 0, true, false, false},
    {"mono", 0, 0, false, false, false},
};

int chromaWidth(const VideoFormat& f) { return (f.width + (1 << f.chroma->shiftX) - 1) >> f.chroma->shiftX; }
int chromaHeight(const VideoFormat& f) { return (f.height + (1 << f.chroma->shiftY) - 1) >> f.chroma->shiftY; }

bool parseInt(const std::string& text, int& value) {
  if (text.empty() || text.size() > 10) return false;
  char* end = nullptr;
  long v = strtol(text.c_str(), &end, 10);
  if (*end != '\0' || v < INT_MIN || v > INT_MAX) return false;
  value = (int)v;
  return true;
}

bool parseRatio(const std::string& text, Rational& r) {
  size_t colon = text.find(':');
  if (colon == std::string::npos) return false;
  return parseInt(text.substr(0, colon), r.num) && parseInt(text.substr(colon + 1), r.den) &&
         r.num >= 0 && r.den >= 0;
}

Status malformed(const std::string& what) {
  return Status::failure("not a valid YUV4MPEG2 header: " + what);
}

Status parseToken(const std::string& token, VideoFormat& f) {
  std::string value = token.substr(1);
  switch (token[0]) {
    case 'W':
      if (!parseInt(value, f.width) || f.width < 1) return malformed("bad width '" + token + "'");
      return Status();
    case 'H':
      if (!parseInt(value, f.height) || f.height < 1) return malformed("bad height '" + token + "'");
      return Status();
    case 'F':
      if (!parseRatio(value, f.rate) || f.rate.num == 0 || f.rate.den == 0)
        return malformed("bad frame rate '" + token + "'");
      return Status();
    case 'A':
      if (!parseRatio(value, f.aspect)) return malformed("bad aspect '" + token + "'");
      return Status();
    case 'I':
      if (value == "p" || value == "?") f.interlace = Interlace::Progressive;
      else if (value == "t") f.interlace = Interlace::TopFirst;
      else if (value == "b") f.interlace = Interlace::BottomFirst;
      else if (value == "m")
        return Status::failure("mixed interlacing (Im) is not supported; convert the clip "
                               "to one field order first");
      else return malformed("bad interlacing '" + token + "'");
      return Status();
    case 'C':
      f.chroma = findChroma(value);
      if (!f.chroma)
        return Status::failure("unsupported chroma layout '" + token + "'; vxhost reads " +
                               supportedChromaTags());
      return Status();
    default:   // X comments and tags of later versions carry nothing we need
      return Status();
  }
}

// Reads up to and including a line feed, at most limit bytes.
bool readLine(ByteSource& source, std::string& line, size_t limit, bool& sawAny) {
  line.clear();
  sawAny = false;
  char c;
  while (line.size() < limit) {
    if (source.read(&c, 1) != 1) return false;
    sawAny = true;
    if (c == '\n') return true;
    line.push_back(c);
  }
  return false;
}

Status readExactly(ByteSource& source, std::vector<uint8_t>& bytes, size_t size, size_t& got) {
  bytes.clear();
  got = 0;
  while (got < size) {
    size_t step = std::min(ReadChunk, size - got);
    bytes.resize(got + step);
    size_t n = source.read(bytes.data() + got, step);
    got += n;
    if (n < step) break;
  }
  return source.error();
}

}  // namespace

const ChromaLayout* findChroma(const std::string& tag) {
  for (const ChromaLayout& layout : Layouts)
    if (tag == layout.tag) return &layout;
  return nullptr;
}

const ChromaLayout& chroma444() { return Layouts[5]; }

std::string supportedChromaTags() {
  std::string list;
  for (const ChromaLayout& layout : Layouts) list += (list.empty() ? "" : ", ") + std::string(layout.tag);
  return list;
}

Status parseY4mHeader(const std::string& line, VideoFormat& format) {
  VideoFormat f;
  f.width = f.height = 0;
  if (line.compare(0, sizeof Magic - 1, Magic) != 0)
    return Status::failure("not a YUV4MPEG2 file (it does not start with YUV4MPEG2)");
  std::istringstream tokens(line.substr(sizeof Magic - 1));
  std::string token;
  while (tokens >> token) VX_TRY(parseToken(token, f));
  if (f.width == 0 || f.height == 0) return malformed("no W or H tag");
  if ((long)f.width * f.height > MaxFramePixels || f.width > MaxImageSide || f.height > MaxImageSide)
    return Status::failure("frames of " + std::to_string(f.width) + "x" + std::to_string(f.height) +
                           " are larger than vxhost handles (" + std::to_string(MaxImageSide) +
                           " a side, 8192x8192 in all)");
  format = f;
  return Status();
}

std::string formatY4mHeader(const VideoFormat& f) {
  const char order = f.interlace == Interlace::TopFirst ? 't'
                     : f.interlace == Interlace::BottomFirst ? 'b' : 'p';
  std::ostringstream out;
  out << Magic << " W" << f.width << " H" << f.height << " F" << f.rate.num << ':' << f.rate.den
      << " I" << order << " A" << f.aspect.num << ':' << f.aspect.den << " C" << f.chroma->tag
      << '\n';
  return out.str();
}

size_t y4mFrameBytes(const VideoFormat& f) {
  size_t luma = (size_t)f.width * f.height;
  return f.chroma->hasChroma ? luma + 2 * (size_t)chromaWidth(f) * chromaHeight(f) : luma;
}

Status Y4mReader::readHeader() {
  std::string line;
  bool sawAny;
  if (!readLine(source_, line, MaxHeaderLine, sawAny)) {
    VX_TRY(source_.error());
    if (!sawAny) return Status::failure("the file is empty");
    if (line.compare(0, sizeof Magic - 1, Magic) != 0)
      return Status::failure("not a YUV4MPEG2 file (it does not start with YUV4MPEG2)");
    return malformed("the header line does not end");
  }
  return parseY4mHeader(line, format_);
}

Status Y4mReader::readFrameLine(bool& end) {
  std::string line;
  bool sawAny;
  std::string which = "frame " + std::to_string(frameNumber_);
  end = false;
  if (!readLine(source_, line, MaxHeaderLine, sawAny)) {
    VX_TRY(source_.error());
    if (!sawAny) {
      end = true;
      return Status();
    }
    return Status::failure(which + " is truncated in its FRAME line");
  }
  if (line.compare(0, sizeof FrameMagic - 1, FrameMagic) != 0 ||
      (line.size() > 5 && line[5] != ' '))
    return Status::failure(which + " does not start with FRAME; the file is damaged");
  return Status();
}

Status Y4mReader::readFrame(Picture& picture, bool& end) {
  VX_TRY(readFrameLine(end));
  if (end) return Status();
  size_t size = y4mFrameBytes(format_), got;
  VX_TRY(readExactly(source_, planes_, size, got));
  if (got < size)
    return Status::failure("frame " + std::to_string(frameNumber_) + " is truncated (" +
                           std::to_string(got) + " of " + std::to_string(size) + " bytes)");
  const VideoFormat& f = format_;
  picture.resize(f.width, f.height);
  const uint8_t* luma = planes_.data();
  if (!f.chroma->hasChroma) {
    for (size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = packPixel(luma[i], 128, 128);
  } else {
    if (!chroma_) chroma_.reset(new ChromaResampler(f));
    const uint8_t* cb = luma + (size_t)f.width * f.height;
    chroma_->upsample(luma, cb, cb + (size_t)chroma_->width() * chroma_->height(), picture);
  }
  ++frameNumber_;
  return Status();
}

Status Y4mReader::countFrames(long& frames) {
  frames = 0;
  size_t size = y4mFrameBytes(format_);
  for (;;) {
    bool end;
    VX_TRY(readFrameLine(end));
    if (end) return Status();
    if (!source_.skip(size)) {
      VX_TRY(source_.error());
      return Status::failure("frame " + std::to_string(frameNumber_) + " is truncated");
    }
    ++frameNumber_;
    ++frames;
  }
}

Status Y4mWriter::writeFrame(const Picture& picture) {
  const VideoFormat& f = format_;
  if (picture.width != f.width || picture.height != f.height)
    return Status::failure("internal error: a picture of the wrong size for the output");
  if (!headerWritten_) {
    std::string header = formatY4mHeader(f);
    VX_TRY(sink_.write(header.data(), header.size()));
    headerWritten_ = true;
  }
  static const char frameLine[] = "FRAME\n";
  VX_TRY(sink_.write(frameLine, sizeof frameLine - 1));

  size_t lumaSize = (size_t)f.width * f.height;
  planes_.resize(y4mFrameBytes(f));
  for (size_t i = 0; i < lumaSize; ++i) planes_[i] = (uint8_t)pixelY(picture.pixels[i]);
  if (f.chroma->hasChroma) {
    uint8_t* cb = planes_.data() + lumaSize;
    chroma_.downsample(picture, cb, cb + (size_t)chroma_.width() * chroma_.height());
  }
  return sink_.write(planes_.data(), planes_.size());
}

}  // namespace vxhost
