// The grid walk. Every grid vertex of a surface is tested once: rows are
// walked in order, the previous row's corners and boundary points come from
// the two-row grid cache, the previous column's from the cell state. Each
// cell with at least one visible corner is cut down to its visible polygon
// (one of fifteen shapes, by which corners are visible) and painted.
#include "engine/render.h"

#include "engine/frame.h"
#include "engine/shade.h"
#include "runtime/services.h"

namespace {

enum : int { MaxHits = 4 };
// A boundary point is placed to 1/2^BisectionSteps of its edge, after a
// probe 1/ProbeDivisor of the way in from the domain's span end.
enum : int { BisectionSteps = 4, ProbeDivisor = 64 };

// Cell flag bits: which corners passed the vertex test.
enum : int {
  LeftOld = 1, LeftNew = 2, RightOld = 4, RightNew = 8,
  AllCorners = LeftOld | LeftNew | RightOld | RightNew,
};

inline bool exactlyOneOf(int flags, int pair) {
  int f = flags & pair;
  return f != 0 && f != pair;
}

void toGridVertex(const Vec4* s, float u, float v, GridVertex* out) {
  out->sx = s->x / s->w;
  out->sy = s->y / s->w;
  out->u = u;
  out->v = v;
}

// Screen position of a point known to be seen.
void project(Surface* surface, float u, float v, GridVertex* out) {
  Vec4 p, s;
  surface->point(&p, u, v);
  mat4Transform(&s, &surface->toScreen, &p);
  toGridVertex(&s, u, v, out);
}

bool insideWide(const Surface* s, float u, float v) {
  return s->uLoWide <= u && u <= s->uHiWide && s->vLoWide <= v && v <= s->vHiWide;
}

// A hit of the tested surface this close to the tested point is the point.
bool isSelfHit(const Surface* s, float du, float dv) {
  return s->selfWindow[0] < du && du < s->selfWindow[1] && s->selfWindow[2] < dv &&
         dv < s->selfWindow[3];
}

// True if some painted hit of t on the line of sight to p lies in front of
// depth.
bool hides(Surface* t, bool isTested, const Vec4* p, float u, float v, float depth) {
  // The eye in t's coordinates: column 2 of fromScreen.
  const float* m = t->fromScreen.m;
  Vec4 eye = {m[2], m[6], m[10], m[14]};
  float hits[2 * MaxHits];
  int n = t->intersect(hits, p, &eye);
  for (int k = 0; k < n; ++k) {
    float hu = hits[2 * k], hv = hits[2 * k + 1];
    if (isTested && isSelfHit(t, hu - u, hv - v)) continue;
    if (!insideWide(t, hu, hv) || !t->domain->contains(hu, hv)) continue;
    Vec4 q, h;
    t->point(&q, hu, hv);
    mat4Transform(&h, &t->toScreen, &q);
    if (h.w == 0.0f) continue;
    float dh = h.z / h.w;
    if (dh >= 0.0f && dh < depth) return true;
  }
  return false;
}

// Rectangle, domain, then line of sight.
int vertexTest(Scene* scene, Surface* s, float u, float v, GridVertex* out) {
  if (!insideWide(s, u, v)) return 0;
  if (!s->domain->contains(u, v)) return 0;
  return isVisible(scene, s, u, v, out);
}

inline int nextLine(int k, int last, int halfStep) {
  return (halfStep && k + 1 < last) ? k + 2 : k + 1;
}

inline float gridU(const Surface* s, int i) { return s->uAtZero + s->uPerTexel * (float)i; }
inline float gridV(const Surface* s, int j) { return s->vAtZero + s->vPerTexel * (float)j; }

// --- Cells ---

// The eight vertices a cell can use.
enum CellSlot { LO, LN, RO, RN, EO, EN, EL, ER, CellSlots };

struct CellShape {
  signed char count;
  signed char slot[6];
  float uLeftWeight, vOldWeight;   // sample point = w·(left/old) + (1-w)·(right/new)
};

// Visible polygon and shading sample by visible corners. The diagonal cases
// 6 and 9 are one hexagon through the cell centre; with three corners the
// sample lies on the diagonal through the missing corner, a quarter of the
// way from the opposite one.
const CellShape cellShapes[16] = {
    {0, {}, 0, 0},
    {3, {LO, EO, EL}, 1.0f, 1.0f},
    {3, {LN, EL, EN}, 1.0f, 0.0f},
    {4, {LN, LO, EO, EN}, 1.0f, 0.5f},
    {3, {RO, ER, EO}, 0.0f, 1.0f},
    {4, {LO, RO, ER, EL}, 0.5f, 1.0f},
    {6, {RO, ER, EN, LN, EL, EO}, 0.5f, 0.5f},
    {5, {LN, LO, RO, ER, EN}, 0.75f, 0.75f},
    {3, {RN, EN, ER}, 0.0f, 0.0f},
    {6, {LO, EO, ER, RN, EN, EL}, 0.5f, 0.5f},
    {4, {RN, LN, EL, ER}, 0.5f, 0.0f},
    {5, {RN, LN, LO, EO, ER}, 0.75f, 0.25f},
    {4, {RO, RN, EN, EO}, 0.0f, 0.5f},
    {5, {LO, RO, RN, EN, EL}, 0.25f, 0.75f},
    {5, {RO, RN, LN, EL, EO}, 0.25f, 0.25f},
    {4, {LO, LN, RN, RO}, 0.5f, 0.5f},
};

inline float between(float weight, float a, float b) {
  return weight * a + (1.0f - weight) * b;
}

void paint(Scene* scene, Surface* surface, RenderFrame* frame, int flags,
           GridVertex* vertex, const CellPlace* place) {
  const CellShape& shape = cellShapes[flags];
  CellPolygon poly;
  poly.count = shape.count;
  for (int k = 0; k < shape.count; ++k) poly.vertex[k] = &vertex[(int)shape.slot[k]];
  float su = between(shape.uLeftWeight, place->uLeft, place->uRight);
  float sv = between(shape.vOldWeight, place->vOld, place->vNew);
  float shade = shadeFactor(scene, surface, su, sv);
  paintCell(surface, frame, &poly, flags == AllCorners, shade, place);
}

// The two rows of grid-cache entries, indexed from the grid's first column.
struct CacheRows {
  GridCacheEntry* base;
  int columns;
  int newer;   // 0 or 1: the half written in the current row
  GridCacheEntry* oldRow() { return base + (1 - newer) * columns; }
  GridCacheEntry* newRow() { return base + newer * columns; }
};

// The boundary between (u0, v0) and (u1, v1), one visible and one not.
void edgeBetween(Scene* scene, Surface* s, bool firstVisible, float u0, float v0,
                 float u1, float v1, GridVertex* out) {
  const float a[2] = {u0, v0}, b[2] = {u1, v1};
  if (firstVisible)
    findEdgePoint(scene, out, s, a, b);
  else
    findEdgePoint(scene, out, s, b, a);
}

}  // namespace

int isVisible(Scene* scene, Surface* surface, float u, float v, GridVertex* out) {
  // The point must lie at or beyond the near plane.
  Vec4 p, s;
  surface->point(&p, u, v);
  mat4Transform(&s, &surface->toScreen, &p);
  float depth = s.z / s.w;
  if (!(depth >= 0.0f)) return 0;

  // Cast the line of sight against every surface.
  for (Surface* t = scene->first; t; t = t->next) {
    Vec4 local;
    if (t == surface)
      local = p;
    else
      mat4Transform(&local, &t->toThis, &p);
    if (hides(t, t == surface, &local, u, v, depth)) return 0;
  }
  if (out) toGridVertex(&s, u, v, out);
  return 1;
}

void findEdgePoint(Scene* scene, GridVertex* out, Surface* surface,
                   const float* inside, const float* outside) {
  // The coordinate that changes along the edge, and the domain's span there.
  float span[2];
  int along;
  if (inside[0] == outside[0]) {
    surface->domain->vSpan(span, inside[0]);
    along = 1;
  } else {
    surface->domain->uSpan(span, inside[1]);
    along = 0;
  }
  const float a = inside[along], b = outside[along];
  const float lo = span[0], hi = span[1];

  // Outside the span: the boundary is the domain's edge, unless something
  // hides the point just inside it.
  float in[2] = {inside[0], inside[1]};
  float off[2] = {outside[0], outside[1]};
  if (b < lo || b > hi) {
    bool towardLo = b < lo;
    if (towardLo ? !(a > b) : !(a < b)) {
      project(surface, inside[0], inside[1], out);
      return;
    }
    off[0] = inside[0];
    off[1] = inside[1];
    off[along] = towardLo ? lo + (a - lo) / (float)ProbeDivisor
                          : hi - (hi - a) / (float)ProbeDivisor;
    if (isVisible(scene, surface, off[0], off[1], out)) return;
  }

  // Occlusion boundary: bisect the line of sight only.
  for (int step = 0; step < BisectionSteps; ++step) {
    float m[2] = {(in[0] + off[0]) * 0.5f, (in[1] + off[1]) * 0.5f};
    float* keep = isVisible(scene, surface, m[0], m[1], nullptr) ? in : off;
    keep[0] = m[0];
    keep[1] = m[1];
  }
  project(surface, (in[0] + off[0]) * 0.5f, (in[1] + off[1]) * 0.5f, out);
}

int drawSurface(Scene* scene, Surface* surface, RenderFrame* frame, int field,
                int halfStep) {
  Surface* s = surface;
  if (s->gridU0 >= s->gridU1 || s->gridV0 >= s->gridV1) return 1;

  // The grid cache: two rows of one entry per column line after the first.
  CacheRows cache;
  cache.columns = s->gridU1 - s->gridU0;
  cache.newer = 0;
  VxSize needed = 2 * (VxSize)cache.columns * sizeof(GridCacheEntry);
  GridCacheEntry* ownCache = nullptr;
  if (needed <= frame->gridCacheBytes) {
    cache.base = frame->gridCache;
  } else {
    // A picture wider than the frame: the frame's cache is too small.
    ownCache = (GridCacheEntry*)malloc(needed);
    if (!ownCache) return 1;
    cache.base = ownCache;
  }

  GridVertex cell[CellSlots] = {};
  GridVertex rowStart = {};
  CellPlace place;

  // First row: corners and the boundary points on the row edges.
  float v = gridV(s, s->gridV0);
  float u = gridU(s, s->gridU0);
  int rowStartFlags = vertexTest(scene, s, u, v, &rowStart) ? RightNew : 0;
  int flags = rowStartFlags;
  for (int i = nextLine(s->gridU0, s->gridU1, halfStep); i <= s->gridU1;
       i = nextLine(i, s->gridU1, halfStep)) {
    float uPrev = u;
    u = gridU(s, i);
    flags >>= 2;
    GridCacheEntry* entry = &cache.newRow()[i - s->gridU0 - 1];
    entry->flags = 0;
    if (vertexTest(scene, s, u, v, &entry->corner)) {
      flags += RightNew;
      entry->flags += GridCacheCorner;
    }
    if (exactlyOneOf(flags, LeftNew | RightNew)) {
      edgeBetween(scene, s, flags & RightNew, u, v, uPrev, v, &entry->edgePoint);
      entry->flags += GridCacheEdgePoint;
    }
  }

  // Every further row: the cells between it and the previous one.
  int jPrev = s->gridV0;
  for (int j = nextLine(s->gridV0, s->gridV1, halfStep); j <= s->gridV1;
       jPrev = j, j = nextLine(j, s->gridV1, halfStep)) {
    opChkAbort();
    float vPrev = v;
    v = gridV(s, j);
    // Interior rows move a quarter texel against the field's direction.
    if (field != 0 && j != s->gridV1) v = (float)(v - 0.25 * field / s->vScale);

    // The left edge: the right edge of a cell before the first.
    u = gridU(s, s->gridU0);
    flags = 0;
    if (rowStartFlags & RightNew) {
      flags = RightOld;
      cell[RO] = rowStart;
    }
    if (vertexTest(scene, s, u, v, &rowStart)) {
      flags += RightNew;
      cell[RN] = rowStart;
    }
    rowStartFlags = flags;
    if (exactlyOneOf(flags, RightOld | RightNew))
      edgeBetween(scene, s, flags & RightNew, u, v, u, vPrev, &cell[ER]);

    cache.newer ^= 1;
    GridCacheEntry* oldRow = cache.oldRow();
    GridCacheEntry* newRow = cache.newRow();
    place.row = jPrev;
    place.doubleV = j - jPrev == 2;
    place.vOld = vPrev;
    place.vNew = v;

    int iPrev = s->gridU0;
    for (int i = nextLine(s->gridU0, s->gridU1, halfStep); i <= s->gridU1;
         iPrev = i, i = nextLine(i, s->gridU1, halfStep)) {
      float uPrev = u;
      u = gridU(s, i);
      cell[LO] = cell[RO];
      cell[LN] = cell[RN];
      cell[EL] = cell[ER];
      flags >>= 2;

      // Old row from the cache, new row tested now.
      GridCacheEntry* older = &oldRow[i - s->gridU0 - 1];
      GridCacheEntry* newer = &newRow[i - s->gridU0 - 1];
      if (older->flags & GridCacheCorner) {
        cell[RO] = older->corner;
        flags += RightOld;
      }
      if (exactlyOneOf(flags, LeftOld | RightOld)) cell[EO] = older->edgePoint;
      newer->flags = 0;
      if (vertexTest(scene, s, u, v, &newer->corner)) {
        flags += RightNew;
        newer->flags += GridCacheCorner;
        cell[RN] = newer->corner;
      }
      if (flags == 0) continue;

      // Boundary points on the new row and the right edge.
      if ((flags & (LeftNew | RightOld | RightNew)) != (LeftNew | RightOld | RightNew)) {
        if (exactlyOneOf(flags, LeftNew | RightNew)) {
          edgeBetween(scene, s, flags & RightNew, u, v, uPrev, v, &cell[EN]);
          newer->flags += GridCacheEdgePoint;
          newer->edgePoint = cell[EN];
        }
        if (exactlyOneOf(flags, RightOld | RightNew))
          edgeBetween(scene, s, flags & RightNew, u, v, u, vPrev, &cell[ER]);
      }

      place.column = iPrev;
      place.doubleU = i - iPrev == 2;
      place.uLeft = uPrev;
      place.uRight = u;
      paint(scene, s, frame, flags, cell, &place);
    }
  }

  if (ownCache) free(ownCache);
  return 1;
}
