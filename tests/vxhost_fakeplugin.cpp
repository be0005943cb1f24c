// A plug-in for the host's tests, built as ordinary code: an effect (or,
// built with FAKE_TRANSITION, a transition) whose "behaviour" option makes
// it keep or break the image contract on purpose.
//
// When it behaves, the output is its stream 0 field (the effect) or its
// stream 1 field (the transition) with the first pixel replaced by a record
// of the request: Y = index, Cb = flags, Cr = count. The behaviour option has
// a label no effect uses, so the host names it param1.
#include <signal.h>

#include "host/opservices.h"
#include "host/vxhost/picture.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

enum Behaviour : int32_t {
  Behave, FreeTwice, KeepInput, FreeUnknown, Fail, DeliverSmall, DeliverTwice, AskOtherField, Crash,
  BehaviourCount
};

uint32_t behaviours[BehaviourCount + 1] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0};
uint32_t directions[5] = {2, 4, 6, 8, 0};
OptionDescriptor behaviour = {DescriptorOptions, 0x200, OptionsAreTexts, behaviours, 0};
OptionDescriptor direction = {DescriptorOptions, 0x55, OptionsAreDirections, directions, 0};
RangeDescriptor spin = {DescriptorRange, 0x0C, 0, 0x0E, 0, 0, 10, 2};
const char version[] = "fake plug-in 1";

#ifdef FAKE_TRANSITION
constexpr uintptr_t Kind = 0;
#else
constexpr uintptr_t Kind = 1;
#endif

int action(const OpRequest* request);

OpTag info[] = {
    {OPE0, 0}, {OPE1, Kind}, {OPE3, (uintptr_t)&action}, {OPE16, (uintptr_t)version},
    {OPE13, 2}, {OPE4, (uintptr_t)&behaviour}, {OPE5, (uintptr_t)&direction},
    {OPE6, (uintptr_t)&spin}, {0, 0},
};

void mark(OpImage* image, const OpRequest* request) {
  image->pixels[image->y * image->stride + image->x] =
      vxhost::packPixel(request->index & 0xFF, request->flags & 0xFF, request->count & 0xFF);
}

int misbehave(OpImage* input, OpImage* output) {
  static OpImage stranger;
  switch (behaviour.value) {
    case FreeTwice: opFreeImage(input); break;
    case KeepInput: return opPutField(output);
    case FreeUnknown: opFreeImage(&stranger); break;
    case Fail:
      opFreeImage(output);
      opFreeImage(input);
      return -1;
    case DeliverSmall:
      opFreeImage(output);
      output = opAllocImage(1, 1, 1, 0);
      break;
    case DeliverTwice:
      opFreeImage(input);
      opPutField(output);
      return opPutField(output);
  }
  opFreeImage(input);
  return opPutField(output);
}

unsigned fieldToAsk(const OpRequest* request) {
  return behaviour.value == AskOtherField ? request->index + 1 : request->index;
}

int renderEffect(const OpRequest* request) {
  OpImage* input = opGetField(0, fieldToAsk(request));
  if (!input) return -1;
  OpImage* output = opAllocImage(-1, -1, 1, 0);
  if (!output) {
    opFreeImage(input);
    return -1;
  }
  for (int y = 0; y < input->height; ++y)
    for (int x = 0; x < input->width; ++x)
      output->pixels[(output->y + y) * output->stride + output->x + x] =
          input->pixels[(input->y + y) * input->stride + input->x + x];
  mark(output, request);
  return misbehave(input, output);
}

// As the shape transitions do: stream 1 first, a scratch image of half the
// size whose stride and rows are its width and height, and the stream 1
// field delivered in place.
int renderTransition(const OpRequest* request) {
  OpImage* incoming = opGetField(1, fieldToAsk(request));
  if (!incoming) return -1;
  OpImage* outgoing = opGetField(0, request->index);
  if (!outgoing) {
    opFreeImage(incoming);
    return -1;
  }
  OpImage* scratch = opAllocImage((outgoing->width + 1) / 2, (outgoing->height + 1) / 2, 1, 0);
  if (!scratch || scratch->stride != (outgoing->width + 1) / 2 ||
      scratch->rows != (outgoing->height + 1) / 2) {
    if (scratch) opFreeImage(scratch);
    opFreeImage(outgoing);
    opFreeImage(incoming);
    return -1;
  }
  scratch->pixels[scratch->stride * scratch->rows - 1] = 0;   // the last pixel is there
  opFreeImage(scratch);
  mark(incoming, request);
  return misbehave(outgoing, incoming);
}

int action(const OpRequest* request) {
  if (request->code != OpRender) return 0;
  if (behaviour.value == Crash) raise(SIGSEGV);
  opChkAbort();
  return Kind == 1 ? renderEffect(request) : renderTransition(request);
}

}  // namespace

FAKE_EXPORT OpTag* GetOperatorInfo() { return info; }
FAKE_EXPORT int OperatorAction(const OpRequest* request) { return action(request); }
