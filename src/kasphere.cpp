// tx_sphere: the outgoing picture on a patch of a unit sphere. The patch
// starts tiny and seen from close by, so it looks flat and fills the frame;
// in the first half it grows from pole to pole and around the sides while
// the camera backs off to keep the picture's size. Throughout, the sphere
// turns about its vertical axis with the camera following the picture's
// middle, and the whole drifts to a corner and recedes.
#include "shapes/plane.h"
#include "shapes/shapeframe.h"
#include "shapes/sphere.h"

namespace {

char version[] = "$Id: kasphere.c,v 0.1 2001/03/22 10:14:52 vxfx Exp vxfx $";

VX_SHAPE_CONTROLS(controls, 0x75);

const ShapeModule module = {SphereLog, &controls.direction.value, &controls.spin.value,
                            &controls.quality.value};

constexpr float HalfTurn = (float)Pi;   // the widest the patch gets: all the way round

class SphereBuilder : public ShapeBuilder {
 public:
  void shapeCamera(const TransitionFrame& frame, const ShapeParameters& parameters,
                   const CornerPath& path, CameraInputs* inputs) override {
    // Half the patch's height in latitude and half its width in longitude,
    // in the view's proportions until the width reaches all the way round.
    halfHeight = (float)(Pi / 2) * frame.ramp;
    halfWidth = halfHeight * frame.viewWidth / frame.viewHeight;
    if (halfWidth > HalfTurn) halfWidth = HalfTurn;
    turn = path.spinSign * turnSoFar(frame.progress, parameters.spin);

    // Seen square-on; the patch, 2·halfWidth by 2·halfHeight, keeps the view's size while
    // it is small.
    inputs->yaw = 0;
    inputs->pitch = 0;
    inputs->sizeFactor =
        2 * (float)sqrt(halfHeight * halfWidth / (frame.viewWidth * frame.viewHeight));
    followTurnedPoint(inputs, 1, turn);
    setCentredBox(inputs, 1, 1, 1);
  }

  void addSurfaces(const TransitionFrame& frame, Scene* scene) override {
    wrapPicture(&sphere, &domain, frame, halfWidth, 0, halfHeight);
    standUpright(&sphere.placement, turn, 1, 0);
    addSurface(scene, &sphere);
  }

 private:
  float halfHeight, halfWidth;   // radians of latitude and longitude
  float turn;                    // radians about the vertical axis
  SphereSurface sphere;
  RectangleDomain domain;
};

constexpr OpActionFunction action = shapeAction<SphereBuilder, module>;

VX_SHAPE_OPERATOR_INFO(info, action, version, controls);

}  // namespace

extern "C" OpTag* GetOperatorInfo() { return info.pairs; }
