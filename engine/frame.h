// The float frame the engine renders into, and its exact-area coverage
// accumulator.
//
// Every fragment arrives as a polygon in 24.8 fixed point with one colour.
// The accumulator slices it along pixel boundaries, first into columns, then
// each column into rows, and adds the exact area inside each pixel to the
// coverage plane and colour times area to the colour planes. Compositing then
// blends the frame over the output picture.
#pragma once

#include "runtime/colour.h"
#include "runtime/services.h"

struct GridCacheEntry;

struct RenderFrame {
  RenderFrame() = default;
  ~RenderFrame();
  RenderFrame(const RenderFrame&) = delete;
  RenderFrame& operator=(const RenderFrame&) = delete;

  int width = 0, height = 0;     // pixels
  // width·height floats each, row 0 at the top of the output.
  float* coverage = nullptr;     // summed covered area, 1.0 = one pixel
  float* red = nullptr;          // sums of colour times area
  float* green = nullptr;
  float* blue = nullptr;
  LinearRgb fill = {0, 0, 0};    // colour of the polygon being accumulated
  GridCacheEntry* gridCache = nullptr;   // the render loop's scratch rows
  VxSize gridCacheBytes = 0;             // size of gridCache
};

enum : int { FixedPolygonCapacity = 24 };

struct FixedPoint {
  int x, y;   // 1/256 pixel, relative to the low corner of pixel (x0, y0)
};

// A polygon in boundary order, either orientation.
struct FixedPolygon {
  int x0, y0;   // pixel; x0 counts columns from the left, y0 rows from the bottom
  int count;
  FixedPoint v[FixedPolygonCapacity];
};

// Allocates the four planes and cacheBytes of grid cache, all zeroed. On
// failure frees what it got and returns false.
bool allocate(RenderFrame* frame, int width, int height, VxSize cacheBytes);
// Frees everything; safe to call more than once.
void release(RenderFrame* frame);
// Adds poly's exact coverage with frame->fill; poly is modified. Pixels
// outside the frame are dropped.
void accumulatePolygon(FixedPolygon* poly, RenderFrame* frame);
// Blends the frame over the picture whose top-left pixel is dst.
void composite(RenderFrame* frame, VideoPixel* dst, int dstStrideBytes);
// 2:1 reduction in linear light; dstWidth <= (srcWidth + 1)/2 and
// dstHeight <= (srcHeight + 1)/2.
void halveImage(VideoPixel* dst, int dstStrideBytes, int dstWidth, int dstHeight,
                const VideoPixel* src, int srcStrideBytes, int srcWidth,
                int srcHeight);
