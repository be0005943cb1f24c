// Cell painting: lighting, texel look-up and the cuts that give every texel
// of a two-texel cell its own fragment.
#include "engine/shade.h"

#include "engine/fixed.h"
#include "engine/frame.h"
#include "runtime/colour.h"
#include "runtime/services.h"

namespace {

// --- Polygon cuts ---

// The coordinate a cut is made in.
typedef float GridVertex::*Coordinate;

// The point of the edge from a to b where coordinate k equals c: each of the
// other components is a + (b - a)·t.
void cutPoint(const GridVertex* a, const GridVertex* b, float t, float c, Coordinate k,
              GridVertex* out) {
  out->sx = a->sx + (b->sx - a->sx) * t;
  out->sy = a->sy + (b->sy - a->sy) * t;
  out->u = a->u + (b->u - a->u) * t;
  out->v = a->v + (b->v - a->v) * t;
  out->*k = c;
}

void copyPolygon(const CellPolygon* from, CellPolygon* to) {
  to->count = from->count;
  for (int i = 0; i < from->count; ++i) to->vertex[i] = from->vertex[i];
}

// One side's vertex run goes whole to that side (r); the rest, in cyclic
// order, to the other (s); both are closed through the two crossings of the
// line, which are stored in poly.
void split(CellPolygon* poly, float c, Coordinate k, CellPolygon* low,
           CellPolygon* high) {
  const int n = poly->count;
  int firstBelow = -1, firstAbove = -1;
  for (int i = n - 1; i >= 0; --i) {
    float x = poly->vertex[i]->*k;
    if (x < c) firstBelow = i;
    if (x > c) firstAbove = i;
  }
  low->count = high->count = 0;
  if (firstBelow < 0 && firstAbove < 0) return;
  if (firstAbove < 0) return copyPolygon(poly, low);
  if (firstBelow < 0) return copyPolygon(poly, high);

  // The run side r and the other side s.
  const bool runIsLow = firstAbove < firstBelow;
  CellPolygon* r = runIsLow ? low : high;
  CellPolygon* s = runIsLow ? high : low;
  const int start = runIsLow ? firstBelow : firstAbove;
  int end = start;
  while (end < n && (runIsLow ? poly->vertex[end]->*k < c : poly->vertex[end]->*k > c))
    r->vertex[r->count++] = poly->vertex[end++];
  for (int i = end; i < start + n; ++i) s->vertex[s->count++] = poly->vertex[i % n];

  // Way out: from the run's last vertex b to s's first vertex a.
  GridVertex* b = r->vertex[r->count - 1];
  GridVertex* a = s->vertex[0];
  bool madeA = false;
  if (a->*k == c) {
    r->vertex[r->count++] = a;
  } else {
    cutPoint(a, b, (a->*k - c) / (a->*k - b->*k), c, k, &poly->cutA);
    r->vertex[r->count++] = &poly->cutA;
    madeA = true;
  }
  // Way back: from s's last vertex e to the run's first vertex d.
  GridVertex* e = s->vertex[s->count - 1];
  GridVertex* d = r->vertex[0];
  if (e->*k == c) {
    r->vertex[r->count++] = e;
  } else {
    cutPoint(d, e, (c - d->*k) / (e->*k - d->*k), c, k, &poly->cutB);
    r->vertex[r->count++] = &poly->cutB;
    s->vertex[s->count++] = &poly->cutB;
  }
  if (madeA) s->vertex[s->count++] = &poly->cutA;
}

// --- Texels ---

const VideoPixel* texel(const OpImage* picture, int column, int row) {
  int bufferRow = picture->y + picture->height - 1 - row;
  return (const VideoPixel*)(picture->pixels + bufferRow * picture->stride +
                             picture->x + column);
}

// Sets the frame's fill colour to the texel's colour times shade.
void setFill(RenderFrame* frame, const OpImage* picture, int column, int row,
             float shade) {
  VideoToLinear(&frame->fill, texel(picture, column, row));
  frame->fill.red *= shade;
  frame->fill.green *= shade;
  frame->fill.blue *= shade;
}

void fillWithTexel(CellPolygon* poly, RenderFrame* frame, const OpImage* picture,
                   int column, int row, float shade) {
  if (poly->count < 3) return;
  setFill(frame, picture, column, row, shade);
  fillPolygon(poly, frame);
}

// Fills poly, the part of a cell in one texel column, with that column's
// texel, or its two texels when the cell is double in v.
void fillColumnPart(CellPolygon* poly, RenderFrame* frame, const OpImage* picture,
                    int column, float shade, const CellPlace* cell) {
  if (poly->count < 3) return;
  if (!cell->doubleV) {
    fillWithTexel(poly, frame, picture, column, cell->row, shade);
    return;
  }
  CellPolygon low, high;
  splitAtV(poly, (cell->vOld + cell->vNew) * 0.5f, &low, &high);
  const bool oldIsLow = cell->vNew > cell->vOld;
  fillWithTexel(oldIsLow ? &low : &high, frame, picture, column, cell->row, shade);
  fillWithTexel(oldIsLow ? &high : &low, frame, picture, column, cell->row + 1, shade);
}

GridVertex midpoint(const GridVertex* a, const GridVertex* b) {
  return GridVertex{(a->sx + b->sx) * 0.5f, (a->sy + b->sy) * 0.5f, 0.0f, 0.0f};
}

// A quadrilateral fragment of a full cell.
void fillQuad(GridVertex* a, GridVertex* b, GridVertex* c, GridVertex* d,
              RenderFrame* frame, const OpImage* picture, int column, int row,
              float shade) {
  CellPolygon quad;
  quad.count = 4;
  quad.vertex[0] = a;
  quad.vertex[1] = b;
  quad.vertex[2] = c;
  quad.vertex[3] = d;
  fillWithTexel(&quad, frame, picture, column, row, shade);
}

// All four corners visible: fragments from the screen midpoints.
void paintFullCell(CellPolygon* poly, RenderFrame* frame, const OpImage* picture,
                   float shade, const CellPlace* cell) {
  GridVertex* lo = poly->vertex[0];
  GridVertex* ln = poly->vertex[1];
  GridVertex* rn = poly->vertex[2];
  GridVertex* ro = poly->vertex[3];
  const int c = cell->column, r = cell->row;
  if (!cell->doubleU && !cell->doubleV) {
    fillWithTexel(poly, frame, picture, c, r, shade);
    return;
  }
  GridVertex mo = midpoint(lo, ro), mn = midpoint(ln, rn);
  GridVertex ml = midpoint(lo, ln), mr = midpoint(ro, rn);
  if (!cell->doubleV) {
    fillQuad(lo, ln, &mn, &mo, frame, picture, c, r, shade);
    fillQuad(&mo, &mn, rn, ro, frame, picture, c + 1, r, shade);
  } else if (!cell->doubleU) {
    fillQuad(lo, &ml, &mr, ro, frame, picture, c, r, shade);
    fillQuad(&ml, ln, rn, &mr, frame, picture, c, r + 1, shade);
  } else {
    GridVertex mc = {(lo->sx + ln->sx + ro->sx + rn->sx) * 0.25f,
                     (lo->sy + ln->sy + ro->sy + rn->sy) * 0.25f, 0.0f, 0.0f};
    fillQuad(lo, &ml, &mc, &mo, frame, picture, c, r, shade);
    fillQuad(&mo, &mc, &mr, ro, frame, picture, c + 1, r, shade);
    fillQuad(&ml, ln, &mn, &mc, frame, picture, c, r + 1, shade);
    fillQuad(&mc, &mn, rn, &mr, frame, picture, c + 1, r + 1, shade);
  }
}

}  // namespace

float shadeFactor(Scene* scene, Surface* surface, float u, float v) {
  // The tangent plane's normal in camera coordinates.
  Vec4 plane;
  surface->tangentPlane(&plane, u, v);
  const float* m = surface->normalMatrix.m;
  Vec4 rows[3] = {{m[0], m[1], m[2], m[3]},
                  {m[4], m[5], m[6], m[7]},
                  {m[8], m[9], m[10], m[11]}};
  Vec4 normal = {(float)dot4(&rows[0], &plane), (float)dot4(&rows[1], &plane),
                 (float)dot4(&rows[2], &plane), 0.0f};
  double length = sqrt((double)normal.x * normal.x + (double)normal.y * normal.y +
                       (double)normal.z * normal.z);
  if (length == 0.0) return 0.0f;

  // Both faces alike: the absolute cosine.
  const float* l = scene->camera->light;
  Vec4 light = {l[0], l[1], l[2], 0.0f};
  double c = dot3(&normal, &light) / length;
  if (c < 0) c = -c;
  return (float)(0.5 * (1.0 + c));
}

void splitAtU(CellPolygon* poly, float c, CellPolygon* low, CellPolygon* high) {
  split(poly, c, &GridVertex::u, low, high);
}

void splitAtV(CellPolygon* poly, float c, CellPolygon* low, CellPolygon* high) {
  split(poly, c, &GridVertex::v, low, high);
}

void fillPolygon(CellPolygon* poly, RenderFrame* frame) {
  if (poly->count < 3) return;
  FixedPolygon fixed;
  fixed.x0 = fixed.y0 = 0;
  fixed.count = poly->count;
  for (int k = 0; k < poly->count; ++k) {
    fixed.v[k].x = fixedFromPixels(poly->vertex[k]->sx);
    fixed.v[k].y = fixedFromPixels(poly->vertex[k]->sy);
  }
  accumulatePolygon(&fixed, frame);
}

void paintCell(Surface* surface, RenderFrame* frame, CellPolygon* poly, int fullCell,
               float shade, const CellPlace* cell) {
  const OpImage* picture = surface->picture;
  if (fullCell) {
    paintFullCell(poly, frame, picture, shade, cell);
    return;
  }
  if (!cell->doubleU) {
    fillColumnPart(poly, frame, picture, cell->column, shade, cell);
    return;
  }
  CellPolygon low, high;
  splitAtU(poly, (cell->uLeft + cell->uRight) * 0.5f, &low, &high);
  const bool leftIsLow = cell->uRight > cell->uLeft;
  fillColumnPart(leftIsLow ? &low : &high, frame, picture, cell->column, shade, cell);
  fillColumnPart(leftIsLow ? &high : &low, frame, picture, cell->column + 1, shade,
                 cell);
}
