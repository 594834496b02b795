// The picture a frame should show, worked out from the scene's geometry:
// the view (support/view_model.h), the 80 by 80 sample grid over the
// doubled box, the markers, and the cube's edges as the pixel routines are
// specified to draw and clip them. Only the all-zero quadric (the plane z = 0) is modelled,
// which is what the scene shows while every point is at the origin.
#ifndef VELMORA_TESTS_SCENE_EXPECTED_PICTURE_H
#define VELMORA_TESTS_SCENE_EXPECTED_PICTURE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "raster/colours.h"
#include "support/view_model.h"

namespace expected {

using view_model::Project;
using view_model::Projected;
using view_model::View;

class Picture {
 public:
  Picture(int width, int height) : width_(width), height_(height), pixels_(size_t(width) * height, kBackgroundGrey) {}
  int Width() const { return width_; }
  int Height() const { return height_; }
  uint32_t At(int x, int y) const { return pixels_[size_t(y) * width_ + x]; }
  void Set(int x, int y, uint32_t c) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) pixels_[size_t(y) * width_ + x] = c;
  }

  // A red line between two inside points, walked along its major axis with
  // the minor offset rounded down (an error term starting at the full count).
  void Line(int x0, int y0, int x1, int y1) {
    if (y0 > y1) {
      std::swap(x0, x1);
      std::swap(y0, y1);
    }
    int nx = std::abs(x1 - x0) + 1, ny = y1 - y0 + 1, sx = x1 < x0 ? -1 : 1;
    bool xMajor = nx > ny;
    int n = xMajor ? nx : ny, m = xMajor ? ny : nx;
    int x = x0, y = y0, e = n;
    for (int i = 0; i < n; ++i) {
      Set(x, y, kLineRed);
      e -= m;
      if (xMajor)
        x += sx;
      else
        ++y;
      if (e <= 0) {
        e += n;
        if (xMajor)
          ++y;
        else
          x += sx;
      }
    }
  }

  // The segment cut down to the points strictly inside the client area: the
  // inside ends, then one point inside each edge line it strictly crosses.
  void ClippedLine(int x0, int y0, int x1, int y1) {
    const long long l = 0, t = 0, r = width_, b = height_;
    auto inside = [&](long long x, long long y) { return l < x && x < r && t < y && y < b; };
    long long px[2], py[2];
    int n = 0;
    auto take = [&](long long x, long long y) {
      if (n < 2) {
        px[n] = x;
        py[n] = y;
        ++n;
      }
    };
    if (inside(x0, y0)) take(x0, y0);
    if (inside(x1, y1)) take(x1, y1);
    auto straddles = [](long long a, long long edge, long long c) {
      return (a < edge && edge < c) || (c < edge && edge < a);
    };
    if (n < 2 && straddles(x0, l, x1)) {
      long long y = y0 + ((l + 1 - x0) * (long long)(y1 - y0)) / (x1 - x0);
      if (t < y && y < b) take(l + 1, y);
    }
    if (n < 2 && straddles(x0, r, x1)) {
      long long y = y0 + ((r - 1 - x0) * (long long)(y1 - y0)) / (x1 - x0);
      if (t < y && y < b) take(r - 1, y);
    }
    if (n < 2 && straddles(y0, t, y1)) {
      long long x = x0 + ((t + 1 - y0) * (long long)(x1 - x0)) / (y1 - y0);
      if (l < x && x < r) take(x, t + 1);
    }
    if (n < 2 && straddles(y0, b, y1)) {
      long long x = x0 + ((b - 1 - y0) * (long long)(x1 - x0)) / (y1 - y0);
      if (l < x && x < r) take(x, b - 1);
    }
    if (n == 2) Line(int(px[0]), int(py[0]), int(px[1]), int(py[1]));
  }

 private:
  int width_, height_;
  std::vector<uint32_t> pixels_;
};

inline int Truncate(double v) {
  if (std::isnan(v) || v <= -2147483649.0) return INT32_MIN;
  if (v >= 2147483648.0) return INT32_MAX;
  return int(v);
}

// The frame with all nine points at the origin and the quadric's
// coefficients all zero: grey, the markers' square, the plane z = 0 over it
// and the doubled cube over both.
inline Picture SceneAtStart(const View &v) {
  Picture p(v.width, v.height);
  Projected origin = Project(v, 0, 0, 0);
  if (origin.visible) {
    int cx = int(origin.x), cy = int(origin.y);
    for (int y = cy - 5; y <= cy + 5; ++y)
      for (int x = cx - 5; x <= cx + 5; ++x) p.Set(x, y, kMarkerBlue);
  }
  for (int j = 0; j < 80; ++j) {
    for (int i = 0; i < 80; ++i) {
      Projected s = Project(v, -2000.0 + 50 * i, -2000.0 + 50 * j, 0);
      if (s.visible) p.Set(int(s.x), int(s.y), kSurfaceGreen);
    }
  }
  auto corner = [&](int c) { return Project(v, c & 1 ? 2000 : -2000, c & 2 ? 2000 : -2000, c & 4 ? 2000 : -2000); };
  // The twelve edges as drawn, from and to, one bit per axis taking the
  // maximum (x 1, y 2, z 4): a clipped edge depends on which end comes first.
  static const int kEdges[12][2] = {{0, 2}, {0, 1}, {3, 2}, {3, 1}, {3, 7}, {4, 6},
                                    {4, 5}, {4, 0}, {7, 6}, {7, 5}, {2, 6}, {1, 5}};
  for (const auto &e : kEdges) {
    Projected a = corner(e[0]), b = corner(e[1]);
    p.ClippedLine(Truncate(a.x), Truncate(a.y), Truncate(b.x), Truncate(b.y));
  }
  return p;
}

}  // namespace expected

#endif
