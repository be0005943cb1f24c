// tx_cylinder: the outgoing picture wrapped round an upright cylinder of
// radius 1. It starts as a small, nearly flat patch on the front, seen from
// so close that it fills the frame, and bends round the axis until at half
// time it closes into a full cylinder, its seam opposite the picture's
// centre. The cylinder turns about its axis throughout, the camera following
// the picture's centre, and shrinks towards a corner.
#include "shapes/plane.h"
#include "shapes/shapeframe.h"
#include "shapes/sphere.h"
#include "src/cylindersurface.h"

namespace {

char version[] = "$Id: kacylinder.c,v 0.1 2001/03/22 10:14:41 vxfx Exp vxfx $";

VX_SHAPE_CONTROLS(controls, 0x1B);

const ShapeModule module = {CylinderLog, &controls.direction.value, &controls.spin.value,
                            &controls.quality.value};

constexpr float YawPerWidth = 0.25f;   // yaw's tangent, in view widths per focal length, at ramp 1
constexpr float FinalPitch = (float)(Pi / 12);

class CylinderBuilder : public ShapeBuilder {
 public:
  void shapeCamera(const TransitionFrame& frame, const ShapeParameters& parameters,
                   const CornerPath& path, CameraInputs* inputs) override {
    // The picture spans 2·halfAngle of the circumference; world heights are
    // v·heightScale, so that its proportions hold at every ramp.
    float r = frame.ramp;
    halfAngle = (float)Pi * r;
    turn = path.spinSign * turnSoFar(frame.progress, parameters.spin);
    heightScale = (float)Pi * frame.viewHeight / frame.viewWidth;

    // The camera distance follows the picture's arc, 2·halfAngle wide.
    inputs->yaw = -(float)atan(YawPerWidth * r * frame.viewWidth / frame.focal);
    inputs->pitch = FinalPitch * r;
    inputs->sizeFactor = (float)(2 * Pi) * r / frame.viewWidth;
    followTurnedPoint(inputs, 1, turn);
    setCentredBox(inputs, 1, heightScale, 1);
  }

  void addSurfaces(const TransitionFrame& frame, Scene* scene) override {
    wrapPicture(&cylinder, &domain, frame, halfAngle, 0, frame.ramp);
    standUpright(&cylinder.placement, turn, heightScale, 0);
    addSurface(scene, &cylinder);
  }

 private:
  float halfAngle;     // radians round the axis either side of the centre
  float turn;          // radians about the axis
  float heightScale;   // world height per unit of v
  CylinderSurface cylinder;
  RectangleDomain domain;
};

constexpr OpActionFunction action = shapeAction<CylinderBuilder, module>;

VX_SHAPE_OPERATOR_INFO(info, action, version, controls);

}  // namespace

extern "C" OpTag* GetOperatorInfo() { return info.pairs; }
