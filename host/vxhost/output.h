// Where rendered frames go. A file is written under a temporary name beside
// its final one and renamed into place only by commit(); an output that is
// destroyed uncommitted removes what it wrote, so a failed render leaves no
// file behind and an existing file untouched.
#pragma once

#include <memory>
#include <string>

#include "host/vxhost/ffmpeg.h"
#include "host/vxhost/y4m.h"

namespace vxhost {

class FrameSink {
 public:
  virtual ~FrameSink() = default;
  virtual Status write(const Picture& frame) = 0;
};

// Frames as YUV4MPEG2 bytes in memory, for tests.
class MemoryFrameSink : public FrameSink {
 public:
  explicit MemoryFrameSink(const VideoFormat& format) : writer_(sink_, format) {}
  Status write(const Picture& frame) override { return writer_.writeFrame(frame); }
  const std::vector<uint8_t>& bytes() const { return sink_.bytes(); }

 private:
  MemorySink sink_;
  Y4mWriter writer_;
};

class TemporaryFile {
 public:
  ~TemporaryFile();
  // Creates an empty file beside target whose name ends like target's.
  Status create(const std::string& target);
  int fd() const { return fd_; }
  int releaseFd();
  const std::string& path() const { return temp_; }
  Status commit();

 private:
  std::string target_, temp_;
  int fd_ = -1;
  bool committed_ = false;
};

class VideoFileOutput : public FrameSink {
 public:
  // A .y4m name is written by vxhost, anything else by ffmpeg.
  static Status open(const std::string& path, const VideoFormat& format, long pictures,
                     const std::string& ffmpeg, std::unique_ptr<VideoFileOutput>& output);
  Status write(const Picture& frame) override;
  // Finishes the file and puts it in place.
  Status commit();

 private:
  TemporaryFile file_;
  std::unique_ptr<ChildProcess> encoder_;
  std::unique_ptr<FdSink> sink_;
  std::unique_ptr<Y4mWriter> writer_;
  std::string path_;
};

bool isY4mName(const std::string& path);
// Makes SIGINT, SIGTERM and SIGHUP remove unfinished outputs before exiting.
void removeTemporaryFilesOnSignals();
// Removes every unfinished output; safe in a signal handler.
void removeTemporaryFiles();
// Refuses an output that is a folder or one of the inputs (the same file, by
// any name).
Status checkOutputPath(const std::string& output, const std::vector<std::string>& inputs);

}  // namespace vxhost
