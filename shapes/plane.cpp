// The plane z = 0 and the panel domains.
#include "shapes/plane.h"

#include "shapes/geometry.h"

namespace {

// Hits farther from the origin than 1/GrazingFactor units are treated as
// misses: the line of sight grazes the plane.
constexpr float GrazingFactor = 0.01f;

// --- Flap geometry ---
//
// A flap is measured from its apex: fromApex is the distance in v from the
// apex's edge of flapRect towards the base, 0 at the apex and
// vHigh - vLow on the base.

float flapMid(const FlapRect& r) { return 0.5f * (r.uLow + r.uHigh); }

// Whether u lies within the flap's width at fromApex; the flap's slanted
// edges count as inside.
int withinFlap(const FlapRect& r, float u, float fromApex) {
  float mid = flapMid(r), height = r.vHigh - r.vLow;
  if (u >= mid) return (r.uHigh - mid) * fromApex >= (u - mid) * height;
  return (mid - r.uLow) * fromApex >= (mid - u) * height;
}

// The lowest and highest u of the flap at fromApex.
void flapWidthAt(float* out, const FlapRect& r, float fromApex) {
  float mid = flapMid(r);
  float s = 0.5f * (r.uHigh - r.uLow) * fromApex / (r.vHigh - r.vLow);
  out[0] = mid - s;
  out[1] = mid + s;
}

// How far the flap reaches from its base at u.
float flapReach(const FlapRect& r, float u) {
  float mid = flapMid(r), height = r.vHigh - r.vLow;
  if (u > mid) return (r.uHigh - u) * height / (r.uHigh - mid);
  return (u - r.uLow) * height / (mid - r.uLow);
}

}  // namespace

// --- PlaneSurface ---

void PlaneSurface::point(Vec4* out, float u, float v) { *out = Vec4{u, v, 0, 1}; }

void PlaneSurface::tangentPlane(Vec4* out, float, float) { *out = Vec4{0, 0, -1, 0}; }

int PlaneSurface::intersect(float* hits, const Vec4* p, const Vec4* q) {
  // The line meets z = 0 at (X, Y, 0, W).
  float w = p->w * q->z - p->z * q->w;
  float x = p->x * q->z - p->z * q->x;
  float y = p->y * q->z - p->z * q->y;
  if (w < 0) {
    w = -w;
    x = -x;
    y = -y;
  }

  // A line parallel to the plane, or one that meets it only far out, misses.
  // The test is relative, so any factor on p and q gives the same answer.
  if (w <= 0) return 0;
  if (GrazingFactor * magnitude(y) > w || GrazingFactor * magnitude(x) > w) return 0;
  hits[0] = x / w;
  hits[1] = y / w;
  return 1;
}

// --- RectangleDomain ---

int RectangleDomain::contains(float, float) { return 1; }

void RectangleDomain::uSpan(float* out, float) {
  out[0] = (float)surface->uMin;
  out[1] = (float)surface->uMax;
}

void RectangleDomain::vSpan(float* out, float) {
  out[0] = (float)surface->vMin;
  out[1] = (float)surface->vMax;
}

// --- UpperFlapDomain ---

int UpperFlapDomain::contains(float u, float v) {
  return withinFlap(flapRect, u, flapRect.vHigh - v);
}

void UpperFlapDomain::uSpan(float* out, float v) {
  flapWidthAt(out, flapRect, flapRect.vHigh - v);
  clampUSpan(out, surface);
}

void UpperFlapDomain::vSpan(float* out, float u) {
  out[0] = flapRect.vLow;
  out[1] = flapRect.vLow + flapReach(flapRect, u);
  clampVSpan(out, surface);
}

// --- LowerFlapDomain ---

int LowerFlapDomain::contains(float u, float v) {
  return withinFlap(flapRect, u, v - flapRect.vLow);
}

void LowerFlapDomain::uSpan(float* out, float v) {
  flapWidthAt(out, flapRect, v - flapRect.vLow);
  clampUSpan(out, surface);
}

void LowerFlapDomain::vSpan(float* out, float u) {
  out[0] = flapRect.vHigh - flapReach(flapRect, u);
  out[1] = flapRect.vHigh;
  clampVSpan(out, surface);
}

// --- Clipping a panel to its picture ---

bool clipToPicture(Surface* s, int textureWidth, int textureHeight) {
  float x0 = (float)(s->uMin * s->uScale + s->uCentre);
  float x1 = (float)(s->uMax * s->uScale + s->uCentre);
  float y0 = (float)(s->vMin * s->vScale + s->vCentre);
  float y1 = (float)(s->vMax * s->vScale + s->vCentre);
  if (!(x0 < textureWidth && x1 > 0 && y0 < textureHeight && y1 > 0)) return false;

  if (x1 > textureWidth) s->uMax = (textureWidth - s->uCentre) / s->uScale;
  if (x0 < 0) s->uMin = -s->uCentre / s->uScale;
  if (y1 > textureHeight) s->vMax = (textureHeight - s->vCentre) / s->vScale;
  if (y0 < 0) s->vMin = -s->vCentre / s->vScale;
  return s->uMin < s->uMax && s->vMin < s->vMax;
}
