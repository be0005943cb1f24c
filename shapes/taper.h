// Trapezoids that fill a surface's parameter rectangle, with one of its two
// edges v = const narrowed by the same inset on each side: the faces of a
// pyramid whose strips lean inward until their narrow edges meet.
//
// The wide edge keeps the full width [uMin, uMax]; at the narrow edge the
// region is [uMin + taper, uMax - taper]; the two slanted edges join them.
// Points on a slanted edge are painted. A taper above half the width would
// cross the slanted edges over; it is taken as half the width, so the region
// is a triangle at most.
#pragma once

#include "engine/scene.h"

class TaperDomain : public SurfaceDomain {
 public:
  int contains(float u, float v) override;
  void uSpan(float* out, float v) override;
  void vSpan(float* out, float u) override;

  float taper = 0.0f;   // inset of the narrow edge on each side, u units, >= 0

 protected:
  explicit TaperDomain(bool narrowAtTop) : narrowAtTop(narrowAtTop) {}

 private:
  // The taper actually used: at most half the rectangle's width.
  double inset() const;
  // The painted u interval at v, not yet clamped to the rectangle.
  void edgesAt(float* out, float v) const;

  bool narrowAtTop;   // the narrow edge is v = vMax (else v = vMin)
};

// Narrow at the top edge v = vMax, full width at v = vMin.
class TopTaperDomain : public TaperDomain {
 public:
  TopTaperDomain() : TaperDomain(true) {}
};

// Narrow at the bottom edge v = vMin, full width at v = vMax.
class BottomTaperDomain : public TaperDomain {
 public:
  BottomTaperDomain() : TaperDomain(false) {}
};
