// tx_saucer: the outgoing picture lies on a flat disc whose rim passes
// through the picture's corners. In the first quarter the disc swells into a
// lens of two spherical caps and tips over like a flying saucer; in the first
// half the picture grows within the rim until the rim is inscribed in it; all
// the while the saucer spins, drifts towards a corner and recedes.
#include "runtime/operator.h"
#include "shapes/cap.h"
#include "shapes/geometry.h"
#include "shapes/shapeframe.h"

namespace {

char version[] = "$Id: kasaucer.c,v 0.1 2001/03/22 10:02:47 vxfx Exp vxfx $";

VX_SHAPE_CONTROLS(controls, 0x6D);

const ShapeModule module = {SaucerLog, &controls.direction.value, &controls.spin.value,
                            &controls.quality.value};

constexpr float OpenAngle = (float)(Pi / 6);    // half-angle of each cap, fully open
constexpr float TiltAngle = (float)(Pi / 2);    // the saucer lies flat
constexpr float PitchAtRamp1 = (float)(Pi / 12);

class SaucerBuilder : public ShapeBuilder {
 public:
  void shapeCamera(const TransitionFrame& f, const ShapeParameters& parameters,
                   const CornerPath& path, CameraInputs* in) override {
    // The lens opens and tips over in the first quarter; the picture grows
    // within the rim in the first half; the turning angle applied, r·θ,
    // makes exactly `spin` turns over the transition.
    float r = f.ramp, t = f.progress;
    alpha = r < 0.5f ? 2 * r * OpenAngle : OpenAngle;
    tilt = r < 0.5f ? 2 * r * TiltAngle : TiltAngle;
    diagonal = (float)sqrt(f.viewWidth * f.viewWidth + f.viewHeight * f.viewHeight);
    float shorter = f.viewWidth < f.viewHeight ? f.viewWidth : f.viewHeight;
    enlargement = (1 - r) + r * diagonal / shorter;
    float g = t < 0.5f ? t * t : t - 0.25f;
    turn = r * (path.spinSign * (float)(2 * Pi) * (float)parameters.spin * (4.0f / 3) * g);

    // Seen from a little above and aside once tipped; the rim spans the
    // view's diagonal at the start.
    in->yaw = rampYaw(f);
    in->pitch = PitchAtRamp1 * r;
    in->sizeFactor = 2 * enlargement / ((float)cos(alpha) * diagonal);
    for (int k = 0; k < 3; ++k) {
      in->centre[k] = 0;
      in->boxLow[k] = -1;
      in->boxHigh[k] = 1;
    }
  }

  void addSurfaces(const TransitionFrame& f, Scene* scene) override {
    for (int half = 0; half < 2; ++half) {
      setFace(f, half);
      addSurface(scene, &faces[half]);
    }
  }

 private:
  // Half 0 faces the camera at the start and is the upper face at the end;
  // half 1 is the same cap turned over, sharing the rim.
  void setFace(const TransitionFrame& f, int half) {
    CapSurface& s = faces[half];
    double reach = tan((double)alpha);

    // Parameter rectangle and texel mapping, cut to the picture.
    s.uMin = s.vMin = -reach;
    s.uMax = s.vMax = reach;
    s.uScale = f.textureWidth * (double)diagonal /
               (2 * reach * f.viewWidth * enlargement);
    s.uCentre = 0.5 * f.textureWidth;
    s.uOrigin = 0;
    s.vScale = s.uScale / f.aspect;
    s.vCentre = 0.5 * f.textureHeight;
    s.vOrigin = 0;
    if (s.uMin * s.uScale + s.uCentre < 0) {
      s.uMin = -s.uCentre / s.uScale;
      s.uMax = s.uCentre / s.uScale;
    }
    if (s.vMin * s.vScale + s.vCentre < 0) {
      s.vMin = -s.vCentre / s.vScale;
      s.vMax = s.vCentre / s.vScale;
    }
    // The far face shows the picture mirrored, so it reads right from behind.
    if (half == 1) s.uScale = -s.uScale;

    s.picture = f.texture;
    discs[half].radius = (float)reach;
    discs[half].surface = &s;
    s.domain = &discs[half];

    // Placement: the cap of the sphere of radius K whose rim of radius 1
    // lies in z = 0, spun about its axis and tipped over.
    float k = 1 / (float)sin(alpha), kc = k * (float)cos(alpha);
    float sign = half == 0 ? 1.0f : -1.0f;
    Mat4 shape = {{sign * k, 0, 0, 0,
                   0, k, 0, 0,
                   0, 0, sign * k, -sign * kc,
                   0, 0, 0, 1}};
    Mat4 spinTurn = turnZ(half == 0 ? turn : -turn);
    Mat4 tiltTurn = turnX(-tilt, 0, 0);
    mat4Multiply(&s.placement, &shape, &spinTurn);
    mat4Multiply(&s.placement, &tiltTurn, &s.placement);
  }

  CapSurface faces[2];
  DiscDomain discs[2];
  float alpha;         // opening half-angle of each cap, radians
  float tilt;          // radians
  float diagonal;      // of the view
  float enlargement;   // of the picture within the rim
  float turn;          // angle applied about the saucer's axis, radians
};

VX_SHAPE_OPERATOR_INFO(info, (shapeAction<SaucerBuilder, module>), version, controls);

}  // namespace

extern "C" OpTag* GetOperatorInfo() { return info.pairs; }
