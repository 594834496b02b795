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
#include "math/vector_versions.h"
#include "raster/colours.h"
#include "raster/pixels.h"

Matrix3 g_viewRotation;
Point3 g_viewOffset;
int g_focalLength = 800;

namespace {

const double kDegreesToRadians = 3.1416;  // over 180, applied after the multiply
const int kMarkerHalfSize = 5;

// ix +- 5 without overflow for a client area wider than any real one.
int Offset(int v, int by) {
  if (by > 0 && v > INT_MAX - by) return INT_MAX;
  if (by < 0 && v < INT_MIN - by) return INT_MIN;
  return v + by;
}

double Radians(double degrees) { return degrees * kDegreesToRadians / 180.0; }

Matrix3 MakeMatrix3(double m00, double m01, double m02, double m10, double m11, double m12, double m20, double m21,
                    double m22) {
  Matrix3 r = {{m00, m01, m02, m10, m11, m12, m20, m21, m22}};
  return r;
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
    g_focalLength = (g_focalLength > INT_MAX - kFocalLengthStep) ? INT_MAX : g_focalLength + kFocalLengthStep;
  } else if (g_focalLength > kMinFocalLength) {
    g_focalLength -= kFocalLengthStep;
  }
}

void ResetViewRotation() { g_viewRotation = MakeMatrix3(1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0); }

Matrix3 ApplyViewRotation(const Matrix3 &rotation) {
  const Matrix3 v = g_viewRotation;
  Matrix3 p;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      p.m[3 * r + c] =
          rotation.m[3 * r] * v.m[c] + rotation.m[3 * r + 1] * v.m[3 + c] + rotation.m[3 * r + 2] * v.m[6 + c];
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
  g_viewRotation = ApplyViewRotation(MakeMatrix3(c + ux * ux * t, ux * uy * t + uz * s, ux * uz * t - uy * s,
                                                 ux * uy * t - uz * s, c + uy * uy * t, uy * uz * t + ux * s,
                                                 ux * uz * t + uy * s, uy * uz * t - ux * s, c + uz * uz * t));
}

namespace {

// The view and the client area as one projection needs them, read once so
// that a batch of points does not go back to the globals for every point.
struct Projection {
  double m[9];
  double ox, oy, oz;
  double f;
  double halfWidth, halfHeight, left, top;
  double width, height;
};

Projection CurrentProjection() {
  const RECT &client = g_app->clientRect;
  Projection p;
  for (int k = 0; k < 9; ++k) p.m[k] = g_viewRotation.m[k];
  p.ox = g_viewOffset.x;
  p.oy = g_viewOffset.y;
  p.oz = g_viewOffset.z;
  p.f = static_cast<double>(g_focalLength);
  p.halfWidth = g_app->halfClientWidth;
  p.halfHeight = g_app->halfClientHeight;
  p.left = client.left;
  p.top = client.top;
  p.width = static_cast<double>(client.right) - client.left;
  p.height = static_cast<double>(client.bottom) - client.top;
  return p;
}

// Every sum is taken in the order the formulas give it, so a point comes out
// to the same doubles whether it is projected alone or in a batch.
__attribute__((always_inline)) inline double Row(const Projection &p, int row, double x, double y, double z) {
  return p.m[3 * row] * x + p.m[3 * row + 1] * y + p.m[3 * row + 2] * z;
}
__attribute__((always_inline)) inline double Depth(const Projection &p, double x, double y, double z) {
  return Row(p, 2, x, y, z) + p.oz;
}
__attribute__((always_inline)) inline double ScreenX(const Projection &p, double x, double y, double z, double depth) {
  return (Row(p, 0, x, y, z) + p.ox) * p.f / depth + p.halfWidth - p.left;
}
__attribute__((always_inline)) inline double ScreenY(const Projection &p, double x, double y, double z, double depth) {
  return p.halfHeight - (Row(p, 1, x, y, z) + p.oy) * p.f / depth - p.top;
}
__attribute__((always_inline)) inline bool InFront(const Projection &p, double depth) {
  return p.f <= depth;  // NaN fails
}
inline bool OnScreen(const Projection &p, double sx, double sy) {
  return 0.0 < sx && sx < p.width && 0.0 < sy && sy < p.height;
}

// The client area can outgrow the frame buffer, which keeps its size from
// start-up, so the pixel is also held inside the buffer.
inline void PlotSurfacePixel(double sx, double sy) {
  const int ix = TruncateToInt(sx);
  const int iy = TruncateToInt(sy);
  if (g_app->pixels && ix < g_app->pixelStride && iy < g_app->pixelRows) {
    g_app->pixels[static_cast<std::size_t>(iy) * g_app->pixelStride + ix] = kSurfaceGreen;
  }
}

}  // namespace

ScreenPoint ProjectPoint(int mode, Point3 point) {
  ScreenPoint result = {-10.0, -10.0};
  const Projection p = CurrentProjection();
  const double depth = Depth(p, point.x, point.y, point.z);
  if (!InFront(p, depth)) return result;  // behind the eye, too close, or NaN

  result.x = ScreenX(p, point.x, point.y, point.z, depth);
  result.y = ScreenY(p, point.x, point.y, point.z, depth);
  if (!OnScreen(p, result.x, result.y)) return result;

  if (mode == 0) {
    PlotSurfacePixel(result.x, result.y);
  } else if (mode > 0) {
    const int ix = TruncateToInt(result.x);
    const int iy = TruncateToInt(result.y);
    FillPixelRect(Offset(ix, -kMarkerHalfSize), Offset(iy, -kMarkerHalfSize), Offset(ix, kMarkerHalfSize),
                  Offset(iy, kMarkerHalfSize), kMarkerBlue);
  }
  return result;
}

namespace {

// The stores of a run's visible points, one by one. Kept out of the vector
// versions on purpose: there the compiler turns this loop into scatter
// stores, which some processors (AMD's among them) carry out one element
// at a time at several times the cost of plain stores.
__attribute__((noinline)) void StoreVisible(DWORD *pixels, std::size_t stride, const int *column, const int *row,
                                            int n) {
  for (int i = 0; i < n; ++i) {
    if (column[i] >= 0) pixels[static_cast<std::size_t>(row[i]) * stride + column[i]] = kSurfaceGreen;
  }
}

// ProjectPoint in mode 0 for a batch; compiled into each vector version.
__attribute__((always_inline)) inline void PlotPointsBody(const double *x, const double *y, const double *z,
                                                          int count) {
  DWORD *const pixels = g_app->pixels;
  if (pixels == nullptr) return;
  const Projection p = CurrentProjection();
  // On screen and inside the frame buffer at once: a positive position
  // truncates to below an integer bound exactly when it lies below it.
  const std::size_t stride = static_cast<std::size_t>(g_app->pixelStride);
  const double right = std::fmin(p.width, g_app->pixelStride);
  const double bottom = std::fmin(p.height, g_app->pixelRows);
  // A run of points is projected and tested in a loop without branches,
  // which the vector units take several points at a time; only the stores
  // of the visible ones follow one by one.
  constexpr int kRun = 64;
  int column[kRun], row[kRun];
  for (int start = 0; start < count; start += kRun) {
    const int n = count - start < kRun ? count - start : kRun;
    const double *px = x + start, *py = y + start, *pz = z + start;
    for (int i = 0; i < n; ++i) {
      const double depth = Depth(p, px[i], py[i], pz[i]);
      const double sx = ScreenX(p, px[i], py[i], pz[i], depth);
      const double sy = ScreenY(p, px[i], py[i], pz[i], depth);
      // Every test is made (& rather than &&), so none has to be skipped.
      const bool visible = InFront(p, depth) & (0.0 < sx) & (sx < right) & (0.0 < sy) & (sy < bottom);
      // Converted either way, from a value that is in range either way.
      column[i] = static_cast<int>(visible ? sx : -1.0);
      row[i] = static_cast<int>(visible ? sy : 0.0);
    }
    StoreVisible(pixels, stride, column, row, n);
  }
}

}  // namespace

VELMORA_VECTOR_VERSIONS(PlotPoints, (const double *x, const double *y, const double *z, int count), (x, y, z, count))
