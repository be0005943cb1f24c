// Fixtures shared by the vxhost tests: pictures and YUV4MPEG2 bytes made to
// order, and the fake plug-ins.
#pragma once

#include <string>
#include <vector>

#include "host/vxhost/clips.h"
#include "host/vxhost/plugin.h"

namespace vxtest {

// Pixel (x, y) of frame n: distinct in every frame, row and column.
inline uint32_t patternPixel(int x, int y, int n) {
  return vxhost::packPixel(16 + (x * 7 + n * 13) % 200, 20 + (y * 11) % 200, 30 + (n * 5 + x + y) % 190);
}

inline vxhost::Picture patternFrame(int width, int height, int n) {
  vxhost::Picture p;
  p.resize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) p.row(y)[x] = patternPixel(x, y, n);
  return p;
}

// The header line, then frames of pattern pictures written by Y4mWriter.
inline std::string y4mBytes(const vxhost::VideoFormat& format, int frames) {
  vxhost::MemorySink sink;
  vxhost::Y4mWriter writer(sink, format);
  for (int n = 0; n < frames; ++n) writer.writeFrame(patternFrame(format.width, format.height, n));
  if (frames == 0) {
    std::string header = vxhost::formatY4mHeader(format);
    return header;
  }
  return std::string(sink.bytes().begin(), sink.bytes().end());
}

inline vxhost::VideoFormat format(int width, int height, const char* chroma = "444",
                                  vxhost::Interlace interlace = vxhost::Interlace::Progressive) {
  vxhost::VideoFormat f;
  f.width = width;
  f.height = height;
  f.chroma = vxhost::findChroma(chroma);
  f.interlace = interlace;
  return f;
}

inline std::string fakeFolder() { return VX_TEST_BINARY_DIR "/vxhost_fakes"; }
inline std::string fakeEffectPath() { return fakeFolder() + "/fake_effect.so"; }
inline std::string fakeTransitionPath() { return fakeFolder() + "/fake_transition.so"; }

inline std::shared_ptr<vxhost::Plugin> loadFake(const std::string& path) {
  std::shared_ptr<vxhost::Plugin> plugin;
  vxhost::Status status = vxhost::Plugin::load(path, plugin);
  if (!status.ok()) throw std::runtime_error(status.message());
  return plugin;
}

}  // namespace vxtest
