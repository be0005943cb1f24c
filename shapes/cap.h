// The spherical cap and the disc domain of the saucer's two faces.
#pragma once

#include "engine/scene.h"

// The unit sphere seen by central projection from its centre onto the plane
// z = 1: parameters (u, v) stand for the sphere point (u, v, 1)/sqrt(u² + v² + 1).
// Only the open hemisphere z > 0 has parameters.
class CapSurface : public Surface {
 public:
  void point(Vec4* out, float u, float v) override;
  void tangentPlane(Vec4* out, float u, float v) override;
  int intersect(float* hits, const Vec4* p, const Vec4* q) override;
};

// The disc u² + v² <= radius², cut to the surface's parameter rectangle; the
// rim belongs to it.
class DiscDomain : public SurfaceDomain {
 public:
  int contains(float u, float v) override;
  void uSpan(float* out, float v) override;
  void vSpan(float* out, float u) override;

  float radius;
};
