// The line meets the cone in Plücker form (direction d, moment m, with the
// same factor as the homogeneous points). Substituting the line into
// x² + y² − (1 − z)² = 0 gives a quadratic whose leading coefficient is
// a = d.x² + d.y² − d.z²; its two roots are written below as points scaled
// by a, so that only the sign of a, never a division, decides which side of
// the apex a point lies on until the very end.
#include "src/conesurface.h"

void ConeSurface::point(Vec4* out, float u, float v) {
  float radius = 1.0f - v;
  Turn around = turnOf(u);
  *out = Vec4{(float)(radius * around.cos), (float)(radius * around.sin), v, 1.0f};
}

void ConeSurface::tangentPlane(Vec4* out, float u, float) {
  Turn around = turnOf(u);
  *out = Vec4{(float)around.cos, (float)around.sin, 1.0f, -1.0f};
}

int ConeSurface::intersect(float* hits, const Vec4* p, const Vec4* q) {
  // Direction and moment of the line, and the moment about the apex
  PluckerLine line = pluckerLine(p, q);
  const long double* d = line.d;
  const long double* m = line.m;
  long double e0 = m[0] - d[1];
  long double e1 = m[1] + d[0];

  // Lines parallel to a generator, and lines that miss the cone
  long double a = d[0] * d[0] + d[1] * d[1] - d[2] * d[2];
  if (a == 0) return 0;
  long double s = e0 * e0 + e1 * e1 - m[2] * m[2];
  if (s < 0) return 0;
  long double r = sqrt((double)s);

  // Depths of the two roots below the apex, scaled by a
  long double k = d[0] * e1 - d[1] * e0;
  long double z[2] = {k - r * d[2], k + r * d[2]};
  bool taken[2];
  for (int i = 0; i < 2; ++i)
    taken[i] = a > 0 ? (z[i] >= 0 && z[i] <= a) : z[i] >= a;
  if (!taken[0] && !taken[1]) return 0;

  // Their positions around the axis, scaled by a
  long double cx = -(m[2] * d[1] + d[2] * e1);
  long double cy = e0 * d[2] + m[2] * d[0];
  long double x[2] = {cx + r * d[0], cx - r * d[0]};
  long double y[2] = {cy + r * d[1], cy - r * d[1]};

  // A positive scale, so that the angles come out on the right side
  if (a < 0) {
    a = -a;
    for (int i = 0; i < 2; ++i) {
      x[i] = -x[i];
      y[i] = -y[i];
      z[i] = -z[i];
    }
  }

  // Beyond the apex the radius 1 − v is negative, which turns the angle of
  // the parameters half a turn from the angle of the point.
  int n = 0;
  for (int i = 0; i < 2; ++i) {
    if (!taken[i]) continue;
    if (z[i] < 0) {
      x[i] = -x[i];
      y[i] = -y[i];
    }
    hits[2 * n] = angleAround(y[i], x[i]);
    hits[2 * n + 1] = (float)(1 - z[i] / a);
    ++n;
  }
  return n;
}
