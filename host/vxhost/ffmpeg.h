// ffmpeg as a child process, started with an argument vector (never a
// shell), for every format other than YUV4MPEG2: it decodes into a
// YUV4MPEG2 pipe that vxhost reads, or encodes one that vxhost writes.
// Its own messages go to a scratch file; the last line of them ends up in
// vxhost's message when it fails.
#pragma once

#include <sys/types.h>
#include <memory>
#include <string>
#include <vector>

#include "host/vxhost/io.h"

namespace vxhost {

// Finds a program as the shell would (a name with a slash is a path).
bool findProgram(const std::string& program, std::string& path);
Status requireFfmpeg(const std::string& program, const std::string& purpose);

class ChildProcess {
 public:
  ~ChildProcess();
  // Starts the program with a pipe to its standard input (ToChild) or from
  // its standard output (FromChild).
  enum class Pipe { ToChild, FromChild };
  Status start(const std::string& program, const std::vector<std::string>& arguments, Pipe pipe);
  int pipeFd() const { return pipeFd_; }
  // Hands the pipe over to the caller, who closes it.
  int releasePipe();
  // Closes the pipe if still held and waits; fails when the child did.
  Status wait();

 private:
  std::string lastMessage() const;
  std::string program_;
  pid_t pid_ = -1;
  int pipeFd_ = -1;
  int messagesFd_ = -1;
};

// ffmpeg decoding a file into a YUV4MPEG2 pipe of 4:4:4 frames.
Status startFfmpegReader(const std::string& ffmpeg, const std::string& file,
                         std::unique_ptr<ChildProcess>& child);
// ffmpeg encoding a YUV4MPEG2 pipe into a file; extra arguments go before
// the file name.
Status startFfmpegWriter(const std::string& ffmpeg, const std::string& file,
                         const std::vector<std::string>& extra,
                         std::unique_ptr<ChildProcess>& child);

}  // namespace vxhost
