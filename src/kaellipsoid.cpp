// tx_ellipsoid: the sphere transition on an upright egg, an ellipsoid of
// revolution 1.921 times taller than wide. The picture starts as a small
// flat-looking patch that fills the frame and by the middle of the
// transition covers the whole ellipsoid, its left and right edges meeting at
// the back and its top and bottom edges drawn into the poles.
#include "shapes/plane.h"
#include "shapes/shapeframe.h"
#include "shapes/sphere.h"

namespace {

char version[] = "$Id: kaellipsoid.c,v 0.1 2001/03/22 10:15:07 vxfx Exp vxfx $";

VX_SHAPE_CONTROLS(controls, 0x3D);

const ShapeModule module = {EllipsoidLog, &controls.direction.value, &controls.spin.value,
                            &controls.quality.value};

// Half-height of the egg over its equatorial radius. Near the equator one
// radian of latitude is this many units high and one of longitude 1 wide.
constexpr float Elongation = 1.921f;
constexpr float HalfTurn = (float)Pi;

class EllipsoidBuilder : public ShapeBuilder {
 public:
  void shapeCamera(const TransitionFrame& frame, const ShapeParameters& parameters,
                   const CornerPath& path, CameraInputs* inputs) override {
    // The patch keeps the picture's proportions while small; the r² term
    // widens it to the whole circumference (half-width π) at ramp 1.
    float r = frame.ramp;
    halfHeight = (float)(Pi / 2) * r;
    halfWidth = (1 - r) * Elongation * halfHeight * frame.viewWidth / frame.viewHeight +
                (float)Pi * r * r;
    if (halfWidth > HalfTurn) halfWidth = HalfTurn;
    turn = path.spinSign * turnSoFar(frame.progress, parameters.spin);

    inputs->yaw = 0;
    inputs->pitch = 0;
    inputs->sizeFactor = (float)sqrt(Elongation * (2 * halfWidth) * (2 * halfHeight) /
                                     (frame.viewWidth * frame.viewHeight));
    followTurnedPoint(inputs, 1, turn);
    setCentredBox(inputs, Elongation, Elongation, Elongation);
  }

  void addSurfaces(const TransitionFrame& frame, Scene* scene) override {
    wrapPicture(&egg, &domain, frame, halfWidth, 0, halfHeight);
    standUpright(&egg.placement, turn, Elongation, 0);
    addSurface(scene, &egg);
  }

 private:
  float halfHeight, halfWidth;   // radians of latitude and longitude
  float turn;                    // radians about the vertical axis
  SphereSurface egg;             // stretched into the ellipsoid by its placement
  RectangleDomain domain;
};

constexpr OpActionFunction action = shapeAction<EllipsoidBuilder, module>;

VX_SHAPE_OPERATOR_INFO(info, action, version, controls);

}  // namespace

extern "C" OpTag* GetOperatorInfo() { return info.pairs; }
