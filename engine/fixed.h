// The 24.8 fixed-point format of the coverage accumulator: an int holds a
// screen coordinate in 1/256 pixel. Every use of the format goes through
// these names.
#pragma once

enum : int {
  FixedFractionBits = 8,
  FixedOnePixel = 1 << FixedFractionBits,      // one pixel in 1/256 pixel
  FixedFractionMask = FixedOnePixel - 1,
};

// Pixel holding the coordinate: floor(v / 256), also for negative v.
inline int fixedFloorToPixel(int v) { return v >> FixedFractionBits; }
// The coordinate of that pixel's low edge.
inline int fixedPixelStart(int v) { return v & ~FixedFractionMask; }
// The position inside that pixel, 0 .. 255.
inline int fixedFraction(int v) { return v & FixedFractionMask; }
// Pixels to fixed point, truncating toward zero (-0.3 gives -76).
inline int fixedFromPixels(float v) { return (int)(v * (float)FixedOnePixel); }
