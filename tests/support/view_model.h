// The tests' own model of the view: the degree conversion, the rotation
// tables, their composition and the perspective projection, worked from
// the view's formulas and not from math/view.cpp, so that every test that
// predicts where the view puts something checks that code against an
// independent reading. It needs nothing of the program, so a test of any
// layer can use it; the sine and cosine are the C library's (the view's
// own agree with them to an ulp, which tests/math/trig_test.cpp checks).
#ifndef VELMORA_TESTS_SUPPORT_VIEW_MODEL_H
#define VELMORA_TESTS_SUPPORT_VIEW_MODEL_H

#include <cmath>

namespace view_model {

// Row-major: entry (r, c) is m[3 * r + c], as the view keeps its rotation.
struct Rotation {
  double m[9];
};

// Degrees to radians with 3.1416 for pi (the double nearest to it, not pi
// itself), multiplying first and dividing second.
inline double Radians(double degrees) { return degrees * 3.1416 / 180; }

inline Rotation Identity() { return {{1, 0, 0, 0, 1, 0, 0, 0, 1}}; }

// A turn about the x axis.
inline Rotation TurnX(double degrees) {
  const double c = std::cos(Radians(degrees)), s = std::sin(Radians(degrees));
  return {{1, 0, 0, 0, c, s, 0, -s, c}};
}

// A turn about the y axis; the opposite way to TurnAxis about (0, 1, 0).
inline Rotation TurnY(double degrees) {
  const double c = std::cos(Radians(degrees)), s = std::sin(Radians(degrees));
  return {{c, 0, s, 0, 1, 0, -s, 0, c}};
}

// A turn about the axis (ax, ay, az), normalised first.
inline Rotation TurnAxis(double ax, double ay, double az, double degrees) {
  const double length = std::sqrt(ax * ax + ay * ay + az * az);
  const double x = ax / length, y = ay / length, z = az / length;
  const double c = std::cos(Radians(degrees)), s = std::sin(Radians(degrees)), t = 1 - c;
  return {{c + x * x * t, x * y * t + z * s, x * z * t - y * s,  //
           x * y * t - z * s, c + y * y * t, y * z * t + x * s,  //
           x * z * t + y * s, y * z * t - x * s, c + z * z * t}};
}

// a·b. The view composes a new turn R onto its rotation V as R·V, so that
// the turn is about the screen's axes as they are now.
inline Rotation Product(const Rotation &a, const Rotation &b) {
  Rotation p;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      p.m[3 * r + c] = a.m[3 * r] * b.m[c] + a.m[3 * r + 1] * b.m[3 + c] + a.m[3 * r + 2] * b.m[6 + c];
    }
  }
  return p;
}

// A view: the rotation, the offset, the focal length and the client area.
// The defaults are the view the program starts with, over an 800 by 600
// client area at (0, 0).
struct View {
  Rotation rotation = Identity();
  double ox = 0, oy = 0, oz = 8000;
  int focal = 800;
  int left = 0, top = 0, width = 800, height = 600;

  void Turn(const Rotation &r) { rotation = Product(r, rotation); }
};

struct Projected {
  double x = -10, y = -10;  // where a point behind the focal plane is reported
  bool visible = false;     // in front, and strictly inside the client area
};

// Where the view puts the scene point (x, y, z). The depth grows away from
// the eye and y upwards on the scene but downwards on the screen.
inline Projected Project(const View &v, double x, double y, double z) {
  Projected r;
  const double *m = v.rotation.m;
  const double depth = m[6] * x + m[7] * y + m[8] * z + v.oz;
  const double f = v.focal;
  if (!(f <= depth)) return r;  // also a depth that is not a number
  r.x = (m[0] * x + m[1] * y + m[2] * z + v.ox) * f / depth + v.width / 2 - v.left;
  r.y = v.height / 2 - (m[3] * x + m[4] * y + m[5] * z + v.oy) * f / depth - v.top;
  r.visible = 0 < r.x && r.x < v.width && 0 < r.y && r.y < v.height;
  return r;
}

}  // namespace view_model

#endif
