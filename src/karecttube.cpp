// tx_recttube: the outgoing picture, cut into four level strips, folds about
// the strips' joins into a square tube lying along the x axis, open at both
// ends; the tube rolls about a level axis, turns a little about an upright
// one, and flies off towards a corner, uncovering the incoming picture.
#include "shapes/hinge.h"
#include "shapes/plane.h"
#include "shapes/shapeframe.h"

namespace {

char version[] = "$Id: karecttube.c,v 0.1 2001/03/22 10:17:25 vxfx Exp vxfx $";

VX_SHAPE_CONTROLS(controls, 0x4D);

const ShapeModule module = {RectTubeLog, &controls.direction.value, &controls.spin.value,
                            &controls.quality.value};

constexpr float MaxTurn = (float)(Pi / 12);   // the upright turn at ramp 1

// Four faces, strip 0 the bottom quarter of the picture, untrimmed.
class RectTubeBuilder : public ShapeBuilder {
 public:
  void shapeCamera(const TransitionFrame& frame, const ShapeParameters& parameters,
                   const CornerPath& path, CameraInputs* inputs) override {
    fold = stripFold(frame);
    // The roll keeps its sense whatever the direction; the turn follows it.
    roll = (float)(2.0 * Pi * frame.progress * parameters.spin);
    turn = path.spinSign * MaxTurn * frame.ramp;
    stripCamera(frame, HingesLevel, path, inputs);
  }

  void addSurfaces(const TransitionFrame& frame, Scene* scene) override {
    double halfLength = 2.0f * frame.viewWidth / frame.viewHeight;
    for (int i = 0; i < HingedStripCount; ++i) {
      PlaneSurface& face = faces[i];
      fillStripFace(&face, frame, HingesLevel, i, -halfLength, halfLength);
      domains[i].surface = &face;
      face.domain = &domains[i];
      rollingStripPlacement(&face.placement, i, fold, roll, turn);
      addSurface(scene, &face);
    }
  }

  PlaneSurface faces[HingedStripCount];
  RectangleDomain domains[HingedStripCount];
  float fold, roll, turn;   // radians
};

constexpr OpActionFunction action = shapeAction<RectTubeBuilder, module>;

VX_SHAPE_OPERATOR_INFO(info, action, version, controls);

}  // namespace

extern "C" OpTag* GetOperatorInfo() { return info.pairs; }
