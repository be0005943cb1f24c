// fx_drop1: one clip seen through water into which a drop falls.
#include "runtime/operator.h"
#include "water/drop.h"
#include "water/waterframe.h"

namespace {

char version[] = "$Id: kadrop1.c,v 0.1 2001/03/22 10:16:02 vxfx Exp vxfx $";

const ModuleIdentity module = {"../../src/kadrop1", 3500};

uint32_t waveSizeOptions[] = VX_TEXT_OPTIONS(0x2D);
OptionDescriptor waveSize = {DescriptorOptions, 0x2B, OptionsAreTexts, waveSizeOptions, 1};
uint32_t waveHeightOptions[] = VX_TEXT_OPTIONS(0x30);
OptionDescriptor waveHeight = {DescriptorOptions, 0x2C, OptionsAreTexts, waveHeightOptions, 1};

class DropEffect {
 public:
  void beginField(const WaterField& field) {
    wave.setup(DropParameters{waveSize.value, waveHeight.value}, field.progress, field.camera);
  }

  // Calm water shows the pixel at its own centre.
  void pixel(const WaterField& field, float u, float v, int i, int j, VideoPixel* out) {
    DropSample water = wave.at(field.camera, u, v);
    SamplePoint point = {i + 0.5f, j + 0.5f};
    if (water.nx != 0 || water.ny != 0) point = ReflectSample(field.camera, u, v, water.nx, water.ny);
    SampleVideo(field.input[0], out, point.x, point.y);
  }

 private:
  DropWave wave;
};

int action(const OpRequest* request) {
  DropEffect effect;
  return renderWater(request, module, 1, DropSinTilt, DropCosTilt, effect);
}

OperatorInfo<7> info = {{
    {OPE0, 0},
    {OPE1, 1},
    {OPE3, VX_ADDRESS(action)},
    {OPE16, VX_ADDRESS(version)},
    {OPE13, 2},
    {OPE4, VX_ADDRESS(&waveSize)},
    {OPE5, VX_ADDRESS(&waveHeight)},
}, 0};

}  // namespace

extern "C" OpTag* GetOperatorInfo() { return info.pairs; }
