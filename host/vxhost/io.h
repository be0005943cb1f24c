// Byte streams behind a small interface, so that the readers and writers run
// on memory in tests and on files or pipes in the program.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <memory>
#include <string>
#include <vector>

#include "host/vxhost/status.h"

namespace vxhost {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to size bytes; fewer only at the end of the stream or on an
  // error, which error() then describes.
  virtual size_t read(void* data, size_t size) = 0;
  virtual Status error() const { return Status(); }
  // Skips size bytes; false when the stream ends first.
  virtual bool skip(size_t size);
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual Status write(const void* data, size_t size) = 0;
  virtual Status flush() { return Status(); }
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  explicit MemorySource(const std::string& bytes) : bytes_(bytes.begin(), bytes.end()) {}
  size_t read(void* data, size_t size) override;
  bool skip(size_t size) override;

 private:
  std::vector<uint8_t> bytes_;
  size_t position_ = 0;
};

class MemorySink : public ByteSink {
 public:
  Status write(const void* data, size_t size) override;
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// A file descriptor, buffered; the name goes into error messages. Closes the
// descriptor when destroyed if it owns it.
class FdSource : public ByteSource {
 public:
  FdSource(int fd, std::string name, bool owned);
  ~FdSource() override;
  size_t read(void* data, size_t size) override;
  Status error() const override { return error_; }
  bool skip(size_t size) override;

 private:
  bool fill();
  int fd_;
  std::string name_;
  bool owned_;
  std::vector<uint8_t> buffer_;
  size_t begin_ = 0, end_ = 0;
  Status error_;
};

class FdSink : public ByteSink {
 public:
  FdSink(int fd, std::string name, bool owned);
  ~FdSink() override;
  Status write(const void* data, size_t size) override;
  Status flush() override;
  // Flushes and closes an owned descriptor, reporting a failed close.
  Status close();

 private:
  int fd_;
  std::string name_;
  bool owned_;
  std::vector<uint8_t> buffer_;
};

// Opens a file for reading; the message names the file and the reason.
Status openFileSource(const std::string& path, std::unique_ptr<ByteSource>& source);

}  // namespace vxhost
