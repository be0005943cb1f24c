#include "tests/folded_support.h"

#include <math.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "runtime/colour.h"
#include "tests/testlog.h"

TransitionFrame foldedFrame(float progress, int width, int height, float aspect) {
  TransitionFrame f = {};
  f.width = f.textureWidth = width;
  f.height = f.textureHeight = height;
  f.aspect = aspect;
  f.viewWidth = (float)width;
  f.viewHeight = height * aspect;
  f.focal = 10.0f * width;
  f.field = -1;
  f.progress = progress;
  f.ramp = 2 * progress < 1 ? 2 * progress : 1;
  f.zoom = (float)frameZoom(progress, height);
  return f;
}

BuiltScene buildScene(ShapeBuilder& builder, const TransitionFrame& frame, int direction,
                      int spin) {
  BuiltScene built = {};
  CornerPath path = cornerPath(direction, frame.progress);
  built.inputs.anchorP = path.p;
  built.inputs.anchorQ = path.q;
  ShapeParameters parameters = {direction, spin, 2};
  builder.shapeCamera(frame, parameters, path, &built.inputs);
  Scene scene;
  builder.addSurfaces(frame, &scene);
  for (Surface* s = scene.first; s; s = s->next) built.surfaces.push_back(s);
  return built;
}

Point3 worldPoint(const Surface* face, double u, double v) {
  Vec4 p = {(float)u, (float)v, 0.0f, 1.0f}, q;
  mat4Transform(&q, &face->placement, &p);
  return {q.x / q.w, q.y / q.w, q.z / q.w};
}

double distance(Point3 a, Point3 b) {
  return sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

double slantedEdgeGap(const Surface* left, const Surface* right, float taper, bool narrowAtTop) {
  double wide = narrowAtTop ? left->vMin : left->vMax, narrow = narrowAtTop ? left->vMax : left->vMin;
  double wideGap = distance(worldPoint(left, left->uMax, wide), worldPoint(right, right->uMin, wide));
  double narrowGap = distance(worldPoint(left, left->uMax - taper, narrow),
                              worldPoint(right, right->uMin + taper, narrow));
  return std::max(wideGap, narrowGap);
}

double nearPlaneClearance(const BuiltScene& scene, const TransitionFrame& frame) {
  Camera camera;
  placeCamera(&camera, frame, scene.inputs);
  double least = 1e9;
  for (const Surface* face : scene.surfaces)
    for (double u : {face->uMin, 0.5 * (face->uMin + face->uMax), face->uMax})
      for (double v : {face->vMin, 0.5 * (face->vMin + face->vMax), face->vMax}) {
        Point3 p = worldPoint(face, u, v);
        double depth = -((p.x - camera.position[0]) * camera.axisZ[0] +
                         (p.y - camera.position[1]) * camera.axisZ[1] +
                         (p.z - camera.position[2]) * camera.axisZ[2]);
        least = std::min(least, depth - camera.near);
      }
  return least;
}

bool samePlacement(const Surface* a, const Surface* b) {
  for (int k = 0; k < 16; ++k)
    if (fabs(a->placement.m[k] - b->placement.m[k]) > 1e-6) return false;
  return true;
}

void expectMissingFieldLogged(int (*action)(const OpRequest*), int missing, int line,
                              const char* sourcePath, int operatorNumber) {
  TestHost host;
  for (int stream = 0; stream < 2; ++stream)
    if (stream != missing) host.setStream(stream, TestPicture::filled(64, 24, videoWord(126, 128, 128)));
  loggedRecords().clear();
  OpRequest request = renderRequest(3, 10);
  EXPECT_EQ(action(&request), -1);
  EXPECT_EQ(host.outstanding(), 0);
  ASSERT_EQ(loggedRecords().size(), 1u);
  const LogRecord& r = loggedRecords()[0];
  EXPECT_EQ(r.level, 0x200);
  EXPECT_EQ(r.line, line);
  EXPECT_EQ(r.sourcePath, sourcePath);
  EXPECT_EQ(r.operatorCode, operatorNumber << 16);
  EXPECT_EQ(r.message, "Unable to get stream " + std::to_string(missing) + " field\n");
}

double frameZoom(double progress, int height) {
  double half = 0.5 - progress;
  double e = 0.66 * (4 * half * half * half + 0.5) + 0.34 * (1 - progress);
  return (1 - 1.0 / height) * e + 1.0 / height;
}

// --- The real plug-ins ---

FoldedPlugin::FoldedPlugin(const std::string& name)
    : plugin_(pluginPath(name)), list_(plugin_.getOperatorInfo()) {}

void FoldedPlugin::set(int direction, int spin, int quality) {
  descriptor<OptionDescriptor>(OPE4)->value = direction;
  descriptor<RangeDescriptor>(OPE5)->value = spin;
  descriptor<OptionDescriptor>(OPE6)->value = quality;
}

namespace {

float linearGreen(uint32_t word) {
  VideoPixel p;
  memcpy(&p, &word, 4);
  LinearRgb c;
  VideoToLinear(&c, &p);
  return c.green;
}

}  // namespace

Coverage FoldedPlugin::render(uint32_t index, uint32_t count, uint32_t flags, int width,
                              int height) {
  InitColourTables();
  std::vector<uint32_t> outputs[2];
  const uint32_t backgrounds[2] = {videoWord(16, 128, 128), videoWord(235, 128, 128)};
  for (int k = 0; k < 2; ++k) {
    TestHost host;
    host.setStream(0, TestPicture::filled(width, height, videoWord(126, 128, 128)), 2);
    host.setStream(1, TestPicture::filled(width, height, backgrounds[k]), 1);
    OpRequest request = renderRequest(index, count, flags);
    EXPECT_EQ(plugin_.operatorAction(&request), 0);
    EXPECT_TRUE(host.delivered);
    EXPECT_EQ(host.outstanding(), 0);
    EXPECT_EQ(host.misuses, 0);
    if (!host.delivered) return Coverage();
    outputs[k] = host.output.pixels;
  }
  // Over black the background adds nothing; over white (linear 1) it adds
  // its share of the pixel.
  Coverage c;
  c.width = width, c.height = height;
  c.solid.resize(outputs[0].size());
  for (size_t k = 0; k < c.solid.size(); ++k) {
    float share = linearGreen(outputs[1][k]) - linearGreen(outputs[0][k]);
    c.solid[k] = 1.0f - (share < 0 ? 0 : share > 1 ? 1 : share);
  }
  return c;
}

double backgroundRows(const Coverage& c, bool fromTop) {
  int x0 = c.width / 2 - c.width / 12, x1 = c.width / 2 + c.width / 12;
  double rows = 0;
  for (int k = 0; k < c.height / 2; ++k) {
    int row = fromTop ? k : c.height - 1 - k;
    std::vector<float> line(&c.solid[row * c.width + x0], &c.solid[row * c.width + x1]);
    std::nth_element(line.begin(), line.begin() + line.size() / 2, line.end());
    float middle = line[line.size() / 2];
    if (middle >= 1.0f) break;
    rows += 1.0 - middle;
  }
  return rows;
}

Outline outlineOf(const Coverage& c) {
  Outline o = {c.width, -1, c.height, -1};
  for (int row = 0; row < c.height; ++row)
    for (int x = 0; x < c.width; ++x)
      if (c.at(x, row) > 0.5f) {
        o.left = std::min(o.left, x), o.right = std::max(o.right, x);
        o.top = std::min(o.top, row), o.bottom = std::max(o.bottom, row);
      }
  return o;
}

namespace {

float largestDifference(const Coverage& c, const Coverage& b, bool mirrored) {
  float worst = 0;
  for (int row = 0; row < c.height; ++row)
    for (int x = 0; x < c.width; ++x)
      worst = std::max(worst, fabsf(c.at(x, row) - b.at(mirrored ? c.width - 1 - x : x, row)));
  return worst;
}

}  // namespace

float difference(const Coverage& c, const Coverage& b) { return largestDifference(c, b, false); }

float mirrorDifference(const Coverage& c, const Coverage& b) {
  return largestDifference(c, b, true);
}

SeamLeak seamLeak(const Coverage& c, int margin) {
  const float solid = 0.5f;
  std::vector<int> left(c.height, c.width), right(c.height, -1);
  std::vector<int> top(c.width, c.height), bottom(c.width, -1);
  for (int row = 0; row < c.height; ++row)
    for (int x = 0; x < c.width; ++x)
      if (c.at(x, row) > solid) {
        left[row] = std::min(left[row], x), right[row] = std::max(right[row], x);
        top[x] = std::min(top[x], row), bottom[x] = std::max(bottom[x], row);
      }
  SeamLeak s;
  for (int row = 0; row < c.height; ++row)
    for (int x = left[row] + margin; x <= right[row] - margin; ++x) {
      if (row < top[x] + margin || row > bottom[x] - margin) continue;
      float share = 1.0f - c.at(x, row);
      ++s.inside;
      s.leak += share;
      s.worst = std::max(s.worst, share);
    }
  return s;
}
