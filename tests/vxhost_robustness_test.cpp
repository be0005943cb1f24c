// A bounded, seeded robustness run: thousands of damaged YUV4MPEG2 streams
// go through the reader, the field split and weave, the writer and a render
// through the fake effect. None may crash or trip a sanitizer (build with
// VX_SANITIZE=ON), and every refusal must be a one-line message.
#include <algorithm>
#include <random>

#include <gtest/gtest.h>

#include "host/vxhost/render.h"
#include "tests/vxhost_testsupport.h"

using namespace vxhost;

namespace {

constexpr int Cases = 5000;
constexpr uint32_t Seed = 20260311;

std::vector<std::string> seeds() {
  using vxtest::format;
  return {
      vxtest::y4mBytes(format(6, 4, "420jpeg", Interlace::TopFirst), 2),
      vxtest::y4mBytes(format(5, 3, "420mpeg2"), 2),
      vxtest::y4mBytes(format(4, 6, "420paldv", Interlace::BottomFirst), 2),
      vxtest::y4mBytes(format(3, 5, "422"), 3),
      vxtest::y4mBytes(format(4, 4, "444", Interlace::TopFirst), 2),
      vxtest::y4mBytes(format(7, 2, "mono"), 2),
  };
}

// Header words a mutation may drop in, to reach the parser's corners.
const char* const Tokens[] = {"W0", "W99999", "H-1", "H1", "W1", "F0:0", "F1:0", "F", "A:", "Im", "I?",
                              "C411", "Cmono", "C420", "C422", "FRAME", "\n", " ", "X", "W2147483648"};

// Damage of every kind, flips most often, so that many streams stay
// readable and reach the render with odd pixels or odd headers.
std::string mutate(std::string bytes, std::mt19937& random) {
  int edits = 1 + random() % 3;
  for (int e = 0; e < edits && !bytes.empty(); ++e) {
    size_t at = random() % bytes.size();
    size_t inHeader = random() % (std::min(bytes.find('\n'), bytes.size() - 1) + 1);
    switch (random() % 10) {
      case 0: case 1: case 2: case 3: bytes[at] = (char)random(); break;   // flip a byte
      case 4: bytes.resize(at); break;                                        // truncate
      case 5: bytes.insert(at, std::string(1 + random() % 8, (char)random())); break;
      case 6: bytes.erase(at, 1 + random() % 8); break;
      case 7: bytes.insert(inHeader, Tokens[random() % (sizeof Tokens / sizeof *Tokens)]); break;
      case 8: bytes.insert(at, bytes.substr(random() % bytes.size(), 1 + random() % 32)); break;
      case 9: bytes[inHeader] = (char)('0' + random() % 10); break;   // a header digit
    }
  }
  return bytes;
}

void expectCleanRefusal(const Status& status, const std::string& bytes) {
  if (status.ok()) return;
  EXPECT_FALSE(status.message().empty());
  EXPECT_EQ(status.message().find('\n'), std::string::npos) << status.message();
  if (::testing::Test::HasFailure()) FAIL() << "input: " << ::testing::PrintToString(bytes);
}

// Reads every frame, splits and weaves it, and writes it back.
Status readThrough(const std::string& bytes) {
  MemorySource source(bytes);
  Y4mReader reader(source);
  VX_TRY(reader.readHeader());
  MemorySink sink;
  Y4mWriter writer(sink, reader.format());
  for (;;) {
    Picture frame, upper, lower;
    bool end;
    VX_TRY(reader.readFrame(frame, end));
    if (end) return Status();
    extractField(frame, FieldParity::Upper, upper);
    extractField(frame, FieldParity::Lower, lower);
    insertField(frame, FieldParity::Lower, lower);
    insertField(frame, FieldParity::Upper, upper);
    VX_TRY(writer.writeFrame(frame));
  }
}

class NullSink : public FrameSink {
 public:
  Status write(const Picture&) override { return Status(); }
};

Status renderThrough(const Plugin& plugin, const std::string& bytes) {
  std::unique_ptr<Clip> clip;
  VX_TRY(openY4mClip(bytes, "mutated.y4m", clip));
  RenderPlan plan;
  VX_TRY(planRender(plugin, RenderRequest(), *clip, nullptr, plan));
  NullSink sink;
  return renderClips(plugin, plan, *clip, nullptr, sink, nullptr);
}

TEST(vxhostRobustness, DamagedStreamsAreRefusedCleanly) {
  auto effect = vxtest::loadFake(vxtest::fakeEffectPath());
  effect->resetParameters();
  std::vector<std::string> inputs = seeds();
  std::mt19937 random(Seed);
  int refused = 0, rendered = 0;
  for (int i = 0; i < Cases; ++i) {
    std::string bytes = mutate(inputs[i % inputs.size()], random);
    Status read = readThrough(bytes);
    expectCleanRefusal(read, bytes);
    Status render = renderThrough(*effect, bytes);
    expectCleanRefusal(render, bytes);
    refused += !read.ok();
    rendered += render.ok();
    if (HasFailure()) return;
  }
  printf("%d of %d damaged streams refused, %d rendered\n", refused, Cases, rendered);
  // The run reaches both sides: some damage is survivable, much is not.
  EXPECT_GT(refused, Cases / 10);
  EXPECT_GT(rendered, Cases / 10);
}

}  // namespace
