// The view's own sine and cosine: within one ulp of the C library (glibc,
// itself correctly rounded in practice) over every range of the argument,
// exact at the small and signed cases, NaN for infinities and NaN, and odd
// and even to the bit.
#include "math/trig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "support/view_model.h"

namespace {

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kPi = 3.14159265358979323846;
const double kHalfPi = 1.57079632679489661923;
const double kCodyWaiteLimit = 1647099.3291652855;  // 2^20 * pi/2

std::uint64_t BitsOf(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

double FromBits(std::uint64_t b) {
  double v;
  std::memcpy(&v, &b, sizeof v);
  return v;
}

// Doubles in order as integers, so that neighbours differ by one.
std::int64_t Ordered(double v) {
  const std::uint64_t b = BitsOf(v);
  const std::int64_t magnitude = static_cast<std::int64_t>(b & 0x7FFFFFFFFFFFFFFFULL);
  return (b >> 63) ? -magnitude : magnitude;
}

std::int64_t UlpsApart(double a, double b) {
  const std::int64_t d = Ordered(a) - Ordered(b);
  return d < 0 ? -d : d;
}

void ExpectLikeLibrary(double x) {
  EXPECT_LE(UlpsApart(Sine(x), std::sin(x)), 1) << "sin(" << x << "): " << Sine(x) << " against " << std::sin(x);
  EXPECT_LE(UlpsApart(Cosine(x), std::cos(x)), 1) << "cos(" << x << "): " << Cosine(x) << " against " << std::cos(x);
}

// Counts the arguments off by more than an ulp instead of flooding the log.
void ExpectAllLikeLibrary(const std::vector<double> &xs) {
  int sineOff = 0, cosineOff = 0;
  double firstSine = 0, firstCosine = 0;
  for (double x : xs) {
    if (UlpsApart(Sine(x), std::sin(x)) > 1 && sineOff++ == 0) firstSine = x;
    if (UlpsApart(Cosine(x), std::cos(x)) > 1 && cosineOff++ == 0) firstCosine = x;
  }
  EXPECT_EQ(sineOff, 0) << "first at " << firstSine;
  EXPECT_EQ(cosineOff, 0) << "first at " << firstCosine;
}

std::vector<double> Uniform(double lo, double hi, int count, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> dist(lo, hi);
  std::vector<double> xs;
  for (int i = 0; i < count; ++i) xs.push_back(dist(rng));
  return xs;
}

TEST(TrigAgreement, RandomArgumentsInEachRange) {
  ExpectAllLikeLibrary(Uniform(-kPi / 4, kPi / 4, 20000, 1));  // polynomials only
  ExpectAllLikeLibrary(Uniform(-10.0, 10.0, 20000, 2));        // first few turns
  ExpectAllLikeLibrary(Uniform(-kCodyWaiteLimit, kCodyWaiteLimit, 20000, 3));
}

TEST(TrigAgreement, RandomArgumentsOfEveryMagnitude) {
  // Random bit patterns: every exponent up to the largest double, so the
  // large reduction is used for most of them.
  std::mt19937_64 rng(4);
  std::vector<double> xs;
  while (xs.size() < 20000) {
    const double x = FromBits(rng());
    if (std::isfinite(x)) xs.push_back(x);
  }
  ExpectAllLikeLibrary(xs);
}

TEST(TrigAgreement, AcrossTheEndOfTheCodyWaiteRange) {
  std::vector<double> xs;
  double up = kCodyWaiteLimit, down = kCodyWaiteLimit;
  for (int i = 0; i < 1000; ++i) {
    xs.push_back(up);
    xs.push_back(down);
    up = std::nextafter(up, kInf);
    down = std::nextafter(down, 0.0);
  }
  for (double x : {1048576.0 * kHalfPi, 1048575.0 * kHalfPi, 1048577.0 * kHalfPi, 2.0e6, 1.0e7}) xs.push_back(x);
  ExpectAllLikeLibrary(xs);
}

TEST(TrigAgreement, MultiplesOfHalfPiAndTheirNeighbours) {
  // Where the reduction cancels most: the result is the tiny distance to
  // the nearest multiple, which the further Cody-Waite stages must keep.
  std::vector<double> xs;
  auto addAround = [&xs](double v) {
    xs.push_back(v);
    xs.push_back(std::nextafter(v, 0.0));
    xs.push_back(std::nextafter(v, kInf));
  };
  for (int k = 1; k <= 2000; ++k) addAround(k * kHalfPi);
  for (int k = 1048576 - 500; k <= 1048576 + 500; ++k) addAround(k * kHalfPi);
  for (double big : {1e10, 1e15, 1e22, 1e100, 1e300}) addAround(std::round(big / kHalfPi) * kHalfPi);
  ExpectAllLikeLibrary(xs);
}

TEST(TrigAgreement, KnownValuesOfTheDoublesNearestPi) {
  // sin of the double nearest pi is pi minus that double; cos of the double
  // nearest pi/2 is pi/2 minus it; sin(1e22) needs every bit of the large
  // reduction.
  EXPECT_LE(UlpsApart(Sine(kPi), 1.2246467991473532e-16), 1);
  EXPECT_LE(UlpsApart(Cosine(kHalfPi), 6.123233995736766e-17), 1);
  EXPECT_EQ(Sine(kHalfPi), 1.0);
  EXPECT_EQ(Cosine(kPi), -1.0);
  EXPECT_LE(UlpsApart(Sine(1e22), -0.8522008497671888), 1);
  EXPECT_LE(UlpsApart(Cosine(1e22), 0.5232147853951389), 1);
}

TEST(TrigAgreement, TheViewsAngles) {
  // Degrees converted as the view converts them: the key turn,
  // whole and partial turns, and drag steps of a fifth of a degree.
  for (double degrees : {2.0, -2.0, 360.0, -360.0, 0.2, -0.2, 0.4, 1.0, 20.0, 25.0, 30.0, 33.0, 40.0, 45.0, 90.0, 180.0,
                         270.0, 720.0, 36000.0}) {
    SCOPED_TRACE(degrees);
    ExpectLikeLibrary(view_model::Radians(degrees));
  }
  std::vector<double> drags;
  for (int pixels = -5000; pixels <= 5000; ++pixels) drags.push_back(view_model::Radians(pixels / 5.0));
  ExpectAllLikeLibrary(drags);
}

TEST(TrigSpecialCases, ZeroKeepsItsSignForSine) {
  EXPECT_EQ(BitsOf(Sine(0.0)), BitsOf(0.0));
  EXPECT_EQ(BitsOf(Sine(-0.0)), BitsOf(-0.0));
  EXPECT_EQ(Cosine(0.0), 1.0);
  EXPECT_EQ(Cosine(-0.0), 1.0);
}

TEST(TrigSpecialCases, TinyArgumentsGiveXAndOne) {
  const double denormMin = std::numeric_limits<double>::denorm_min();
  const double normMin = std::numeric_limits<double>::min();
  for (double x :
       {denormMin, normMin, 1e-300, 1e-20, 1e-10, std::ldexp(1.0, -28), std::nextafter(std::ldexp(1.0, -27), 0.0)}) {
    SCOPED_TRACE(x);
    EXPECT_EQ(Sine(x), x);
    EXPECT_EQ(Sine(-x), -x);
    EXPECT_EQ(Cosine(x), 1.0);
    EXPECT_EQ(Cosine(-x), 1.0);
  }
  // From 2^-27 on the cube starts to show in sine; cosine stays at 1 until
  // x^2/2 reaches half an ulp below 1, near 1.05e-8.
  ExpectLikeLibrary(std::ldexp(1.0, -27));
  EXPECT_EQ(Cosine(1e-8), 1.0);
  EXPECT_LT(Cosine(2e-8), 1.0);
}

TEST(TrigSpecialCases, InfinityAndNaNGiveNaN) {
  for (double x : {kInf, -kInf, kNaN, -kNaN}) {
    SCOPED_TRACE(x);
    EXPECT_TRUE(std::isnan(Sine(x)));
    EXPECT_TRUE(std::isnan(Cosine(x)));
  }
}

TEST(TrigSpecialCases, LargestFiniteArgumentIsStillReduced) {
  const double largest = std::numeric_limits<double>::max();
  ExpectLikeLibrary(largest);
  ExpectLikeLibrary(-largest);
  ExpectLikeLibrary(std::ldexp(1.0, 1023));
}

TEST(TrigSymmetry, SineIsOddAndCosineEvenToTheBit) {
  std::vector<double> xs = Uniform(0.0, 20.0, 5000, 5);
  const std::vector<double> more = Uniform(0.0, 1e7, 5000, 6);
  xs.insert(xs.end(), more.begin(), more.end());
  for (double x : {1e22, 1e300, kHalfPi, kPi, view_model::Radians(2)}) xs.push_back(x);
  int sineBroken = 0, cosineBroken = 0;
  for (double x : xs) {
    if (BitsOf(Sine(-x)) != BitsOf(-Sine(x))) ++sineBroken;
    if (BitsOf(Cosine(-x)) != BitsOf(Cosine(x))) ++cosineBroken;
  }
  EXPECT_EQ(sineBroken, 0);
  EXPECT_EQ(cosineBroken, 0);
}

}  // namespace
