// Errors are values: a Status carries the exit code that the command line
// reports and a one-line message that says what went wrong and what to do.
#pragma once

#include <string>
#include <utility>

namespace vxhost {

enum ExitCode : int {
  ExitOk = 0,
  ExitFailure = 1,   // the input or a plug-in failed
  ExitUsage = 2,     // the command line asked for something impossible
};

class Status {
 public:
  Status() = default;
  static Status failure(std::string message) { return Status(ExitFailure, std::move(message)); }
  static Status usage(std::string message) { return Status(ExitUsage, std::move(message)); }

  bool ok() const { return code_ == ExitOk; }
  int code() const { return code_; }
  const std::string& message() const { return message_; }

  // The same error with a prefix naming what it was about ("clip.y4m: ").
  Status within(const std::string& what) const {
    return ok() ? *this : Status(code_, what + ": " + message_);
  }

 private:
  Status(int code, std::string message) : code_(code), message_(std::move(message)) {}
  int code_ = ExitOk;
  std::string message_;
};

#define VX_TRY(expression)              \
  do {                                  \
    ::vxhost::Status vxStatus_ = (expression); \
    if (!vxStatus_.ok()) return vxStatus_;    \
  } while (0)

}  // namespace vxhost
