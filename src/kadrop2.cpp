// tx_drop2: a drop falls into the water and the incoming clip fills a disc
// that spreads with the ring wave until it covers the picture.
#include "runtime/operator.h"
#include "water/drop.h"
#include "water/waterframe.h"

namespace {

char version[] = "$Id: kadrop2.c,v 0.1 2001/03/22 10:16:40 vxfx Exp vxfx $";

const ModuleIdentity module = {"../../src/kadrop2", 3404};

uint32_t waveSizeOptions[] = VX_TEXT_OPTIONS(0x36);
OptionDescriptor waveSize = {DescriptorOptions, 0x34, OptionsAreTexts, waveSizeOptions, 1};
uint32_t waveHeightOptions[] = VX_TEXT_OPTIONS(0x39);
OptionDescriptor waveHeight = {DescriptorOptions, 0x35, OptionsAreTexts, waveHeightOptions, 1};

class DropTransition {
 public:
  void beginField(const WaterField& field) {
    wave.setup(DropParameters{waveSize.value, waveHeight.value}, field.progress, field.camera);
  }

  void pixel(const WaterField& field, float u, float v, int i, int j, VideoPixel* out) {
    DropSample water = wave.at(field.camera, u, v);
    SamplePoint point = {i + 0.5f, j + 0.5f};
    if (water.nx != 0 || water.ny != 0) point = ReflectSample(field.camera, u, v, water.nx, water.ny);
    SampleMix(field.input[0], field.input[1], point.x, point.y, water.mix, out);
  }

 private:
  DropWave wave;
};

int action(const OpRequest* request) {
  DropTransition effect;
  return renderWater(request, module, 2, DropSinTilt, DropCosTilt, effect);
}

OperatorInfo<7> info = {{
    {OPE0, 0},
    {OPE1, 0},
    {OPE3, VX_ADDRESS(action)},
    {OPE16, VX_ADDRESS(version)},
    {OPE13, 2},
    {OPE4, VX_ADDRESS(&waveSize)},
    {OPE5, VX_ADDRESS(&waveHeight)},
}, 0};

}  // namespace

extern "C" OpTag* GetOperatorInfo() { return info.pairs; }
