#include "water/waterview.h"

#include "runtime/services.h"

FieldView InitFieldView(const OpImage* image) {
  InitColourTables();
  FieldView view;
  int stride = image->stride;
  view.origin = (const uint8_t*)(image->pixels + (image->y * stride + image->x));
  view.width = image->width;
  view.height = image->height;
  view.strideBytes = stride * 4;
  return view;
}

namespace {

// One axis of the bilinear footprint: the first pixel and the weight of the
// next. Points before the first centre take the first pixel, points after the
// last centre the last one.
struct Tap {
  int index;
  float weight;
};

Tap tapAt(float coordinate, int size) {
  float f = coordinate - 0.5f;
  if (!(f > 0)) return Tap{0, 0.0f};            // also NaN
  if (f >= (float)size) return Tap{size - 1, 1.0f};
  int index = (int)f;
  return Tap{index, f - index};
}

void lerp(LinearRgb* out, const LinearRgb& a, const LinearRgb& b, float w) {
  out->red = a.red + (b.red - a.red) * w;
  out->green = a.green + (b.green - a.green) * w;
  out->blue = a.blue + (b.blue - a.blue) * w;
}

const VideoPixel* pixelAt(const FieldView& view, int i, int j) {
  return (const VideoPixel*)(view.origin + j * view.strideBytes + i * 4);
}

// The interpolated colour, or null when the point clamps to one pixel both
// ways, which *corner then names.
bool interpolate(const FieldView& view, float x, float y, LinearRgb* out,
                 const VideoPixel** corner) {
  Tap tx = tapAt(x, view.width), ty = tapAt(y, view.height);
  const VideoPixel* p00 = pixelAt(view, tx.index, ty.index);
  bool right = tx.index + 1 < view.width, below = ty.index + 1 < view.height;
  *corner = p00;
  if (!right && !below) return false;
  LinearRgb c00, c10, c01;
  VideoToLinear(&c00, p00);
  if (right && below) {
    LinearRgb c11, top, bottom;
    VideoToLinear(&c10, p00 + 1);
    VideoToLinear(&c01, pixelAt(view, tx.index, ty.index + 1));
    VideoToLinear(&c11, pixelAt(view, tx.index + 1, ty.index + 1));
    lerp(&top, c00, c10, tx.weight);
    lerp(&bottom, c01, c11, tx.weight);
    lerp(out, top, bottom, ty.weight);
  } else if (below) {
    VideoToLinear(&c01, pixelAt(view, tx.index, ty.index + 1));
    lerp(out, c00, c01, ty.weight);
  } else {
    VideoToLinear(&c10, p00 + 1);
    lerp(out, c00, c10, tx.weight);
  }
  return true;
}

}  // namespace

void SampleLinear(const FieldView& view, LinearRgb* out, float x, float y) {
  const VideoPixel* corner;
  if (!interpolate(view, x, y, out, &corner)) VideoToLinear(out, corner);
}

void SampleVideo(const FieldView& view, VideoPixel* out, float x, float y) {
  const VideoPixel* corner;
  LinearRgb colour;
  if (interpolate(view, x, y, &colour, &corner))
    LinearToVideo(out, &colour);
  else
    *out = *corner;
}

void SampleMix(const FieldView& from, const FieldView& to, float x, float y, float t,
               VideoPixel* out) {
  LinearRgb a, b, mixed;
  SampleLinear(from, &a, x, y);
  SampleLinear(to, &b, x, y);
  lerp(&mixed, a, b, t);
  LinearToVideo(out, &mixed);
}

WaterCamera makeWaterCamera(int width, int height, float lineScale,
                            float sinTilt, float cosTilt) {
  WaterCamera camera;
  camera.sinTilt = sinTilt;
  camera.cosTilt = cosTilt;
  camera.width = (float)width;
  camera.height = (float)height;
  camera.extentY = ViewExtent;
  camera.extentX = ViewExtent * camera.width / (camera.height * lineScale);
  camera.halfX = camera.extentX / 2;
  camera.halfY = camera.extentY / 2;
  camera.unitsPerPixelX = camera.extentX / camera.width;
  camera.unitsPerPixelY = camera.extentY / camera.height;
  camera.pixelsPerUnitX = camera.width / camera.extentX;
  camera.pixelsPerUnitY = camera.height / camera.extentY;
  return camera;
}

SamplePoint ReflectSample(const WaterCamera& camera, float u, float v, float nx, float ny) {
  float m = 1.0f - 2.0f * (camera.sinTilt * u * nx + v * ny);
  float bentX = u + 2.0f * nx * (camera.sinTilt - camera.cosTilt * v);
  float bentY = v + 2.0f * (ny + camera.cosTilt * u * nx);
  SamplePoint point;
  point.x = (bentX / m + camera.halfX) * camera.pixelsPerUnitX;
  point.y = (camera.halfY - bentY / m) * camera.pixelsPerUnitY;
  return point;
}
