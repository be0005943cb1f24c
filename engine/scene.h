// The scene the engine draws: textured parametric surfaces, each with the
// region of its parameter plane that is painted, seen by one perspective
// camera.
//
// Coordinate systems: a surface defines its points and planes in its own
// homogeneous coordinates; its placement maps them to world coordinates; the
// camera's view maps world to camera coordinates (eye at the origin, looking
// along -z, x right, y up); the projection maps camera coordinates to screen
// coordinates, where after division by w sx and sy are output pixels (sx from
// the left edge, sy upward from the bottom edge) and z/w is the depth, 0 on
// the near plane and depthRange on the far plane.
//
// Texel coordinates of a surface: tx = (u - uOrigin)·uScale + uCentre and
// ty = (v - vOrigin)·vScale + vCentre; texel (c, r) covers [c, c+1) x [r, r+1)
// and texel rows count upward from the picture's bottom row.
#pragma once

#include "engine/vecmath.h"
#include "runtime/oprecords.h"

struct RenderFrame;
class SurfaceDomain;

struct Camera {
  // Filled by the driver.
  float position[3];      // the eye, world coordinates
  float axisX[3];         // right
  float axisY[3];         // up
  float axisZ[3];         // the camera looks along -axisZ
  int width, height;      // output frame, pixels
  int depthRange;         // depth of the far plane
  float viewWidth, viewHeight;   // image plane extent at distance focal
  float focal;
  float near, far;        // plane distances, 0 < near < far
  float light[3];         // unit direction, camera coordinates; sign unused
  // Derived by setupCamera.
  Mat4 view;              // world to camera
  Mat4 cameraToWorld;
  Mat4 screen;            // world to homogeneous screen
  Mat4 screenInverse;
};

// A parametric surface. Derived classes override all three operations; the
// class has no virtual destructor and objects are never deleted through it.
class Surface {
 public:
  // The homogeneous point at (u, v), in surface coordinates; any non-zero
  // multiple will do.
  virtual void point(Vec4* out, float u, float v) = 0;
  // The tangent plane at (u, v) as a covector in surface coordinates; only
  // its direction up to sign is used.
  virtual void tangentPlane(Vec4* out, float u, float v) = 0;
  // Parameters where the line through the homogeneous points p and q (either
  // with any non-zero factor, q being the eye) meets the surface:
  // hits[2k] = u, hits[2k+1] = v for k < n; returns n, 0 to 4. Pairs outside
  // the parameter rectangle or the domain may be returned.
  virtual int intersect(float* hits, const Vec4* p, const Vec4* q) = 0;

  // Filled by the driver.
  Surface* next = nullptr;            // list link, set by addSurface
  SurfaceDomain* domain = nullptr;    // painted part of the parameter plane
  double uMin, uMax, vMin, vMax;      // parameter rectangle
  double uScale, uCentre, uOrigin;    // texel mapping in u; uScale != 0
  double vScale, vCentre, vOrigin;    // texel mapping in v; vScale != 0
  OpImage* picture = nullptr;         // texture
  Mat4 placement;                     // surface to world; rescaled by prepareScene

  // Derived by prepareScene.
  int gridU0, gridU1, gridV0, gridV1;   // first and last grid lines, texels
  double uStep, vStep;                  // parameter size of one texel, > 0
  float uLoWide, uHiWide, vLoWide, vHiWide;   // rectangle widened by 1/100 texel
  float selfWindow[4];                  // -uStep/4, uStep/4, -vStep/4, vStep/4
  float uPerTexel, uAtZero, vPerTexel, vAtZero;   // u = uAtZero + uPerTexel·tx
  Mat4 inversePlacement;
  Mat4 modelView;                       // view·placement
  Mat4 toScreen;                        // screen·placement
  Mat4 fromScreen;                      // toScreen⁻¹; column 2 is the eye
  Mat4 normalMatrix;                    // cofactor matrix of modelView

  // Set by relateSurfaces: from the drawn surface's coordinates to this one's.
  Mat4 toThis;
};

// The painted region of a surface's parameter plane.
class SurfaceDomain {
 public:
  // Non-zero if (u, v) is painted.
  virtual int contains(float u, float v) = 0;
  // out[0], out[1] = lowest and highest painted u on the line v = const,
  // within the parameter rectangle. Only asked for lines that meet the region.
  virtual void uSpan(float* out, float v) = 0;
  // The same for v on the line u = const.
  virtual void vSpan(float* out, float u) = 0;

  Surface* surface = nullptr;   // whose parameter plane this is
};

struct Scene {
  Surface* first = nullptr;   // head of the surface list
  Camera* camera = nullptr;   // set by prepareScene
};

// Derives the camera's matrices. field (+1, -1 or 0) moves the whole image
// by 0.25·field pixel in sy.
void setupCamera(Camera* camera, int field);
// Appends surface to the end of the list.
void addSurface(Scene* scene, Surface* surface);
// Stores camera and derives every surface's grid, steps, widened rectangle
// and matrices. Rescales each placement to |det| = 1.
void prepareScene(Scene* scene, Camera* camera);
// Sets every surface's toThis for drawing drawn.
void relateSurfaces(Scene* scene, Surface* drawn);
// Draws every surface in list order into frame; returns 1.
int renderScene(Scene* scene, RenderFrame* frame, int field, int halfStep);
