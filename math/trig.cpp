// Deterministic sine and cosine: reduction of the argument to [-pi/4, pi/4]
// by multiples of pi/2, then minimax polynomials on that interval. Every
// floating-point step is a single IEEE double operation, so the results do
// not depend on the compiler's or the C library's choices.
#include "math/trig.h"

#include <cstdint>
#include <cstring>

namespace {

// sin(x) = x + S1 x^3 + ... + S6 x^13 on [-pi/4, pi/4], error below 2^-58.
const double kS1 = -1.66666666666666324348e-01;
const double kS2 = 8.33333333332248946124e-03;
const double kS3 = -1.98412698298579493134e-04;
const double kS4 = 2.75573137070700676789e-06;
const double kS5 = -2.50507602534068634195e-08;
const double kS6 = 1.58969099521155010221e-10;

// cos(x) = 1 - x^2/2 + C1 x^4 + ... + C6 x^14 on [-pi/4, pi/4].
const double kC1 = 4.16666666666666019037e-02;
const double kC2 = -1.38888888888741095749e-03;
const double kC3 = 2.48015872894767294178e-05;
const double kC4 = -2.75573143513906633035e-07;
const double kC5 = 2.08757232129817482790e-09;
const double kC6 = -1.13596475577881948265e-11;

// pi/2 cut into pieces of 33 significant bits (kPio2A..C), each followed by
// the rounded rest of pi/2 after it. A multiple n <= 2^20 of a 33-bit piece
// is exact in a double, which bounds the Cody-Waite range.
const double kTwoOverPi = 6.36619772367581382433e-01;
const double kPio2A = 1.57079632673412561417e+00;
const double kPio2ARest = 6.07710050650619224932e-11;
const double kPio2B = 6.07710050630396597660e-11;
const double kPio2BRest = 2.02226624879595063154e-21;
const double kPio2C = 2.02226624871116645580e-21;
const double kPio2CRest = 8.47842766036889956997e-32;

// pi/2 as a sum of two doubles, good to 107 bits.
const double kPio2Hi = 1.57079632679489655800e+00;
const double kPio2Lo = 6.12323399573676603587e-17;

const double kQuarterPi = 7.85398163397448278999e-01;  // just below pi/4
const double kTiny = 7.45058059692382812500e-09;       // 2^-27
const double kCodyWaiteLimit = 1647099.3291652855;     // 2^20 * pi/2

// 2/pi in binary, 32 bits a word, most significant first: enough for the
// exponent of the largest double plus the 224 bits the reduction uses.
const std::uint32_t kTwoOverPiBits[] = {
    0xA2F9836E, 0x4E441529, 0xFC2757D1, 0xF534DDC0, 0xDB629599, 0x3C439041, 0xFE5163AB, 0xDEBBC561,
    0xB7246E3A, 0x424DD2E0, 0x06492EEA, 0x09D1921C, 0xFE1DEB1C, 0xB129A73E, 0xE88235F5, 0x2EBB4484,
    0xE99C7026, 0xB45F7E41, 0x3991D639, 0x835339F4, 0x9C845F8B, 0xBDF9283B, 0x1FF897FF, 0xDE05980F,
    0xEF2F118B, 0x5A0A6D1F, 0x6D367ECF, 0x27CB09B7, 0x4F463F66, 0x9E5FEA2D, 0x7527BAC7, 0xEBE5F17B,
    0x3D0739F7, 0x8A5292EA, 0x6BFB5FB1, 0x1F8D5D08, 0x56033046};
const int kWindowWords = 7;

std::uint64_t Bits(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

int BiasedExponent(double v) { return static_cast<int>((Bits(v) >> 52) & 0x7FF); }

// The polynomials take the reduced argument as x + y with |y| far below an
// ulp of x; for sin, y enters through sin(x + y) ~ sin x + y (1 - x^2/2).
double KernelSine(double x, double y) {
  const double z = x * x;
  const double v = z * x;
  const double r = kS2 + z * (kS3 + z * (kS4 + z * (kS5 + z * kS6)));
  if (y == 0.0) return x + v * (kS1 + z * r);
  return x - ((z * (0.5 * y - v * r) - y) - v * kS1);
}

// 1 - x^2/2 is rounded once and its rounding error carried along, which
// keeps the sum within an ulp when x^2/2 is not small against 1.
double KernelCosine(double x, double y) {
  const double z = x * x;
  const double r = z * (kC1 + z * (kC2 + z * (kC3 + z * (kC4 + z * (kC5 + z * kC6)))));
  const double hz = 0.5 * z;
  const double w = 1.0 - hz;
  return w + (((1.0 - w) - hz) + (z * r - x * y));
}

// Cody-Waite: ax - n pi/2 with n <= 2^20. Each stage subtracts n times a
// 33-bit piece exactly; a further stage is taken only when the result has
// cancelled so far that the rounded rest of pi/2 no longer suffices.
int ReduceMedium(double ax, double *y0, double *y1) {
  const int n = static_cast<int>(ax * kTwoOverPi + 0.5);
  const double fn = static_cast<double>(n);
  double r = ax - fn * kPio2A;
  double w = fn * kPio2ARest;
  *y0 = r - w;
  const int top = BiasedExponent(ax);
  if (top - BiasedExponent(*y0) > 16) {
    double t = r;
    w = fn * kPio2B;
    r = t - w;
    w = fn * kPio2BRest - ((t - r) - w);
    *y0 = r - w;
    if (top - BiasedExponent(*y0) > 49) {
      t = r;
      w = fn * kPio2C;
      r = t - w;
      w = fn * kPio2CRest - ((t - r) - w);
      *y0 = r - w;
    }
  }
  *y1 = (r - *y0) - w;
  return n;
}

// a + b = s + e exactly.
void TwoSum(double a, double b, double *s, double *e) {
  *s = a + b;
  const double bb = *s - a;
  *e = (a - (*s - bb)) + (b - bb);
}

// a * b = p + e exactly (Dekker's product, as no fused multiply-add is used).
void TwoProduct(double a, double b, double *p, double *e) {
  const double split = 134217729.0;  // 2^27 + 1
  double c = split * a;
  const double aHi = c - (c - a);
  const double aLo = a - aHi;
  c = split * b;
  const double bHi = c - (c - b);
  const double bLo = b - bHi;
  *p = a * b;
  *e = (((aHi * bHi - *p) + aHi * bLo) + aLo * bHi) + aLo * bLo;
}

// 32 bits of the little-endian limb number q starting at bit pos.
std::uint32_t Bits32(const std::uint32_t *q, int pos) {
  const int limb = pos / 32;
  const int shift = pos % 32;
  if (shift == 0) return q[limb];
  return (q[limb] >> shift) | (q[limb + 1] << (32 - shift));
}

// Exact reduction for large finite ax = m 2^e: only the bits of 2/pi that
// land between 2^1 and 2^-160 in m 2^e 2/pi matter (the ones above add
// multiples of 4 quarter turns), so a 224-bit window of 2/pi is multiplied
// by m in integers, and the quadrant and a 160-bit fraction read off.
int ReduceLarge(double ax, double *y0, double *y1) {
  const std::uint64_t bits = Bits(ax);
  const int e = BiasedExponent(ax) - 1075;  // at least -32 past the Cody-Waite limit
  const std::uint64_t m = (bits & 0xFFFFFFFFFFFFFULL) | (1ULL << 52);
  const int first = e >= 2 ? (e - 2) / 32 : 0;
  const int shift = e - 32 * first - 32;  // weight 2^shift of m times the first word

  // q = m * window, nine 32-bit limbs, least significant first.
  std::uint32_t q[kWindowWords + 2] = {};
  const std::uint64_t mPart[2] = {m & 0xFFFFFFFFu, m >> 32};
  for (int j = 0; j < 2; ++j) {
    std::uint64_t carry = 0;
    for (int k = 0; k < kWindowWords; ++k) {
      const int limb = j + k;
      const std::uint64_t word = kTwoOverPiBits[first + kWindowWords - 1 - k];
      const std::uint64_t t = mPart[j] * word + q[limb] + carry;
      q[limb] = static_cast<std::uint32_t>(t);
      carry = t >> 32;
    }
    for (int limb = j + kWindowWords; carry != 0 && limb < kWindowWords + 2; ++limb) {
      const std::uint64_t t = static_cast<std::uint64_t>(q[limb]) + carry;
      q[limb] = static_cast<std::uint32_t>(t);
      carry = t >> 32;
    }
  }

  // The value is q 2^(shift - 192): bit `point` is the units bit.
  const int point = 32 * (kWindowWords - 1) - shift;
  int n = static_cast<int>(Bits32(q, point) & 3u);
  std::uint32_t f[5];
  for (int k = 0; k < 5; ++k) f[k] = Bits32(q, point - 32 * (k + 1));
  bool negative = false;
  if (f[0] & 0x80000000u) {
    // Round to the nearest quarter turn: fraction - 1, kept as its magnitude.
    n = (n + 1) & 3;
    negative = true;
    std::uint64_t borrow = 1;
    for (int k = 4; k >= 0; --k) {
      const std::uint64_t t = static_cast<std::uint64_t>(static_cast<std::uint32_t>(~f[k])) + borrow;
      f[k] = static_cast<std::uint32_t>(t);
      borrow = t >> 32;
    }
  }

  // The fraction as a sum of two doubles, then times pi/2.
  const double kTwoToMinus32 = 2.3283064365386962890625e-10;
  double scale = kTwoToMinus32;
  double hi = 0.0;
  double lo = 0.0;
  for (int k = 0; k < 5; ++k) {
    double s, err;
    TwoSum(hi, static_cast<double>(f[k]) * scale, &s, &err);
    hi = s;
    lo += err;
    scale *= kTwoToMinus32;
  }
  double p, pe;
  TwoProduct(hi, kPio2Hi, &p, &pe);
  const double rest = pe + (hi * kPio2Lo + lo * kPio2Hi);
  *y0 = p + rest;
  *y1 = rest - (*y0 - p);
  if (negative) {
    *y0 = -*y0;
    *y1 = -*y1;
  }
  return n;
}

// ax = n pi/2 + y0 + y1 with |y0 + y1| <= pi/4 (a hair over at most), for
// finite ax above pi/4.
int Reduce(double ax, double *y0, double *y1) {
  if (ax < kCodyWaiteLimit) return ReduceMedium(ax, y0, y1);
  return ReduceLarge(ax, y0, y1);
}

// sin(q pi/2 + y0 + y1) from the kernels; the cosine of the same angle is
// the sine a quarter turn further on.
double SineOfQuarterTurns(int q, double y0, double y1) {
  switch (q & 3) {
    case 0: return KernelSine(y0, y1);
    case 1: return KernelCosine(y0, y1);
    case 2: return -KernelSine(y0, y1);
    default: return -KernelCosine(y0, y1);
  }
}

double SineOfMagnitude(double ax) {
  if (ax < kTiny) return ax;  // x^3/6 is below half an ulp of x
  if (ax <= kQuarterPi) return KernelSine(ax, 0.0);
  double y0, y1;
  const int n = Reduce(ax, &y0, &y1);
  return SineOfQuarterTurns(n, y0, y1);
}

double CosineOfMagnitude(double ax) {
  if (ax < kTiny) return 1.0;  // x^2/2 is below half an ulp of 1
  if (ax <= kQuarterPi) return KernelCosine(ax, 0.0);
  double y0, y1;
  const int n = Reduce(ax, &y0, &y1);
  return SineOfQuarterTurns(n + 1, y0, y1);
}

}  // namespace

// Both work on |x| and restore the symmetry afterwards, so it holds exactly.
double Sine(double x) {
  if (x - x != 0.0) return x - x;  // infinity or NaN
  return (Bits(x) >> 63) ? -SineOfMagnitude(-x) : SineOfMagnitude(x);
}

double Cosine(double x) {
  if (x - x != 0.0) return x - x;
  return CosineOfMagnitude(x < 0.0 ? -x : x);
}
