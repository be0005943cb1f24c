// The line meets the cylinder where its projection on the x-y plane meets
// the unit circle. In Plücker form (direction d, moment m, both with the
// same factor as the homogeneous points) the projection's nearest point to
// the axis is (−m.z·d.y, m.z·d.x)/A with A = d.x² + d.y², and the meeting
// points lie sqrt(A − m.z²) along the projected direction on either side of
// it, all scaled by A.
#include "src/cylindersurface.h"

void CylinderSurface::point(Vec4* out, float u, float v) {
  Turn around = turnOf(u);
  *out = Vec4{(float)around.cos, (float)around.sin, v, 1.0f};
}

void CylinderSurface::tangentPlane(Vec4* out, float u, float) {
  Turn around = turnOf(u);
  *out = Vec4{(float)around.cos, (float)around.sin, 0.0f, -1.0f};
}

int CylinderSurface::intersect(float* hits, const Vec4* p, const Vec4* q) {
  // Direction and moment of the line
  PluckerLine line = pluckerLine(p, q);
  const long double* d = line.d;
  const long double* m = line.m;

  // Lines parallel to the axis or passing it at more than radius 1
  long double a = d[0] * d[0] + d[1] * d[1];
  if (a == 0) return 0;
  long double s = a - m[2] * m[2];
  if (s < 0) return 0;
  long double r = (float)sqrt((double)s);

  // Heights of the two meeting points, scaled by a; only |v| <= 1 is kept
  long double along = m[0] * d[1] - m[1] * d[0];
  long double z[2] = {along + r * d[2], along - r * d[2]};
  long double x[2] = {r * d[0] - m[2] * d[1], -r * d[0] - m[2] * d[1]};
  long double y[2] = {m[2] * d[0] + r * d[1], m[2] * d[0] - r * d[1]};

  // Each root stands on its own: one out of range does not drop the other
  int n = 0;
  for (int k = 0; k < 2; ++k) {
    if (z[k] > a || -z[k] > a) continue;
    hits[2 * n] = angleAround(y[k], x[k]);
    hits[2 * n + 1] = (float)(z[k] / a);
    ++n;
  }
  return n;
}
