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

OptionDescriptor direction = directionDescriptor(0x3D);
RangeDescriptor spin = {DescriptorRange, 0x3E, 0, 0x40, 0, 0, 10, 2};
uint32_t qualityOptions[] = VX_TEXT_OPTIONS(0x41);
OptionDescriptor quality = {DescriptorOptions, 0x3F, OptionsAreTexts, qualityOptions, 0};

const ShapeModule module = {EllipsoidLog, &direction.value, &spin.value, &quality.value};

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

int action(const OpRequest* request) {
  EllipsoidBuilder builder;
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
