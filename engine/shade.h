// Cell painting: one lighting factor per cell, one texel colour per fragment.
// A cell covering two texels in u or v is cut into one fragment per texel;
// each fragment is accumulated with its texel's colour times the factor.
#pragma once

#include "engine/render.h"

struct RenderFrame;

enum : int { CellPolygonCapacity = 12 };

// A polygon in boundary order, by reference to vertices that must outlive it.
// A cut stores the vertices it creates in the polygon that was cut.
struct CellPolygon {
  int count;
  GridVertex* vertex[CellPolygonCapacity];
  GridVertex cutA, cutB;
};

// Where a cell lies in its surface's grid.
struct CellPlace {
  int column, row;        // texel column and row at the left / old-row corner
  int doubleU, doubleV;   // non-zero: the cell covers two texels that way
  float uLeft, uRight;    // u of the left and right column lines
  float vOld, vNew;       // v of the old and new row lines
};

// 0.5·(1 + |cos|) between the tangent plane's normal and the camera's light,
// in [0.5, 1]; 0 for a degenerate tangent plane.
float shadeFactor(Scene* scene, Surface* surface, float u, float v);
// Cut poly by the line u = c (v = c) into the parts with smaller and larger
// u (v), keeping poly's boundary order. Either part may come out empty.
void splitAtU(CellPolygon* poly, float c, CellPolygon* low, CellPolygon* high);
void splitAtV(CellPolygon* poly, float c, CellPolygon* low, CellPolygon* high);
// Accumulates poly with frame->fill.
void fillPolygon(CellPolygon* poly, RenderFrame* frame);
// Paints one cell's visible polygon with the cell's texel(s) scaled by shade.
// For a full cell (all four corners visible) poly is LO, LN, RN, RO.
void paintCell(Surface* surface, RenderFrame* frame, CellPolygon* poly,
               int fullCell, float shade, const CellPlace* cell);
