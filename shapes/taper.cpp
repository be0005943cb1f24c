#include "shapes/taper.h"

#include "shapes/geometry.h"

double TaperDomain::inset() const {
  double half = 0.5 * (surface->uMax - surface->uMin);
  return taper < half ? (double)taper : half;
}

void TaperDomain::edgesAt(float* out, float v) const {
  const Surface* s = surface;
  // The inset grows from 0 at the wide edge to inset() at the narrow one.
  double height = s->vMax - s->vMin;
  double towardNarrow = narrowAtTop ? v - s->vMin : s->vMax - v;
  float q = (float)(inset() * towardNarrow / height);
  out[0] = (float)(s->uMin + q);
  out[1] = (float)(s->uMax - q);
}

int TaperDomain::contains(float u, float v) {
  float edges[2];
  edgesAt(edges, v);
  return edges[0] <= u && u <= edges[1] ? 1 : 0;
}

void TaperDomain::uSpan(float* out, float v) {
  edgesAt(out, v);
  clampUSpan(out, surface);
}

void TaperDomain::vSpan(float* out, float u) {
  const Surface* s = surface;
  double k = inset();
  // Distance in u to the nearer side of the rectangle; within k of a side
  // the slanted edge cuts the line short of the narrow edge.
  double fromLeft = u - s->uMin, fromRight = s->uMax - u;
  double side = fromLeft < fromRight ? fromLeft : fromRight;
  if (side < 0.0) side = 0.0;
  double height = s->vMax - s->vMin;
  double reach = side < k ? height * side / k : height;
  if (narrowAtTop) {
    out[0] = (float)s->vMin;
    out[1] = (float)(s->vMin + reach);
  } else {
    out[0] = (float)(s->vMax - reach);
    out[1] = (float)s->vMax;
  }
}
