// fx_drop1: one clip seen through water into which a drop falls.
#include "runtime/operator.h"
#include "water/drop.h"
#include "water/waterframe.h"

namespace {

char version[] = "$Id: kadrop1.c,v 0.1 2001/03/22 10:16:02 vxfx Exp vxfx $";

const ModuleIdentity module = {"../../src/kadrop1", 3500};

VX_DROP_CONTROLS(controls, 0x2B);

class DropEffect {
 public:
  void beginField(const WaterField& field) {
    wave.setup(controls.read(), field.progress, field.camera);
  }

  void pixel(const WaterField& field, float u, float v, int i, int j, VideoPixel* out) {
    SamplePoint point = dropSamplePoint(field.camera, u, v, i, j, wave.at(field.camera, u, v));
    SampleVideo(field.input[0], out, point.x, point.y);
  }

 private:
  DropWave wave;
};

int action(const OpRequest* request) {
  DropEffect effect;
  return renderWater(request, module, 1, DropSinTilt, DropCosTilt, effect);
}

VX_DROP_OPERATOR_INFO(info, 1, action, version, controls);

}  // namespace

extern "C" OpTag* GetOperatorInfo() { return info.pairs; }
