#include "tests/engine_testscene.h"

#include <math.h>

int abortPolls = 0;
extern "C" int opChkAbort(void) {
  ++abortPolls;
  return 0;
}

// --- Plane ---

void TestPlane::point(Vec4* out, float u, float v) { *out = Vec4{u, v, 0.0f, 1.0f}; }

void TestPlane::tangentPlane(Vec4* out, float, float) { *out = Vec4{0, 0, -1, 0}; }

int TestPlane::intersect(float* hits, const Vec4* p, const Vec4* q) {
  // The line meets z = 0 at (X, Y, 0, W).
  float w = p->w * q->z - p->z * q->w;
  float x = p->x * q->z - p->z * q->x;
  float y = p->y * q->z - p->z * q->y;
  if (w < 0) {
    w = -w;
    x = -x;
    y = -y;
  }
  if (w < 1) return 0;
  if (0.01f * fabsf(y) > w || 0.01f * fabsf(x) > w) return 0;
  hits[0] = x / w;
  hits[1] = y / w;
  return 1;
}

// --- Sphere ---

void TestSphere::point(Vec4* out, float u, float v) {
  double cv = cos(v);
  *out = Vec4{(float)(cv * sin(u)), (float)sin(v), (float)(cv * cos(u)), 1.0f};
}

void TestSphere::tangentPlane(Vec4* out, float u, float v) {
  Vec4 p;
  point(&p, u, v);
  *out = Vec4{p.x, p.y, p.z, -1.0f};
}

int TestSphere::intersect(float* hits, const Vec4* p, const Vec4* q) {
  double a[3] = {p->x / (double)p->w, p->y / (double)p->w, p->z / (double)p->w};
  double e[3] = {q->x / (double)q->w, q->y / (double)q->w, q->z / (double)q->w};
  double d[3] = {a[0] - e[0], a[1] - e[1], a[2] - e[2]};
  double qa = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
  double qb = 2 * (e[0] * d[0] + e[1] * d[1] + e[2] * d[2]);
  double qc = e[0] * e[0] + e[1] * e[1] + e[2] * e[2] - 1;
  double disc = qb * qb - 4 * qa * qc;
  if (qa == 0 || disc < 0) return 0;
  int n = 0;
  for (int sign = -1; sign <= 1; sign += 2) {
    double t = (-qb + sign * sqrt(disc)) / (2 * qa);
    double x = e[0] + t * d[0], y = e[1] + t * d[1], z = e[2] + t * d[2];
    hits[2 * n] = (float)atan2(x, z);
    hits[2 * n + 1] = (float)asin(y < -1 ? -1 : y > 1 ? 1 : y);
    ++n;
  }
  return n;
}

// --- Rectangle ---

int TestRectangle::contains(float, float) { return 1; }

void TestRectangle::uSpan(float* out, float) {
  out[0] = (float)surface->uMin;
  out[1] = (float)surface->uMax;
}

void TestRectangle::vSpan(float* out, float) {
  out[0] = (float)surface->vMin;
  out[1] = (float)surface->vMax;
}

// --- Pictures ---

VideoPixel videoPixel(int y, int cb, int cr) {
  return VideoPixel{0, (uint8_t)cr, (uint8_t)cb, (uint8_t)y};
}

VideoPixel grey(int y) { return videoPixel(y, 128, 128); }

namespace {
uint32_t word(VideoPixel p) {
  uint32_t w;
  memcpy(&w, &p, 4);
  return w;
}
}  // namespace

TestImage::TestImage(int width, int height, VideoPixel fill)
    : buffer((width + 2) * (height + 2), word(videoPixel(99, 77, 55))) {
  image.pixels = buffer.data();
  image.stride = (int16_t)(width + 2);
  image.rows = (int16_t)(height + 2);
  image.x = 1;
  image.y = 1;
  image.width = (int16_t)width;
  image.height = (int16_t)height;
  for (int r = 0; r < height; ++r)
    for (int c = 0; c < width; ++c) at(c, r) = fill;
}

VideoPixel& TestImage::at(int column, int row) {
  return *(VideoPixel*)&buffer[(row + image.y) * image.stride + image.x + column];
}

// --- Camera and placements ---

void makeCamera(Camera* camera, int width, int height, float distance, int field) {
  *camera = Camera{};
  camera->position[2] = distance;
  camera->axisX[0] = 1;
  camera->axisY[1] = 1;
  camera->axisZ[2] = 1;
  camera->width = width;
  camera->height = height;
  camera->depthRange = 1;
  camera->viewWidth = (float)width;
  camera->viewHeight = (float)height;
  camera->focal = distance;
  camera->near = 0.5f * distance;
  camera->far = 2.0f * distance;
  camera->light[2] = 1;
  setupCamera(camera, field);
}

void setSurface(Surface* s, SurfaceDomain* domain, OpImage* picture, double uMin,
                double uMax, double vMin, double vMax, double uScale, double vScale,
                const Mat4& placement) {
  s->domain = domain;
  domain->surface = s;
  s->picture = picture;
  s->uMin = uMin;
  s->uMax = uMax;
  s->vMin = vMin;
  s->vMax = vMax;
  s->uScale = uScale;
  s->vScale = vScale;
  s->uCentre = 0.5 * picture->width;
  s->vCentre = 0.5 * picture->height;
  s->uOrigin = s->vOrigin = 0;
  s->placement = placement;
}

Mat4 translation(float x, float y, float z) {
  Mat4 m;
  mat4Identity(&m);
  m.m[3] = x;
  m.m[7] = y;
  m.m[11] = z;
  return m;
}

Mat4 rotationX(double angle) {
  Mat4 m;
  mat4Identity(&m);
  m.m[5] = m.m[10] = (float)cos(angle);
  m.m[6] = (float)-sin(angle);
  m.m[9] = (float)sin(angle);
  return m;
}

Mat4 rotationY(double angle) {
  Mat4 m;
  mat4Identity(&m);
  m.m[0] = m.m[10] = (float)cos(angle);
  m.m[2] = (float)sin(angle);
  m.m[8] = (float)-sin(angle);
  return m;
}

Mat4 scaling(float k) {
  Mat4 m;
  mat4Identity(&m);
  m.m[0] = m.m[5] = m.m[10] = k;
  return m;
}

Mat4 product(const Mat4& a, const Mat4& b) {
  Mat4 m;
  mat4Multiply(&m, &a, &b);
  return m;
}
