// The host side of the image contract. While a FieldHost exists it is the
// host that the plug-ins' service calls reach; it renders one output field
// per renderField call and keeps count of every image it hands out.
//
// Every image from opGetField or opAllocImage must come back exactly once,
// by opFreeImage or, for the output, opPutField. A plug-in that gives an
// image back twice, gives back one the host never handed out, or keeps one
// is reported as a failed render; nothing it passes is dereferenced before
// the host has recognised it as one of its own.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/opservices.h"
#include "host/vxhost/picture.h"
#include "host/vxhost/plugin.h"

namespace vxhost {

// Makes a fault signal (SIGSEGV, SIGBUS, SIGILL, SIGFPE) raised while a
// plug-in renders end vxhost with a one-line message naming the plug-in and
// field, after removing unfinished outputs. Faults elsewhere crash as usual.
void reportPluginCrashes();

class FieldHost {
 public:
  FieldHost();
  ~FieldHost();
  FieldHost(const FieldHost&) = delete;
  FieldHost& operator=(const FieldHost&) = delete;

  // Calls the plug-in's action once. inputs holds one field per stream the
  // plug-in reads, all of the output's size; the delivered field lands in
  // output.
  Status renderField(const Plugin& plugin, const OpRequest& request,
                     const Picture* const* inputs, Picture& output);

 private:
  struct Block {
    OpImage image;   // first, so that the image's address is the block's
    std::vector<uint32_t> pixels;
  };

  OpImage* handOut(int width, int height, const Picture* content);
  enum class Lookup { Live, Returned, Unknown };
  Lookup find(OpImage* image) const;
  void retire(OpImage* image);
  void fault(const std::string& what);
  Status finish(int result, Picture& output);

  static OpImage* getFieldService(void* context, int stream, unsigned index);
  static int putFieldService(void* context, OpImage* image);
  static OpImage* allocImageService(void* context, int width, int height, int kind, int flags);
  static void freeImageService(void* context, OpImage* image);
  static int chkAbortService(void* context);

  OpHostServices services_;
  const OpHostServices* previous_;
  bool active_ = false;
  const OpRequest* request_ = nullptr;
  const Picture* const* inputs_ = nullptr;
  int streams_ = 0;
  int width_ = 0, height_ = 0;
  std::unordered_map<OpImage*, std::unique_ptr<Block>> live_;
  std::vector<std::unique_ptr<Block>> returned_;   // until the action ends
  OpImage* delivered_ = nullptr;
  std::vector<std::string> faults_;
  std::string note_;   // why a request was refused, for the failure message
};

}  // namespace vxhost
