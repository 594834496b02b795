// The nine control points, the box they bounce in, and the scene's own
// random generator. Every random number of the scene comes from this one
// generator, so a seed fixes the whole motion.
#include "scene/points.h"

#include "app/app_context.h"

Point3 g_positions[kPointCount];
Point3 g_velocities[kPointCount];
Box g_box;

namespace {

unsigned int g_randomState;

// r never exceeds 32767, so the remainder leaves it as it is; it is kept so
// that the magnitudes stay those of the formula the motion is tuned to.
double SpeedFrom(int r) { return (r % 80000) / 10000.0 + 2.0; }

double RandomCoordinate(double minimum, double maximum) {
  int r = NextRandom();
  // The span is truncated to a whole number; one below 1 (a degenerate or
  // inverted axis, or one too wide for an int) would make the remainder
  // undefined, so such an axis puts every point on its minimum.
  double extent = maximum - minimum;
  if (!(extent >= 1.0 && extent < 2147483648.0)) {
    return minimum;
  }
  int span = static_cast<int>(extent);
  return minimum + static_cast<double>(r % span);
}

void Bounce(double &v) {
  double factor = v < 0 ? 1.0 : -1.0;  // back into the box; 0 counts as moving out
  v = SpeedFrom(NextRandom()) * factor;
}

}  // namespace

void SeedRandom(unsigned int seed) { g_randomState = seed; }

int NextRandom() {
  // Unsigned arithmetic wraps modulo 2^32, exactly the generator's modulus.
  g_randomState = g_randomState * 214013u + 2531011u;
  return static_cast<int>((g_randomState >> 16) & 0x7FFFu);
}

int ClassifyPoint(double x, double y, double z) {
  // Strict tests: a point on a face is inside; NaN fails all of them.
  if (x < g_box.xMin) return 1;
  if (x > g_box.xMax) return 2;
  if (y < g_box.yMin) return 3;
  if (y > g_box.yMax) return 4;
  if (z < g_box.zMin) return 5;
  if (z > g_box.zMax) return 6;
  return 0;
}

Point3 &RandomPosition(Point3 &p) {
  p.x = RandomCoordinate(g_box.xMin, g_box.xMax);
  p.y = RandomCoordinate(g_box.yMin, g_box.yMax);
  p.z = RandomCoordinate(g_box.zMin, g_box.zMax);
  return p;
}

void RandomVelocity(Point3 &v) {
  double *components[3] = {&v.x, &v.y, &v.z};
  for (double *component : components) {
    int magnitude = NextRandom();
    int sign = NextRandom();
    *component = (sign % 2 != 0 ? 1.0 : -1.0) * SpeedFrom(magnitude);
  }
}

void BounceX(Point3 &v) { Bounce(v.x); }
void BounceY(Point3 &v) { Bounce(v.y); }
void BounceZ(Point3 &v) { Bounce(v.z); }

int InitScene() {
  SeedRandom(GetTickCount());
  g_viewOffset = Point3{0.0, 0.0, 8000.0};
  ResetViewRotation();
  g_box = Box{-1000.0, 1000.0, -1000.0, 1000.0, -1000.0, 1000.0};
  for (int i = 0; i < kPointCount; ++i) {
    RandomVelocity(g_velocities[i]);
  }
  return 0;
}
