// Writes an a.out image made by hand, without the compiler: its entry returns
// a list in data whose action (returning 42) is found through a data
// relocation against text.
#include <stdio.h>

#include "runtime/oprecords.h"
#include "tests/imagebuilder.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  ImageBuilder b = ImageBuilder::returning(0x40 /* text size: list at data + 0 */, 0x40, 0x20);
  b.textRelocations.push_back({1, aout::relocationWord(aout::SegmentData, false, false)});
  b.text[0x10] = 0xB8;   // action: mov $42, %eax; ret
  b.putTextWord(0x11, 42);
  b.text[0x15] = 0xC3;
  uint32_t list[] = {OPE1, 0, OPE3, 0x10, 0};
  memcpy(b.data.data(), list, sizeof list);
  b.dataRelocations.push_back({12, aout::relocationWord(aout::SegmentText, false, false)});
  std::vector<uint8_t> image = b.build();
  FILE* out = fopen(argv[1], "wb");
  if (!out || fwrite(image.data(), 1, image.size(), out) != image.size() || fclose(out) != 0) return 1;
  return 0;
}
