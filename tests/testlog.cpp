#include "tests/testlog.h"

#include "runtime/services.h"

namespace {
std::vector<std::string> prepared;
}

std::vector<LogRecord>& loggedRecords() {
  static std::vector<LogRecord> records;
  return records;
}

// The prepared message travels as its position in `prepared`.
extern "C" int loggerPrepMessage(const char* text) {
  prepared.push_back(text);
  return (int)prepared.size() - 1;
}

extern "C" int loggerMessageString(int level, int line, const char* sourcePath,
                                   int operatorCode, int message) {
  std::string text = message >= 0 && message < (int)prepared.size() ? prepared[message] : "?";
  loggedRecords().push_back(LogRecord{level, line, sourcePath, operatorCode, text});
  return 0;
}
