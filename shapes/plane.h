// The plane and the panel domains: a flat panel with its parameter
// rectangle painted whole or as a triangular flap. Several transitions build
// their solids from such panels.
#pragma once

#include "engine/scene.h"

// The plane z = 0 of its own coordinates, with (u, v) = (x, y).
class PlaneSurface : public Surface {
 public:
  void point(Vec4* out, float u, float v) override;
  void tangentPlane(Vec4* out, float u, float v) override;
  int intersect(float* hits, const Vec4* p, const Vec4* q) override;
};

// The whole parameter rectangle of its surface.
class RectangleDomain : public SurfaceDomain {
 public:
  int contains(float u, float v) override;
  void uSpan(float* out, float v) override;
  void vSpan(float* out, float u) override;
};

// A flap: the triangle whose base is one horizontal edge of flapRect and
// whose apex is the middle of the opposite edge. flapRect is the panel's
// rectangle as first set; the spans are cut to the surface's rectangle,
// which may have been clipped since.
struct FlapRect {
  float uLow, uHigh, vLow, vHigh;
};

// Base on v = vLow, apex at (mid, vHigh).
class UpperFlapDomain : public SurfaceDomain {
 public:
  int contains(float u, float v) override;
  void uSpan(float* out, float v) override;
  void vSpan(float* out, float u) override;

  FlapRect flapRect;
};

// Base on v = vHigh, apex at (mid, vLow).
class LowerFlapDomain : public SurfaceDomain {
 public:
  int contains(float u, float v) override;
  void uSpan(float* out, float v) override;
  void vSpan(float* out, float u) override;

  FlapRect flapRect;
};

// Cuts a surface's parameter rectangle to the part whose texels lie on the
// picture, [0, textureWidth] x [0, textureHeight] in texel coordinates (the
// texel mapping must have uOrigin = vOrigin = 0 and positive scales).
// Returns false, leaving the surface to be dropped, when nothing with a
// non-zero area is left; a rectangle that only touches the picture's edge
// is dropped.
bool clipToPicture(Surface* surface, int textureWidth, int textureHeight);
