// tx_drop2: a drop falls into the water and the incoming clip fills a disc
// that spreads with the ring wave until it covers the picture.
#include "runtime/operator.h"
#include "water/drop.h"
#include "water/waterframe.h"

namespace {

char version[] = "$Id: kadrop2.c,v 0.1 2001/03/22 10:16:40 vxfx Exp vxfx $";

const ModuleIdentity module = {"../../src/kadrop2", 3404};

VX_DROP_CONTROLS(controls, 0x34);

class DropTransition {
 public:
  void beginField(const WaterField& field) {
    wave.setup(controls.read(), field.progress, field.camera);
  }

  void pixel(const WaterField& field, float u, float v, int i, int j, VideoPixel* out) {
    DropSample water = wave.at(field.camera, u, v);
    SamplePoint point = dropSamplePoint(field.camera, u, v, i, j, water);
    SampleMix(field.input[0], field.input[1], point.x, point.y, water.mix, out);
  }

 private:
  DropWave wave;
};

int action(const OpRequest* request) {
  DropTransition effect;
  return renderWater(request, module, 2, DropSinTilt, DropCosTilt, effect);
}

VX_DROP_OPERATOR_INFO(info, 0, action, version, controls);

}  // namespace

extern "C" OpTag* GetOperatorInfo() { return info.pairs; }
