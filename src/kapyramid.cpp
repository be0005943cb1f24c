// tx_pyramid: the outgoing picture, cut into four upright strips, folds like
// a folding screen into an open four-sided pyramid while every strip leans
// inward about its bottom edge; the pyramid spins and flies off towards a
// corner, uncovering the incoming picture.
#include "shapes/hinge.h"
#include "shapes/plane.h"
#include "shapes/shapeframe.h"
#include "shapes/taper.h"

namespace {

char version[] = "$Id: kapyramid.c,v 0.1 2001/03/22 10:16:48 vxfx Exp vxfx $";

VX_SHAPE_CONTROLS(controls, 0x45);

const ShapeModule module = {PyramidLog, &controls.direction.value, &controls.spin.value,
                            &controls.quality.value};

// Four faces, one per strip, each the whole height of the picture.
class PyramidBuilder : public ShapeBuilder {
 public:
  void shapeCamera(const TransitionFrame& frame, const ShapeParameters& parameters,
                   const CornerPath& path, CameraInputs* inputs) override {
    pose = leaningStrips(frame, parameters, path, 1);
    stripCamera(frame, HingesUpright, path, inputs);
  }

  void addSurfaces(const TransitionFrame& frame, Scene* scene) override {
    double halfHeight = pose.halfHeight;
    for (int i = 0; i < HingedStripCount; ++i) {
      PlaneSurface& face = faces[i];
      fillStripFace(&face, frame, HingesUpright, i, -halfHeight, halfHeight);
      domains[i].surface = &face;
      domains[i].taper = pose.taper;
      face.domain = &domains[i];
      // The strip leans back about its bottom edge.
      leaningStripPlacement(&face.placement, i, pose.fold, pose.lean, -halfHeight,
                            pose.spinAngle);
      addSurface(scene, &face);
    }
  }

  PlaneSurface faces[HingedStripCount];
  TopTaperDomain domains[HingedStripCount];
  LeaningStrips pose;
};

constexpr OpActionFunction action = shapeAction<PyramidBuilder, module>;

VX_SHAPE_OPERATOR_INFO(info, action, version, controls);

}  // namespace

extern "C" OpTag* GetOperatorInfo() { return info.pairs; }
