// fx_ripple1: one clip seen through rippling water.
#include "runtime/operator.h"
#include "water/ripple.h"
#include "water/waterframe.h"

namespace {

char version[] = "$Id: karipple1.c,v 0.1 2001/03/22 10:14:31 vxfx Exp vxfx $";

const ModuleIdentity module = {"../../src/karipple1", 3501};

VX_RIPPLE_CONTROLS(controls, 0x55);

class RippleEffect {
 public:
  void beginField(const WaterField& field) { surface.setup(controls.read(), field.progress); }

  void pixel(const WaterField& field, float u, float v, int, int, VideoPixel* out) {
    RippleSample water = surface.at(field.camera, u, v, false);
    SamplePoint point = ReflectSample(field.camera, u, v, water.nx, water.ny);
    SampleVideo(field.input[0], out, point.x, point.y);
  }

 private:
  RippleSurface surface;
};

int action(const OpRequest* request) {
  RippleEffect effect;
  return renderWater(request, module, 1, RippleSinTilt, RippleCosTilt, effect);
}

VX_RIPPLE_OPERATOR_INFO(info, 1, action, version, controls);

}  // namespace

extern "C" OpTag* GetOperatorInfo() { return info.pairs; }
