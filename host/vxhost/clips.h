// Clips: sources of frames, from a YUV4MPEG2 file, from any other file
// through ffmpeg, or drawn by vxhost itself (builtin:NAME). A clip hands
// out one frame at a time, so a render holds a few frames whatever the
// clip's length.
#pragma once

#include <memory>
#include <string>

#include "host/vxhost/ffmpeg.h"
#include "host/vxhost/y4m.h"

namespace vxhost {

class Clip {
 public:
  virtual ~Clip() = default;
  virtual const VideoFormat& format() const = 0;
  // The next frame; at the end of the clip sets end.
  virtual Status next(Picture& frame, bool& end) = 0;
  // Frames in the whole clip, or -1 for a clip that never ends.
  virtual Status length(long& frames) = 0;
  // Whether length() is quick; counting a decoded file means decoding it.
  virtual bool quickLength() const { return true; }
  // Whether the clip is drawn by vxhost and follows --size and --rate.
  virtual bool isBuiltin() const { return false; }
  const std::string& name() const { return name_; }

 protected:
  std::string name_;
};

// What a built-in clip looks like, and how other files are read.
struct ClipSettings {
  int width = 720;
  int height = 576;
  Rational rate{25, 1};
  Interlace interlace = Interlace::Progressive;
  std::string ffmpeg = "ffmpeg";
};

bool isBuiltinClip(const std::string& clipName);
// The built-in clips, for help texts: "bars, zoneplate, ...".
std::string builtinClipNames();
Status openClip(const std::string& clipName, const ClipSettings& settings, std::unique_ptr<Clip>& clip);
// A clip over YUV4MPEG2 bytes in memory, for tests.
Status openY4mClip(const std::string& bytes, const std::string& name, std::unique_ptr<Clip>& clip);
// Draws frame n of a built-in clip.
Status drawBuiltin(const std::string& clipName, int n, Picture& frame);

Status parseSize(const std::string& text, int& width, int& height);
Status parseRate(const std::string& text, Rational& rate);

}  // namespace vxhost
