// The logging services for module code built as ordinary code: every record
// is kept so tests can check what a failure wrote.
#pragma once

#include <string>
#include <vector>

struct LogRecord {
  int level;
  int line;
  std::string sourcePath;
  int operatorCode;
  std::string message;
};

std::vector<LogRecord>& loggedRecords();
