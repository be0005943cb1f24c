#include "host/vxhost/output.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vxhost {

namespace {

// Temporary files that an interrupted render must not leave behind, kept
// where a signal handler can reach them without allocating.
constexpr int MaxPending = 8;
constexpr size_t MaxPendingPath = 4096;
char pendingPaths[MaxPending][MaxPendingPath];
volatile sig_atomic_t pendingUsed[MaxPending];

void addPending(const std::string& path) {
  for (int i = 0; i < MaxPending; ++i)
    if (!pendingUsed[i] && path.size() < MaxPendingPath) {
      memcpy(pendingPaths[i], path.c_str(), path.size() + 1);
      pendingUsed[i] = 1;
      return;
    }
}

void dropPending(const std::string& path) {
  for (int i = 0; i < MaxPending; ++i)
    if (pendingUsed[i] && path == pendingPaths[i]) pendingUsed[i] = 0;
}

void removePendingAndExit(int signal) {
  removeTemporaryFiles();
  _exit(128 + signal);
}

std::string extension(const std::string& path) {
  size_t slash = path.rfind('/');
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = (char)tolower((unsigned char)c);
  return ext;
}

bool isStillImage(const std::string& ext) {
  return ext == "png" || ext == "jpg" || ext == "jpeg" || ext == "bmp" || ext == "tif" ||
         ext == "tiff" || ext == "ppm";
}

}  // namespace

bool isY4mName(const std::string& path) {
  std::string ext = extension(path);
  return ext == "y4m" || ext == "yuv4mpeg";
}

void removeTemporaryFiles() {
  for (int i = 0; i < MaxPending; ++i)
    if (pendingUsed[i]) unlink(pendingPaths[i]);
}

void removeTemporaryFilesOnSignals() {
  struct sigaction action = {};
  action.sa_handler = removePendingAndExit;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

TemporaryFile::~TemporaryFile() {
  if (fd_ >= 0) close(fd_);
  if (!temp_.empty() && !committed_) unlink(temp_.c_str());
  dropPending(temp_);
}

Status TemporaryFile::create(const std::string& target) {
  target_ = target;
  size_t slash = target.rfind('/');
  std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
  std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  if (base.empty()) return Status::usage("the output '" + target + "' names a folder, not a file");
  std::string ext = extension(base);
  std::string suffix = ext.empty() ? "" : "." + ext;
  std::string pattern = folder + "/." + base + ".vxhost-XXXXXX" + suffix;
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  fd_ = mkostemps(name.data(), (int)suffix.size(), O_CLOEXEC);
  if (fd_ < 0) return Status::failure("cannot write beside " + target + ": " + strerror(errno));
  temp_ = name.data();
  addPending(temp_);
  return Status();
}

int TemporaryFile::releaseFd() {
  int fd = fd_;
  fd_ = -1;
  return fd;
}

Status TemporaryFile::commit() {
  if (fd_ >= 0) {
    close(fd_);
    fd_ = -1;
  }
  // The file keeps the permissions a newly created file would have.
  mode_t mask = umask(0);
  umask(mask);
  chmod(temp_.c_str(), 0666 & ~mask);
  if (rename(temp_.c_str(), target_.c_str()) != 0)
    return Status::failure("cannot put " + target_ + " in place: " + strerror(errno));
  committed_ = true;
  dropPending(temp_);
  return Status();
}

Status VideoFileOutput::open(const std::string& path, const VideoFormat& format, long pictures,
                             const std::string& ffmpeg, std::unique_ptr<VideoFileOutput>& output) {
  auto out = std::unique_ptr<VideoFileOutput>(new VideoFileOutput);
  out->path_ = path;
  std::string ext = extension(path);
  if (!isY4mName(path)) {
    if (isStillImage(ext) && pictures != 1)
      return Status::usage(path + " holds one picture and the render makes " + std::to_string(pictures) +
                           "; pick one with --count and --index, or write a video");
    VX_TRY(requireFfmpeg(ffmpeg, "writing " + path + ", which is not a .y4m file,"));
  }
  VX_TRY(out->file_.create(path));
  if (isY4mName(path)) {
    out->sink_.reset(new FdSink(out->file_.releaseFd(), out->file_.path(), true));
  } else {
    std::vector<std::string> extra;
    if (isStillImage(ext)) extra = {"-frames:v", "1", "-update", "1"};
    else if (ext == "mp4" || ext == "mov" || ext == "mkv" || ext == "m4v") extra = {"-pix_fmt", "yuv420p"};
    VX_TRY(startFfmpegWriter(ffmpeg, out->file_.path(), extra, out->encoder_).within(path));
    out->sink_.reset(new FdSink(out->encoder_->releasePipe(), path, true));
  }
  out->writer_.reset(new Y4mWriter(*out->sink_, format));
  output = std::move(out);
  return Status();
}

Status VideoFileOutput::write(const Picture& frame) {
  Status status = writer_->writeFrame(frame);
  if (!status.ok() && encoder_) {
    Status encoder = encoder_->wait();   // its reason, when it stopped reading
    if (!encoder.ok()) return encoder.within(path_);
  }
  return status;
}

Status VideoFileOutput::commit() {
  VX_TRY(sink_->close());
  if (encoder_) VX_TRY(encoder_->wait().within(path_));
  return file_.commit();
}

Status checkOutputPath(const std::string& output, const std::vector<std::string>& inputs) {
  struct stat out;
  if (stat(output.c_str(), &out) != 0) return Status();
  if (S_ISDIR(out.st_mode)) return Status::usage("the output " + output + " is a folder; name a file in it");
  for (const std::string& input : inputs) {
    struct stat in;
    if (stat(input.c_str(), &in) == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino)
      return Status::usage("refusing to write " + output + " over the input clip " + input);
  }
  return Status();
}

}  // namespace vxhost
