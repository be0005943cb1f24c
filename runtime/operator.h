// What every effect module shares around a render: its identity in log
// records, the failure messages, progress, and the direction option list.
#pragma once

#include "runtime/oprecords.h"

// A module's name in its log records.
struct ModuleIdentity {
  const char* sourcePath;   // "../../src/ka..." of the module
  int operatorNumber;       // goes in the high 16 bits of the code word
};

enum : int { LogLevelFailure = 0x200 };

extern const char MessageNoStream0[];
extern const char MessageNoStream1[];
extern const char MessageNoImage[];
extern const char MessageNoScratch[];

// Writes one failure record through the logging services.
void logFailure(const ModuleIdentity& module, int line, const char* message);

// The failure message for a stream that could not be fetched.
const char* messageNoStream(int stream);

// (index + 0.5) / count, formed in extended precision, kept as a float; never
// 0 or 1.
float effectProgress(const OpRequest* request);

// Line scale that turns field rows into square-pixel units: 2.25 for
// 525-line video, 1.875 otherwise.
float lineScale(const OpRequest* request);

// The descriptor shared by every module with a direction: options are the
// codes 2, 4, 6, 8, and the first is the default.
extern uint32_t directionOptions[5];
constexpr OptionDescriptor directionDescriptor(uint16_t label) {
  return OptionDescriptor{DescriptorOptions, label, OptionsAreDirections,
                          directionOptions, 0};
}

// A choice among three of the host's texts, numbered from firstText.
#define VX_TEXT_OPTIONS(firstText) {(firstText), (firstText) + 1, (firstText) + 2, 0}
