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

OptionDescriptor direction = directionDescriptor(0x1B);
RangeDescriptor spin = {DescriptorRange, 0x1C, 0, 0x1E, 0, 0, 10, 2};
uint32_t qualityOptions[] = VX_TEXT_OPTIONS(0x1F);
OptionDescriptor quality = {DescriptorOptions, 0x1D, OptionsAreTexts, qualityOptions, 0};

const ShapeModule module = {CylinderLog, &direction.value, &spin.value, &quality.value};

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

int action(const OpRequest* request) {
  CylinderBuilder builder;
  return renderShapeTransition(request, module, builder);
}

OperatorInfo<8> info = {{
    {OPE0, 0},
    {OPE1, 0},
    {OPE3, VX_ADDRESS(action)},
    {OPE16, VX_ADDRESS(version)},
    {OPE13, 2},
    {OPE4, VX_ADDRESS(&direction)},
    {OPE5, VX_ADDRESS(&spin)},
    {OPE6, VX_ADDRESS(&quality)},
}, 0};

}  // namespace

extern "C" OpTag* GetOperatorInfo() { return info.pairs; }
