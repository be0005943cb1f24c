// tx_spherex4: the outgoing picture cut into its four quadrants, each
// wrapped onto its own unit sphere. The four caps start small and flat and
// tile the picture; by half time each quadrant covers its sphere; then the
// spheres drift apart diagonally while the camera recedes. Each sphere turns
// about a vertical axis, the right-hand pair one way and the left-hand pair
// the other. There is no corner path: the camera stays square-on to the
// middle of the frame.
#include "shapes/plane.h"
#include "shapes/shapeframe.h"
#include "shapes/sphere.h"

namespace {

char version[] = "$Id: kaspherex4.c,v 0.1 2001/03/22 10:15:13 vxfx Exp vxfx $";

RangeDescriptor spin = {DescriptorRange, 0x7D, 0, 0x7F, 0, 0, 10, 2};
uint32_t qualityOptions[] = VX_TEXT_OPTIONS(0x80);
OptionDescriptor quality = {DescriptorOptions, 0x7E, OptionsAreTexts, qualityOptions, 0};

const ShapeModule module = {SphereX4Log, nullptr, &spin.value, &quality.value};

enum : int {
  SphereCount = 4,
  LeftBit = 1,    // of the sphere index: a left-hand sphere
  LowerBit = 2,   // of the sphere index: a lower sphere
};

constexpr float QuarterTurn = (float)(Pi / 2);
constexpr float HalfTurn = (float)Pi;

float smaller(float a, float b) { return a < b ? a : b; }

class FourSpheresBuilder : public ShapeBuilder {
 public:
  void shapeCamera(const TransitionFrame& frame, const ShapeParameters& parameters,
                   const CornerPath&, CameraInputs* inputs) override {
    // Each quadrant spans 2·halfWidth by 2·halfHeight radians of its sphere;
    // in a view less than twice as wide as high its longitude reaches the
    // full circle at half time, in a wider one its latitude reaches the poles.
    float heightPerWidth = frame.viewHeight / frame.viewWidth;
    bool tall = 2 * heightPerWidth > 1;
    halfHeight = QuarterTurn * frame.ramp * (tall ? 2 * heightPerWidth : 1);
    halfWidth = halfHeight * frame.viewWidth / frame.viewHeight;
    turn = turnSoFar(frame.progress, parameters.spin);
    placeAxes(frame, tall, heightPerWidth);

    // Square-on to the middle; the four quadrants together, 4·halfWidth
    // wide, keep the view's size while the caps are small.
    inputs->yaw = 0;
    inputs->pitch = 0;
    inputs->sizeFactor =
        4 * (float)sqrt(halfHeight * halfWidth / (frame.viewWidth * frame.viewHeight));
    for (int k = 0; k < 3; ++k) inputs->centre[k] = 0;
    float boxX = 2 * (float)sin(smaller(halfWidth, QuarterTurn));
    float boxY = 2 * (float)sin(smaller(halfHeight, QuarterTurn));
    setCentredBox(inputs, boxX, boxY, boxX > boxY ? boxX : boxY);
  }

  void addSurfaces(const TransitionFrame& frame, Scene* scene) override {
    for (int i = 0; i < SphereCount; ++i) {
      buildSphere(frame, i);
      addSurface(scene, &spheres[i]);
    }
  }

 private:
  // Distance of every sphere's turning axis from the middle of the view,
  // across (axisX) and up (axisY). The caps' front points stand out of the
  // plane z = 0 by the sag of half their longitude span; in the second half
  // the spheres drift apart along the view's diagonal, the faster the
  // farther the camera has receded.
  void placeAxes(const TransitionFrame& frame, bool tall, float heightPerWidth) {
    float sag = 1 - (float)cos(halfWidth / 2);
    axisX = (float)sin(smaller(halfWidth, QuarterTurn)) + sag;
    axisY = (float)sin(smaller(halfHeight, QuarterTurn)) + sag * heightPerWidth;
    if (frame.progress > 0.5f) {
      float late = frame.progress - 0.5f;
      if (tall) {
        float drift = 8 * (float)Pi * late * late / frame.zoom;
        axisX += drift;
        axisY += drift * heightPerWidth;
      } else {
        float drift = 4 * (float)Pi * late * late / frame.zoom;
        axisY += drift;
        axisX += drift / heightPerWidth;
      }
    }
  }

  // Sphere i shows its quadrant of the picture round longitude 0, which
  // faces the camera, and turns about the vertical line through its axis.
  void buildSphere(const TransitionFrame& frame, int i) {
    bool left = (i & LeftBit) != 0, lower = (i & LowerBit) != 0;
    SphereSurface* sphere = &spheres[i];
    sphere->domain = &domains[i];
    domains[i].surface = sphere;
    sphere->picture = frame.texture;

    // Texel mapping: the quadrant's centre texel at parameters (0, 0).
    sphere->uScale = frame.textureWidth / (4.0 * halfWidth);
    sphere->uCentre = (left ? 0.25 : 0.75) * frame.textureWidth;
    sphere->uOrigin = 0;
    sphere->vScale = frame.textureHeight / (4.0 * halfHeight);
    sphere->vCentre = (lower ? 0.25 : 0.75) * frame.textureHeight;
    sphere->vOrigin = 0;

    // Parameter rectangle: what lies beyond the full circle or the poles is
    // not drawn.
    sphere->uMax = smaller(halfWidth, HalfTurn);
    sphere->uMin = -sphere->uMax;
    sphere->vMax = smaller(halfHeight, QuarterTurn);
    sphere->vMin = -sphere->vMax;

    // Placement: the base placement puts longitude 0 towards the camera
    // with its front point 1 − cos(halfWidth/2) in front of z = 0, then the
    // turn about the vertical line x = offsetX, z = 0.
    float offsetX = left ? -axisX : axisX;
    float offsetY = lower ? -axisY : axisY;
    Mat4 base = {{0, 1, 0, offsetX,
                  0, 0, 1, offsetY,
                  1, 0, 0, -(float)cos(halfWidth / 2),
                  0, 0, 0, 1}};
    float angle = left ? turn : -turn;
    float s = (float)sin(angle), c = (float)cos(turn);
    Mat4 spinning = {{c, 0, s, (1 - c) * offsetX,
                      0, 1, 0, 0,
                      -s, 0, c, s * offsetX,
                      0, 0, 0, 1}};
    mat4Multiply(&sphere->placement, &spinning, &base);
  }

  float halfHeight, halfWidth;   // of each quadrant, radians of latitude and longitude
  float turn;                    // radians; right-hand spheres turn by −turn
  float axisX, axisY;            // offsets of the turning axes, world units
  SphereSurface spheres[SphereCount];
  RectangleDomain domains[SphereCount];
};

int action(const OpRequest* request) {
  FourSpheresBuilder builder;
  return renderShapeTransition(request, module, builder);
}

OperatorInfo<7> info = {{
    {OPE0, 0},
    {OPE1, 0},
    {OPE3, VX_ADDRESS(action)},
    {OPE16, VX_ADDRESS(version)},
    {OPE13, 2},
    {OPE4, VX_ADDRESS(&spin)},
    {OPE5, VX_ADDRESS(&quality)},
}, 0};

}  // namespace

extern "C" OpTag* GetOperatorInfo() { return info.pairs; }
