// The view: its rotation, offset and focal length, the composition of turns
// given in degrees, and the perspective projection that maps scene points
// into the client area and can plot them into the frame buffer. The turns
// take their sines and cosines from math/trig.h, not <cmath>: the C
// libraries of the Linux and Windows builds differ in the last bits, and
// every build has to arrive at identical doubles for the same turns.
#include "math/view.h"

#include <climits>
#include <cmath>
#include <cstddef>

#include "app/app_context.h"
#include "math/trig.h"
#include "raster/pixels.h"

Matrix3 g_viewRotation;
Point3 g_viewOffset;
int g_focalLength = 800;

namespace {

const double kDegreesToRadians = 3.1416;  // over 180, applied after the multiply
const DWORD kSurfaceColour = 0x00FA00;
const DWORD kMarkerColour = 0x0000FA;
const int kMarkerHalfSize = 5;

// ix +- 5 without overflow for a client area wider than any real one.
int Offset(int v, int by) {
  if (by > 0 && v > INT_MAX - by) return INT_MAX;
  if (by < 0 && v < INT_MIN - by) return INT_MIN;
  return v + by;
}

double Radians(double degrees) { return degrees * kDegreesToRadians / 180.0; }

Matrix3 MakeMatrix3(double m00, double m01, double m02, double m10, double m11, double m12,
                    double m20, double m21, double m22) {
  Matrix3 r = {{m00, m01, m02, m10, m11, m12, m20, m21, m22}};
  return r;
}

double RowDot(const Matrix3 &v, int row, const Point3 &p) {
  return v.m[3 * row] * p.x + v.m[3 * row + 1] * p.y + v.m[3 * row + 2] * p.z;
}

}  // namespace

int TruncateToInt(double v) {
  const double above = static_cast<double>(INT_MAX) + 1.0;  // 2^31, exact
  const double below = static_cast<double>(INT_MIN) - 1.0;  // -2^31 - 1, exact
  if (std::isnan(v)) return INT_MIN;
  if (v >= above) return INT_MAX;
  if (v <= below) return INT_MIN;
  return static_cast<int>(v);
}

void ChangeFocalLength(int wheelDistance) {
  if (wheelDistance < 0) {
    g_focalLength = (g_focalLength > INT_MAX - kFocalLengthStep) ? INT_MAX
                                                                 : g_focalLength + kFocalLengthStep;
  } else if (g_focalLength > kMinFocalLength) {
    g_focalLength -= kFocalLengthStep;
  }
}

void ResetViewRotation() {
  g_viewRotation = MakeMatrix3(1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0);
}

Matrix3 ApplyViewRotation(const Matrix3 &rotation) {
  const Matrix3 v = g_viewRotation;
  Matrix3 p;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      p.m[3 * r + c] = rotation.m[3 * r] * v.m[c] + rotation.m[3 * r + 1] * v.m[3 + c] +
                       rotation.m[3 * r + 2] * v.m[6 + c];
    }
  }
  return p;
}

void RotateViewX(double degrees) {
  const double theta = Radians(degrees);
  const double c = Cosine(theta);
  const double s = Sine(theta);
  g_viewRotation = ApplyViewRotation(MakeMatrix3(1.0, 0.0, 0.0, 0.0, c, s, 0.0, -s, c));
}

void RotateViewY(double degrees) {
  const double theta = Radians(degrees);
  const double c = Cosine(theta);
  const double s = Sine(theta);
  g_viewRotation = ApplyViewRotation(MakeMatrix3(c, 0.0, s, 0.0, 1.0, 0.0, -s, 0.0, c));
}

void RotateViewAxis(double x, double y, double z, double degrees) {
  const double length = std::sqrt(x * x + y * y + z * z);
  // A zero or unmeasurable axis names no direction; turning about it would
  // fill the view with NaN for good, so the view stays as it is.
  if (!(length > 0.0) || !std::isfinite(length)) return;
  const double ux = x / length;
  const double uy = y / length;
  const double uz = z / length;
  const double theta = Radians(degrees);
  const double c = Cosine(theta);
  const double s = Sine(theta);
  const double t = 1.0 - c;
  g_viewRotation = ApplyViewRotation(MakeMatrix3(
      c + ux * ux * t, ux * uy * t + uz * s, ux * uz * t - uy * s,
      ux * uy * t - uz * s, c + uy * uy * t, uy * uz * t + ux * s,
      ux * uz * t + uy * s, uy * uz * t - ux * s, c + uz * uz * t));
}

ScreenPoint ProjectPoint(int mode, Point3 p) {
  ScreenPoint result = {-10.0, -10.0};
  const double depth = RowDot(g_viewRotation, 2, p) + g_viewOffset.z;
  const double f = static_cast<double>(g_focalLength);
  if (!(f <= depth)) return result;  // behind the eye, too close, or NaN

  const RECT &client = g_app->clientRect;
  const double sx = (RowDot(g_viewRotation, 0, p) + g_viewOffset.x) * f / depth +
                    g_app->halfClientWidth - client.left;
  const double sy = g_app->halfClientHeight -
                    (RowDot(g_viewRotation, 1, p) + g_viewOffset.y) * f / depth - client.top;
  result.x = sx;
  result.y = sy;

  const double width = static_cast<double>(client.right) - client.left;
  const double height = static_cast<double>(client.bottom) - client.top;
  if (!(0.0 < sx && sx < width && 0.0 < sy && sy < height)) return result;

  const int ix = TruncateToInt(sx);
  const int iy = TruncateToInt(sy);
  if (mode == 0) {
    // The client area can outgrow the frame buffer, which keeps its size
    // from start-up, so the pixel is also held inside the buffer.
    if (g_app->pixels && ix < g_app->pixelStride && iy < g_app->pixelRows) {
      g_app->pixels[static_cast<std::size_t>(iy) * g_app->pixelStride + ix] = kSurfaceColour;
    }
  } else if (mode > 0) {
    FillPixelRect(Offset(ix, -kMarkerHalfSize), Offset(iy, -kMarkerHalfSize),
                  Offset(ix, kMarkerHalfSize), Offset(iy, kMarkerHalfSize), kMarkerColour);
  }
  return result;
}
