// The render frame of every water effect: fetch the input field(s), allocate
// the output, walk the output row by row asking the effect for each pixel,
// give the inputs back and deliver the output. Any failure before delivery
// logs its message, gives back what is held and yields -1.
#pragma once

#include "runtime/operator.h"
#include "water/waterview.h"

// What an effect sees of the field being rendered.
struct WaterField {
  float progress;
  WaterCamera camera;
  FieldView input[2];   // stream 0, and stream 1 for transitions
};

// Effect is a class with
//   void beginField(const WaterField&)           per-field values
//   void pixel(const WaterField&, float u, float v, int i, int j, VideoPixel* out)
// and streams is 1 for an effect on one clip, 2 for a transition.
template <class Effect>
int renderWater(const OpRequest* request, const ModuleIdentity& module, int streams,
                float sinTilt, float cosTilt, Effect& effect) {
  if (request->code != OpRender) return 0;
  InitColourTables();

  OpImage* inputs[2] = {nullptr, nullptr};
  for (int stream = 0; stream < streams; ++stream) {
    inputs[stream] = opGetField(stream, request->index);
    if (!inputs[stream]) {
      logFailure(module, __LINE__, messageNoStream(stream));
      if (stream == 1) opFreeImage(inputs[0]);
      return -1;
    }
  }
  OpImage* output = opAllocImage(-1, -1, 1, 0);
  if (!output) {
    logFailure(module, __LINE__, MessageNoImage);
    for (int stream = 0; stream < streams; ++stream) opFreeImage(inputs[stream]);
    return -1;
  }

  WaterField field;
  for (int stream = 0; stream < streams; ++stream)
    field.input[stream] = InitFieldView(inputs[stream]);
  int width = field.input[0].width, height = field.input[0].height;
  field.progress = effectProgress(request);
  field.camera = makeWaterCamera(width, height, lineScale(request), sinTilt, cosTilt);
  effect.beginField(field);

  // The output has the input's active size; rows step by the output stride.
  VideoPixel* row = (VideoPixel*)(output->pixels + (output->y * output->stride + output->x));
  for (int j = 0; j < height; ++j, row += output->stride) {
    opChkAbort();
    float v = viewV(field.camera, j);
    for (int i = 0; i < width; ++i)
      effect.pixel(field, viewU(field.camera, i), v, i, j, row + i);
  }

  for (int stream = 0; stream < streams; ++stream) opFreeImage(inputs[stream]);
  return opPutField(output);
}
