// The unit sphere, parametrised by longitude u and latitude v (radians):
// point(u, v) = (cos u·cos v, sin u·cos v, sin v). The sphere, ellipsoid and
// four-spheres transitions paint their pictures on it; the ellipsoid comes
// from a placement that stretches it.
#pragma once

#include "engine/scene.h"
#include "runtime/services.h"

// A line through two homogeneous points in Plücker form: direction d and
// moment m about the origin of surface coordinates. With p = (P, 1)·s and
// q = (Q, 1)·t, d = s·t·(Q − P) and m = s·t·(Q × P), so both carry the same
// factor, of either sign. Extended precision, because the eye q may be
// thousands of units away from a surface of radius 1. Shared by the quadric
// surfaces (sphere, cylinder, cone).
struct PluckerLine {
  long double d[3];
  long double m[3];
};

inline PluckerLine pluckerLine(const Vec4* p, const Vec4* q) {
  long double pw = p->w, qw = q->w;
  return PluckerLine{{pw * q->x - qw * p->x, pw * q->y - qw * p->y, pw * q->z - qw * p->z},
                     {(long double)q->y * p->z - (long double)q->z * p->y,
                      (long double)q->z * p->x - (long double)q->x * p->z,
                      (long double)q->x * p->y - (long double)q->y * p->x}};
}

// atan2(y, x), and 0 on the axis where the angle is undefined.
inline float angleAround(long double y, long double x) {
  if (x == 0 && y == 0) return 0.0f;
  return (float)atan2((double)y, (double)x);
}

class SphereSurface : public Surface {
 public:
  void point(Vec4* out, float u, float v) override;
  // The plane through point(u, v) perpendicular to its radius.
  void tangentPlane(Vec4* out, float u, float v) override;
  // Both points where the line meets the sphere, or none when it misses.
  // A line that only touches the sphere gives two equal pairs.
  int intersect(float* hits, const Vec4* p, const Vec4* q) override;
};
