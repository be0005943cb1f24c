// tx_cube: the outgoing picture starts as a flat sheet cut like the net of a
// box. In the first half the middle strip folds into the four sides of a
// cube of edge 1 and triangular flaps fold over to close its top and bottom,
// while the picture grows until it wraps once around the sides. All the
// while the cube turns about its vertical axis, drifts towards a corner and
// recedes.
#include "runtime/operator.h"
#include "shapes/geometry.h"
#include "shapes/plane.h"
#include "shapes/shapeframe.h"

namespace {

char version[] = "$Id: kacube.c,v 0.1 2001/03/22 10:05:12 vxfx Exp vxfx $";

VX_SHAPE_CONTROLS(controls, 0x13);

const ShapeModule module = {CubeLog, &controls.direction.value, &controls.spin.value,
                            &controls.quality.value};

// The net: five columns of panels, a middle strip with a row of flaps
// above and below it.
enum : int { Columns = 5, Panels = 3 * Columns };
constexpr float FoldAngle = (float)(Pi / 2);    // the fold at ramp 1 closes the cube
constexpr float PitchAtRamp1 = (float)(Pi / 12);
constexpr float BoxHalf[3] = {2, 1, 1.5f};      // world box around the net in every state

enum Row { Strip, UpperFlaps, LowerFlaps };

// Pitch at the start, so that the flat sheet is seen from above as the
// closed cube will be. Views more than 2π times as wide as high would take
// the root of a negative number; they are seen from straight above.
float startPitch(const TransitionFrame& f) {
  float ratio = (float)(2 * Pi) * f.viewHeight / f.viewWidth;
  float square = ratio * ratio - 1;
  return (float)atan2(1.0, 0.5 * sqrt(square > 0 ? square : 0));
}

class CubeBuilder : public ShapeBuilder {
 public:
  void shapeCamera(const TransitionFrame& f, const ShapeParameters& parameters,
                   const CornerPath& path, CameraInputs* in) override {
    float r = f.ramp;
    fold = FoldAngle * r;
    turn = path.spinSign * (float)(2 * Pi) * f.progress * (float)parameters.spin;
    setPictureExtent(f);

    in->yaw = rampYaw(f);
    in->pitch = (1 - r) * startPitch(f) + r * PitchAtRamp1;
    in->sizeFactor = (float)sqrt(pictureWidth / f.viewWidth * (pictureHeight / f.viewHeight));
    for (int k = 0; k < 3; ++k) {
      in->centre[k] = k == 2 ? 0.5f : 0;   // the middle of the front face before it turns
      in->boxLow[k] = -BoxHalf[k];
      in->boxHigh[k] = BoxHalf[k];
    }
  }

  void addSurfaces(const TransitionFrame& f, Scene* scene) override {
    for (int k = 0; k < Panels; ++k) setPanel(f, k);
    // Only what carries picture is drawn.
    for (int k = 0; k < Panels; ++k)
      if (clipToPicture(&panels[k], f.textureWidth, f.textureHeight))
        addSurface(scene, &panels[k]);
  }

 private:
  // The picture's extent in panel units: it grows from the front face to
  // the four sides of the belt, or in views more than twice as wide as high
  // to the net's full height.
  void setPictureExtent(const TransitionFrame& f) {
    float r = f.ramp, w = f.viewWidth, h = f.viewHeight;
    wide = h / 2 < w / 4;
    if (wide) {
      pictureHeight = (1 - r) + 2 * r;
      pictureWidth = w / h * pictureHeight;
    } else {
      float startWidth = w > h ? w / h : 1;
      pictureWidth = (1 - r) * startWidth + 4 * r;
      pictureHeight = h / w * pictureWidth;
    }
  }

  void setPanel(const TransitionFrame& f, int k) {
    PlaneSurface& s = panels[k];
    int j = k % Columns - Columns / 2;   // -2 .. 2, 0 is the front face
    Row row = (Row)(k / Columns);

    // Rectangle and domain.
    s.uMin = j - 0.5;
    s.uMax = j + 0.5;
    s.vMin = row == Strip ? -0.5 : row == UpperFlaps ? 0.5 : -1;
    s.vMax = row == Strip ? 0.5 : row == UpperFlaps ? 1 : -0.5;
    s.picture = f.texture;
    s.domain = domainOf(k);
    s.domain->surface = &s;

    // Texel mapping: the picture centred on the front face.
    if (wide) {
      s.vScale = f.textureHeight / pictureHeight;
      s.uScale = s.vScale * f.aspect;
    } else {
      s.uScale = f.textureWidth / pictureWidth;
      s.vScale = s.uScale / f.aspect;
    }
    s.uCentre = 0.5 * f.textureWidth;
    s.vCentre = 0.5 * f.textureHeight;
    s.uOrigin = s.vOrigin = 0;

    // Placement: Turn·Fold·Flap.
    Mat4 columnFold = foldOfColumn(j);
    if (row == UpperFlaps) {
      Mat4 flap = turnX(-fold, 0.5f * (1 - (float)cos(fold)), 0.5f * (float)sin(fold));
      mat4Multiply(&columnFold, &columnFold, &flap);
    } else if (row == LowerFlaps) {
      Mat4 flap = turnX(fold, -0.5f * (1 - (float)cos(fold)), 0.5f * (float)sin(fold));
      mat4Multiply(&columnFold, &columnFold, &flap);
    }
    // The turn about the cube's vertical axis, which it carries to the origin.
    Mat4 cubeTurn = turnY(turn, 0.5f * (float)sin(turn), 0.5f * (float)cos(turn));
    mat4Multiply(&s.placement, &cubeTurn, &columnFold);
  }

  SurfaceDomain* domainOf(int k) {
    int c = k % Columns;
    if (k < Columns) return &strip[c];
    if (k < 2 * Columns) return setFlap(&upper[c], k);
    return setFlap(&lower[c], k);
  }

  template <class Flap>
  Flap* setFlap(Flap* flap, int k) {
    const PlaneSurface& s = panels[k];
    flap->flapRect = FlapRect{(float)s.uMin, (float)s.uMax, (float)s.vMin, (float)s.vMax};
    return flap;
  }

  // Column j turns by j·fold: the side columns about their edges on the
  // front face, the outer half-columns about their edges on the sides.
  Mat4 foldOfColumn(int j) {
    float g = j * fold;
    float cg = (float)cos(g), sg = (float)sin(g);
    float cf = (float)cos(fold), sf = (float)sin(fold);
    float shiftX = 0, shiftZ = 0;
    switch (j) {
      case -2: shiftX = 1.5f * cg - 0.5f - cf; shiftZ = -1.5f * sg - sf; break;
      case -1: shiftX = -0.5f * (1 - cg); shiftZ = -0.5f * sg; break;
      case 1: shiftX = 0.5f * (1 - cg); shiftZ = 0.5f * sg; break;
      case 2: shiftX = cf + 0.5f - 1.5f * cg; shiftZ = 1.5f * sg - sf; break;
      default: break;
    }
    return turnY(g, shiftX, shiftZ);
  }

  PlaneSurface panels[Panels];
  RectangleDomain strip[Columns];
  UpperFlapDomain upper[Columns];
  LowerFlapDomain lower[Columns];
  float fold;            // radians, π/2 closes the cube
  float turn;            // about the vertical axis, radians
  bool wide;             // the picture's height drives its extent
  float pictureWidth;    // panel units
  float pictureHeight;
};

VX_SHAPE_OPERATOR_INFO(info, (shapeAction<CubeBuilder, module>), version, controls);

}  // namespace

extern "C" OpTag* GetOperatorInfo() { return info.pairs; }
