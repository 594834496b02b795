// Integer pixel routines that write straight into the frame buffer of
// g_app: the filled rectangle, the clipped red line and the line walk it
// hands its clipped ends to. No floating point anywhere here.
#include "raster/pixels.h"

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "raster/colours.h"

namespace {

// Clamps a fill coordinate: first to 0..windowBound as the window's outer
// size allows (the bound itself included), then to the frame buffer's last
// column or row, so that neither a window larger than the desktop nor the
// inclusive bound can reach past the memory behind pixels.
int ClampFillCoordinate(int value, int windowBound, int bufferLast) {
  if (value < 0) value = 0;
  if (value > windowBound) value = windowBound;
  if (value > bufferLast) value = bufferLast;
  if (value < 0) value = 0;  // only a negative window size gets here
  return value;
}

// a * b / c truncated toward zero, exact for every |a| <= |c| of 32-bit
// differences: the magnitudes' product stays below 2^64 where a signed
// 64-bit product of two 33-bit differences would not.
int64_t MulDivTruncated(int64_t a, int64_t b, int64_t c) {
  uint64_t ua = a < 0 ? 0 - static_cast<uint64_t>(a) : static_cast<uint64_t>(a);
  uint64_t ub = b < 0 ? 0 - static_cast<uint64_t>(b) : static_cast<uint64_t>(b);
  uint64_t uc = c < 0 ? 0 - static_cast<uint64_t>(c) : static_cast<uint64_t>(c);
  uint64_t q = ua * ub / uc;
  bool negative = ((a < 0) != (b < 0)) != (c < 0);
  return negative ? -static_cast<int64_t>(q) : static_cast<int64_t>(q);
}

bool Straddles(int64_t a, int64_t edge, int64_t b) { return (a < edge && edge < b) || (b < edge && edge < a); }

struct ClipPoint {
  int64_t x, y;
};

}  // namespace

void FillPixelRect(int x0, int y0, int x1, int y1, DWORD colour) {
  const AppContext *app = g_app;
  if (app->pixels == nullptr || app->pixelStride <= 0 || app->pixelRows <= 0) return;

  if (x0 > x1) {
    int t = x0;
    x0 = x1;
    x1 = t;
  }
  if (y0 > y1) {
    int t = y0;
    y0 = y1;
    y1 = t;
  }

  // Clamping is monotonic, so the corners stay ordered and at least one
  // pixel is always filled.
  x0 = ClampFillCoordinate(x0, app->windowWidth, app->pixelStride - 1);
  y0 = ClampFillCoordinate(y0, app->windowHeight, app->pixelRows - 1);
  x1 = ClampFillCoordinate(x1, app->windowWidth, app->pixelStride - 1);
  y1 = ClampFillCoordinate(y1, app->windowHeight, app->pixelRows - 1);

  const size_t stride = static_cast<size_t>(app->pixelStride);
  const size_t runLength = static_cast<size_t>(x1 - x0) + 1;
  DWORD *first = app->pixels + static_cast<size_t>(y0) * stride + static_cast<size_t>(x0);
  for (size_t i = 0; i < runLength; ++i) first[i] = colour;
  // Every further row is a copy of the first: the library's block copy
  // stores far wider words than a loop of pixel stores, and the clear of the
  // client area runs on every frame.
  DWORD *row = first + stride;
  for (int y = y0 + 1; y <= y1; ++y, row += stride) memcpy(row, first, runLength * sizeof(DWORD));
}

void DrawPixelLine(int x0, int y0, int x1, int y1) {
  if (y0 > y1) {  // always walk downwards, so either order gives one pixel set
    int t = x0;
    x0 = x1;
    x1 = t;
    t = y0;
    y0 = y1;
    y1 = t;
  }
  const int nx = (x1 < x0 ? x0 - x1 : x1 - x0) + 1;
  const int ny = y1 - y0 + 1;
  const ptrdiff_t sx = x1 < x0 ? -1 : 1;
  const ptrdiff_t down = g_app->pixelStride;

  int n, m;
  ptrdiff_t majorStep, minorStep;
  if (nx > ny) {
    n = nx;
    m = ny;
    majorStep = sx;
    minorStep = down;
  } else {
    n = ny;
    m = nx;
    majorStep = down;
    minorStep = sx;
  }

  // An index rather than a pointer: the walk steps once more after the last
  // pixel, which may lie beyond the end of the buffer.
  DWORD *pixels = g_app->pixels;
  ptrdiff_t position = static_cast<ptrdiff_t>(y0) * down + x0;
  int e = n;  // starting at N instead of N/2 rounds the minor offset down
  for (int i = 0; i < n; ++i) {
    pixels[position] = kLineRed;
    e -= m;
    position += majorStep;
    // Masked rather than branched on: the minor steps of a sloping line
    // come in no pattern the processor can predict.
    const ptrdiff_t minor = -static_cast<ptrdiff_t>(e <= 0);  // all ones or zero
    e += n & static_cast<int>(minor);
    position += minorStep & minor;
  }
}

void DrawClippedLine(int x0, int y0, int x1, int y1) {
  const AppContext *app = g_app;
  if (app->pixels == nullptr) return;

  // The open client rectangle cut down to the frame buffer: a client area
  // larger than the frame buffer clips at the frame buffer's last column and
  // row instead, and one under 2 pixels wide or high has no inside at all.
  // With a frame buffer at least as large as the client area these are the
  // client rectangle's own edges.
  int64_t left = app->clientRect.left, top = app->clientRect.top;
  int64_t right = app->clientRect.right, bottom = app->clientRect.bottom;
  if (left < -1) left = -1;
  if (top < -1) top = -1;
  if (right > app->pixelStride) right = app->pixelStride;
  if (bottom > app->pixelRows) bottom = app->pixelRows;

  auto inside = [&](int64_t x, int64_t y) { return left < x && x < right && top < y && y < bottom; };

  ClipPoint found[4];
  int count = 0;
  const bool firstInside = inside(x0, y0);
  const bool secondInside = inside(x1, y1);
  if (firstInside) found[count++] = {x0, y0};
  if (secondInside) found[count++] = {x1, y1};

  if (count < 2) {
    // Every edge candidate comes from the two given ends, in 64 bits.
    const int64_t dx = static_cast<int64_t>(x1) - x0;
    const int64_t dy = static_cast<int64_t>(y1) - y0;
    // With an end inside, the first edge candidate that passes completes the
    // pair. With both ends outside, every candidate is collected: a crossing
    // near a corner can pass two candidates at that corner, and the pair that
    // lies farthest apart is the whole crossing.
    const int wanted = count == 0 ? 4 : 2;
    auto tryCandidate = [&](int64_t x, int64_t y) {
      if (count < wanted && inside(x, y)) found[count++] = {x, y};
    };
    if (Straddles(x0, left, x1)) tryCandidate(left + 1, y0 + MulDivTruncated(left + 1 - x0, dy, dx));
    if (Straddles(x0, right, x1)) tryCandidate(right - 1, y0 + MulDivTruncated(right - 1 - x0, dy, dx));
    if (Straddles(y0, top, y1)) tryCandidate(x0 + MulDivTruncated(top + 1 - y0, dx, dy), top + 1);
    if (Straddles(y0, bottom, y1)) tryCandidate(x0 + MulDivTruncated(bottom - 1 - y0, dx, dy), bottom - 1);
  }
  if (count < 2) return;

  int a = 0, b = 1;
  if (count > 2) {
    // Inside the frame buffer each squared difference stays below 2^62.
    uint64_t best = 0;
    for (int i = 0; i < count; ++i) {
      for (int j = i + 1; j < count; ++j) {
        const int64_t ex = found[j].x - found[i].x, ey = found[j].y - found[i].y;
        const uint64_t d = static_cast<uint64_t>(ex * ex) + static_cast<uint64_t>(ey * ey);
        if (d > best) {
          best = d;
          a = i;
          b = j;
        }
      }
    }
  }
  DrawPixelLine(static_cast<int>(found[a].x), static_cast<int>(found[a].y), static_cast<int>(found[b].x),
                static_cast<int>(found[b].y));
}
