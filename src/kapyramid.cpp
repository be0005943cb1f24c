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

OptionDescriptor direction = directionDescriptor(0x45);
RangeDescriptor spin = {DescriptorRange, 0x46, 0, 0x48, 0, 0, 10, 2};
uint32_t qualityOptions[] = VX_TEXT_OPTIONS(0x49);
OptionDescriptor quality = {DescriptorOptions, 0x47, OptionsAreTexts, qualityOptions, 0};

const ShapeModule module = {PyramidLog, &direction.value, &spin.value, &quality.value};

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

int action(const OpRequest* request) {
  PyramidBuilder builder;
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
