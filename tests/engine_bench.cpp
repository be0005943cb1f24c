// Milliseconds per frame of the engine on two test scenes at 720x288, in the
// three quality grades of the shape transitions: half-size texture; full
// texture with half steps; full texture.
//
//   engine_bench [frames]
//
// Prints the fastest and the mean time of frames renders per case, and a
// checksum of the rendered frame.
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <chrono>
#include <vector>

#include "engine/engine.h"
#include "tests/engine_testscene.h"

namespace {

const int Width = 720, Height = 288;
const float Aspect = 1.875f;

struct Grade {
  const char* name;
  bool halfTexture;
  int halfStep;
};

// A picture with some structure, so that the colour conversions see varied
// input.
TestImage makeSource() {
  TestImage image(Width, Height, grey(16));
  for (int r = 0; r < Height; ++r)
    for (int c = 0; c < Width; ++c)
      image.at(c, r) = videoPixel(16 + (c * 219 / Width + r) % 220, 64 + (r * 128 / Height),
                                  96 + ((c / 16 + r / 16) % 2) * 64);
  return image;
}

// Camera as the transitions place it: the view is 720 x 540 units at the
// focal distance 7200, looking at the origin from distance.
void placeCamera(Camera* camera, float distance, double yaw, double pitch) {
  *camera = Camera{};
  float axisX[3] = {(float)cos(yaw), 0, (float)-sin(yaw)};
  float axisY[3] = {(float)(-sin(pitch) * sin(yaw)), (float)cos(pitch),
                    (float)(-sin(pitch) * cos(yaw))};
  float axisZ[3] = {(float)(cos(pitch) * sin(yaw)), (float)sin(pitch),
                    (float)(cos(pitch) * cos(yaw))};
  for (int k = 0; k < 3; ++k) {
    camera->axisX[k] = axisX[k];
    camera->axisY[k] = axisY[k];
    camera->axisZ[k] = axisZ[k];
    camera->position[k] = distance * axisZ[k];
  }
  camera->width = Width;
  camera->height = Height;
  camera->depthRange = 1;
  camera->viewWidth = Width;
  camera->viewHeight = Height * Aspect;
  camera->focal = 10.0f * Width;
  camera->near = distance - 2;
  camera->far = distance + 2;
  camera->light[0] = camera->light[1] = -0.2f;
  camera->light[2] = (float)sqrt(1 - 0.08);
  setupCamera(camera, 1);
}

// FNV-1a over the coverage and colour planes, to tell whether a change to the
// engine changed any pixel.
uint32_t checksum(const RenderFrame& frame) {
  uint32_t h = 2166136261u;
  const float* planes[4] = {frame.coverage, frame.red, frame.green, frame.blue};
  for (const float* plane : planes) {
    const unsigned char* bytes = (const unsigned char*)plane;
    for (size_t k = 0; k < sizeof(float) * frame.width * frame.height; ++k)
      h = (h ^ bytes[k]) * 16777619u;
  }
  return h;
}

// One field: frame, texture, scene, render, composite. Returns the frame's
// checksum before compositing.
uint32_t renderField(bool sphere, const Grade& grade, TestImage& source,
                     std::vector<uint32_t>& halfBuffer, TestImage& background) {
  RenderFrame frame;
  if (!allocate(&frame, Width, Height, 72 * Width)) abort();
  OpImage texture = source.image;
  int textureWidth = Width, textureHeight = Height;
  if (grade.halfTexture) {
    textureWidth = (Width + 1) / 2;
    textureHeight = (Height + 1) / 2;
    texture = OpImage{halfBuffer.data(), (int16_t)textureWidth, (int16_t)textureHeight, 0, 0,
                      (int16_t)textureWidth, (int16_t)textureHeight};
    halveImage((VideoPixel*)halfBuffer.data(), textureWidth * 4, textureWidth, textureHeight,
               (const VideoPixel*)&source.at(0, 0), source.image.stride * 4, Width, Height);
  }

  Camera camera;
  Scene scene;
  TestPlane plane;
  TestSphere ball;
  TestRectangle domain;
  if (sphere) {
    // The front hemisphere carries the picture; the sphere fills 3/4 of the
    // view's height.
    placeCamera(&camera, 7200.0f / 540 / 0.75f * 2, 0.3, 0.2);
    setSurface(&ball, &domain, &texture, -M_PI / 2, M_PI / 2, -M_PI / 2 * 0.95, M_PI / 2 * 0.95,
               textureWidth / M_PI, textureHeight / (M_PI * 0.95), scaling(1));
    addSurface(&scene, &ball);
  } else {
    // A 4:3 sheet that fills the view's height, turned a little.
    placeCamera(&camera, 7200.0f / 540, 0.35, 0.25);
    double a = 4.0 / 3;
    setSurface(&plane, &domain, &texture, -a / 2, a / 2, -0.5, 0.5, textureWidth / a,
               textureWidth / a / Aspect, scaling(1));
    addSurface(&scene, &plane);
  }
  prepareScene(&scene, &camera);
  renderScene(&scene, &frame, 1, grade.halfStep);
  uint32_t sum = checksum(frame);
  composite(&frame, &background.at(0, 0), background.image.stride * 4);
  return sum;
}

}  // namespace

int main(int argc, char** argv) {
  int frames = argc > 1 ? atoi(argv[1]) : 10;
  if (frames < 1) frames = 1;
  InitColourTables();
  TestImage source = makeSource();
  TestImage background(Width, Height, grey(60));
  std::vector<uint32_t> halfBuffer(((Width + 1) / 2) * ((Height + 1) / 2));

  const Grade grades[] = {
      {"half-size texture", true, 0},
      {"full, half step", false, 1},
      {"full", false, 0},
  };
  for (int sphere = 0; sphere <= 1; ++sphere) {
    for (const Grade& grade : grades) {
      uint32_t sum = renderField(sphere, grade, source, halfBuffer, background);   // warm-up
      // The fastest frame is the least disturbed by other work on the machine.
      double best = 1e30, total = 0;
      for (int k = 0; k < frames; ++k) {
        auto start = std::chrono::steady_clock::now();
        renderField(sphere, grade, source, halfBuffer, background);
        double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                              start).count();
        best = ms < best ? ms : best;
        total += ms;
      }
      printf("%-7s %-18s %8.2f ms/frame (mean %.2f)  checksum %08x\n", sphere ? "sphere" : "plane",
             grade.name, best, total / frames, sum);
    }
  }
  return 0;
}
