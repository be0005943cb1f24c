// Test support for the folded transitions (pyramid, diamond, rectangular
// tube): their scene builders run natively as the frame runs them, and the
// real plug-ins rendered over a test host, measured by how much of each
// pixel the solid covers.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "shapes/shapeframe.h"
#include "tests/plugintest.h"
#include "tests/testhost.h"

// --- Scene builders ---

// The frame's values for a 720 x 288 field of a 625-line clip (or the size
// given) at progress, with a full-size texture.
TransitionFrame foldedFrame(float progress, int width = 720, int height = 288,
                            float aspect = 1.875f);

// A builder's scene as the frame asks for it: camera inputs, then the
// surfaces in the order they were added.
struct BuiltScene {
  CameraInputs inputs;
  std::vector<Surface*> surfaces;
};
BuiltScene buildScene(ShapeBuilder& builder, const TransitionFrame& frame, int direction,
                      int spin);

// A builder with the scene it built for one field.
template <class Builder>
struct BuiltShape {
  Builder builder;
  BuiltScene scene;
  BuiltShape(float progress, int direction, int turns)
      : scene(buildScene(builder, foldedFrame(progress), direction, turns)) {}
  const Surface* face(int i) const { return scene.surfaces[i]; }
};

struct Point3 {
  double x, y, z;
};
// World position of the parameter point (u, v) of a plane face.
Point3 worldPoint(const Surface* face, double u, double v);
double distance(Point3 a, Point3 b);

// How far apart in the world the right slanted edge of face `left` and the
// left slanted edge of face `right` lie (the larger gap of their two ends),
// for faces trimmed by taper at their top (narrowAtTop) or bottom edge.
double slantedEdgeGap(const Surface* left, const Surface* right, float taper, bool narrowAtTop);

// True if the two faces are placed alike to within a millionth.
bool samePlacement(const Surface* a, const Surface* b);

// With spin 0 the solid, closed, stays put however far the transition has
// gone; with spin 2 it does not.
template <class Builder>
void expectSpinZeroStill(int direction) {
  BuiltShape<Builder> still(0.55f, direction, 0), later(0.95f, direction, 0);
  BuiltShape<Builder> turning(0.55f, direction, 2), turned(0.95f, direction, 2);
  for (size_t i = 0; i < still.scene.surfaces.size(); ++i) {
    EXPECT_TRUE(samePlacement(still.face(i), later.face(i))) << i;
    EXPECT_FALSE(samePlacement(turning.face(i), turned.face(i))) << i;
  }
}

// Least distance in front of the camera's near plane of the face corners
// and edge middles, the closest a point of the solid comes to being cut off.
double nearPlaneClearance(const BuiltScene& scene, const TransitionFrame& frame);

// The solid never reaches the near plane (where the engine stops drawing):
// at every progress, for no spin and the most, in every direction.
template <class Builder>
void expectSolidBeyondNearPlane() {
  double least = 1e9;
  for (int direction = 0; direction < 4; ++direction)
    for (int spin : {0, 10})
      for (int k = 0; k < 200; ++k) {
        BuiltShape<Builder> shape((k + 0.5f) / 200, direction, spin);
        least = std::min(least, nearPlaneClearance(shape.scene, foldedFrame((k + 0.5f) / 200)));
      }
  EXPECT_GT(least, 0.1);
}

// Runs a module's action natively with stream `missing` unavailable and
// expects -1 and the module's one failure record.
void expectMissingFieldLogged(int (*action)(const OpRequest*), int missing, int line,
                              const char* sourcePath, int operatorNumber);

// --- The real plug-ins ---

// Screen rows per unit of height at unit depth in a 720 x 288 field of a
// 625-line clip: focal·height/viewHeight = 7200·288/540.
constexpr double RowsPerUnit = 3840.0;

// The frame's zoom at progress for a field height rows high.
double frameZoom(double progress, int height);

// Coverage of a render: for every pixel (top row first) the share of it
// that the solid covers, 0 to 1, found by rendering the same field over a
// black and over a white background; the source is a flat grey picture.
struct Coverage {
  int width = 0, height = 0;
  std::vector<float> solid;
  float at(int x, int row) const { return solid[row * width + x]; }
};

class FoldedPlugin {
 public:
  explicit FoldedPlugin(const std::string& name);
  void set(int direction, int spin, int quality);
  Coverage render(uint32_t index, uint32_t count, uint32_t flags = 0, int width = 720,
                  int height = 288);
  OpTag* list() const { return list_; }
  template <class T>
  T* descriptor(uint32_t tag) const {
    VxAddress value = 0;
    return Plugin::find(list_, tag, &value) ? reinterpret_cast<T*>(value) : nullptr;
  }

 private:
  Plugin plugin_;
  OpTag* list_;
};

// The box around the pixels the solid covers more than half.
struct Outline {
  int left, right, top, bottom;   // columns and rows, inclusive; right < 0 if none
};
Outline outlineOf(const Coverage& c);

// The largest difference between c and b, pixel by pixel, or between c and
// b mirrored left to right.
float difference(const Coverage& c, const Coverage& b);
float mirrorDifference(const Coverage& c, const Coverage& b);

// Rows of background above (fromTop) or below the picture: from that edge
// of the frame inward to the first row fully covered, the background share
// of each row's median pixel among the middle columns, so that a seam
// between strips does not count.
double backgroundRows(const Coverage& c, bool fromTop);

// Background showing inside the solid's outline: pixels at least `margin`
// pixels inside the outline's leftmost and rightmost pixels in their row
// and its top and bottom ones in their column.
struct SeamLeak {
  int inside = 0;        // pixels inside the outline
  double leak = 0;       // background showing among them, in pixels
  float worst = 0;       // the largest share of one pixel
};
SeamLeak seamLeak(const Coverage& c, int margin = 3);
