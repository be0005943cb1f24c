#include "shapes/hinge.h"

#include "runtime/services.h"

namespace {

enum : int { DepthAxis = 2 };

// out = the rigid turn by angle in the plane of the across axis and z that
// carries the point (fromAcross, fromZ) to (toAcross, toZ).
void rigidTurn(Mat4* out, HingeAxis axis, double angle, double fromAcross,
               double fromZ, double toAcross, double toZ) {
  double c = cos(angle), s = sin(angle);
  int a = axis;
  mat4Identity(out);
  out->m[4 * a + a] = (float)c;
  out->m[4 * a + DepthAxis] = (float)s;
  out->m[4 * DepthAxis + a] = (float)-s;
  out->m[4 * DepthAxis + DepthAxis] = (float)c;
  out->m[4 * a + 3] = (float)(toAcross - (c * fromAcross + s * fromZ));
  out->m[4 * DepthAxis + 3] = (float)(toZ - (-s * fromAcross + c * fromZ));
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
