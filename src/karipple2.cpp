// tx_ripple2: one clip carried over into the next under rippling water; the
// crests carry the incoming picture in first.
#include "runtime/operator.h"
#include "water/ripple.h"
#include "water/waterframe.h"

namespace {

char version[] = "$Id: karipple2.c,v 0.1 2001/03/22 10:15:07 vxfx Exp vxfx $";

const ModuleIdentity module = {"../../src/karipple2", 3408};

VX_RIPPLE_CONTROLS(controls, 0x61);

class RippleTransition {
 public:
  void beginField(const WaterField& field) {
    surface.setup(controls.read(), field.progress);
    progress = field.progress;
  }

  void pixel(const WaterField& field, float u, float v, int, int, VideoPixel* out) {
    RippleSample water = surface.at(field.camera, u, v, true);
    SamplePoint point = ReflectSample(field.camera, u, v, water.nx, water.ny);
    SampleMix(field.input[0], field.input[1], point.x, point.y,
              rippleMix(water.shape, progress), out);
  }

 private:
  RippleSurface surface;
  float progress;
};

int action(const OpRequest* request) {
  RippleTransition effect;
  return renderWater(request, module, 2, RippleSinTilt, RippleCosTilt, effect);
}

VX_RIPPLE_OPERATOR_INFO(info, 0, action, version, controls);

}  // namespace

extern "C" OpTag* GetOperatorInfo() { return info.pairs; }
