// The render driver of the shape transitions, the progress curves, the
// corner path and the camera placement.
#include "shapes/shapeframe.h"

namespace {

constexpr float FocalPerWidth = 10.0f;     // focal length in frame widths
constexpr float LightTurn = (float)(Pi / 6);        // light's angle off the view axis at ramp 1
constexpr float DepthMargin = 0.1f;        // near and far planes widen by this share of the depth range

// Two cache entries per frame column: the render loop's two grid rows.
constexpr VxSize GridCacheBytesPerColumn = 2 * sizeof(GridCacheEntry);
static_assert(GridCacheBytesPerColumn == 72, "grid cache entry is one int and eight floats");

// --- Progress curves ---

void setCurves(TransitionFrame* t, const OpRequest* request) {
  float progress = effectProgress(request);
  t->progress = progress;
  float twice = 2 * progress;
  t->ramp = 1.0f >= twice ? twice : 1.0f;

  // E runs from 1 through 0.5 at the middle to 0, steep at both ends; zoom
  // maps it onto [1/height, 1], so the solid ends one line high.
  float half = 0.5f - progress;
  float e = 0.66f * (4 * half * half * half + 0.5f) + 0.34f * (1 - progress);
  float line = 1.0f / (float)t->height;
  t->zoom = (1 - line) * e + line;

  float c = (float)cos(t->ramp * LightTurn);
  float s = -(float)sqrt((1 - c * c) * 0.5f);
  t->light[0] = s;
  t->light[1] = s;
  t->light[2] = c;
}

void setView(TransitionFrame* t, const OpRequest* request, OpImage* background) {
  t->width = background->width;
  t->height = background->height;
  t->aspect = lineScale(request);
  t->viewWidth = (float)t->width;
  t->viewHeight = (float)t->height * t->aspect;
  t->focal = FocalPerWidth * (float)t->width;
  t->field = (request->flags & OpFlagParity) ? 1 : -1;
}

ShapeParameters readParameters(const ShapeModule& module) {
  ShapeParameters p;
  p.direction = module.direction ? *module.direction : 0;
  p.spin = *module.spin;
  p.quality = *module.quality;
  return p;
}

VideoPixel* activeArea(const OpImage* image) {
  return (VideoPixel*)(image->pixels + (image->y * image->stride + image->x));
}

int smaller(int a, int b) { return a < b ? a : b; }

// --- Half-size texture ---

// Halves the source field into a new image and makes that the texture; when
// no image can be had the full-size source stays the texture. The copy is
// written into the new image's active area, and only as far as both the
// image and the halved source reach; view describes that part to the engine.
OpImage* makeHalfTexture(TransitionFrame* t, OpImage* view) {
  int halfWidth = (t->width + 1) >> 1, halfHeight = (t->height + 1) >> 1;
  OpImage* half = opAllocImage(halfWidth, halfHeight, 1, 0);
  if (!half) return nullptr;

  const OpImage* source = t->sourceField;
  *view = *half;
  view->width = (int16_t)smaller(smaller(half->width, halfWidth), (source->width + 1) / 2);
  view->height = (int16_t)smaller(smaller(half->height, halfHeight), (source->height + 1) / 2);
  halveImage(activeArea(view), view->stride * 4, view->width, view->height,
             activeArea(source), source->stride * 4, source->width, source->height);
  t->texture = view;
  t->textureWidth = halfWidth;
  t->textureHeight = halfHeight;
  return half;
}

}  // namespace

// --- Corner path ---

CornerPath cornerPath(int direction, float progress) {
  float away = 0.5f * progress, back = -0.5f * progress;
  switch (direction) {
    case 1: return CornerPath{0.5f + away, 0.5f + back, -1};   // lower right
    case 2: return CornerPath{0.5f + back, 0.5f + back, +1};   // lower left
    case 3: return CornerPath{0.5f + back, 0.5f + away, +1};   // upper left
    default: return CornerPath{0.5f + away, 0.5f + away, -1};  // upper right
  }
}

// --- Camera placement ---

float rampYaw(const TransitionFrame& frame) {
  return -(float)atan(0.25f * frame.ramp * frame.viewWidth / frame.focal);
}

void placeCamera(Camera* camera, const TransitionFrame& frame, const CameraInputs& in) {
  // Camera axes: yaw about y, then pitch about the camera's x axis.
  float sinYaw = (float)sin(in.yaw), cosYaw = (float)cos(in.yaw);
  float sinPitch = (float)sin(in.pitch), cosPitch = (float)cos(in.pitch);
  const float axisX[3] = {cosYaw, 0, -sinYaw};
  const float axisY[3] = {-sinPitch * sinYaw, cosPitch, -sinPitch * cosYaw};
  const float axisZ[3] = {cosPitch * sinYaw, sinPitch, cosPitch * cosYaw};

  // The anchor's offset at unit distance, and the eye that sees centre there.
  float x = frame.viewWidth / frame.focal * (0.5f - in.anchorP);
  float y = frame.viewHeight / frame.focal * (0.5f - in.anchorQ);
  float distance = in.sizeFactor * frame.focal / frame.zoom *
                   (float)sqrt(sqrt(1 + x * x + y * y));
  for (int k = 0; k < 3; ++k) {
    camera->position[k] = in.centre[k] + distance * (x * axisX[k] + y * axisY[k] + axisZ[k]);
    camera->axisX[k] = axisX[k];
    camera->axisY[k] = axisY[k];
    camera->axisZ[k] = axisZ[k];
    camera->light[k] = frame.light[k];
  }

  // Near and far: the depth range of the box's corners, widened.
  float near = 0, far = 0;
  for (int corner = 0; corner < 8; ++corner) {
    float depth = 0;
    for (int k = 0; k < 3; ++k) {
      float c = (corner >> k & 1) ? in.boxHigh[k] : in.boxLow[k];
      depth -= (c - camera->position[k]) * axisZ[k];
    }
    if (corner == 0 || depth < near) near = depth;
    if (corner == 0 || depth > far) far = depth;
  }
  float margin = DepthMargin * (far - near);
  far += margin;
  near = 2 * margin <= near ? near - margin : 0.5f * near;

  camera->width = frame.width;
  camera->height = frame.height;
  camera->depthRange = 1;
  camera->viewWidth = frame.viewWidth;
  camera->viewHeight = frame.viewHeight;
  camera->focal = frame.focal;
  camera->near = near;
  camera->far = far;
}

// --- Render driver ---

namespace {

// The render proper, once both fields and the frame are at hand: texture,
// curves, the transition's camera and surfaces, and the drawing into frame.
// Returns the half-size texture for the caller to give back, or null.
OpImage* drawTransition(const OpRequest* request, const ShapeModule& module,
                        ShapeBuilder& builder, OpImage* background, OpImage* source,
                        RenderFrame* frame) {
  // Texture and curves.
  ShapeParameters parameters = readParameters(module);
  bool fast = (request->flags & OpFlagFast) != 0;
  TransitionFrame t;
  t.backgroundField = background;
  t.sourceField = source;
  setView(&t, request, background);
  t.texture = source;
  t.textureWidth = t.width;
  t.textureHeight = t.height;
  OpImage halfView;
  OpImage* half = (parameters.quality == 0 || fast) ? makeHalfTexture(&t, &halfView) : nullptr;
  setCurves(&t, request);
  t.halfStep = parameters.quality == 1 && !fast;

  // The transition's camera, then its surfaces.
  CornerPath path = module.direction ? cornerPath(parameters.direction, t.progress)
                                     : CornerPath{0.5f, 0.5f, 1};
  CameraInputs inputs = {};
  inputs.anchorP = path.p;
  inputs.anchorQ = path.q;
  builder.shapeCamera(t, parameters, path, &inputs);
  Camera camera;
  placeCamera(&camera, t, inputs);
  setupCamera(&camera, t.field);
  Scene scene;
  builder.addSurfaces(t, &scene);
  prepareScene(&scene, &camera);
  renderScene(&scene, frame, t.field, t.halfStep);
  return half;
}

}  // namespace

int renderShapeTransition(const OpRequest* request, const ShapeModule& module,
                          ShapeBuilder& builder) {
  if (request->code != OpRender) return 0;
  const ShapeLog& log = module.log;
  RenderFrame frame;
  InitColourTables();

  // Fields: the background first; the source only if the background came.
  OpImage* background = opGetField(1, request->index);
  if (!background) {
    logFailure(log.identity, log.lineNoStream1, MessageNoStream1);
    return -1;
  }
  OpImage* source = opGetField(0, request->index);
  if (!source) {
    logFailure(log.identity, log.lineNoStream0, MessageNoStream0);
    opFreeImage(background);
    return -1;
  }
  if (!allocate(&frame, background->width, background->height,
                GridCacheBytesPerColumn * (VxSize)background->width)) {
    logFailure(log.identity, log.lineNoScratch, MessageNoScratch);
    opFreeImage(source);
    opFreeImage(background);
    return -1;
  }

  // A background without pixels has nothing to draw on (and no scale for
  // the curves); it goes back as it came.
  OpImage* half = nullptr;
  if (background->width > 0 && background->height > 0)
    half = drawTransition(request, module, builder, background, source, &frame);

  composite(&frame, activeArea(background), background->stride * 4);
  if (half) opFreeImage(half);
  release(&frame);
  opFreeImage(source);
  return opPutField(background);
}
