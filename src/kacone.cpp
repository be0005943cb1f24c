// tx_cone: the outgoing picture as a band on an upright cone of base radius
// 1. The band starts as a thin sliver round the cone's middle, seen square-on
// and close enough to fill the frame; in the first half it widens round the
// cone and towards base and apex until the picture wraps the whole cone, its
// top edge drawn together at the apex like a paper hat, while the camera's
// downward pitch eases from the slope of the side to 15°. The cone turns
// about its axis throughout, the camera following the picture's middle, and
// drifts to a corner as it recedes.
//
// The cone's height comes from the view: hc is the height of the cone whose
// slant is the view's height when its base circumference is the view's
// width, and the cone used is half that high. A view more than 2π times as
// wide as high has no such cone; there the flattest cone, MinConeHeight, is
// used instead, so that the picture still wraps a solid with a side to show.
#include "shapes/plane.h"
#include "shapes/shapeframe.h"
#include "shapes/sphere.h"
#include "src/conesurface.h"

namespace {

char version[] = "$Id$";

VX_SHAPE_CONTROLS(controls, 0x0B);

const ShapeModule module = {ConeLog, &controls.direction.value, &controls.spin.value,
                            &controls.quality.value};

constexpr float YawPerWidth = 0.25f;   // yaw's tangent, in view widths per focal length, at ramp 1
constexpr float FinalPitch = (float)(Pi / 12);
// The least hc: a cone an eighth as high as its base radius, seen at first
// from about 83° above the horizon.
constexpr float MinConeHeight = 0.25f;

// hc of the view, at least MinConeHeight (so also for views with no real hc).
float coneHeight(float viewWidth, float viewHeight) {
  float slant = (float)(2 * Pi) * viewHeight / viewWidth;
  float squared = slant * slant - 1;
  if (!(squared > MinConeHeight * MinConeHeight)) return MinConeHeight;
  return (float)sqrt(squared);
}

class ConeBuilder : public ShapeBuilder {
 public:
  void shapeCamera(const TransitionFrame& frame, const ShapeParameters& parameters,
                   const CornerPath& path, CameraInputs* inputs) override {
    // The band: 2·halfAngle round the axis, v from 0.5 − 0.5·r to 0.5 + 0.5·r.
    float r = frame.ramp;
    fullHeight = coneHeight(frame.viewWidth, frame.viewHeight);
    halfAngle = (float)Pi * r;
    bandHeight = 0.5f * r * fullHeight;
    turn = path.spinSign * turnSoFar(frame.progress, parameters.spin);

    // At first the camera looks square at the side, ψ₀ off the horizontal;
    // the band, πr wide at mid-height and r·slant long, keeps about the
    // view's size.
    float startPitch = (float)atan(1 / (0.5f * fullHeight));
    inputs->yaw = -(float)atan(YawPerWidth * r * frame.viewWidth / frame.focal);
    inputs->pitch = (1 - r) * startPitch + r * FinalPitch;
    float slantPerHeight = (float)sqrt(1 + 4 / (fullHeight * fullHeight));
    inputs->sizeFactor = (float)sqrt(slantPerHeight * halfAngle * bandHeight /
                                     (frame.viewWidth * frame.viewHeight));
    followTurnedPoint(inputs, 0.5f, turn);
    setCentredBox(inputs, 1, 0.25f * fullHeight, 1);
  }

  void addSurfaces(const TransitionFrame& frame, Scene* scene) override {
    wrapPicture(&cone, &domain, frame, halfAngle, 0.5, (0.5f * bandHeight) / (0.5f * fullHeight));
    standUpright(&cone.placement, turn, 0.5f * fullHeight, -0.25f * fullHeight);
    addSurface(scene, &cone);
  }

 private:
  float fullHeight;   // hc; the cone is half as high
  float halfAngle;    // radians round the axis either side of the middle
  float bandHeight;   // world units: 0.5·r·hc
  float turn;         // radians about the axis
  ConeSurface cone;
  RectangleDomain domain;
};

constexpr OpActionFunction action = shapeAction<ConeBuilder, module>;

VX_SHAPE_OPERATOR_INFO(info, action, version, controls);

}  // namespace

extern "C" OpTag* GetOperatorInfo() { return info.pairs; }
