// The view: a rotation composed from turns in degrees, a fixed offset and a
// focal length, and the perspective projection of scene points to the
// client area, which can also plot them.
#ifndef VELMORA_MATH_VIEW_H
#define VELMORA_MATH_VIEW_H

struct Point3 {
  double x, y, z;
};

// Row-major: entry (r, c) is m[3 * r + c].
struct Matrix3 {
  double m[9];
};

struct ScreenPoint {
  double x, y;
};

extern Matrix3 g_viewRotation;
extern Point3 g_viewOffset;
extern int g_focalLength;

void ResetViewRotation();
Matrix3 ApplyViewRotation(const Matrix3 &rotation);
void RotateViewX(double degrees);
void RotateViewY(double degrees);
void RotateViewAxis(double x, double y, double z, double degrees);

// One wheel message is one step of the focal length whatever its distance:
// a negative distance (towards the user) adds a step, saturating at INT_MAX;
// zero or positive takes a step off while the focal length is above
// kMinFocalLength and leaves it alone otherwise.
constexpr int kFocalLengthStep = 15;
constexpr int kMinFocalLength = 20;
void ChangeFocalLength(int wheelDistance);

// Truncates toward zero like a cast, but defined for every double: values
// beyond the int range and infinities saturate to INT_MAX or INT_MIN on
// their own side, NaN gives INT_MIN (off screen, like any failed point).
int TruncateToInt(double v);

// mode < 0: project only; 0: also one green pixel; > 0: also a blue 11 by 11
// square, in both cases only when the point is visible.
ScreenPoint ProjectPoint(int mode, Point3 p);

// ProjectPoint in mode 0 for each of count points, given as three arrays of
// coordinates: the same pixels, worked out a batch at a time.
void PlotPoints(const double *x, const double *y, const double *z, int count);

#endif
