// Conversion between studio-range Y'CbCr video pixels and linear light,
// through four tables built once per process. The per-pixel work is integer
// arithmetic and table look-ups, plus one multiply-and-round per component on
// the way back.
#pragma once

#include <stdint.h>

// Bytes in memory: 0 unused, 1 Cr, 2 Cb, 3 Y.
struct VideoPixel {
  uint8_t unused;
  uint8_t cr;
  uint8_t cb;
  uint8_t y;
};
static_assert(sizeof(VideoPixel) == 4, "VideoPixel is one 32-bit word");

// Linear light: 0.0 is black, 1.0 the white of the video signal.
struct LinearRgb {
  float red, green, blue;
};

// Index ranges of the tables: exactly what the conversions can produce.
enum : int {
  GammaCodeMin = -277, GammaCodeMax = 534,        // gammaToLinear
  LinearStepsToWhite = 1148,                      // linearToGamma steps per 1.0
  LinearIndexMin = -276, LinearIndexMax = 3687,   // linearToGamma
  LumaIndexMin = -237, LumaIndexMax = 459,        // lumaCode
  ChromaIndexMin = -356, ChromaIndexMax = 356,    // chromaCode
};

extern int tablesReady;

void InitColourTables();
void LinearToVideo(VideoPixel* out, const LinearRgb* in);

// Table look-ups, for tests and for the samplers.
float gammaToLinearAt(int gammaCode);
int linearToGammaAt(int linearIndex);

// Linear light of each gamma code, indexed from GammaCodeMin.
extern float gammaToLinearTable[GammaCodeMax - GammaCodeMin + 1];

// Inline: the samplers convert four pixels for every one they write.
inline void VideoToLinear(LinearRgb* out, const VideoPixel* in) {
  int y = in->y, cb = in->cb, cr = in->cr;
  int r = (298 * y + 408 * cr - 56864) >> 8;
  int g = (298 * y - 100 * cb - 208 * cr + 34784) >> 8;
  int b = (298 * y + 516 * cb - 70688) >> 8;
  out->red = gammaToLinearTable[r - GammaCodeMin];
  out->green = gammaToLinearTable[g - GammaCodeMin];
  out->blue = gammaToLinearTable[b - GammaCodeMin];
}
