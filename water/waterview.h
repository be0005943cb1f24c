// The water effects look at the picture through a water surface seen from
// above at a slant. An output pixel's view ray is bent by the surface normal
// and the input is sampled bilinearly, in linear light, where the bent ray
// lands. This holds what the four effects share: the view onto an input
// field, the samplers, the viewing geometry and the bending of the ray.
#pragma once

#include "runtime/colour.h"
#include "runtime/oprecords.h"

// The active area of one input field.
struct FieldView {
  const uint8_t* origin;   // first active pixel
  int width, height;       // active size, pixels
  int strideBytes;         // from one row to the next
};

FieldView InitFieldView(const OpImage* image);

// Bilinear samples at (x, y) in pixel coordinates (pixel (i, j) covers
// [i, i+1) x [j, j+1)); points outside the pixel centres are clamped to the
// first or last row and column, so every finite or non-finite point reads
// inside the active area.
void SampleLinear(const FieldView& view, LinearRgb* out, float x, float y);
void SampleVideo(const FieldView& view, VideoPixel* out, float x, float y);

// The mix of two fields sampled at one point: from + (to - from) t per
// channel, in linear light.
void SampleMix(const FieldView& from, const FieldView& to, float x, float y, float t,
               VideoPixel* out);

// The slanted camera over the water, for a field of width x height pixels.
struct WaterCamera {
  float sinTilt, cosTilt;   // of the camera's tilt from the vertical
  float extentX, extentY;   // view-plane extents Fx and F at unit distance
  float width, height;      // of the stream 0 field, pixels
  // Derived once per field: the same single operations every pixel would do.
  float halfX, halfY;                     // Fx / 2, F / 2
  float unitsPerPixelX, unitsPerPixelY;   // Fx / W, F / H
  float pixelsPerUnitX, pixelsPerUnitY;   // W / Fx, H / F
};

// Vertical view extent: a 45-degree field of view, 2 tan(pi/8).
constexpr float ViewExtent = 0.8284271247f;

WaterCamera makeWaterCamera(int width, int height, float lineScale,
                            float sinTilt, float cosTilt);

// View-plane point of the centre of column i and of row j.
inline float viewU(const WaterCamera& camera, int i) {
  return (i + 0.5f) * camera.unitsPerPixelX - camera.halfX;
}
inline float viewV(const WaterCamera& camera, int j) {
  return camera.halfY - (j + 0.5f) * camera.unitsPerPixelY;
}

// The point on the water under view-plane point (u, v): ground units, gx to
// the right, gy up the screen (away from the viewer), moved down by `offset`.
struct GroundPoint {
  float gx, gy;
};
inline GroundPoint groundPoint(const WaterCamera& camera, float scale, float offset,
                               float u, float v) {
  float den = camera.sinTilt - camera.cosTilt * v;
  return GroundPoint{scale * camera.sinTilt * u / den, scale * v / den - offset};
}

// Where the ray through view-plane point (u, v), bent by a surface whose
// normal has horizontal components (nx, ny), meets the picture; input pixel
// coordinates. A flat surface gives the pixel's own centre.
struct SamplePoint {
  float x, y;
};
SamplePoint ReflectSample(const WaterCamera& camera, float u, float v, float nx, float ny);
