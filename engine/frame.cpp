// The float frame and its exact-area coverage accumulator.
//
// A polygon in 24.8 fixed point is first shifted so that its bounding box
// starts inside pixel (x0, y0). If it reaches past that pixel's column it is
// sliced into columns: each maximal run of vertices left of the column's
// right edge is cut off, closed by the two crossings of the edge, and the
// rest moves one column on. Each column slice is sliced into rows the same
// way. What remains of every slice lies within one pixel, whose area comes
// from an integer cross-product sum.
#include "engine/frame.h"

#include <stdint.h>

#include "engine/fixed.h"

namespace {

// --- Frame planes ---

float* allocatePlane(int width, int height) {
  return (float*)malloc((VxSize)width * (VxSize)height * sizeof(float));
}

void freeBlock(void* block) {
  if (block) free(block);
}

// --- Single-pixel polygons ---

// Adds a polygon whose coordinates all lie within [0, 256] of pixel (x0, y0).
void addPixelPolygon(const FixedPolygon* p, RenderFrame* frame) {
  if (p->count < 3) return;
  if (p->x0 < 0 || p->x0 >= frame->width || p->y0 < 0 || p->y0 >= frame->height)
    return;

  // Twice the signed area, in 1/65536 pixel.
  const FixedPoint* v = p->v;
  int area2 = 0;
  for (int k = 2; k < p->count; ++k) {
    area2 += (v[k - 1].x - v[0].x) * (v[k].y - v[0].y) -
             (v[k - 1].y - v[0].y) * (v[k].x - v[0].x);
  }
  int a = (area2 < 0 ? -area2 : area2) >> 1;
  if (a == 0) return;

  float area = (float)a * (1.0f / (float)(FixedOnePixel * FixedOnePixel));
  int index = (frame->height - 1 - p->y0) * frame->width + p->x0;
  frame->coverage[index] += area;
  frame->red[index] += frame->fill.red * area;
  frame->green[index] += frame->fill.green * area;
  frame->blue[index] += frame->fill.blue * area;
}

// --- Slicing along one axis ---

// The slicing is the same in x and in y: an axis names the coordinate that is
// cut ("along"), the one that is interpolated ("across"), and the pixel
// origin that steps from slice to slice.
enum Axis { Columns, Rows };

template <Axis A> inline int& along(FixedPoint& p) { return A == Columns ? p.x : p.y; }
template <Axis A> inline int along(const FixedPoint& p) { return A == Columns ? p.x : p.y; }
template <Axis A> inline int& across(FixedPoint& p) { return A == Columns ? p.y : p.x; }
template <Axis A> inline int across(const FixedPoint& p) { return A == Columns ? p.y : p.x; }
template <Axis A> inline int& origin(FixedPolygon* p) { return A == Columns ? p->x0 : p->y0; }
template <Axis A> inline int& acrossOrigin(FixedPolygon* p) { return A == Columns ? p->y0 : p->x0; }
template <Axis A> inline int frameExtent(const RenderFrame* f) {
  return A == Columns ? f->width : f->height;
}

// The across coordinate where the edge from a (inside the slice, along < 256)
// to b (along >= 256) crosses along = 256. The products can span the whole
// int range, so they are formed in 64 bits; the quotient lies between the
// two end points and fits 32 bits again.
template <Axis A>
int crossing(const FixedPoint& a, const FixedPoint& b) {
  int32_t aa = along<A>(a), ab = along<A>(b);
  int64_t num = (int64_t)across<A>(a) * (ab - FixedOnePixel) +
                (int64_t)across<A>(b) * (FixedOnePixel - aa);
  int32_t den = ab - aa;
  if (num >= INT32_MIN && num <= INT32_MAX) return (int32_t)num / den;
  return (int)(num / den);
}

template <Axis A>
bool anyAlongAbove(const FixedPolygon* p, int limit) {
  for (int k = 0; k < p->count; ++k)
    if (along<A>(p->v[k]) > limit) return true;
  return false;
}

template <Axis A>
bool anyAlongBelow(const FixedPolygon* p, int limit) {
  for (int k = 0; k < p->count; ++k)
    if (along<A>(p->v[k]) < limit) return true;
  return false;
}

// Shifts p by whole pixels in the across direction when its lowest
// coordinate there is a pixel or more from the origin; returns the highest.
template <Axis A>
int normaliseAcross(FixedPolygon* p) {
  int lo = across<A>(p->v[0]), hi = lo;
  for (int k = 1; k < p->count; ++k) {
    int c = across<A>(p->v[k]);
    if (c < lo) lo = c;
    if (c > hi) hi = c;
  }
  if (lo >= FixedOnePixel) {
    acrossOrigin<A>(p) += fixedFloorToPixel(lo);
    int shift = fixedPixelStart(lo);
    for (int k = 0; k < p->count; ++k) across<A>(p->v[k]) -= shift;
    hi -= shift;
  }
  return hi;
}

template <Axis A>
void slice(FixedPolygon* p, RenderFrame* frame);

// A column slice goes on to the rows; a row slice is one pixel.
template <Axis A>
void finishSlice(FixedPolygon* piece, RenderFrame* frame) {
  if (A == Rows) {
    addPixelPolygon(piece, frame);
    return;
  }
  if (piece->x0 < 0 || piece->x0 >= frame->width) return;   // every pixel would drop
  int hi = normaliseAcross<A>(piece);
  if (hi <= FixedOnePixel)
    addPixelPolygon(piece, frame);
  else
    slice<Rows>(piece, frame);
}

// Cuts off the first run of vertices with along < 256 into piece and puts
// the two crossings in its place in p. Returns false when there is no run
// or the vertex slots would overflow.
template <Axis A>
bool cutRun(FixedPolygon* p, FixedPolygon* piece) {
  const int n = p->count;
  FixedPoint* v = p->v;
  auto inSlice = [&](int k) { return along<A>(v[k]) < FixedOnePixel; };

  // Start of the run: the run through vertex 0 if there is one, else the
  // first vertex inside.
  int start;
  if (inSlice(0)) {
    int k = n - 1;
    while (k >= 0 && inSlice(k)) --k;
    if (k < 0) return false;
    start = k + 1 == n ? 0 : k + 1;
  } else {
    start = 1;
    while (start < n && !inSlice(start)) ++start;
    if (start == n) return false;
  }
  int length = 0;
  while (length < n && inSlice(start + length < n ? start + length : start + length - n))
    ++length;
  if (length > FixedPolygonCapacity - 2) return false;
  if (n - length + 2 > FixedPolygonCapacity) return false;

  // The run is v[start .. n-1] followed by v[0 .. wrapped-1].
  const int end = start + length;
  const int wrapped = end > n ? end - n : 0;
  const FixedPoint& first = v[start];
  const FixedPoint& last = v[end - 1 < n ? end - 1 : end - 1 - n];
  const FixedPoint& before = v[start == 0 ? n - 1 : start - 1];
  const FixedPoint& after = v[end < n ? end : end - n];
  FixedPoint exit, entry;
  along<A>(exit) = FixedOnePixel;
  across<A>(exit) = crossing<A>(last, after);
  along<A>(entry) = FixedOnePixel;
  across<A>(entry) = crossing<A>(first, before);

  // The piece: the run, then back along the cut.
  piece->x0 = p->x0;
  piece->y0 = p->y0;
  int count = 0;
  for (int k = start; k < n && k < end; ++k) piece->v[count++] = v[k];
  for (int k = 0; k < wrapped; ++k) piece->v[count++] = v[k];
  piece->v[count++] = exit;
  piece->v[count++] = entry;
  piece->count = count;

  // In p the two crossings take the run's place.
  if (wrapped) {
    int kept = start - wrapped;
    for (int k = 0; k < kept; ++k) v[k] = v[wrapped + k];
    v[kept] = entry;
    v[kept + 1] = exit;
    p->count = kept + 2;
  } else {
    int tail = n - end;
    if (length >= 2) {
      for (int k = 0; k < tail; ++k) v[start + 2 + k] = v[end + k];
    } else {
      for (int k = tail - 1; k >= 0; --k) v[start + 2 + k] = v[end + k];
    }
    v[start] = entry;
    v[start + 1] = exit;
    p->count = n - length + 2;
  }
  return true;
}

// Slices p, which reaches past its first pixel along the axis, into one
// piece per pixel along it.
template <Axis A>
void slice(FixedPolygon* p, RenderFrame* frame) {
  for (;;) {
    FixedPolygon piece;
    if (!cutRun<A>(p, &piece)) return;
    finishSlice<A>(&piece, frame);
    if (anyAlongBelow<A>(p, FixedOnePixel)) continue;   // another run here

    // On to the next column (row).
    origin<A>(p) += 1;
    if (origin<A>(p) >= frameExtent<A>(frame)) return;   // nothing more can land
    for (int k = 0; k < p->count; ++k) along<A>(p->v[k]) -= FixedOnePixel;
    if (A == Columns) normaliseAcross<A>(p);
    if (!anyAlongAbove<A>(p, FixedOnePixel)) {
      finishSlice<A>(p, frame);
      return;
    }
  }
}

}  // namespace

// --- Frame ---

RenderFrame::~RenderFrame() { release(this); }

bool allocate(RenderFrame* frame, int width, int height, VxSize cacheBytes) {
  frame->width = width;
  frame->height = height;
  frame->coverage = allocatePlane(width, height);
  frame->red = frame->coverage ? allocatePlane(width, height) : nullptr;
  frame->green = frame->red ? allocatePlane(width, height) : nullptr;
  frame->blue = frame->green ? allocatePlane(width, height) : nullptr;
  frame->gridCache = frame->blue ? (GridCacheEntry*)malloc(cacheBytes) : nullptr;
  if (!frame->gridCache) {
    release(frame);
    return false;
  }
  VxSize planeBytes = (VxSize)width * (VxSize)height * sizeof(float);
  memset(frame->coverage, 0, planeBytes);
  memset(frame->red, 0, planeBytes);
  memset(frame->green, 0, planeBytes);
  memset(frame->blue, 0, planeBytes);
  memset(frame->gridCache, 0, cacheBytes);
  frame->gridCacheBytes = cacheBytes;
  return true;
}

void release(RenderFrame* frame) {
  freeBlock(frame->coverage);
  freeBlock(frame->red);
  freeBlock(frame->green);
  freeBlock(frame->blue);
  freeBlock(frame->gridCache);
  frame->coverage = frame->red = frame->green = frame->blue = nullptr;
  frame->gridCache = nullptr;
  frame->gridCacheBytes = 0;
  frame->width = frame->height = 0;
}

// --- Accumulation ---

void accumulatePolygon(FixedPolygon* poly, RenderFrame* frame) {
  if (poly->count <= 0) return;

  // Move the origin into the pixel where the bounding box starts.
  int minX = poly->v[0].x, minY = poly->v[0].y;
  for (int k = 1; k < poly->count; ++k) {
    if (poly->v[k].x < minX) minX = poly->v[k].x;
    if (poly->v[k].y < minY) minY = poly->v[k].y;
  }
  poly->x0 += fixedFloorToPixel(minX);
  poly->y0 += fixedFloorToPixel(minY);
  int shiftX = fixedPixelStart(minX), shiftY = fixedPixelStart(minY);
  for (int k = 0; k < poly->count; ++k) {
    poly->v[k].x -= shiftX;
    poly->v[k].y -= shiftY;
  }

  if (anyAlongAbove<Columns>(poly, FixedOnePixel))
    slice<Columns>(poly, frame);
  else if (anyAlongAbove<Rows>(poly, FixedOnePixel))
    slice<Rows>(poly, frame);
  else
    addPixelPolygon(poly, frame);
}

// --- Output ---

void composite(RenderFrame* frame, VideoPixel* dst, int dstStrideBytes) {
  for (int r = 0; r < frame->height; ++r) {
    VideoPixel* out = (VideoPixel*)((char*)dst + (intptr_t)r * dstStrideBytes);
    int base = r * frame->width;
    for (int c = 0; c < frame->width; ++c) {
      float w = frame->coverage[base + c];
      if (w <= 0.0f) continue;
      LinearRgb colour;
      if (w >= 1.0f) {
        colour.red = frame->red[base + c] / w;
        colour.green = frame->green[base + c] / w;
        colour.blue = frame->blue[base + c] / w;
      } else {
        LinearRgb behind;
        VideoToLinear(&behind, &out[c]);
        float rest = 1.0f - w;
        colour.red = frame->red[base + c] + rest * behind.red;
        colour.green = frame->green[base + c] + rest * behind.green;
        colour.blue = frame->blue[base + c] + rest * behind.blue;
      }
      LinearToVideo(&out[c], &colour);
    }
  }
}

namespace {

inline const VideoPixel* pixelAt(const VideoPixel* image, int strideBytes, int row,
                                 int column) {
  return (const VideoPixel*)((const char*)image + (intptr_t)row * strideBytes) + column;
}

// Mean of count pixels in linear light, back to video.
void meanOf(VideoPixel* out, const VideoPixel* const* in, int count, float weight) {
  LinearRgb sum, one;
  VideoToLinear(&sum, in[0]);
  for (int k = 1; k < count; ++k) {
    VideoToLinear(&one, in[k]);
    sum.red += one.red;
    sum.green += one.green;
    sum.blue += one.blue;
  }
  LinearRgb mean = {sum.red * weight, sum.green * weight, sum.blue * weight};
  LinearToVideo(out, &mean);
}

}  // namespace

void halveImage(VideoPixel* dst, int dstStrideBytes, int dstWidth, int dstHeight,
                const VideoPixel* src, int srcStrideBytes, int srcWidth,
                int srcHeight) {
  for (int r = 0; r < dstHeight; ++r) {
    VideoPixel* out = (VideoPixel*)((char*)dst + (intptr_t)r * dstStrideBytes);
    const bool twoRows = 2 * r + 1 < srcHeight;
    for (int c = 0; c < dstWidth; ++c) {
      const bool twoColumns = 2 * c + 1 < srcWidth;
      const VideoPixel* in[4] = {pixelAt(src, srcStrideBytes, 2 * r, 2 * c)};
      if (twoColumns && twoRows) {
        in[1] = pixelAt(src, srcStrideBytes, 2 * r, 2 * c + 1);
        in[2] = pixelAt(src, srcStrideBytes, 2 * r + 1, 2 * c);
        in[3] = pixelAt(src, srcStrideBytes, 2 * r + 1, 2 * c + 1);
        meanOf(&out[c], in, 4, 0.25f);
      } else if (twoColumns) {
        in[1] = pixelAt(src, srcStrideBytes, 2 * r, 2 * c + 1);
        meanOf(&out[c], in, 2, 0.5f);
      } else if (twoRows) {
        in[1] = pixelAt(src, srcStrideBytes, 2 * r + 1, 2 * c);
        meanOf(&out[c], in, 2, 0.5f);
      } else {
        out[c] = *in[0];
      }
    }
  }
}
