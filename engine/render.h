// The render loop: walks a surface's grid of texel boundaries, decides for
// every grid vertex whether its surface point is painted and seen by the
// camera, places boundary points on the grid edges where that changes, and
// paints the visible polygon of every cell. Visibility casts the line of
// sight from the eye to the surface point against every surface of the scene.
#pragma once

#include "engine/scene.h"

struct RenderFrame;

// A surface point on screen with its parameters.
struct GridVertex {
  float sx, sy;   // pixels: sx from the left edge, sy up from the bottom edge
  float u, v;
};

enum : int {
  GridCacheCorner = 1,      // corner holds the visible vertex on this column line
  GridCacheEdgePoint = 2,   // edgePoint holds the boundary on the row edge ending here
};

// One column of one row of the grid cache. The cache holds two rows of one
// entry per picture column.
struct GridCacheEntry {
  int flags;                // GridCacheCorner | GridCacheEdgePoint
  GridVertex corner;
  GridVertex edgePoint;
};

// Draws surface into frame; relateSurfaces must have been called for it.
// field is the value given to setupCamera; halfStep selects the two-texel
// grid step. Returns 1.
int drawSurface(Scene* scene, Surface* surface, RenderFrame* frame, int field,
                int halfStep);
// 1 if the point of surface at (u, v) is seen by the camera; then out (if
// not null) receives its screen position.
int isVisible(Scene* scene, Surface* surface, float u, float v, GridVertex* out);
// The boundary point between two neighbouring grid vertices on one grid line:
// inside = (u, v) visible, outside = (u, v) not.
void findEdgePoint(Scene* scene, GridVertex* out, Surface* surface,
                   const float* inside, const float* outside);
