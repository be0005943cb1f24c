// The upright cylinder of radius 1 about the z axis of its own coordinates:
// point(u, v) = (cos u, sin u, v), u the angle from the x axis toward the
// y axis (radians), v the height. The cylinder transition wraps its picture
// around it.
#pragma once

#include "shapes/sphere.h"

class CylinderSurface : public Surface {
 public:
  void point(Vec4* out, float u, float v) override;
  // The plane that touches the cylinder along the whole line at angle u.
  void tangentPlane(Vec4* out, float u, float v) override;
  // Where the line meets the cylinder between heights -1 and 1: 0, 1 or 2
  // pairs. A line parallel to the axis, or farther than 1 from it, meets
  // nothing; a line touching the cylinder gives two equal pairs.
  int intersect(float* hits, const Vec4* p, const Vec4* q) override;
};
