// Pictures in the plug-ins' own pixel format, and the split of a frame into
// its two fields and back.
//
// A pixel is one 32-bit VideoPixel word: read as a little-endian number it is
// Y << 24 | Cb << 16 | Cr << 8, with the low byte unused. The upper field of
// a frame is made of its even rows (0, 2, 4...), the lower field of its odd
// rows; a frame of h rows has an upper field of (h + 1) / 2 rows and a lower
// field of h / 2 rows.
#pragma once

#include <stdint.h>
#include <vector>

#include "host/vxhost/status.h"

namespace vxhost {

// The largest width or height that the host records' signed 16-bit fields hold.
constexpr int MaxImageSide = 32767;

inline uint32_t packPixel(unsigned y, unsigned cb, unsigned cr) {
  return (uint32_t)y << 24 | (uint32_t)cb << 16 | (uint32_t)cr << 8;
}
inline unsigned pixelY(uint32_t p) { return p >> 24; }
inline unsigned pixelCb(uint32_t p) { return (p >> 16) & 0xFF; }
inline unsigned pixelCr(uint32_t p) { return (p >> 8) & 0xFF; }

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;   // row after row, width pixels each

  void resize(int w, int h) {
    width = w;
    height = h;
    pixels.assign((size_t)w * h, 0);
  }
  uint32_t* row(int y) { return pixels.data() + (size_t)y * width; }
  const uint32_t* row(int y) const { return pixels.data() + (size_t)y * width; }
};

enum class FieldParity { Upper, Lower };

int fieldRows(int frameRows, FieldParity parity);

// Copies one field out of a frame, and writes one back into it.
void extractField(const Picture& frame, FieldParity parity, Picture& field);
void insertField(Picture& frame, FieldParity parity, const Picture& field);

// Whether pictures of this size can be handed to a plug-in as fields of the
// given number of rows.
Status checkFieldSize(int width, int rows);

}  // namespace vxhost
