// Camera set-up, the surface list, and the per-surface data derived once per
// field before drawing.
#include "engine/scene.h"

#include "engine/render.h"
#include "runtime/services.h"

namespace {

// Texel coordinate of parameter value p under scale, centre and origin.
inline double toTexel(double p, double origin, double scale, double centre) {
  return (p - origin) * scale + centre;
}

inline double lesser(double a, double b) { return a < b ? a : b; }
inline double greater(double a, double b) { return a > b ? a : b; }
inline double magnitude(double a) { return a < 0 ? -a : a; }

// The grid lines covering the texel extent [a, b] (either order), kept
// within the picture's size.
void gridBounds(double a, double b, int size, int* first, int* last) {
  int lo = (int)floor(lesser(a, b));
  int hi = (int)ceil(greater(a, b));
  *first = lo < 0 ? 0 : lo;
  *last = hi > size ? size : hi;
}

void prepareSurface(Surface* s, const Camera* camera) {
  // Grid of texel boundaries
  gridBounds(toTexel(s->uMin, s->uOrigin, s->uScale, s->uCentre),
             toTexel(s->uMax, s->uOrigin, s->uScale, s->uCentre),
             s->picture->width, &s->gridU0, &s->gridU1);
  gridBounds(toTexel(s->vMin, s->vOrigin, s->vScale, s->vCentre),
             toTexel(s->vMax, s->vOrigin, s->vScale, s->vCentre),
             s->picture->height, &s->gridV0, &s->gridV1);

  // Parameter steps, windows and the texel-to-parameter mapping
  s->uStep = 1.0 / magnitude(s->uScale);
  s->vStep = 1.0 / magnitude(s->vScale);
  s->selfWindow[0] = (float)(-0.25 * s->uStep);
  s->selfWindow[1] = (float)(0.25 * s->uStep);
  s->selfWindow[2] = (float)(-0.25 * s->vStep);
  s->selfWindow[3] = (float)(0.25 * s->vStep);
  s->uLoWide = (float)(s->uMin - 0.01 * s->uStep);
  s->uHiWide = (float)(s->uMax + 0.01 * s->uStep);
  s->vLoWide = (float)(s->vMin - 0.01 * s->vStep);
  s->vHiWide = (float)(s->vMax + 0.01 * s->vStep);
  s->uPerTexel = (float)(1.0 / s->uScale);
  s->vPerTexel = (float)(1.0 / s->vScale);
  s->uAtZero = (float)(s->uOrigin - s->uCentre / s->uScale);
  s->vAtZero = (float)(s->vOrigin - s->vCentre / s->vScale);

  // Matrices
  mat4NormalizeScale(&s->placement);
  mat4Invert(&s->inversePlacement, &s->placement);
  mat4Multiply(&s->modelView, &camera->view, &s->placement);
  mat4Multiply(&s->toScreen, &camera->screen, &s->placement);
  mat4Invert(&s->fromScreen, &s->toScreen);
  mat4Cofactor(&s->normalMatrix, &s->modelView);
}

}  // namespace

void setupCamera(Camera* camera, int field) {
  // Camera frame: columns axisX, axisY, axisZ and the eye position.
  Mat4* frame = &camera->cameraToWorld;
  for (int r = 0; r < 3; ++r) {
    frame->m[4 * r + 0] = camera->axisX[r];
    frame->m[4 * r + 1] = camera->axisY[r];
    frame->m[4 * r + 2] = camera->axisZ[r];
    frame->m[4 * r + 3] = camera->position[r];
  }
  frame->m[12] = frame->m[13] = frame->m[14] = 0.0f;
  frame->m[15] = 1.0f;
  mat4NormalizeScale(frame);
  mat4Invert(&camera->view, frame);

  // Perspective projection onto output pixels; depth 0 at near, D at far.
  double w = (float)camera->width;
  double h = (float)camera->height;
  double d = (float)camera->depthRange;
  double a = -camera->far * d / ((double)camera->far - camera->near);
  Mat4 p;
  for (int k = 0; k < 16; ++k) p.m[k] = 0.0f;
  p.m[0] = (float)(camera->focal * w / camera->viewWidth);
  p.m[2] = (float)(-0.5 * w);
  p.m[5] = (float)(camera->focal * h / camera->viewHeight);
  p.m[6] = (float)(-(0.5 * h + 0.25 * field));
  p.m[10] = (float)a;
  p.m[11] = (float)(a * camera->near);
  p.m[14] = -1.0f;

  mat4Multiply(&camera->screen, &p, &camera->view);
  mat4NormalizeScale(&camera->screen);
  mat4Invert(&camera->screenInverse, &camera->screen);
}

void addSurface(Scene* scene, Surface* surface) {
  surface->next = nullptr;
  Surface** link = &scene->first;
  while (*link) link = &(*link)->next;
  *link = surface;
}

void prepareScene(Scene* scene, Camera* camera) {
  scene->camera = camera;
  for (Surface* s = scene->first; s; s = s->next) prepareSurface(s, camera);
}

void relateSurfaces(Scene* scene, Surface* drawn) {
  for (Surface* s = scene->first; s; s = s->next) {
    if (s == drawn)
      mat4Identity(&s->toThis);
    else
      mat4Multiply(&s->toThis, &s->inversePlacement, &drawn->placement);
  }
}

int renderScene(Scene* scene, RenderFrame* frame, int field, int halfStep) {
  for (Surface* s = scene->first; s; s = s->next) {
    relateSurfaces(scene, s);
    drawSurface(scene, s, frame, field, halfStep);
  }
  return 1;
}
