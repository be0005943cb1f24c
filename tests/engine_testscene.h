// Small scenes for the engine's tests and benchmark: a plane, a sphere, a
// rectangle domain, pictures in memory and a camera that maps one world unit
// at z = 0 to one pixel.
#pragma once

#include <stdint.h>

#include <vector>

#include "engine/engine.h"

// The plane z = 0 with (u, v) = (x, y).
class TestPlane : public Surface {
 public:
  void point(Vec4* out, float u, float v) override;
  void tangentPlane(Vec4* out, float u, float v) override;
  int intersect(float* hits, const Vec4* p, const Vec4* q) override;
};

// The unit sphere; u is the longitude from +z toward +x, v the latitude.
class TestSphere : public Surface {
 public:
  void point(Vec4* out, float u, float v) override;
  void tangentPlane(Vec4* out, float u, float v) override;
  int intersect(float* hits, const Vec4* p, const Vec4* q) override;
};

// The whole parameter rectangle.
class TestRectangle : public SurfaceDomain {
 public:
  int contains(float u, float v) override;
  void uSpan(float* out, float v) override;
  void vSpan(float* out, float u) override;
};

// A picture in memory with an OpImage over it (a margin of one pixel on every
// side, so addressing mistakes read the margin's colour).
struct TestImage {
  TestImage(int width, int height, VideoPixel fill);
  VideoPixel& at(int column, int row);   // row 0 at the top
  std::vector<uint32_t> buffer;
  OpImage image;
};

VideoPixel videoPixel(int y, int cb, int cr);
VideoPixel grey(int y);

// Eye at (0, 0, distance) looking along -z; one unit at z = 0 is one pixel,
// and the origin lands at the frame's centre.
void makeCamera(Camera* camera, int width, int height, float distance, int field);

// Sets a surface's rectangle, texel mapping (texels per unit; the picture's
// centre at parameter 0), picture, domain and placement.
void setSurface(Surface* s, SurfaceDomain* domain, OpImage* picture, double uMin,
                double uMax, double vMin, double vMax, double uScale, double vScale,
                const Mat4& placement);

Mat4 translation(float x, float y, float z);
Mat4 rotationX(double angle);
Mat4 rotationY(double angle);
Mat4 scaling(float k);
Mat4 product(const Mat4& a, const Mat4& b);

// opChkAbort calls since the start of the test program.
extern int abortPolls;
