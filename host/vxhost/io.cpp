#include "host/vxhost/io.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <unistd.h>
#include <algorithm>

namespace vxhost {

namespace {
constexpr size_t BufferSize = 1 << 16;

std::string reason() { return strerror(errno); }
}  // namespace

bool ByteSource::skip(size_t size) {
  uint8_t scrap[4096];
  while (size > 0) {
    size_t step = std::min(size, sizeof scrap);
    if (read(scrap, step) != step) return false;
    size -= step;
  }
  return true;
}

size_t MemorySource::read(void* data, size_t size) {
  size_t n = std::min(size, bytes_.size() - position_);
  if (n == 0) return 0;
  memcpy(data, bytes_.data() + position_, n);
  position_ += n;
  return n;
}

bool MemorySource::skip(size_t size) {
  if (size > bytes_.size() - position_) {
    position_ = bytes_.size();
    return false;
  }
  position_ += size;
  return true;
}

Status MemorySink::write(const void* data, size_t size) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  bytes_.insert(bytes_.end(), bytes, bytes + size);
  return Status();
}

FdSource::FdSource(int fd, std::string name, bool owned)
    : fd_(fd), name_(std::move(name)), owned_(owned), buffer_(BufferSize) {}

FdSource::~FdSource() {
  if (owned_ && fd_ >= 0) ::close(fd_);
}

bool FdSource::fill() {
  if (!error_.ok()) return false;
  for (;;) {
    ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error_ = Status::failure(name_ + ": cannot read: " + reason());
      return false;
    }
    begin_ = 0;
    end_ = (size_t)n;
    return n > 0;
  }
}

size_t FdSource::read(void* data, size_t size) {
  uint8_t* out = static_cast<uint8_t*>(data);
  size_t done = 0;
  while (done < size) {
    if (begin_ == end_ && !fill()) break;
    size_t n = std::min(size - done, end_ - begin_);
    memcpy(out + done, buffer_.data() + begin_, n);
    begin_ += n;
    done += n;
  }
  return done;
}

bool FdSource::skip(size_t size) {
  size_t buffered = std::min(size, end_ - begin_);
  begin_ += buffered;
  size -= buffered;
  if (size == 0) return true;
  off_t here = lseek(fd_, 0, SEEK_CUR);
  off_t last = here < 0 ? -1 : lseek(fd_, 0, SEEK_END);
  if (last < 0) return ByteSource::skip(size);   // a pipe
  if ((uint64_t)(last - here) < size) return false;
  return lseek(fd_, here + (off_t)size, SEEK_SET) >= 0;
}

FdSink::FdSink(int fd, std::string name, bool owned)
    : fd_(fd), name_(std::move(name)), owned_(owned) {
  buffer_.reserve(BufferSize);
}

FdSink::~FdSink() {
  if (owned_ && fd_ >= 0) ::close(fd_);
}

Status FdSink::write(const void* data, size_t size) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  if (buffer_.size() + size > BufferSize) VX_TRY(flush());
  if (size >= BufferSize) {
    buffer_.assign(bytes, bytes + size);
    return flush();
  }
  buffer_.insert(buffer_.end(), bytes, bytes + size);
  return Status();
}

Status FdSink::flush() {
  size_t done = 0;
  while (done < buffer_.size()) {
    ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Status::failure(name_ + ": cannot write: " + reason());
    done += (size_t)n;
  }
  buffer_.clear();
  return Status();
}

Status FdSink::close() {
  Status status = flush();
  if (owned_ && fd_ >= 0) {
    if (::close(fd_) != 0 && status.ok())
      status = Status::failure(name_ + ": cannot finish writing: " + reason());
    fd_ = -1;
  }
  return status;
}

Status openFileSource(const std::string& path, std::unique_ptr<ByteSource>& source) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Status::failure(path + ": cannot open: " + reason());
  source.reset(new FdSource(fd, path, true));
  return Status();
}

}  // namespace vxhost
