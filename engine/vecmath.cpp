#include "engine/vecmath.h"

#include "runtime/services.h"

namespace {

inline double at(const Mat4* m, int r, int c) { return m->m[4 * r + c]; }

// The sixteen signed cofactor combinations of m by 2x2 minors, element (r, c)
// of the adjugate (the transpose of the cofactor matrix) at adj[4r + c], and
// the determinant. Rows 0-1 and rows 2-3 each give six minors; every
// cofactor combines one minor of one pair with the entries of the other.
double adjugate(const Mat4* m, double* adj) {
  double a00 = at(m, 0, 0), a01 = at(m, 0, 1), a02 = at(m, 0, 2), a03 = at(m, 0, 3);
  double a10 = at(m, 1, 0), a11 = at(m, 1, 1), a12 = at(m, 1, 2), a13 = at(m, 1, 3);
  double a20 = at(m, 2, 0), a21 = at(m, 2, 1), a22 = at(m, 2, 2), a23 = at(m, 2, 3);
  double a30 = at(m, 3, 0), a31 = at(m, 3, 1), a32 = at(m, 3, 2), a33 = at(m, 3, 3);

  // Minors of rows 0-1 (columns named by the digits).
  double s01 = a00 * a11 - a10 * a01;
  double s02 = a00 * a12 - a10 * a02;
  double s03 = a00 * a13 - a10 * a03;
  double s12 = a01 * a12 - a11 * a02;
  double s13 = a01 * a13 - a11 * a03;
  double s23 = a02 * a13 - a12 * a03;
  // Minors of rows 2-3.
  double c01 = a20 * a31 - a30 * a21;
  double c02 = a20 * a32 - a30 * a22;
  double c03 = a20 * a33 - a30 * a23;
  double c12 = a21 * a32 - a31 * a22;
  double c13 = a21 * a33 - a31 * a23;
  double c23 = a22 * a33 - a32 * a23;

  adj[0] = a11 * c23 - a12 * c13 + a13 * c12;
  adj[1] = -a01 * c23 + a02 * c13 - a03 * c12;
  adj[2] = a31 * s23 - a32 * s13 + a33 * s12;
  adj[3] = -a21 * s23 + a22 * s13 - a23 * s12;
  adj[4] = -a10 * c23 + a12 * c03 - a13 * c02;
  adj[5] = a00 * c23 - a02 * c03 + a03 * c02;
  adj[6] = -a30 * s23 + a32 * s03 - a33 * s02;
  adj[7] = a20 * s23 - a22 * s03 + a23 * s02;
  adj[8] = a10 * c13 - a11 * c03 + a13 * c01;
  adj[9] = -a00 * c13 + a01 * c03 - a03 * c01;
  adj[10] = a30 * s13 - a31 * s03 + a33 * s01;
  adj[11] = -a20 * s13 + a21 * s03 - a23 * s01;
  adj[12] = -a10 * c12 + a11 * c02 - a12 * c01;
  adj[13] = a00 * c12 - a01 * c02 + a02 * c01;
  adj[14] = -a30 * s12 + a31 * s02 - a32 * s01;
  adj[15] = a20 * s12 - a21 * s02 + a22 * s01;

  return s01 * c23 - s02 * c13 + s03 * c12 + s12 * c03 - s13 * c02 + s23 * c01;
}

}  // namespace

void mat4Identity(Mat4* m) {
  for (int k = 0; k < 16; ++k) m->m[k] = (k % 5 == 0) ? 1.0f : 0.0f;
}

void mat4Multiply(Mat4* out, const Mat4* a, const Mat4* b) {
  Mat4 result;
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += at(a, r, k) * at(b, k, c);
      result.m[4 * r + c] = (float)sum;
    }
  }
  *out = result;
}

void mat4Transform(Vec4* out, const Mat4* m, const Vec4* p) {
  const double in[4] = {p->x, p->y, p->z, p->w};
  float result[4];
  for (int r = 0; r < 4; ++r) {
    double sum = 0.0;
    for (int c = 0; c < 4; ++c) sum += at(m, r, c) * in[c];
    result[r] = (float)sum;
  }
  *out = Vec4{result[0], result[1], result[2], result[3]};
}

double dot4(const Vec4* a, const Vec4* b) {
  return (double)a->x * b->x + (double)a->y * b->y + (double)a->z * b->z +
         (double)a->w * b->w;
}

double dot3(const Vec4* a, const Vec4* b) {
  return (double)a->x * b->x + (double)a->y * b->y + (double)a->z * b->z;
}

double mat4Determinant(const Mat4* m) {
  double adj[16];
  return adjugate(m, adj);
}

void mat4Invert(Mat4* out, const Mat4* m) {
  double adj[16];
  double scale = 1.0 / adjugate(m, adj);
  for (int k = 0; k < 16; ++k) out->m[k] = (float)(adj[k] * scale);
}

void mat4Cofactor(Mat4* out, const Mat4* m) {
  double adj[16];
  adjugate(m, adj);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out->m[4 * r + c] = (float)adj[4 * c + r];
}

void mat4NormalizeScale(Mat4* m) {
  double r = 1.0 / mat4Determinant(m);
  if (r < 0) r = -r;
  double s = sqrt(sqrt(r));
  for (int k = 0; k < 16; ++k) m->m[k] = (float)(m->m[k] * s);
}
