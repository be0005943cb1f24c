#include "host/vxhost/ffmpeg.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vxhost {

bool findProgram(const std::string& program, std::string& path) {
  if (program.empty()) return false;
  if (program.find('/') != std::string::npos) {
    path = program;
    return access(program.c_str(), X_OK) == 0;
  }
  const char* env = getenv("PATH");
  std::string folders = env ? env : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    std::string folder = folders.substr(start, end - start);
    std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
    struct stat st;
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0) {
      path = candidate;
      return true;
    }
    start = end + 1;
  }
  return false;
}

Status requireFfmpeg(const std::string& program, const std::string& purpose) {
  std::string path;
  if (findProgram(program, path)) return Status();
  return Status::failure(purpose + " needs ffmpeg, and '" + program +
                         "' is not installed (install ffmpeg, or use .y4m files)");
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    wait();
  }
  if (pipeFd_ >= 0) close(pipeFd_);
  if (messagesFd_ >= 0) close(messagesFd_);
}

Status ChildProcess::start(const std::string& program, const std::vector<std::string>& arguments,
                           Pipe pipe) {
  std::string path;
  if (!findProgram(program, path))
    return Status::failure("'" + program + "' is not installed (install ffmpeg, or use .y4m files)");
  // A child that dies must not take vxhost with it through SIGPIPE.
  signal(SIGPIPE, SIG_IGN);

  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return Status::failure(std::string("cannot make a pipe: ") + strerror(errno));
  char scratch[] = "/tmp/vxhost-ffmpeg-XXXXXX";
  messagesFd_ = mkostemp(scratch, O_CLOEXEC);
  if (messagesFd_ >= 0) unlink(scratch);

  int childEnd = pipe == Pipe::ToChild ? ends[0] : ends[1];
  pipeFd_ = pipe == Pipe::ToChild ? ends[1] : ends[0];
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, childEnd, pipe == Pipe::ToChild ? 0 : 1);
  if (pipe == Pipe::FromChild) posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (messagesFd_ >= 0) posix_spawn_file_actions_adddup2(&actions, messagesFd_, 2);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int error = posix_spawn(&pid_, path.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(childEnd);
  program_ = program;
  if (error != 0) {
    pid_ = -1;
    return Status::failure("cannot start " + program + ": " + strerror(error));
  }
  return Status();
}

int ChildProcess::releasePipe() {
  int fd = pipeFd_;
  pipeFd_ = -1;
  return fd;
}

std::string ChildProcess::lastMessage() const {
  if (messagesFd_ < 0) return std::string();
  std::string text;
  char buffer[4096];
  ssize_t n;
  off_t size = lseek(messagesFd_, 0, SEEK_END);
  lseek(messagesFd_, size > (off_t)sizeof buffer ? size - (off_t)sizeof buffer : 0, SEEK_SET);
  while ((n = read(messagesFd_, buffer, sizeof buffer)) > 0) text.append(buffer, (size_t)n);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  size_t start = text.find_last_of("\r\n");
  return start == std::string::npos ? text : text.substr(start + 1);
}

Status ChildProcess::wait() {
  if (pipeFd_ >= 0) {
    close(pipeFd_);
    pipeFd_ = -1;
  }
  if (pid_ <= 0) return Status();
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return Status();
  std::string message = lastMessage();
  std::string how = WIFSIGNALED(status) ? "was stopped by signal " + std::to_string(WTERMSIG(status))
                                        : "failed (status " + std::to_string(WEXITSTATUS(status)) + ")";
  return Status::failure(program_ + " " + how + (message.empty() ? "" : ": " + message));
}

Status startFfmpegReader(const std::string& ffmpeg, const std::string& file,
                         std::unique_ptr<ChildProcess>& child) {
  child.reset(new ChildProcess);
  return child->start(ffmpeg,
                      {"-hide_banner", "-nostdin", "-v", "error", "-i", file, "-an", "-f",
                       "yuv4mpegpipe", "-pix_fmt", "yuv444p", "-strict", "-1", "-"},
                      ChildProcess::Pipe::FromChild);
}

Status startFfmpegWriter(const std::string& ffmpeg, const std::string& file,
                         const std::vector<std::string>& extra,
                         std::unique_ptr<ChildProcess>& child) {
  std::vector<std::string> arguments = {"-hide_banner", "-v", "error", "-y", "-f", "yuv4mpegpipe",
                                        "-i", "-"};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  arguments.push_back(file);
  child.reset(new ChildProcess);
  return child->start(ffmpeg, arguments, ChildProcess::Pipe::ToChild);
}

}  // namespace vxhost
