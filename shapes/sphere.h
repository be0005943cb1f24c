// The unit sphere, parametrised by longitude u and latitude v (radians):
// point(u, v) = (cos u·cos v, sin u·cos v, sin v). The sphere, ellipsoid and
// four-spheres transitions paint their pictures on it; the ellipsoid comes
// from a placement that stretches it.
//
// Also what the curved solids share, all of them surfaces of revolution
// about their own z axis (sphere, cylinder, cone): the line in Plücker form
// that their intersections start from, the placement that stands them
// upright and turns them, and the texel mapping that wraps the picture
// once over a parameter rectangle.
#pragma once

#include "engine/scene.h"
#include "runtime/services.h"
#include "shapes/shapeframe.h"

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

// Cosine and sine of one angle from a single tangent of its half:
// with t = tan(angle/2), cos = (1 − t²)/(1 + t²) and sin = 2t/(1 + t²).
// Points and tangent planes are asked for at every grid vertex, and in the
// 32-bit library one tangent costs less than a sine and a cosine. Good to
// double rounding for angles within (−2π, 2π), odd multiples of π included:
// there t is huge but finite, and the result still comes out as (−1, 0).
struct Turn {
  double cos, sin;
};

inline Turn turnOf(double angle) {
  double t = tan(0.5 * angle);
  double t2 = t * t;
  return Turn{(1 - t2) / (1 + t2), 2 * t / (1 + t2)};
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

// placement = rows (sin turn, cos turn, 0, 0), (0, 0, stretch, lift),
// (cos turn, −sin turn, 0, 0), (0, 0, 0, 1): the surface's z axis becomes
// the world's vertical axis, scaled by stretch and raised by lift, and the
// surface point at angle u around it lands at angle u + turn from the world
// z axis (towards +x), so u = 0 faces the camera at turn 0.
void standUpright(Mat4* placement, float turn, float stretch, float lift);

// Gives surface its domain and the frame's texture, sets its parameter
// rectangle to [−uHalf, uHalf] x [vMiddle − vHalf, vMiddle + vHalf], and maps
// the texture onto that rectangle exactly, its centre at (0, vMiddle).
// uHalf and vHalf must be positive.
void wrapPicture(Surface* surface, SurfaceDomain* domain, const TransitionFrame& frame,
                 double uHalf, double vMiddle, double vHalf);

// Radians turned after progress of a transition that makes `turns` whole
// turns in all.
inline float turnSoFar(float progress, int turns) {
  return (float)(2 * Pi) * progress * (float)turns;
}

// The camera looks at the point at distance radius from the vertical axis
// that a turn has carried round from facing the camera (+z).
void followTurnedPoint(CameraInputs* inputs, float radius, float turn);

// The camera's box: x, y and z from −x to x, −y to y and −z to z.
void setCentredBox(CameraInputs* inputs, float x, float y, float z);
