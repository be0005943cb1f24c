// The shape transitions' frame built as ordinary code, with a scene builder
// of the test's own: a flat sheet that fills the view, the way the cube's net
// starts. malloc is wrapped at link time so that a test can make the frame's
// allocations fail one by one and see that every block comes back (calloc
// too: the compiler may merge an allocation and the clearing after it).
#include <gtest/gtest.h>
#include <math.h>

#include <set>

#include "shapes/plane.h"
#include "shapes/shapeframe.h"
#include "tests/testhost.h"
#include "tests/testlog.h"

namespace {

int mallocCall = 0;         // calls since the allocations were armed
int mallocFailsAt = 0;      // the call that yields null; 0: none
bool mallocArmed = false;
std::set<void*> mallocHeld;

}  // namespace

extern "C" void* __real_malloc(size_t size);
extern "C" void* __real_calloc(size_t count, size_t size);
extern "C" void __real_free(void* block);

namespace {

void* held(void* block) {
  if (mallocArmed) mallocHeld.insert(block);
  return block;
}

bool failsNow() { return mallocArmed && ++mallocCall == mallocFailsAt; }

}  // namespace

extern "C" void* __wrap_malloc(size_t size) {
  return failsNow() ? nullptr : held(__real_malloc(size));
}

extern "C" void* __wrap_calloc(size_t count, size_t size) {
  return failsNow() ? nullptr : held(__real_calloc(count, size));
}

extern "C" void __wrap_free(void* block) {
  if (mallocArmed) mallocHeld.erase(block);
  __real_free(block);
}

namespace {

// The value slots a module's descriptors would hold.
struct Slots {
  int32_t direction = 0, spin = 2, quality = 0;
};

ShapeModule moduleOf(const ShapeLog& log, Slots* slots) {
  return ShapeModule{log, &slots->direction, &slots->spin, &slots->quality};
}

// Records what the frame hands over and shows the texture on a sheet one
// unit high and as wide as the view, facing the camera at the view's centre.
class SheetBuilder : public ShapeBuilder {
 public:
  int cameraCalls = 0, surfaceCalls = 0;
  TransitionFrame frame = {};
  ShapeParameters parameters = {};
  CornerPath path = {};
  std::vector<uint32_t> texturePixels;   // the texture's active area while the render runs

  void shapeCamera(const TransitionFrame& f, const ShapeParameters& p, const CornerPath& c,
                   CameraInputs* in) override {
    ++cameraCalls;
    frame = f;
    parameters = p;
    path = c;
    in->anchorP = in->anchorQ = 0.5f;
    in->sizeFactor = 1 / f.viewHeight;
    for (int k = 0; k < 3; ++k) {
      in->boxLow[k] = -1;
      in->boxHigh[k] = 1;
    }
  }

  void addSurfaces(const TransitionFrame& f, Scene* scene) override {
    ++surfaceCalls;
    const OpImage* t = f.texture;
    for (int y = 0; y < t->height; ++y)
      for (int x = 0; x < t->width; ++x)
        texturePixels.push_back(t->pixels[(t->y + y) * t->stride + t->x + x]);

    double halfWidth = 0.5 * f.viewWidth / f.viewHeight;
    sheet.uMin = -halfWidth;
    sheet.uMax = halfWidth;
    sheet.vMin = -0.5;
    sheet.vMax = 0.5;
    sheet.uScale = f.textureWidth / (2 * halfWidth);
    sheet.vScale = sheet.uScale / f.aspect;
    sheet.uCentre = 0.5 * f.textureWidth;
    sheet.vCentre = 0.5 * f.textureHeight;
    sheet.uOrigin = sheet.vOrigin = 0;
    sheet.picture = f.texture;
    mat4Identity(&sheet.placement);
    whole.surface = &sheet;
    sheet.domain = &whole;
    addSurface(scene, &sheet);
  }

 private:
  PlaneSurface sheet;
  RectangleDomain whole;
};

const uint32_t Grey = videoWord(126, 128, 128);
const uint32_t Blue = videoWord(41, 240, 110);

struct Render {
  TestHost host;
  Slots slots;
  SheetBuilder builder;
  int result = 0;

  Render(int width, int height) {
    host.setStream(1, TestPicture::filled(width, height, Blue), 2);
    host.setStream(0, TestPicture::filled(width, height, Grey), 1);
  }
  int run(uint32_t index, uint32_t count, uint32_t flags = 0, const ShapeLog& log = CubeLog) {
    OpRequest request = {OpRender, 0, flags, count, index};
    ShapeModule module = moduleOf(log, &slots);
    loggedRecords().clear();
    result = renderShapeTransition(&request, module, builder);
    return result;
  }
};

// --- Curves ---

TEST(ShapeFrameTest, CurvesFollowProgressAndFreezeInTheSecondHalf) {
  struct Case {
    uint32_t index, count;
    int height;
    float progress, ramp, e;
  } cases[] = {
      {0, 1, 18, 0.5f, 1, 0.5f},                        // one field: the middle
      {7, 10, 18, 0.75f, 1, 0.66f * (4 * -0.015625f + 0.5f) + 0.34f * 0.25f},
      {0, 100, 18, 0.005f, 0.01f, 0.66f * (4 * 0.495f * 0.495f * 0.495f + 0.5f) + 0.34f * 0.995f},
      {3, 4, 1, 0.875f, 1, 0},                          // one line high: zoom 1
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.index << "/" << c.count << " height " << c.height);
    Render r(20, c.height);
    ASSERT_EQ(r.run(c.index, c.count), 0);
    const TransitionFrame& f = r.builder.frame;
    EXPECT_EQ(f.progress, c.progress);
    EXPECT_EQ(f.ramp, c.ramp);
    float line = 1.0f / c.height;
    EXPECT_NEAR(f.zoom, c.height == 1 ? 1 : (1 - line) * c.e + line, 1e-6);
    double lightAngle = c.ramp * M_PI / 6;
    EXPECT_NEAR(f.light[2], cos(lightAngle), 1e-6);
    EXPECT_EQ(f.light[0], f.light[1]);
    EXPECT_LE(f.light[0], 0);
    EXPECT_NEAR(f.light[0] * f.light[0] * 2 + f.light[2] * f.light[2], 1, 1e-6);
  }
}

TEST(ShapeFrameTest, FlagsChooseFieldParityAndLineScale) {
  struct Case {
    uint32_t flags;
    int field;
    float aspect;
  } cases[] = {{0, -1, 1.875f}, {OpFlagParity, 1, 1.875f}, {OpFlag525, -1, 2.25f},
               {OpFlagParity | OpFlag525, 1, 2.25f}};
  for (const Case& c : cases) {
    Render r(32, 12);
    r.slots.quality = 2;
    ASSERT_EQ(r.run(1, 3, c.flags), 0);
    const TransitionFrame& f = r.builder.frame;
    EXPECT_EQ(f.field, c.field) << c.flags;
    EXPECT_EQ(f.aspect, c.aspect);
    EXPECT_EQ(f.viewWidth, 32.0f);
    EXPECT_EQ(f.viewHeight, 12 * c.aspect);
    EXPECT_EQ(f.focal, 320.0f);
  }
}

// --- Corner path and camera ---

TEST(ShapeFrameTest, CornerPathHeadsForTheChosenCornerAndAnyOtherValueActsLikeZero) {
  struct Case {
    int direction;
    float p, q, spinSign;
  } cases[] = {{0, 0.75f, 0.75f, -1}, {1, 0.75f, 0.25f, -1}, {2, 0.25f, 0.25f, 1},
               {3, 0.25f, 0.75f, 1},  {4, 0.75f, 0.75f, -1}, {9, 0.75f, 0.75f, -1}};
  for (const Case& c : cases) {
    CornerPath path = cornerPath(c.direction, 0.5f);
    EXPECT_EQ(path.p, c.p) << c.direction;
    EXPECT_EQ(path.q, c.q) << c.direction;
    EXPECT_EQ(path.spinSign, c.spinSign) << c.direction;
  }

  // Through the frame: the slot's 4 gives the path of 0.
  Render r(20, 8);
  r.slots.direction = 4;
  ASSERT_EQ(r.run(0, 1), 0);
  EXPECT_EQ(r.builder.path.p, 0.75f);
  EXPECT_EQ(r.builder.path.q, 0.75f);
  EXPECT_EQ(r.builder.path.spinSign, -1);
  EXPECT_EQ(r.builder.parameters.direction, 4);
  EXPECT_EQ(r.builder.parameters.spin, 2);
}

TEST(ShapeFrameTest, PlacedCameraSeesTheCentreAtTheAnchorAndTheWholeBoxInDepth) {
  srand(7);
  for (int trial = 0; trial < 200; ++trial) {
    auto uniform = [](double lo, double hi) { return lo + (hi - lo) * rand() / RAND_MAX; };
    TransitionFrame f = {};
    f.width = 720;
    f.height = 288;
    f.aspect = 1.875f;
    f.viewWidth = 720;
    f.viewHeight = 540;
    f.focal = 7200;
    f.zoom = (float)uniform(0.01, 1);
    f.light[2] = 1;
    CameraInputs in = {};
    in.yaw = (float)uniform(-0.5, 0.5);
    in.pitch = (float)uniform(-0.5, 0.5);
    in.anchorP = (float)uniform(0, 1);
    in.anchorQ = (float)uniform(0, 1);
    in.sizeFactor = (float)uniform(0.5, 3) / 540;
    for (int k = 0; k < 3; ++k) {
      in.centre[k] = (float)uniform(-1, 1);
      in.boxLow[k] = -2;
      in.boxHigh[k] = 2;
    }
    Camera camera;
    placeCamera(&camera, f, in);
    setupCamera(&camera, 0);
    Vec4 centre = {in.centre[0], in.centre[1], in.centre[2], 1}, screen;
    mat4Transform(&screen, &camera.screen, &centre);
    EXPECT_NEAR(screen.x / screen.w, in.anchorP * 720, 0.05) << trial;
    EXPECT_NEAR(screen.y / screen.w, in.anchorQ * 288, 0.05) << trial;
    EXPECT_GT(camera.near, 0);
    for (int corner = 0; corner < 8; ++corner) {
      Vec4 c = {corner & 1 ? 2.0f : -2.0f, corner & 2 ? 2.0f : -2.0f, corner & 4 ? 2.0f : -2.0f, 1};
      mat4Transform(&screen, &camera.screen, &c);
      float depth = screen.z / screen.w;
      EXPECT_GT(depth, 0);
      EXPECT_LT(depth, 1);
    }
  }
}

// --- Texture ---

TEST(ShapeFrameTest, QualityAndTheFastFlagChooseTextureAndHalfStep) {
  struct Case {
    int quality;
    uint32_t flags;
    bool halved;
    int halfStep;
  } cases[] = {{0, 0, true, 0},         {1, 0, false, 1},         {2, 0, false, 0},
               {0, OpFlagFast, true, 0}, {1, OpFlagFast, true, 0}, {2, OpFlagFast, true, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "quality " << c.quality << " flags " << c.flags);
    Render r(65, 17);
    r.slots.quality = c.quality;
    r.host.putResult = 5;
    ASSERT_EQ(r.run(2, 9, c.flags), 5);
    const TransitionFrame& f = r.builder.frame;
    std::vector<std::string> calls = {"get 1 2", "get 0 2"};
    if (c.halved) calls.insert(calls.end(), {"alloc 33 9 1 0", "free"});
    calls.insert(calls.end(), {"free", "put"});
    EXPECT_EQ(r.host.calls, calls);
    EXPECT_EQ(r.host.outstanding(), 0);
    EXPECT_EQ(r.host.misuses, 0);
    EXPECT_EQ(f.halfStep, c.halfStep);
    EXPECT_EQ(f.textureWidth, c.halved ? 33 : 65);
    EXPECT_EQ(f.textureHeight, c.halved ? 9 : 17);
    EXPECT_EQ(f.texture == f.sourceField, !c.halved);
    // The halved copy lies in the new image's active area.
    EXPECT_EQ(r.builder.texturePixels, std::vector<uint32_t>(f.textureWidth * f.textureHeight, Grey));
    EXPECT_TRUE(loggedRecords().empty());
  }
}

TEST(ShapeFrameTest, WithoutAHalfSizeImageTheFullSourceIsTheTexture) {
  Render r(40, 10);
  r.host.failAllocation = true;
  r.host.putResult = 9;
  EXPECT_EQ(r.run(0, 5), 9);
  EXPECT_EQ(r.host.calls, (std::vector<std::string>{"get 1 0", "get 0 0", "alloc 20 5 1 0", "free", "put"}));
  EXPECT_TRUE(loggedRecords().empty());
  EXPECT_EQ(r.builder.frame.texture, r.builder.frame.sourceField);
  EXPECT_EQ(r.builder.frame.textureWidth, 40);
  EXPECT_EQ(r.builder.frame.textureHeight, 10);
  EXPECT_EQ(r.host.outstanding(), 0);
  EXPECT_EQ(r.host.misuses, 0);
}

TEST(ShapeFrameTest, ASourceOfAnotherSizeIsMappedWithTheBackgroundsSize) {
  struct Case {
    int sourceWidth, sourceHeight, quality;
    int textureWidth, textureHeight;   // as the mappings see it
    int pictureWidth, pictureHeight;   // what the texture really holds
  } cases[] = {{24, 20, 0, 20, 6, 12, 6}, {24, 20, 2, 40, 12, 24, 20},
               {60, 8, 0, 20, 6, 20, 4},  {60, 8, 1, 40, 12, 60, 8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.sourceWidth << "x" << c.sourceHeight << " q" << c.quality);
    Render r(40, 12);
    r.host.setStream(0, TestPicture::filled(c.sourceWidth, c.sourceHeight, Grey), 1);
    r.slots.quality = c.quality;
    ASSERT_EQ(r.run(0, 1), 0);
    const TransitionFrame& f = r.builder.frame;
    EXPECT_EQ(f.width, 40);
    EXPECT_EQ(f.height, 12);
    EXPECT_EQ(f.textureWidth, c.textureWidth);
    EXPECT_EQ(f.textureHeight, c.textureHeight);
    EXPECT_EQ(r.builder.texturePixels.size(), (size_t)(c.pictureWidth * c.pictureHeight));
    EXPECT_EQ(r.host.output.width, 40);
    EXPECT_EQ(r.host.output.height, 12);
    EXPECT_EQ(r.host.outstanding(), 0);
  }
}

// --- Delivery ---

TEST(ShapeFrameTest, CompositesIntoTheBackgroundsActiveAreaAndDeliversIt) {
  Render r(48, 16);
  r.slots.quality = 2;
  r.host.putResult = 7;
  ASSERT_EQ(r.run(0, 1), 7);
  ASSERT_TRUE(r.host.delivered);
  // At the middle of a one-field transition the sheet has receded to about
  // half its size: grey (a little darker for the slanted light) in the
  // middle, blue background at the corners.
  uint32_t middle = r.host.output.at(24, 8);
  EXPECT_NEAR((int)(middle >> 16 & 255), 128, 1);
  EXPECT_NEAR((int)(middle >> 8 & 255), 128, 1);
  EXPECT_NEAR((int)(middle >> 24), 121, 4);
  EXPECT_EQ(r.host.output.at(0, 0), Blue);
  EXPECT_EQ(r.host.output.at(47, 15), Blue);
  // The delivered image is the background field itself, margin untouched.
  const OpImage* image = r.host.deliveredImage;
  EXPECT_EQ(image->width, 48);
  EXPECT_EQ(image->pixels[0], videoWord(200, 30, 220));
  EXPECT_EQ(image->pixels[image->stride * image->rows - 1], videoWord(200, 30, 220));
  EXPECT_EQ(r.builder.cameraCalls, 1);
  EXPECT_EQ(r.builder.surfaceCalls, 1);
}

TEST(ShapeFrameTest, ABackgroundWithoutPixelsIsDeliveredAsItCame) {
  for (int width : {0, 8}) {
    Render r(width, 8 - width);
    r.host.putResult = 4;
    EXPECT_EQ(r.run(0, 3), 4) << width;
    EXPECT_EQ(r.host.calls, (std::vector<std::string>{"get 1 0", "get 0 0", "free", "put"}));
    EXPECT_EQ(r.builder.cameraCalls, 0);
    EXPECT_EQ(r.host.outstanding(), 0);
    EXPECT_TRUE(loggedRecords().empty());
  }
}

TEST(ShapeFrameTest, OnlyTheRenderCodeFetchesAnything) {
  for (int16_t code : {0, 1, 2, 4, -3}) {
    Render r(8, 4);
    OpRequest request = {code, 0, 0, 1, 0};
    ShapeModule module = moduleOf(CubeLog, &r.slots);
    EXPECT_EQ(renderShapeTransition(&request, module, r.builder), 0) << code;
    EXPECT_TRUE(r.host.calls.empty());
    EXPECT_EQ(r.builder.cameraCalls, 0);
  }
}

// --- Failures ---

TEST(ShapeFrameTest, EveryFailureLogsItsLineAndGivesBackWhatItHolds) {
  enum { NoStream1, NoStream0, NoScratch };
  struct Failure {
    const char* what;
    bool stream1, stream0;
    int mallocFails;   // which of the frame's five blocks cannot be had
    std::vector<std::string> calls;
    const char* message;
    int kind;
  } failures[] = {
      {"no stream 1", false, true, 0, {"get 1 3"}, "Unable to get stream 1 field\n", NoStream1},
      {"no stream 0", true, false, 0, {"get 1 3", "get 0 3", "free"},
       "Unable to get stream 0 field\n", NoStream0},
      {"no coverage plane", true, true, 1, {"get 1 3", "get 0 3", "free", "free"},
       "Unable to allocate scratch data\n", NoScratch},
      {"no blue plane", true, true, 4, {"get 1 3", "get 0 3", "free", "free"},
       "Unable to allocate scratch data\n", NoScratch},
      {"no grid cache", true, true, 5, {"get 1 3", "get 0 3", "free", "free"},
       "Unable to allocate scratch data\n", NoScratch},
  };
  struct Module {
    const ShapeLog* log;
    const char* sourcePath;
    uint32_t code;
    int lines[3];
  } modules[] = {{&SaucerLog, "../../src/kasaucer", 3409u << 16, {120, 126, 135}},
                 {&CubeLog, "../../src/kacube", 3401u << 16, {122, 128, 137}},
                 {&SphereX4Log, "../../src/kaspherex4", 3411u << 16, {109, 115, 124}}};
  for (const Module& m : modules) {
    for (const Failure& f : failures) {
      SCOPED_TRACE(testing::Message() << m.sourcePath << ": " << f.what);
      Render r(16, 6);
      if (!f.stream1) r.host.clearStream(1);
      if (!f.stream0) r.host.clearStream(0);
      mallocCall = 0;
      mallocFailsAt = f.mallocFails;
      mallocArmed = true;
      int result = r.run(3, 8, 0, *m.log);
      mallocArmed = false;
      EXPECT_EQ(result, -1);
      EXPECT_TRUE(mallocHeld.empty());
      mallocHeld.clear();
      EXPECT_EQ(r.host.calls, f.calls);
      EXPECT_EQ(r.host.outstanding(), 0);
      EXPECT_EQ(r.host.misuses, 0);
      EXPECT_EQ(r.builder.cameraCalls, 0);
      ASSERT_EQ(loggedRecords().size(), 1u);
      const LogRecord& record = loggedRecords()[0];
      EXPECT_EQ(record.level, 0x200);
      EXPECT_EQ(record.line, m.lines[f.kind]);
      EXPECT_EQ(record.sourcePath, m.sourcePath);
      EXPECT_EQ((uint32_t)record.operatorCode, m.code);
      EXPECT_EQ(record.message, f.message);
    }
  }
}

TEST(ShapeFrameTest, ASuccessfulRenderFreesEveryFrameBlock) {
  Render r(30, 10);
  mallocCall = 0;
  mallocFailsAt = 0;
  mallocArmed = true;
  int result = r.run(1, 2);
  mallocArmed = false;
  EXPECT_EQ(result, 0);
  EXPECT_GE(mallocCall, 5);
  EXPECT_TRUE(mallocHeld.empty());
  mallocHeld.clear();
}

}  // namespace
