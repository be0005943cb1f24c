#include "runtime/operator.h"

const char MessageNoStream0[] = "Unable to get stream 0 field\n";
const char MessageNoStream1[] = "Unable to get stream 1 field\n";
const char MessageNoImage[] = "Unable to allocate image\n";
const char MessageNoScratch[] = "Unable to allocate scratch data\n";

uint32_t directionOptions[5] = {2, 4, 6, 8, 0};

void logFailure(const ModuleIdentity& module, int line, const char* message) {
  int prepared = loggerPrepMessage(message);
  loggerMessageString(LogLevelFailure, line, module.sourcePath,
                      (int)((uint32_t)module.operatorNumber << 16), prepared);
}

const char* messageNoStream(int stream) {
  return stream == 0 ? MessageNoStream0 : MessageNoStream1;
}

float effectProgress(const OpRequest* request) {
  long double index = request->index, count = request->count;
  return (float)((index + 0.5L) / count);
}

float lineScale(const OpRequest* request) {
  return (request->flags & OpFlag525) ? 2.25f : 1.875f;
}
