// Sine, cosine and arc tangent computed the same way on every build.
// The C libraries differ in their last bits (the 32-bit Windows one uses
// the x87 unit's own instructions), and an export must not depend on the
// machine that wrote it. Only double arithmetic, fmod and sqrt, which IEEE
// 754 makes exact or rounds exactly, are used; accurate to a few units in
// the last place for angles below 2^20.
#ifndef TESSARO_HOST_TRIG_H
#define TESSARO_HOST_TRIG_H

#include <cmath>

namespace tessaro {
namespace trig {

// Sine and cosine on [-pi/4, pi/4] (minimax polynomials in x^2).
inline double KernelSin(double x) {
  const double z = x * x;
  const double r = 8.33333333332248946124e-03 +
                   z * (-1.98412698298579493134e-04 +
                        z * (2.75573137070700676789e-06 + z * (-2.50507602534068634195e-08 + z * 1.58969099521155010221e-10)));
  return x + x * z * (-1.66666666666666324348e-01 + z * r);
}
inline double KernelCos(double x) {
  const double z = x * x;
  const double r = 4.16666666666666019037e-02 +
                   z * (-1.38888888888741095749e-03 +
                        z * (2.48015872894767294178e-05 +
                             z * (-2.75573143513906633035e-07 + z * (2.08757232129817482790e-09 + z * -1.13596475577881948265e-11))));
  return 1.0 - 0.5 * z + z * z * r;
}

// x = k pi/2 + r with |r| <= pi/4; pi/2 in three parts so that k * part is
// exact for every k below 2^20. Larger angles are first taken modulo the
// double nearest 2 pi (fmod is exact, so every build agrees): the result
// is no longer the true sine, but it is one, and the same everywhere.
inline double Reduce(double x, long long *k) {
  if (std::fabs(x) > 1048576.0) x = std::fmod(x, 6.28318530717958647693);
  const double kInvPio2 = 6.36619772367581382433e-01;
  const double kPio2a = 1.57079632673412561417e+00, kPio2b = 6.07710050630396597660e-11,
               kPio2c = 2.02226624879595063154e-21;
  double n = std::nearbyint(x * kInvPio2);
  *k = static_cast<long long>(std::fmod(n, 4.0));
  if (*k < 0) *k += 4;
  return ((x - n * kPio2a) - n * kPio2b) - n * kPio2c;
}

// sin(r + k pi/2) for quadrant k (taken modulo 4).
inline double InQuadrant(double r, long long k) {
  switch (k & 3) {
    case 0: return KernelSin(r);
    case 1: return KernelCos(r);
    case 2: return -KernelSin(r);
    default: return -KernelCos(r);
  }
}

inline double Sin(double x) {
  if (!std::isfinite(x)) return NAN;
  long long k;
  double r = Reduce(x, &k);
  return InQuadrant(r, k);
}

// cos x = sin(x + pi/2): one quadrant on.
inline double Cos(double x) {
  if (!std::isfinite(x)) return NAN;
  long long k;
  double r = Reduce(x, &k);
  return InQuadrant(r, k + 1);
}

// Halves the angle until the series converges fast: atan x = 2 atan(x / (1
// + sqrt(1 + x^2))).
inline double Atan(double x) {
  if (std::isnan(x)) return x;
  if (std::isinf(x)) return x > 0 ? 1.57079632679489661923 : -1.57079632679489661923;
  double scale = 1;
  if (std::fabs(x) > 1) {  // atan x = pi/2 - atan(1/x), with 1/x small
    double rest = Atan(1 / x);
    return (x > 0 ? 1.57079632679489661923 : -1.57079632679489661923) - rest;
  }
  for (int i = 0; i < 3; ++i) {
    x = x / (1 + std::sqrt(1 + x * x));
    scale *= 2;
  }
  // |x| <= tan(pi/32) < 0.1: the series' 9th term is below 2^-60 of x.
  const double z = x * x;
  double sum = 0;
  for (int n = 9; n >= 0; --n) sum = 1.0 / (2 * n + 1) - z * sum;
  return scale * x * sum;
}

}  // namespace trig
}  // namespace tessaro

#endif
