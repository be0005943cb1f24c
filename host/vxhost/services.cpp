#include "host/vxhost/services.h"

#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>
#include <algorithm>

#include "host/vxhost/output.h"

// Module code may call out on a stack that is only 4-byte aligned; the
// services realign before touching SSE spill slots.
#define VX_SERVICE __attribute__((force_align_arg_pointer))

namespace vxhost {

namespace {

std::string size(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }

// What the fault handler says, written before each action call.
char crashMessage[512];
volatile sig_atomic_t pluginRunning = 0;

void onFault(int signal) {
  if (!pluginRunning) {
    ::signal(signal, SIG_DFL);
    raise(signal);
    return;
  }
  ssize_t ignored = write(STDERR_FILENO, crashMessage, strlen(crashMessage));
  (void)ignored;
  removeTemporaryFiles();
  _exit(ExitFailure);
}

void prepareCrashMessage(const Plugin& plugin, const OpRequest& request) {
  snprintf(crashMessage, sizeof crashMessage,
           "vxhost: %s crashed at field %u of %u (a fault in the plug-in)\n", plugin.name().c_str(),
           (unsigned)request.index, (unsigned)request.count);
}

}  // namespace

void reportPluginCrashes() {
  // The handler runs on a stack of its own, in case the plug-in broke the stack.
  static std::vector<char> stack(1 << 16);
  stack_t alternate = {};
  alternate.ss_sp = stack.data();
  alternate.ss_size = stack.size();
  sigaltstack(&alternate, nullptr);
  struct sigaction action = {};
  action.sa_handler = onFault;
  action.sa_flags = SA_ONSTACK;
  for (int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE}) sigaction(signal, &action, nullptr);
}

FieldHost::FieldHost() {
  services_.getField = &FieldHost::getFieldService;
  services_.putField = &FieldHost::putFieldService;
  services_.allocImage = &FieldHost::allocImageService;
  services_.freeImage = &FieldHost::freeImageService;
  services_.chkAbort = &FieldHost::chkAbortService;
  services_.context = this;
  previous_ = opInstallHost(&services_);
}

FieldHost::~FieldHost() { opInstallHost(previous_); }

OpImage* FieldHost::handOut(int width, int height, const Picture* content) {
  auto block = std::make_unique<Block>();
  if (content) block->pixels = content->pixels;
  else block->pixels.assign((size_t)width * height, 0);
  OpImage& image = block->image;
  image.pixels = block->pixels.data();
  image.stride = (int16_t)width;
  image.rows = (int16_t)height;
  image.x = image.y = 0;
  image.width = (int16_t)width;
  image.height = (int16_t)height;
  OpImage* handle = &block->image;
  live_.emplace(handle, std::move(block));
  return handle;
}

FieldHost::Lookup FieldHost::find(OpImage* image) const {
  if (live_.count(image)) return Lookup::Live;
  for (const auto& block : returned_)
    if (&block->image == image) return Lookup::Returned;
  return Lookup::Unknown;
}

void FieldHost::retire(OpImage* image) {
  auto entry = live_.find(image);
  returned_.push_back(std::move(entry->second));
  live_.erase(entry);
}

void FieldHost::fault(const std::string& what) {
  if (std::find(faults_.begin(), faults_.end(), what) == faults_.end()) faults_.push_back(what);
}

VX_SERVICE OpImage* FieldHost::getFieldService(void* context, int stream, unsigned index) {
  auto* host = static_cast<FieldHost*>(context);
  if (!host->active_) {
    host->fault("asked for a field outside a render");
    return nullptr;
  }
  if (stream < 0 || stream >= host->streams_) {
    host->note_ = "it asked for stream " + std::to_string(stream) + ", and it has " +
                  std::to_string(host->streams_) + " input(s)";
    return nullptr;
  }
  if (index != host->request_->index) {
    host->note_ = "it asked for field " + std::to_string(index) + " while field " +
                  std::to_string(host->request_->index) + " was being rendered";
    return nullptr;
  }
  return host->handOut(host->width_, host->height_, host->inputs_[stream]);
}

VX_SERVICE OpImage* FieldHost::allocImageService(void* context, int width, int height, int, int) {
  auto* host = static_cast<FieldHost*>(context);
  if (!host->active_) {
    host->fault("asked for an image outside a render");
    return nullptr;
  }
  if (width == -1 && height == -1) {
    width = host->width_;
    height = host->height_;
  }
  if (width < 1 || height < 1 || width > MaxImageSide || height > MaxImageSide) {
    host->note_ = "it asked for an image of " + size(width, height);
    return nullptr;
  }
  return host->handOut(width, height, nullptr);
}

VX_SERVICE void FieldHost::freeImageService(void* context, OpImage* image) {
  auto* host = static_cast<FieldHost*>(context);
  switch (host->find(image)) {
    case Lookup::Live: host->retire(image); break;
    case Lookup::Returned: host->fault("gave back an image twice"); break;
    case Lookup::Unknown: host->fault("gave back an image that vxhost never handed out"); break;
  }
}

VX_SERVICE int FieldHost::putFieldService(void* context, OpImage* image) {
  auto* host = static_cast<FieldHost*>(context);
  switch (host->find(image)) {
    case Lookup::Live: break;
    case Lookup::Returned:
      host->fault(image == host->delivered_ ? "delivered its output twice"
                                            : "delivered an image it had already given back");
      return -1;
    case Lookup::Unknown:
      host->fault("delivered an image that vxhost never handed out");
      return -1;
  }
  if (host->delivered_) {
    host->fault("delivered a second output field");
    host->retire(image);
    return -1;
  }
  host->retire(image);
  host->delivered_ = image;
  return 0;
}

VX_SERVICE int FieldHost::chkAbortService(void*) { return 0; }

Status FieldHost::renderField(const Plugin& plugin, const OpRequest& request,
                              const Picture* const* inputs, Picture& output) {
  request_ = &request;
  inputs_ = inputs;
  streams_ = plugin.streams();
  width_ = inputs[0]->width;
  height_ = inputs[0]->height;
  faults_.clear();
  note_.clear();
  delivered_ = nullptr;
  active_ = true;
  prepareCrashMessage(plugin, request);
  pluginRunning = 1;
  int result = plugin.action(request);
  pluginRunning = 0;
  active_ = false;
  Status status = finish(result, output);
  live_.clear();
  returned_.clear();
  delivered_ = nullptr;
  return status.within(plugin.name() + " failed at field " + std::to_string(request.index) +
                       " of " + std::to_string(request.count));
}

Status FieldHost::finish(int result, Picture& output) {
  if (!live_.empty())
    fault("kept " + std::to_string(live_.size()) + " image(s) it should have given back");
  if (!faults_.empty()) {
    std::string all;
    for (const std::string& f : faults_) all += (all.empty() ? "it " : "; it ") + f;
    return Status::failure(all + " (a fault in the plug-in)");
  }
  if (result != 0)
    return Status::failure("it returned " + std::to_string(result) +
                           (note_.empty() ? std::string() : " after " + note_));
  if (!delivered_) return Status::failure("it returned 0 without delivering a field");

  // The record is the plug-in's to read only; check it before copying.
  const OpImage& image = *delivered_;
  const auto* block = reinterpret_cast<const Block*>(delivered_);
  if (image.width != width_ || image.height != height_)
    return Status::failure("it delivered " + size(image.width, image.height) + " for a field of " +
                           size(width_, height_) + " (a fault in the plug-in)");
  if (image.pixels != block->pixels.data() || image.x < 0 || image.y < 0 ||
      image.x + image.width > image.stride ||
      (size_t)(image.y + image.height) * image.stride > block->pixels.size())
    return Status::failure("it delivered an image whose record it had changed (a fault in the plug-in)");
  output.resize(width_, height_);
  for (int y = 0; y < height_; ++y)
    memcpy(output.row(y), image.pixels + (size_t)(image.y + y) * image.stride + image.x,
           width_ * sizeof(uint32_t));
  return Status();
}

}  // namespace vxhost
