// fx_ripple1: one clip seen through rippling water.
#include "runtime/operator.h"
#include "water/ripple.h"
#include "water/waterframe.h"

namespace {

char version[] = "$Id: karipple1.c,v 0.1 2001/03/22 10:14:31 vxfx Exp vxfx $";

const ModuleIdentity module = {"../../src/karipple1", 3501};

OptionDescriptor direction = directionDescriptor(0x55);
RangeDescriptor speed = {DescriptorRange, 0x56, 0, 0x59, 0, 2, 10, 5};
uint32_t waveSizeOptions[] = VX_TEXT_OPTIONS(0x5A);
OptionDescriptor waveSize = {DescriptorOptions, 0x57, OptionsAreTexts, waveSizeOptions, 1};
uint32_t waveHeightOptions[] = VX_TEXT_OPTIONS(0x5D);
OptionDescriptor waveHeight = {DescriptorOptions, 0x58, OptionsAreTexts, waveHeightOptions, 1};

class RippleEffect {
 public:
  void beginField(const WaterField& field) {
    RippleParameters parameters = {direction.value, speed.value, waveSize.value,
                                   waveHeight.value};
    surface.setup(parameters, field.progress);
  }

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
    {OPE4, VX_ADDRESS(&direction)},
    {OPE5, VX_ADDRESS(&speed)},
    {OPE6, VX_ADDRESS(&waveSize)},
    {OPE7, VX_ADDRESS(&waveHeight)},
}, 0};

}  // namespace

extern "C" OpTag* GetOperatorInfo() { return info.pairs; }
