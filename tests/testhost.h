// A host over plain memory for tests: serves fields from pictures the test
// sets up, allocates images on the heap, and records every call so a test can
// assert who got what back, exactly once.
#pragma once

#include <stdint.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/opservices.h"

struct TestPicture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;   // width x height, row by row

  static TestPicture filled(int width, int height, uint32_t pixel);
  uint32_t at(int x, int y) const { return pixels[y * width + x]; }
};

// Every pixel word with the given Y, Cb and Cr.
uint32_t videoWord(int y, int cb, int cr);

class TestHost {
 public:
  TestHost();
  ~TestHost();

  // Fields served per stream; a stream without a picture yields null.
  void setStream(int stream, const TestPicture& picture, int margin = 0);
  void clearStream(int stream);
  bool failAllocation = false;     // opAllocImage yields null
  int putResult = 0;               // what opPutField returns
  int outputWidth = 0, outputHeight = 0;   // size for opAllocImage(-1, -1)

  // What happened.
  std::vector<std::string> calls;   // "get 0 5", "alloc -1 -1 1 0", "free", "put"
  // (opChkAbort polls are only counted)
  int abortPolls = 0;
  std::vector<unsigned> fieldIndexes;

  // Images handed out and not yet given back, and any image given back twice
  // or never handed out.
  int outstanding() const;
  int misuses = 0;

  // The image delivered by opPutField (copied out), if any.
  bool delivered = false;
  TestPicture output;
  const OpImage* deliveredImage = nullptr;

 private:
  struct Held {
    std::unique_ptr<OpImage> image;
    std::vector<uint32_t> buffer;
    bool returned = false;
  };
  OpImage* handOut(int width, int height, int margin, const std::vector<uint32_t>* fill);
  bool giveBack(OpImage* image);

  static OpImage* getField(void*, int, unsigned);
  static int putField(void*, OpImage*);
  static OpImage* allocImage(void*, int, int, int, int);
  static void freeImage(void*, OpImage*);
  static int chkAbort(void*);

  struct Stream {
    TestPicture picture;
    int margin;
  };
  std::map<int, Stream> streams_;
  std::vector<std::unique_ptr<Held>> held_;
  OpHostServices services_;
  const OpHostServices* previous_;
};
