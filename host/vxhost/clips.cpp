#include "host/vxhost/clips.h"

#include <math.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>
#include <algorithm>

namespace vxhost {

namespace {

const char BuiltinPrefix[] = "builtin:";

// 75% colour bars, left to right, as studio-range Y'CbCr.
const uint8_t Bars[8][3] = {
    {180, 128, 128}, {162, 44, 142}, {131, 156, 44}, {112, 72, 58},
    {84, 184, 198},  {65, 100, 212}, {35, 212, 114}, {16, 128, 128},
};

// One turn of a sine in SineSteps steps, amplitude 1024, built once.
constexpr int SineSteps = 1024;
const int* sineTable() {
  static int table[SineSteps];
  static bool ready = false;
  if (!ready) {
    for (int i = 0; i < SineSteps; ++i) table[i] = (int)lround(1024.0 * sin(2 * M_PI * i / SineSteps));
    ready = true;
  }
  return table;
}
int sine(long phase, int amplitude) {
  return sineTable()[((phase % SineSteps) + SineSteps) % SineSteps] * amplitude / 1024;
}

void drawBars(Picture& f) {
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x) {
      const uint8_t* c = Bars[(long)x * 8 / f.width];
      f.row(y)[x] = packPixel(c[0], c[1], c[2]);
    }
}

// Rings whose frequency grows with the distance from the centre, moving
// outwards by a step each frame, with slow colour waves across.
void drawZonePlate(Picture& f, int n) {
  long cx = f.width / 2, cy = f.height / 2;
  // Half a cycle per pixel, the finest a picture holds, at the corners.
  long corner = std::max(1L, (long)sqrt((double)(cx * cx + cy * cy)));
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x) {
      long dx = x - cx, dy = y - cy;
      long phase = (long)((long long)(dx * dx + dy * dy) * (SineSteps / 4) / corner) - 40L * n;
      f.row(y)[x] = packPixel(126 + sine(phase, 100), 128 + sine(x * 4L + 8L * n, 48),
                              128 + sine(y * 4L - 8L * n, 48));
    }
}

void drawGradient(Picture& f) {
  int w = std::max(1, f.width - 1), h = std::max(1, f.height - 1);
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x)
      f.row(y)[x] = packPixel(16 + 219 * x / w, 16 + 224 * y / h, 240 - 224 * y / h);
}

// Squares an eighth of the shorter side wide, sliding right two pixels a frame.
void drawChecker(Picture& f, int n) {
  int side = std::max(2, std::min(f.width, f.height) / 8);
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x) {
      bool light = (((x + 2L * n) / side + y / side) & 1) == 0;
      f.row(y)[x] = light ? packPixel(200, 110, 150) : packPixel(40, 170, 110);
    }
}

Status parseColour(const std::string& text, uint32_t& pixel) {
  int y, cb, cr;
  char extra;
  if (sscanf(text.c_str(), "%d,%d,%d%c", &y, &cb, &cr, &extra) != 3 || y < 0 || y > 255 ||
      cb < 0 || cb > 255 || cr < 0 || cr > 255)
    return Status::usage("builtin:color takes Y,Cb,Cr, three numbers from 0 to 255, not '" + text + "'");
  pixel = packPixel(y, cb, cr);
  return Status();
}

class BuiltinClip : public Clip {
 public:
  BuiltinClip(const std::string& clipName, const ClipSettings& s) {
    name_ = clipName;
    format_.width = s.width;
    format_.height = s.height;
    format_.rate = s.rate;
    format_.aspect = Rational{0, 0};
    format_.interlace = s.interlace;
  }
  const VideoFormat& format() const override { return format_; }
  Status next(Picture& frame, bool& end) override {
    end = false;
    frame.resize(format_.width, format_.height);
    return drawBuiltin(name_, frameNumber_++, frame);
  }
  Status length(long& frames) override {
    frames = -1;
    return Status();
  }
  bool isBuiltin() const override { return true; }

 private:
  VideoFormat format_;
  int frameNumber_ = 0;
};

class Y4mClip : public Clip {
 public:
  Y4mClip(std::unique_ptr<ByteSource> source, const std::string& name)
      : source_(std::move(source)), reader_(*source_) {
    name_ = name;
  }
  Status open() { return reader_.readHeader().within(name_); }
  const VideoFormat& format() const override { return reader_.format(); }
  Status next(Picture& frame, bool& end) override { return reader_.readFrame(frame, end).within(name_); }
  Status length(long& frames) override {
    // Count on a second reading of the file, so this one stays where it is.
    std::unique_ptr<ByteSource> again;
    VX_TRY(openFileSource(name_, again));
    Y4mReader counter(*again);
    VX_TRY(counter.readHeader().within(name_));
    return counter.countFrames(frames).within(name_);
  }

 protected:
  std::unique_ptr<ByteSource> source_;
  Y4mReader reader_;
};

// A stream held in memory, for tests.
class MemoryY4mClip : public Y4mClip {
 public:
  MemoryY4mClip(const std::string& bytes, const std::string& name)
      : Y4mClip(std::make_unique<MemorySource>(bytes), name), bytes_(bytes) {}
  Status length(long& frames) override {
    MemorySource again(bytes_);
    Y4mReader counter(again);
    VX_TRY(counter.readHeader().within(name_));
    return counter.countFrames(frames).within(name_);
  }

 private:
  std::string bytes_;
};

class FfmpegClip : public Clip {
 public:
  FfmpegClip(const std::string& file, const std::string& ffmpeg) : ffmpeg_(ffmpeg) { name_ = file; }
  Status open() {
    VX_TRY(startFfmpegReader(ffmpeg_, name_, child_).within(name_));
    source_.reset(new FdSource(child_->releasePipe(), name_, true));
    reader_.reset(new Y4mReader(*source_));
    Status header = reader_->readHeader();
    if (!header.ok()) return decodeFailure(header);
    return Status();
  }
  const VideoFormat& format() const override { return reader_->format(); }
  Status next(Picture& frame, bool& end) override {
    Status status = reader_->readFrame(frame, end);
    if (!status.ok() || end) return decodeFailure(status);
    return Status();
  }
  bool quickLength() const override { return false; }
  Status length(long& frames) override {
    FfmpegClip counter(name_, ffmpeg_);
    VX_TRY(counter.open());
    Status status = counter.reader_->countFrames(frames);
    return counter.decodeFailure(status);
  }

 private:
  // ffmpeg's own reason goes first when it failed.
  Status decodeFailure(const Status& status) {
    source_.reset();
    Status child = child_->wait();
    if (!child.ok()) return child.within(name_);
    return status.within(name_);
  }
  std::string ffmpeg_;
  std::unique_ptr<ChildProcess> child_;
  std::unique_ptr<ByteSource> source_;
  std::unique_ptr<Y4mReader> reader_;
};

bool startsWithY4mMagic(const std::string& path) {
  std::unique_ptr<ByteSource> source;
  if (!openFileSource(path, source).ok()) return false;
  char magic[9];
  return source->read(magic, sizeof magic) == sizeof magic && memcmp(magic, "YUV4MPEG2", 9) == 0;
}

bool hasY4mExtension(const std::string& path) {
  size_t dot = path.rfind('.');
  std::string ext = dot == std::string::npos ? "" : path.substr(dot);
  return ext == ".y4m" || ext == ".Y4M" || ext == ".yuv4mpeg";
}

}  // namespace

bool isBuiltinClip(const std::string& clipName) { return clipName.compare(0, sizeof BuiltinPrefix - 1, BuiltinPrefix) == 0; }

std::string builtinClipNames() { return "bars, zoneplate, gradient, checker, color=Y,Cb,Cr"; }

Status drawBuiltin(const std::string& clipName, int n, Picture& f) {
  std::string what = clipName.substr(sizeof BuiltinPrefix - 1);
  if (what == "bars") drawBars(f);
  else if (what == "zoneplate") drawZonePlate(f, n);
  else if (what == "gradient") drawGradient(f);
  else if (what == "checker") drawChecker(f, n);
  else if (what.compare(0, 6, "color=") == 0) {
    uint32_t pixel = 0;
    VX_TRY(parseColour(what.substr(6), pixel));
    std::fill(f.pixels.begin(), f.pixels.end(), pixel);
  } else {
    return Status::usage("unknown built-in clip '" + clipName + "'; there are builtin: " + builtinClipNames());
  }
  return Status();
}

Status openY4mClip(const std::string& bytes, const std::string& name, std::unique_ptr<Clip>& clip) {
  auto y4m = std::make_unique<MemoryY4mClip>(bytes, name);
  VX_TRY(y4m->open());
  clip = std::move(y4m);
  return Status();
}

Status openClip(const std::string& clipName, const ClipSettings& settings, std::unique_ptr<Clip>& clip) {
  if (isBuiltinClip(clipName)) {
    VX_TRY(checkFieldSize(settings.width, settings.height));
    Picture probe;
    probe.resize(1, 1);
    VX_TRY(drawBuiltin(clipName, 0, probe));
    clip.reset(new BuiltinClip(clipName, settings));
    return Status();
  }
  if (access(clipName.c_str(), R_OK) != 0) {
    std::unique_ptr<ByteSource> source;
    return openFileSource(clipName, source);   // says why
  }
  if (startsWithY4mMagic(clipName) || hasY4mExtension(clipName)) {
    std::unique_ptr<ByteSource> source;
    VX_TRY(openFileSource(clipName, source));
    auto y4m = std::make_unique<Y4mClip>(std::move(source), clipName);
    VX_TRY(y4m->open());
    clip = std::move(y4m);
    return Status();
  }
  VX_TRY(requireFfmpeg(settings.ffmpeg, "reading " + clipName + ", which is not a YUV4MPEG2 file,"));
  auto decoded = std::make_unique<FfmpegClip>(clipName, settings.ffmpeg);
  VX_TRY(decoded->open());
  clip = std::move(decoded);
  return Status();
}

Status parseSize(const std::string& text, int& width, int& height) {
  int w, h;
  char extra;
  if (sscanf(text.c_str(), "%dx%d%c", &w, &h, &extra) != 2 || w < 1 || h < 2 || w > MaxImageSide ||
      h > MaxImageSide || (long)w * h > MaxFramePixels)
    return Status::usage("--size takes WIDTHxHEIGHT, at least 1x2 and at most " +
                         std::to_string(MaxImageSide) + " a side, not '" + text + "'");
  width = w;
  height = h;
  return Status();
}

Status parseRate(const std::string& text, Rational& rate) {
  int num = 0, den = 1, used = 0;
  bool whole = sscanf(text.c_str(), "%d%n", &num, &used) == 1 && (size_t)used == text.size();
  bool ratio = sscanf(text.c_str(), "%d/%d%n", &num, &den, &used) == 2 && (size_t)used == text.size();
  if (!(whole || ratio) || num < 1 || den < 1)
    return Status::usage("--rate takes frames per second as N or N/D (25, 30000/1001), not '" + text + "'");
  rate = Rational{num, den};
  return Status();
}

}  // namespace vxhost
