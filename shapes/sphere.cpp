// Lines meet the sphere in Plücker form: m × d is the point of the line
// nearest the centre, scaled by d·d, and the two meeting points lie
// sqrt(d·d − m·m) along d on either side of it, at the same scale. Working
// with the scaled points keeps the factors of p and q, whatever their sign,
// out of the way: d·d is positive whatever they are.
#include "shapes/sphere.h"

void SphereSurface::point(Vec4* out, float u, float v) {
  Turn around = turnOf(u), up = turnOf(v);
  float cosV = (float)up.cos;
  out->x = (float)(around.cos * cosV);
  out->y = (float)(around.sin * cosV);
  out->z = (float)up.sin;
  out->w = 1.0f;
}

void SphereSurface::tangentPlane(Vec4* out, float u, float v) {
  point(out, u, v);
  out->w = -1.0f;
}

int SphereSurface::intersect(float* hits, const Vec4* p, const Vec4* q) {
  // Direction and moment of the line
  PluckerLine line = pluckerLine(p, q);
  const long double* d = line.d;
  const long double* m = line.m;
  long double dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
  long double mm = m[0] * m[0] + m[1] * m[1] + m[2] * m[2];
  if (dd == 0 || dd - mm < 0) return 0;

  // The two meeting points, both scaled by dd
  long double r = (float)sqrt((double)(dd - mm));
  long double c[3] = {m[1] * d[2] - m[2] * d[1], m[2] * d[0] - m[0] * d[2],
                      m[0] * d[1] - m[1] * d[0]};
  long double a[3], b[3];
  for (int k = 0; k < 3; ++k) {
    a[k] = c[k] + r * d[k];
    b[k] = c[k] - r * d[k];
  }

  // Rounding can carry a point just past a pole; such a line is dropped
  if (a[2] > dd || -a[2] > dd || b[2] > dd || -b[2] > dd) return 0;
  hits[0] = angleAround(a[1], a[0]);
  hits[1] = (float)asin((double)(a[2] / dd));
  hits[2] = angleAround(b[1], b[0]);
  hits[3] = (float)asin((double)(b[2] / dd));
  return 2;
}

void standUpright(Mat4* placement, float turn, float stretch, float lift) {
  float s = (float)sin(turn), c = (float)cos(turn);
  *placement = Mat4{{s, c, 0, 0,
                     0, 0, stretch, lift,
                     c, -s, 0, 0,
                     0, 0, 0, 1}};
}

void wrapPicture(Surface* surface, SurfaceDomain* domain, const TransitionFrame& frame,
                 double uHalf, double vMiddle, double vHalf) {
  surface->domain = domain;
  domain->surface = surface;
  surface->picture = frame.texture;
  surface->uMin = -uHalf;
  surface->uMax = uHalf;
  surface->vMin = vMiddle - vHalf;
  surface->vMax = vMiddle + vHalf;
  surface->uScale = frame.textureWidth / (2 * uHalf);
  surface->uCentre = 0.5 * frame.textureWidth;
  surface->uOrigin = 0;
  surface->vScale = frame.textureHeight / (surface->vMax - surface->vMin);
  surface->vCentre = 0.5 * frame.textureHeight;
  surface->vOrigin = vMiddle;
}

void followTurnedPoint(CameraInputs* inputs, float radius, float turn) {
  inputs->centre[0] = radius * (float)sin(turn);
  inputs->centre[1] = 0;
  inputs->centre[2] = radius * (float)cos(turn);
}

void setCentredBox(CameraInputs* inputs, float x, float y, float z) {
  const float half[3] = {x, y, z};
  for (int k = 0; k < 3; ++k) {
    inputs->boxLow[k] = -half[k];
    inputs->boxHigh[k] = half[k];
  }
}
