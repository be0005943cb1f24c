#include "tests/testhost.h"

TestPicture TestPicture::filled(int width, int height, uint32_t pixel) {
  TestPicture p;
  p.width = width;
  p.height = height;
  p.pixels.assign((size_t)width * height, pixel);
  return p;
}

uint32_t videoWord(int y, int cb, int cr) {
  return (uint32_t)y << 24 | (uint32_t)cb << 16 | (uint32_t)cr << 8;
}

TestHost::TestHost()
    : services_{getField, putField, allocImage, freeImage, chkAbort, this},
      previous_(opInstallHost(&services_)) {}

TestHost::~TestHost() { opInstallHost(previous_); }

void TestHost::setStream(int stream, const TestPicture& picture, int margin) {
  streams_[stream] = Stream{picture, margin};
  if (stream == 0 && outputWidth == 0) {
    outputWidth = picture.width;
    outputHeight = picture.height;
  }
}

void TestHost::clearStream(int stream) { streams_.erase(stream); }

int TestHost::outstanding() const {
  int count = 0;
  for (const auto& held : held_) count += !held->returned;
  return count;
}

// An image whose active area sits `margin` pixels inside its buffer on every
// side, with a stride wider than the row, so that code which ignores the
// origin or the stride reads the wrong pixels. The margin is filled with a
// colour no test uses.
OpImage* TestHost::handOut(int width, int height, int margin,
                           const std::vector<uint32_t>* fill) {
  auto held = std::make_unique<Held>();
  int stride = width + 2 * margin, rows = height + 2 * margin;
  held->buffer.assign((size_t)stride * rows, videoWord(200, 30, 220));
  if (fill)
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        held->buffer[(y + margin) * stride + x + margin] = (*fill)[y * width + x];
  held->image = std::make_unique<OpImage>(
      OpImage{held->buffer.data(), (int16_t)stride, (int16_t)rows, (int16_t)margin,
              (int16_t)margin, (int16_t)width, (int16_t)height});
  OpImage* image = held->image.get();
  held_.push_back(std::move(held));
  return image;
}

bool TestHost::giveBack(OpImage* image) {
  for (auto& held : held_)
    if (held->image.get() == image) {
      if (held->returned) break;
      held->returned = true;
      return true;
    }
  ++misuses;
  return false;
}

OpImage* TestHost::getField(void* context, int stream, unsigned index) {
  TestHost* host = static_cast<TestHost*>(context);
  host->calls.push_back("get " + std::to_string(stream) + " " + std::to_string(index));
  host->fieldIndexes.push_back(index);
  auto found = host->streams_.find(stream);
  if (found == host->streams_.end()) return nullptr;
  const Stream& s = found->second;
  return host->handOut(s.picture.width, s.picture.height, s.margin, &s.picture.pixels);
}

int TestHost::putField(void* context, OpImage* image) {
  TestHost* host = static_cast<TestHost*>(context);
  host->calls.push_back("put");
  if (!host->giveBack(image)) return host->putResult;
  host->delivered = true;
  host->deliveredImage = image;
  host->output.width = image->width;
  host->output.height = image->height;
  host->output.pixels.clear();
  for (int y = 0; y < image->height; ++y)
    for (int x = 0; x < image->width; ++x)
      host->output.pixels.push_back(
          image->pixels[(y + image->y) * image->stride + x + image->x]);
  return host->putResult;
}

OpImage* TestHost::allocImage(void* context, int width, int height, int kind, int flags) {
  TestHost* host = static_cast<TestHost*>(context);
  host->calls.push_back("alloc " + std::to_string(width) + " " + std::to_string(height) +
                        " " + std::to_string(kind) + " " + std::to_string(flags));
  if (host->failAllocation) return nullptr;
  if (width == -1 && height == -1) {
    width = host->outputWidth;
    height = host->outputHeight;
  }
  return host->handOut(width, height, 3, nullptr);
}

void TestHost::freeImage(void* context, OpImage* image) {
  TestHost* host = static_cast<TestHost*>(context);
  host->calls.push_back("free");
  host->giveBack(image);
}

int TestHost::chkAbort(void* context) {
  TestHost* host = static_cast<TestHost*>(context);
  ++host->abortPolls;
  return 0;
}
