#include "shapes/hinge.h"

#include "runtime/services.h"
#include "shapes/geometry.h"

namespace {

// out = the rigid turn by angle in the plane of the across axis and z that
// carries the point (fromAcross, fromZ) to (toAcross, toZ).
void rigidTurn(Mat4* out, HingeAxis axis, double angle, double fromAcross,
               double fromZ, double toAcross, double toZ) {
  double c = cos(angle), s = sin(angle);
  float shiftAcross = (float)(toAcross - (c * fromAcross + s * fromZ));
  float shiftZ = (float)(toZ - (-s * fromAcross + c * fromZ));
  // turnY carries +z towards +x, turnX +y towards +z: the level hinges turn
  // the other way round to carry +across towards -z.
  *out = axis == HingesUpright ? turnY(angle, shiftAcross, shiftZ)
                               : turnX(-angle, shiftAcross, shiftZ);
}

}  // namespace

void turnAboutLine(Mat4* out, HingeAxis axis, double angle, double pivotAcross,
                   double pivotZ) {
  rigidTurn(out, axis, angle, pivotAcross, pivotZ, pivotAcross, pivotZ);
}

void stripHinge(Mat4* out, HingeAxis axis, int strip, double fold) {
  double angle = (strip - 1.5) * fold;
  if (strip == 1 || strip == 2) {
    turnAboutLine(out, axis, angle, 0.0, 0.0);
    return;
  }
  // An outer strip turns about its inner edge (across = -1 for strip 0,
  // +1 for strip 3) and that edge is carried to where the neighbouring
  // inner strip, turned by -fold/2 or +fold/2, has put the same line.
  double edge = strip == 0 ? -1.0 : 1.0;
  double inner = 0.5 * edge * fold;
  rigidTurn(out, axis, angle, edge, 0.0, edge * cos(inner), -edge * sin(inner));
}

void spinAboutAxis(Mat4* out, HingeAxis axis, double angle) {
  turnAboutLine(out, axis, angle, 0.0, -SpinAxisDepth);
}

void leaningStripPlacement(Mat4* out, int strip, double fold, double lean,
                           double leanPivot, double spin) {
  Mat4 hinge, leanTurn, spinTurn;
  stripHinge(&hinge, HingesUpright, strip, fold);
  turnAboutLine(&leanTurn, HingesLevel, lean, leanPivot, 0.0);
  spinAboutAxis(&spinTurn, HingesUpright, spin);
  mat4Multiply(out, &hinge, &leanTurn);
  mat4Multiply(out, &spinTurn, out);
}

void rollingStripPlacement(Mat4* out, int strip, double fold, double roll,
                           double turn) {
  Mat4 roller, turner;
  stripHinge(out, HingesLevel, strip, fold);
  spinAboutAxis(&roller, HingesLevel, roll);
  spinAboutAxis(&turner, HingesUpright, turn);
  mat4Multiply(out, &roller, out);
  mat4Multiply(out, &turner, out);
}

// --- The transitions built of hinged strips ---

namespace {

constexpr double StripsAcross = 4.0;          // the flat picture is four strips wide
constexpr double MaxLean = 1.0471975803375244;   // π/3 as a float
constexpr double SinMaxLean = 0.86602540378443865;   // √0.75 = sin(π/3)
constexpr float CameraRise = (float)(Pi / 12);   // pitch at ramp 1
constexpr float BoxBand = 0.71f;              // half height of the camera box, see stripCamera

}  // namespace

float stripFold(const TransitionFrame& frame) { return (float)(0.5 * Pi * frame.ramp); }

void fillStripFace(Surface* face, const TransitionFrame& frame, HingeAxis axis, int strip,
                   double along0, double along1) {
  double across0 = strip - 2.0, across1 = strip - 1.0;
  double uScale, vScale;
  if (axis == HingesUpright) {
    face->uMin = across0, face->uMax = across1, face->vMin = along0, face->vMax = along1;
    uScale = frame.textureWidth / StripsAcross;
    vScale = uScale / frame.aspect;
  } else {
    face->uMin = along0, face->uMax = along1, face->vMin = across0, face->vMax = across1;
    vScale = frame.textureHeight / StripsAcross;
    uScale = vScale * frame.aspect;
  }
  face->uScale = uScale, face->uCentre = 0.5 * frame.textureWidth, face->uOrigin = 0.0;
  face->vScale = vScale, face->vCentre = 0.5 * frame.textureHeight, face->vOrigin = 0.0;
  face->picture = frame.texture;
}

void stripCamera(const TransitionFrame& frame, HingeAxis axis, const CornerPath& path,
                 CameraInputs* inputs) {
  float w = frame.viewWidth, h = frame.viewHeight;
  inputs->yaw = path.spinSign * (float)-atan(0.25 * frame.ramp * w / frame.focal);
  inputs->pitch = CameraRise * frame.ramp;
  for (int k = 0; k < 3; ++k) inputs->centre[k] = 0.0f;
  // The box only places the near and far planes along the view. In depth
  // it spans ±halfHeight (upright strips) or ±2 (level strips); in x the
  // flat picture's width (the tube's length); in y a narrow band about 0.
  if (axis == HingesUpright) {
    inputs->sizeFactor = (float)(StripsAcross / w);
    float halfHeight = 2.0f * h / w;
    float low[3] = {-2.0f, -BoxBand, -halfHeight}, high[3] = {2.0f, BoxBand, halfHeight};
    for (int k = 0; k < 3; ++k) inputs->boxLow[k] = low[k], inputs->boxHigh[k] = high[k];
  } else {
    inputs->sizeFactor = (float)(StripsAcross / h);
    float halfLength = 2.0f * w / h, band = BoxBand * w / h;
    float low[3] = {-halfLength, -band, -2.0f}, high[3] = {halfLength, band, 2.0f};
    for (int k = 0; k < 3; ++k) inputs->boxLow[k] = low[k], inputs->boxHigh[k] = high[k];
  }
}

LeaningStrips leaningStrips(const TransitionFrame& frame, const ShapeParameters& parameters,
                            const CornerPath& path, int facesPerStrip) {
  LeaningStrips s;
  s.fold = stripFold(frame);
  s.halfHeight = 2.0f * frame.viewHeight / frame.viewWidth;
  double faceHeight = 2.0 * s.halfHeight / facesPerStrip;
  // sin lean = 1/(2·faceHeight) = rho·facesPerStrip/2.
  float rho = 0.25f * frame.viewWidth / frame.viewHeight;
  s.lean = rho < SinMaxLean ? (float)asin(0.5 * facesPerStrip * rho) : (float)MaxLean;
  s.spinAngle = (float)(2.0 * Pi * frame.progress * parameters.spin * path.spinSign);
  s.taper = (float)(tan(0.5 * s.fold) * sin(s.lean) * faceHeight);
  return s;
}
