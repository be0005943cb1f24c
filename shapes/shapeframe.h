// The frame every shape transition renders in. A transition module supplies
// only its scene; the frame does the rest of a render request:
//
//   fetch the background field (stream 1, the incoming clip), then the source
//   field (stream 0, the picture on the solid); allocate the RenderFrame;
//   make a half-size texture when the quality asks for it; work out the
//   progress curves (TransitionFrame); ask the transition's ShapeBuilder for
//   its camera inputs; place and set up the camera; ask the builder for its
//   surfaces; render them; composite over the background field; give every
//   image back once and deliver the background field.
//
// Adding a transition: one source in src/ holding its descriptors, a
// ShapeModule naming its log constants (shapes/shapelogs.h) and parameter
// slots, and a class derived from ShapeBuilder that owns its surfaces and
// domains as members; shapeAction makes its action function:
//
//   VX_SHAPE_CONTROLS(controls, 0x0B);
//   const ShapeModule module = {ConeLog, &controls.direction.value,
//                               &controls.spin.value, &controls.quality.value};
//   class ConeBuilder : public ShapeBuilder { ... };
//   VX_SHAPE_OPERATOR_INFO(info, (shapeAction<ConeBuilder, module>), version, controls);
//
// Surface and domain classes that several transitions share live in shapes/
// (PlaneSurface and the panel domains in plane.h, CapSurface and DiscDomain
// in cap.h).
#pragma once

#include "engine/engine.h"
#include "runtime/operator.h"
#include "shapes/shapelogs.h"

constexpr double Pi = 3.14159265358979323846;

// A transition module as the frame sees it: how it logs, and the value slots
// of its descriptors, read at every render and never written.
struct ShapeModule {
  ShapeLog log;
  const int32_t* direction;   // null for a transition without a direction
  const int32_t* spin;
  const int32_t* quality;
};

// The descriptors of a shape transition with a direction. The host's text
// numbers are consecutive from the first label: direction, spin, quality,
// spin's second text, then the three quality texts.
struct ShapeControls {
  OptionDescriptor direction;
  RangeDescriptor spin;
  uint32_t qualityTexts[4];
  OptionDescriptor quality;
};

constexpr int SpinMinimum = 0, SpinMaximum = 10, SpinDefault = 2;

#define VX_SHAPE_CONTROLS(name, firstLabel)                                          \
  ShapeControls name = {                                                             \
      directionDescriptor(firstLabel),                                               \
      {DescriptorRange, (firstLabel) + 1, 0, (firstLabel) + 3, 0, SpinMinimum,       \
       SpinMaximum, SpinDefault},                                                    \
      VX_TEXT_OPTIONS((firstLabel) + 4),                                             \
      {DescriptorOptions, (firstLabel) + 2, OptionsAreTexts, name.qualityTexts, 0}}

// The operator list of a shape transition with ShapeControls.
#define VX_SHAPE_OPERATOR_INFO(name, action, version, controls) \
  OperatorInfo<8> name = {{                                     \
      {OPE0, 0},                                                \
      {OPE1, 0},                                                \
      {OPE3, VX_ADDRESS(action)},                               \
      {OPE16, VX_ADDRESS(version)},                             \
      {OPE13, 2},                                               \
      {OPE4, VX_ADDRESS(&(controls).direction)},                \
      {OPE5, VX_ADDRESS(&(controls).spin)},                     \
      {OPE6, VX_ADDRESS(&(controls).quality)},                  \
  }, 0}

// The parameter values of one render.
struct ShapeParameters {
  int direction;   // 0 .. 3; other values behave like 0
  int spin;        // whole turns over the transition, 0 .. 10
  int quality;     // 0: half-size texture; 1: half steps; 2: neither
};

// The values the frame works out for one render and hands to the builder.
struct TransitionFrame {
  OpImage* backgroundField;   // the output is composited into it and delivered
  OpImage* sourceField;       // the picture on the solid
  OpImage* texture;           // the picture the surfaces show: sourceField or its half-size copy
  // Texel extent of the picture as the texel mappings see it: the background
  // field's size, or half of it (rounded up) for the half-size copy. The
  // engine clips to the texture's own width and height.
  int textureWidth, textureHeight;
  int width, height;          // the background field, pixels
  float aspect;               // square-pixel height of one field line: 1.875, or 2.25 for 525 lines
  float viewWidth;            // width
  float viewHeight;           // height·aspect
  float focal;                // 10·width
  int field;                  // -1, or +1 for the other field parity
  float progress;             // (index + 0.5)/count; never 0 or 1
  float ramp;                 // min(2·progress, 1): frozen at 1 in the second half
  float zoom;                 // 1 at the start down to 1/height at the end; divides the camera distance
  float light[3];             // unit vector, camera coordinates: along the view at ramp 0, 30° off from ramp 1
  int halfStep;               // 1: the engine steps its grid by two texels
};

// Where the solid's centre appears: P of the view width from the left, Q of
// the view height from the bottom (0.5, 0.5 is the centre, 1, 1 the upper
// right corner), and the sign a transition gives its own turning angles.
struct CornerPath {
  float p, q;
  float spinSign;   // -1 or +1
};

// The anchor moves from the centre towards the corner that direction names
// (0: upper right, 1: lower right, 2: lower left, 3: upper left; any other
// value like 0), reaching it at progress 1.
CornerPath cornerPath(int direction, float progress);

// What placeCamera needs from a transition.
struct CameraInputs {
  float yaw, pitch;            // radians
  float anchorP, anchorQ;      // where centre appears, as in CornerPath
  float sizeFactor;            // > 0; at zoom 1 the camera stands sizeFactor·focal from centre
  float centre[3];             // world point the camera looks at
  float boxLow[3], boxHigh[3]; // world box around everything that can be seen
};

// The yaw most transitions give the camera as the ramp rises, radians:
// -atan(ramp/40) for the view's width and focal length (a transition may
// apply its spinSign to it).
float rampYaw(const TransitionFrame& frame);

// Fills the camera (position, axes, size, view, near and far planes, light)
// so that inputs.centre appears at the anchor. Call setupCamera afterwards.
void placeCamera(Camera* camera, const TransitionFrame& frame, const CameraInputs& inputs);

// A transition's scene. The builder owns its surfaces and domains as members
// and lives on the stack of the action function, so every scene object lasts
// exactly one render. The frame calls, in this order:
class ShapeBuilder {
 public:
  // 1. The transition's curves for this field and the inputs of placeCamera.
  //    inputs arrives with the anchor of cornerPath already set (the centre
  //    of the view for a transition without a direction); path.spinSign is
  //    the sign the transition applies to its turning angles. Keep in members
  //    whatever addSurfaces needs.
  virtual void shapeCamera(const TransitionFrame& frame, const ShapeParameters& parameters,
                           const CornerPath& path, CameraInputs* inputs) = 0;
  // 2. After the camera is set up: fill every surface (picture = frame.texture,
  //    rectangle, texel mapping, placement) and its domain, and add each to
  //    the scene with addSurface in the transition's order. Surfaces left out
  //    are simply not drawn.
  virtual void addSurfaces(const TransitionFrame& frame, Scene* scene) = 0;

 protected:
  ~ShapeBuilder() = default;   // never deleted through this class
};

// The render driver: for request code 3 renders one field with builder's
// scene and returns what opPutField returns, or -1 after a logged failure;
// for any other code returns 0 and touches nothing.
int renderShapeTransition(const OpRequest* request, const ShapeModule& module,
                          ShapeBuilder& builder);

// The action function of a transition: each request gets a fresh Builder on
// the stack, so its scene objects last exactly one render.
template <class Builder, const ShapeModule& module>
int shapeAction(const OpRequest* request) {
  Builder builder;
  return renderShapeTransition(request, module, builder);
}
