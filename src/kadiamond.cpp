// tx_diamond: the outgoing picture, cut into four upright strips and each
// strip creased at the picture's horizontal centre line, folds into two
// four-sided pyramids joined at their bases, a double pyramid that spins and
// flies off towards a corner, uncovering the incoming picture.
#include "shapes/hinge.h"
#include "shapes/plane.h"
#include "shapes/shapeframe.h"
#include "shapes/taper.h"

namespace {

char version[] = "$Id: kadiamond.c,v 0.1 2001/03/22 10:15:37 vxfx Exp vxfx $";

VX_SHAPE_CONTROLS(controls, 0x23);

const ShapeModule module = {DiamondLog, &controls.direction.value, &controls.spin.value,
                            &controls.quality.value};

// Eight faces: the upper halves of the strips (0 to 3), then the lower
// halves (4 to 7). Every face leans inward about the centre line, so the
// upper faces narrow towards the top and the lower ones towards the bottom.
class DiamondBuilder : public ShapeBuilder {
 public:
  void shapeCamera(const TransitionFrame& frame, const ShapeParameters& parameters,
                   const CornerPath& path, CameraInputs* inputs) override {
    pose = leaningStrips(frame, parameters, path, 2);
    stripCamera(frame, HingesUpright, path, inputs);
  }

  void addSurfaces(const TransitionFrame& frame, Scene* scene) override {
    double faceHeight = pose.halfHeight;   // each face is half a strip
    for (int i = 0; i < 2 * HingedStripCount; ++i) {
      bool upper = i < HingedStripCount;
      int strip = i % HingedStripCount;
      PlaneSurface& face = faces[i];
      TaperDomain* domain = upper ? static_cast<TaperDomain*>(&uppers[strip]) : &lowers[strip];
      fillStripFace(&face, frame, HingesUpright, strip, upper ? 0.0 : -faceHeight,
                    upper ? faceHeight : 0.0);
      domain->surface = &face;
      domain->taper = pose.taper;
      face.domain = domain;
      // Both halves lean back about the centre line, away from each other.
      leaningStripPlacement(&face.placement, strip, pose.fold, upper ? pose.lean : -pose.lean,
                            0.0, pose.spinAngle);
      addSurface(scene, &face);
    }
  }

  PlaneSurface faces[2 * HingedStripCount];
  TopTaperDomain uppers[HingedStripCount];
  BottomTaperDomain lowers[HingedStripCount];
  LeaningStrips pose;
};

constexpr OpActionFunction action = shapeAction<DiamondBuilder, module>;

VX_SHAPE_OPERATOR_INFO(info, action, version, controls);

}  // namespace

extern "C" OpTag* GetOperatorInfo() { return info.pairs; }
