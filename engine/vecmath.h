// Homogeneous 4-vectors and 4x4 matrices in single precision.
//
// A Vec4 is a point (x, y, z, w) or a plane (a, b, c, d); non-zero multiples
// are the same point or plane. A Mat4 is stored row by row and acts on column
// vectors: the transformed point is M·p, and "A, then B" is B·A. Every
// function that produces a vector or matrix computes the whole result first
// and copies it out last, so the result may be written over an argument.
// Sums of products run in index order in double precision and are rounded
// to float once, when an element is stored.
#pragma once

struct Vec4 {
  float x, y, z, w;
};

struct Mat4 {
  float m[16];   // element (row r, column c) at m[4 * r + c]
};

void mat4Identity(Mat4* m);
void mat4Multiply(Mat4* out, const Mat4* a, const Mat4* b);   // out = a·b
void mat4Transform(Vec4* out, const Mat4* m, const Vec4* p);  // out = m·p
double dot4(const Vec4* a, const Vec4* b);
double dot3(const Vec4* a, const Vec4* b);   // ignores w
double mat4Determinant(const Mat4* m);
// out = m⁻¹. m must be non-singular; nothing is checked.
void mat4Invert(Mat4* out, const Mat4* m);
// out = det(m)·(m⁻¹)ᵀ, formed without any division: maps planes given in
// m's source coordinates to its target coordinates, up to the factor det(m).
void mat4Cofactor(Mat4* out, const Mat4* m);
// Scales m in place to |det m| = 1; the projective map is unchanged.
void mat4NormalizeScale(Mat4* m);
