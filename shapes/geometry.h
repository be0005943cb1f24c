// Small helpers of the surface and domain classes.
#pragma once

#include "engine/scene.h"

inline float magnitude(float a) { return a < 0 ? -a : a; }

// Spans of a painted region on one parameter line are cut to the surface's
// parameter rectangle.

// Raises out[0] to low if below it and lowers out[1] to high if above it.
inline void clampSpan(float* out, double low, double high) {
  if (out[0] < low) out[0] = (float)low;
  if (out[1] > high) out[1] = (float)high;
}

inline void clampUSpan(float* out, const Surface* surface) {
  clampSpan(out, surface->uMin, surface->uMax);
}

inline void clampVSpan(float* out, const Surface* surface) {
  clampSpan(out, surface->vMin, surface->vMax);
}

// Turns about a coordinate axis by angle (radians, right-handed: turnX
// carries +y towards +z, turnY +z towards +x, turnZ +x towards +y),
// followed by a shift.
Mat4 turnX(double angle, float shiftY, float shiftZ);
Mat4 turnY(double angle, float shiftX, float shiftZ);
Mat4 turnZ(double angle);
