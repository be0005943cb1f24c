// The upright cone x² + y² = (1 − z)² of its own coordinates: apex at
// (0, 0, 1), base circle of radius 1 in the plane z = 0. u is the angle
// around the axis (radians), v the height: point(u, v) =
// ((1 − v)·cos u, (1 − v)·sin u, v). The cone transition wraps its picture
// around it.
#pragma once

#include "shapes/sphere.h"

class ConeSurface : public Surface {
 public:
  void point(Vec4* out, float u, float v) override;
  // The plane x·cos u + y·sin u + z = 1, which touches the cone along the
  // whole generator at angle u.
  void tangentPlane(Vec4* out, float u, float v) override;
  // Where the line meets the double cone, 0 to 2 pairs. A line flatter than
  // the cone's side meets one nappe twice and is reported only between base
  // and apex (0 <= v <= 1); a steeper one meets each nappe once and every
  // meeting point with v >= 0 is reported, the upper nappe's (v > 1)
  // included. A line parallel to a generator gives none.
  int intersect(float* hits, const Vec4* p, const Vec4* q) override;
};
