#include "shapes/geometry.h"

Mat4 turnX(double angle, float shiftY, float shiftZ) {
  float c = (float)cos(angle), s = (float)sin(angle);
  return Mat4{{1, 0, 0, 0,
               0, c, -s, shiftY,
               0, s, c, shiftZ,
               0, 0, 0, 1}};
}

Mat4 turnY(double angle, float shiftX, float shiftZ) {
  float c = (float)cos(angle), s = (float)sin(angle);
  return Mat4{{c, 0, s, shiftX,
               0, 1, 0, 0,
               -s, 0, c, shiftZ,
               0, 0, 0, 1}};
}

Mat4 turnZ(double angle) {
  float c = (float)cos(angle), s = (float)sin(angle);
  return Mat4{{c, -s, 0, 0,
               s, c, 0, 0,
               0, 0, 1, 0,
               0, 0, 0, 1}};
}
