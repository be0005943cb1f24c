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

OperatorInfo<9> info = {{
    {OPE0, 0},
    {OPE1, 1},
    {OPE3, VX_ADDRESS(action)},
    {OPE16, VX_ADDRESS(version)},
    {OPE13, 2},
    {OPE4, VX_ADDRESS(&controls.direction)},
    {OPE5, VX_ADDRESS(&controls.speed)},
    {OPE6, VX_ADDRESS(&controls.waveSize)},
    {OPE7, VX_ADDRESS(&controls.waveHeight)},
}, 0};

}  // namespace

extern "C" OpTag* GetOperatorInfo() { return info.pairs; }
