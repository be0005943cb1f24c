// The records exchanged with the host: requests, images, and the operator
// description with its parameter descriptors.
#pragma once

#include <stdint.h>
#include "services.h"

// Request codes and flag bits of an OpRequest.
enum : int16_t { OpRender = 3 };
enum : uint32_t {
  OpFlagFast = 1u << 0,       // shape transitions: half-size texture, no half steps
  OpFlagParity = 1u << 1,     // field parity: +1 when set, -1 when clear
  OpFlag525 = 1u << 2,        // 525-line video: line scale 2.25 instead of 1.875
};

struct OpRequest {
  int16_t code;
  uint16_t unused;
  uint32_t flags;
  uint32_t count;   // fields the effect lasts
  uint32_t index;   // field asked for, from 0
};

// All six 16-bit fields are signed; the pixel at (x, y) of the buffer is the
// first of the active area.
struct OpImage {
  uint32_t* pixels;
  int16_t stride;   // pixels from one row to the next
  int16_t rows;
  int16_t x, y;
  int16_t width, height;
};

#if __SIZEOF_POINTER__ == 4
static_assert(sizeof(OpImage) == 16, "OpImage is 16 bytes on i386");
#endif
static_assert(sizeof(OpRequest) == 16, "OpRequest is 16 bytes");

typedef int (*OpActionFunction)(const OpRequest* request);

// Operator description: {tag, value} pairs ended by a lone 0 tag word. Values
// hold numbers or addresses, so they are pointer-sized.
constexpr uint32_t OpTagBase = 0x4F504500;   // "OPE" then a small number
constexpr uint32_t opTag(unsigned n) { return OpTagBase + n; }
enum : uint32_t {
  OPE0 = opTag(0), OPE1 = opTag(1), OPE3 = opTag(3), OPE4 = opTag(4),
  OPE5 = opTag(5), OPE6 = opTag(6), OPE7 = opTag(7), OPE13 = opTag(13),
  OPE16 = opTag(16),
};

struct OpTag {
  VxAddress tag;
  VxAddress value;
};

// Parameter descriptors; the value slot is the host's to write.
struct OptionDescriptor {   // kind 0: a choice among listed options
  uint16_t kind;            // 0
  uint16_t label;           // host text number
  uint32_t style;           // 1: options are direction codes; 0: text numbers
  uint32_t* options;        // ended by a 0 entry
  int32_t value;            // position of the chosen option
};

struct RangeDescriptor {    // kind 2: an integer in a range
  uint16_t kind;            // 2
  uint16_t label;
  uint32_t reserved0;
  uint32_t secondText;
  uint32_t reserved1;
  int32_t minimum;
  int32_t maximum;
  int32_t value;
};

#if __SIZEOF_POINTER__ == 4
static_assert(sizeof(OptionDescriptor) == 16, "kind 0 descriptor is 16 bytes");
#endif
static_assert(sizeof(RangeDescriptor) == 28, "kind 2 descriptor is 28 bytes");

enum : uint16_t { DescriptorOptions = 0, DescriptorRange = 2 };
enum : uint32_t { OptionsAreTexts = 0, OptionsAreDirections = 1 };

// A module's operator description: its pairs, then the lone 0 tag word.
template <int Pairs>
struct OperatorInfo {
  OpTag pairs[Pairs];
  VxAddress terminator;   // 0
};

// The module's entry: the address of its description, the same every time.
extern "C" OpTag* GetOperatorInfo();

// The value of a tag pair that holds an address.
#define VX_ADDRESS(object) ((VxAddress)(object))
