// Random rectangles and segments, extremes of int included, against random
// client, window and frame-buffer sizes: no write outside the frame buffer
// and pixel counts that follow from the corners and ends.
#include "raster/pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <random>
#include <set>
#include <vector>

#include "raster/colours.h"
#include "support/test_frame.h"

namespace {

using support::Pixel;
using support::TestFrame;

class Random {
 public:
  explicit Random(unsigned seed) : engine_(seed) {}
  int Between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(engine_); }

  // Mostly near the frame buffer, sometimes far out or at the ends of int.
  int Coordinate() {
    static const int kExtremes[] = {INT_MIN, INT_MIN + 1, INT_MAX - 1, INT_MAX, -1, 0, 1};
    switch (Between(0, 9)) {
      case 0: return kExtremes[Between(0, 6)];
      case 1: return Between(INT_MIN, INT_MAX);
      case 2: return Between(-100000, 100000);
      case 3:
      case 4: return Between(-40, 120);
      default: return Between(-3, 60);
    }
  }

 private:
  std::mt19937 engine_;
};

struct Bounds {
  int minX = INT_MAX, minY = INT_MAX, maxX = INT_MIN, maxY = INT_MIN;
  explicit Bounds(const std::vector<Pixel> &pixels) {
    for (const Pixel &p : pixels) {
      minX = std::min(minX, p.x);
      maxX = std::max(maxX, p.x);
      minY = std::min(minY, p.y);
      maxY = std::max(maxY, p.y);
    }
  }
  long long Width() const { return maxX - minX + 1; }
  long long Height() const { return maxY - minY + 1; }
};

int Clamp(int v, int hi) { return std::min(std::max(v, 0), hi); }

TEST(PixelProperties, RandomFillsStayInsideAndFillWholeRectangles) {
  Random random(20240611u);
  for (int round = 0; round < 3000; ++round) {
    const int stride = random.Between(1, 48), rows = random.Between(1, 40);
    const int windowWidth = random.Between(0, 64), windowHeight = random.Between(0, 56);
    TestFrame canvas(stride, rows, windowWidth, windowHeight, windowWidth, windowHeight);
    int x0 = random.Coordinate(), y0 = random.Coordinate();
    int x1 = random.Coordinate(), y1 = random.Coordinate();
    FillPixelRect(x0, y0, x1, y1, kMarkerBlue);

    SCOPED_TRACE(::testing::Message() << "round " << round << ": (" << x0 << ", " << y0 << ") to (" << x1 << ", " << y1
                                      << ") window " << windowWidth << "x" << windowHeight << " buffer " << stride
                                      << "x" << rows);
    ASSERT_TRUE(canvas.GuardsIntact());
    // Ordered corners clamped to the window's size, bound included, and to
    // the frame buffer's last column and row.
    if (x0 > x1) std::swap(x0, x1);
    if (y0 > y1) std::swap(y0, y1);
    const int right = std::min(windowWidth, stride - 1), bottom = std::min(windowHeight, rows - 1);
    x0 = Clamp(x0, right);
    x1 = Clamp(x1, right);
    y0 = Clamp(y0, bottom);
    y1 = Clamp(y1, bottom);

    const std::vector<Pixel> written = canvas.Written();
    ASSERT_EQ(static_cast<long long>(written.size()), static_cast<long long>(x1 - x0 + 1) * (y1 - y0 + 1));
    const Bounds box(written);
    ASSERT_EQ(box.minX, x0);
    ASSERT_EQ(box.maxX, x1);
    ASSERT_EQ(box.minY, y0);
    ASSERT_EQ(box.maxY, y1);
  }
}

TEST(PixelProperties, RandomLinesInsideTheFrameBufferFollowTheClosedForm) {
  Random random(7u);
  for (int round = 0; round < 2000; ++round) {
    const int stride = random.Between(1, 48), rows = random.Between(1, 40);
    const int x0 = random.Between(0, stride - 1), y0 = random.Between(0, rows - 1);
    const int x1 = random.Between(0, stride - 1), y1 = random.Between(0, rows - 1);
    SCOPED_TRACE(::testing::Message() << "(" << x0 << ", " << y0 << ") to (" << x1 << ", " << y1 << ")");

    // Pixel i of N lies i steps from the upper end along the major axis and
    // floor(i * M / N) along the minor one.
    const bool swap = y0 > y1;
    const int sx0 = swap ? x1 : x0, sy0 = swap ? y1 : y0, sx1 = swap ? x0 : x1, sy1 = swap ? y0 : y1;
    const int nx = std::abs(sx1 - sx0) + 1, ny = sy1 - sy0 + 1, dirX = sx1 < sx0 ? -1 : 1;
    const int n = std::max(nx, ny), m = std::min(nx, ny);
    std::vector<Pixel> expected;
    for (int i = 0; i < n; ++i) {
      const int minor = i * m / n;
      expected.push_back(nx > ny ? Pixel{sx0 + dirX * i, sy0 + minor} : Pixel{sx0 + dirX * minor, sy0 + i});
    }
    std::sort(expected.begin(), expected.end());

    for (int reversed = 0; reversed < 2; ++reversed) {
      TestFrame canvas(stride, rows, stride, rows, stride, rows);
      if (reversed)
        DrawPixelLine(x1, y1, x0, y0);
      else
        DrawPixelLine(x0, y0, x1, y1);
      ASSERT_TRUE(canvas.GuardsIntact());
      ASSERT_EQ(canvas.Written(), expected) << (reversed ? "ends reversed" : "");
    }
  }
}

TEST(PixelProperties, RandomClippedSegmentsStayInsideClientAndFrameBuffer) {
  Random random(99u);
  int drawnCount = 0;
  for (int round = 0; round < 8000; ++round) {
    const int stride = random.Between(1, 48), rows = random.Between(1, 40);
    const int clientWidth = random.Between(0, 60), clientHeight = random.Between(0, 50);
    TestFrame canvas(stride, rows, clientWidth + 8, clientHeight + 30, clientWidth, clientHeight);
    const int x0 = random.Coordinate(), y0 = random.Coordinate();
    const int x1 = random.Coordinate(), y1 = random.Coordinate();
    DrawClippedLine(x0, y0, x1, y1);

    SCOPED_TRACE(::testing::Message() << "round " << round << ": (" << x0 << ", " << y0 << ") to (" << x1 << ", " << y1
                                      << ") client " << clientWidth << "x" << clientHeight << " buffer " << stride
                                      << "x" << rows);
    ASSERT_TRUE(canvas.GuardsIntact());
    const std::vector<Pixel> written = canvas.Written();
    const int lastX = std::min(clientWidth, stride) - 1, lastY = std::min(clientHeight, rows) - 1;
    const auto inside = [&](long long x, long long y) { return 1 <= x && x <= lastX && 1 <= y && y <= lastY; };
    for (const Pixel &p : written) {
      ASSERT_TRUE(inside(p.x, p.y)) << p.x << "," << p.y;
      // Truncated candidates and a rounded-down walk keep every pixel
      // within two pixels of the segment.
      const double dx = static_cast<double>(x1) - x0, dy = static_cast<double>(y1) - y0;
      const double length = std::hypot(dx, dy);
      if (length > 0) {
        const double cross = (p.x - static_cast<double>(x0)) * dy - (p.y - static_cast<double>(y0)) * dx;
        ASSERT_LE(std::fabs(cross) / length, 2.0) << p.x << "," << p.y;
      }
      ASSERT_GE(p.x, std::min(x0, x1) - 1LL);
      ASSERT_LE(p.x, std::max(x0, x1) + 1LL);
      ASSERT_GE(p.y, std::min(y0, y1) - 1LL);
      ASSERT_LE(p.y, std::max(y0, y1) + 1LL);
    }
    if (written.empty()) {
      ASSERT_FALSE(inside(x0, y0) && inside(x1, y1));
      continue;
    }
    ++drawnCount;
    // One line: N = max(|dx|, |dy|) + 1 pixels between its two ends, one
    // per column or row of its major axis.
    const Bounds box(written);
    ASSERT_EQ(static_cast<long long>(written.size()), std::max(box.Width(), box.Height()));
    std::set<int> columns, rowsSeen;
    for (const Pixel &p : written) {
      columns.insert(p.x);
      rowsSeen.insert(p.y);
    }
    ASSERT_EQ(static_cast<long long>(columns.size()), box.Width());
    ASSERT_EQ(static_cast<long long>(rowsSeen.size()), box.Height());
    if (inside(x0, y0) && inside(x1, y1)) {
      ASSERT_EQ(static_cast<long long>(written.size()),
                std::max(std::llabs(static_cast<long long>(x1) - x0), std::llabs(static_cast<long long>(y1) - y0)) + 1);
      ASSERT_EQ(canvas.At(x0, y0), kLineRed);
      ASSERT_EQ(canvas.At(x1, y1), kLineRed);
    }
  }
  EXPECT_GT(drawnCount, 600);  // the sample reaches the interesting cases
}

}  // namespace
