// The cap of the unit sphere and the disc domain.
#include "shapes/cap.h"

#include "shapes/geometry.h"

namespace {

// Slopes beyond which a sphere point is too close to the equator to be
// given parameters: the first root up to |u|, |v| = 100, the second up to 1000.
constexpr float NearRootSlope = 0.01f;
constexpr float FarRootSlope = 0.001f;

struct Vec3 {
  float x, y, z;
};

Vec3 cross(const Vec3& a, const Vec3& b) {
  return Vec3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// A root scaled by dd is usable when its sphere point has 0 <= z <= 1.
bool isCandidate(const Vec3& root, float dd) { return root.z >= 0 && root.z <= dd; }

// Writes the parameters of a root that lies clearly above the equator.
bool putRoot(float* hits, const Vec3& root, float slope) {
  float z = root.z;
  if (!(z > 0) || slope * magnitude(root.x) > z || slope * magnitude(root.y) > z) return false;
  hits[0] = root.x / z;
  hits[1] = root.y / z;
  return true;
}

// The disc's span on a line at distance across from its centre; (0, 0) when
// the line misses the disc.
void discSpan(float* out, float radius, float across) {
  float left = radius * radius - across * across;
  float s = left >= 0 ? (float)sqrt(left) : 0;
  out[0] = -s;
  out[1] = s;
}

}  // namespace

// --- CapSurface ---

void CapSurface::point(Vec4* out, float u, float v) {
  *out = Vec4{u, v, 1, (float)sqrt(u * u + v * v + 1)};
}

void CapSurface::tangentPlane(Vec4* out, float u, float v) {
  *out = Vec4{u, v, 1, -(float)sqrt(u * u + v * v + 1)};
}

int CapSurface::intersect(float* hits, const Vec4* p, const Vec4* q) {
  // Direction and moment of the line.
  Vec3 pp = {p->x, p->y, p->z}, qq = {q->x, q->y, q->z};
  Vec3 d = {p->w * qq.x - q->w * pp.x, p->w * qq.y - q->w * pp.y, p->w * qq.z - q->w * pp.z};
  Vec3 m = cross(qq, pp);
  float dd = dot(d, d), mm = dot(m, m);
  if (dd == 0 || dd - mm < 0) return 0;

  // The two crossings with the sphere, both scaled by dd: the point of the
  // line nearest the centre, m × d, plus and minus r·d.
  float r = (float)sqrt(dd - mm);
  Vec3 c = cross(m, d);
  Vec3 a = {c.x + r * d.x, c.y + r * d.y, c.z + r * d.z};
  Vec3 b = {c.x - r * d.x, c.y - r * d.y, c.z - r * d.z};

  // Roots inside the hemisphere.
  int n = 0;
  if (isCandidate(a, dd) && putRoot(hits, a, NearRootSlope)) ++n;
  if (isCandidate(b, dd) && putRoot(hits + 2 * n, b, FarRootSlope)) ++n;
  return n;
}

// --- DiscDomain ---

int DiscDomain::contains(float u, float v) { return u * u + v * v <= radius * radius; }

void DiscDomain::uSpan(float* out, float v) {
  discSpan(out, radius, v);
  clampUSpan(out, surface);
}

void DiscDomain::vSpan(float* out, float u) {
  discSpan(out, radius, u);
  clampVSpan(out, surface);
}
