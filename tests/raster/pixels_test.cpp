// Worked cases of the pixel routines: fills with their clamping, the line
// walk's rounding, and the clip against an 800 by 600 client area.
#include "raster/pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "raster/colours.h"
#include "support/test_frame.h"

namespace {

using support::Pixel;
using support::TestFrame;

std::vector<Pixel> Row(int y, int fromX, int toX) {
  std::vector<Pixel> out;
  for (int x = fromX; x <= toX; ++x) out.push_back({x, y});
  return out;
}

std::vector<Pixel> Column(int x, int fromY, int toY) {
  std::vector<Pixel> out;
  for (int y = fromY; y <= toY; ++y) out.push_back({x, y});
  return out;
}

std::vector<Pixel> Sorted(std::vector<Pixel> pixels) {
  std::sort(pixels.begin(), pixels.end());
  return pixels;
}

// A window of 800 by 700 outside, 800 by 600 inside, on a larger desktop.
struct DesktopCanvas : TestFrame {
  DesktopCanvas() : TestFrame(1024, 768, 800, 700, 800, 600) {}
};

// ---- FillPixelRect -------------------------------------------------------

TEST(FillPixelRect, ClampsNegativeCornersAndFillsBothCornersIncluded) {
  const int corners[4][4] = {{-2, -3, 8, 7}, {8, 7, -2, -3}, {-2, 7, 8, -3}, {8, -3, -2, 7}};
  for (const auto &c : corners) {
    DesktopCanvas canvas;
    FillPixelRect(c[0], c[1], c[2], c[3], kMarkerBlue);
    std::vector<Pixel> expected;
    for (int y = 0; y <= 7; ++y) {
      for (int x = 0; x <= 8; ++x) expected.push_back({x, y});
    }
    const std::vector<Pixel> written = canvas.Written();
    EXPECT_EQ(written.size(), 72u);
    EXPECT_EQ(written, expected) << c[0] << "," << c[1] << " " << c[2] << "," << c[3];
    EXPECT_EQ(canvas.At(0, 0), kMarkerBlue);
    EXPECT_EQ(canvas.At(8, 7), kMarkerBlue);
    EXPECT_TRUE(canvas.GuardsIntact());
  }
}

TEST(FillPixelRect, PointSquareAndClientClear) {
  {
    DesktopCanvas canvas;
    FillPixelRect(400 - 5, 300 - 5, 400 + 5, 300 + 5, kMarkerBlue);
    const std::vector<Pixel> written = canvas.Written();
    EXPECT_EQ(written.size(), 121u);
    EXPECT_EQ(written.front(), (Pixel{395, 295}));
    EXPECT_EQ(written.back(), (Pixel{405, 305}));
  }
  {
    DesktopCanvas canvas;
    FillPixelRect(0, 0, 800 - 1, 600 - 1, kBackgroundGrey);
    const std::vector<Pixel> written = canvas.Written();
    EXPECT_EQ(written.size(), 800u * 600u);
    EXPECT_EQ(written.back(), (Pixel{799, 599}));
    EXPECT_EQ(canvas.At(0, 0), kBackgroundGrey);
  }
  {
    // A minimised window's clear still writes its one pixel.
    TestFrame canvas(1024, 768, 160, 28, 0, 0);
    FillPixelRect(0, 0, -1, -1, kBackgroundGrey);
    EXPECT_EQ(canvas.Written(), (std::vector<Pixel>{{0, 0}}));
    EXPECT_EQ(canvas.At(0, 0), kBackgroundGrey);
  }
}

TEST(FillPixelRect, RectanglesOutsideCollapseOntoTheBounds) {
  struct Case {
    int x0, y0, x1, y1;
    std::vector<Pixel> expected;
  };
  const Case cases[] = {
      {-20, 10, -5, 20, Column(0, 10, 20)},     // left of column 0
      {900, 10, 950, 20, Column(800, 10, 20)},  // right of the window: column windowWidth
      {30, -40, 35, -1, Row(0, 30, 35)},        // above row 0
      {30, 701, 35, 5000, Row(700, 30, 35)},    // below the window: row windowHeight
      {-9, -9, -1, -1, {{0, 0}}},               // above and left
      {2000, 2000, 900, 900, {{800, 700}}},     // below and right, corners swapped
  };
  for (const Case &c : cases) {
    DesktopCanvas canvas;
    FillPixelRect(c.x0, c.y0, c.x1, c.y1, kMarkerBlue);
    EXPECT_EQ(canvas.Written(), c.expected) << c.x0 << "," << c.y0 << " " << c.x1 << "," << c.y1;
    EXPECT_TRUE(canvas.GuardsIntact());
  }
}

TEST(FillPixelRect, StaysInsideAFrameBufferNoLargerThanTheWindow) {
  // The window's inclusive bound is column 64 / row 48, one past the frame
  // buffer; a window larger than the desktop reaches further still.
  const int windows[][2] = {{64, 48}, {100, 90}};
  for (const auto &w : windows) {
    TestFrame canvas(64, 48, w[0], w[1], w[0], w[1]);
    FillPixelRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX, kMarkerBlue);
    EXPECT_EQ(canvas.Written().size(), 64u * 48u);
    EXPECT_TRUE(canvas.GuardsIntact());
  }
  {
    TestFrame canvas(64, 48, 64, 48, 64, 48);
    FillPixelRect(70, 50, 90, 60, kMarkerBlue);  // collapses onto the last pixel
    EXPECT_EQ(canvas.Written(), (std::vector<Pixel>{{63, 47}}));
    EXPECT_TRUE(canvas.GuardsIntact());
  }
  {
    // No frame buffer yet: a write would go through the null pointer and
    // end the test.
    TestFrame canvas(0, 0, 800, 700, 800, 600);
    FillPixelRect(0, 0, 799, 599, kMarkerBlue);
  }
}

// ---- DrawPixelLine -------------------------------------------------------

TEST(DrawPixelLine, MinorOffsetIsRoundedDown) {
  const std::vector<Pixel> oneRow = {{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}};
  const std::vector<Pixel> twoRows = {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}};
  struct Case {
    int x0, y0, x1, y1;
    const std::vector<Pixel> &expected;
  };
  const Case cases[] = {{0, 0, 4, 1, oneRow}, {4, 1, 0, 0, oneRow}, {0, 0, 4, 2, twoRows}, {4, 2, 0, 0, twoRows}};
  for (const Case &c : cases) {
    TestFrame canvas(16, 8, 16, 8, 16, 8);
    DrawPixelLine(c.x0, c.y0, c.x1, c.y1);
    EXPECT_EQ(canvas.Written(), Sorted(c.expected)) << c.x0 << "," << c.y0 << " " << c.x1 << "," << c.y1;
    EXPECT_EQ(canvas.At(c.x0, c.y0), kLineRed);
    EXPECT_TRUE(canvas.GuardsIntact());
  }
  {
    // Steep: the roles of the axes swap, the column offset rounds down.
    TestFrame canvas(16, 8, 16, 8, 16, 8);
    DrawPixelLine(3, 4, 4, 0);
    EXPECT_EQ(canvas.Written(), (std::vector<Pixel>{{4, 0}, {4, 1}, {4, 2}, {3, 3}, {3, 4}}));
  }
}

TEST(DrawPixelLine, PointsHorizontalsVerticalsAndDiagonals) {
  struct Case {
    int x0, y0, x1, y1;
    std::vector<Pixel> expected;
  };
  const Case cases[] = {
      {5, 5, 5, 5, {{5, 5}}},
      {9, 3, 2, 3, Row(3, 2, 9)},
      {0, 7, 0, 0, Column(0, 0, 7)},
      {15, 0, 15, 7, Column(15, 0, 7)},
      {0, 0, 7, 7, {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}}},
      {15, 0, 8, 7, {{15, 0}, {14, 1}, {13, 2}, {12, 3}, {11, 4}, {10, 5}, {9, 6}, {8, 7}}},
  };
  for (const Case &c : cases) {
    TestFrame canvas(16, 8, 16, 8, 16, 8);
    DrawPixelLine(c.x0, c.y0, c.x1, c.y1);
    EXPECT_EQ(canvas.Written(), c.expected) << c.x0 << "," << c.y0 << " " << c.x1 << "," << c.y1;
    EXPECT_TRUE(canvas.GuardsIntact());
  }
}

// ---- DrawClippedLine -----------------------------------------------------

struct ClipCase {
  int x0, y0, x1, y1;
  bool drawn;
  Pixel from, to;  // the two points collected, when drawn
  size_t pixels;
};

// Draws the segment, and separately the line between the points it should
// have collected, and compares the two frame buffers.
void ExpectClip(const ClipCase &c, TestFrame &canvas, TestFrame &reference) {
  SCOPED_TRACE(::testing::Message() << "(" << c.x0 << ", " << c.y0 << ") to (" << c.x1 << ", " << c.y1 << ")");
  DrawClippedLine(c.x0, c.y0, c.x1, c.y1);
  const std::vector<Pixel> written = canvas.Written();
  EXPECT_TRUE(canvas.GuardsIntact());
  if (!c.drawn) {
    EXPECT_TRUE(written.empty());
    return;
  }
  EXPECT_EQ(written.size(), c.pixels);
  EXPECT_EQ(canvas.At(c.from.x, c.from.y), kLineRed);
  EXPECT_EQ(canvas.At(c.to.x, c.to.y), kLineRed);
  g_app = &reference.app();
  DrawPixelLine(c.from.x, c.from.y, c.to.x, c.to.y);
  g_app = &canvas.app();
  EXPECT_EQ(written, reference.Written());
}

void ExpectClipOn800By600(const ClipCase &c) {
  DesktopCanvas reference;
  DesktopCanvas canvas;  // constructed last: g_app points at it
  ExpectClip(c, canvas, reference);
}

TEST(DrawClippedLine, WorkedExamplesOnAn800By600Client) {
  const ClipCase cases[] = {
      {100, 100, 200, 150, true, {100, 100}, {200, 150}, 101},
      {-50, 100, 900, 100, true, {1, 100}, {799, 100}, 799},
      {300, -10, 300, 700, true, {300, 1}, {300, 599}, 599},
      {100, 100, -100, 300, true, {100, 100}, {1, 199}, 100},
      {100, 300, -101, 100, true, {100, 300}, {1, 202}, 100},  // -98.5 truncates to -98
      {-10, -10, 810, 610, true, {4, 1}, {795, 599}, 792},
      {0, 100, 200, 100, false, {}, {}, 0},
      {5, 5, 5, 5, true, {5, 5}, {5, 5}, 1},
      {0, 0, 0, 0, false, {}, {}, 0},
  };
  for (const ClipCase &c : cases) ExpectClipOn800By600(c);
}

TEST(DrawClippedLine, EdgesAreCrossedOneColumnOrRowInside) {
  const ClipCase cases[] = {
      {400, 300, -1000, 300, true, {400, 300}, {1, 300}, 400},
      {400, 300, 1000, 300, true, {400, 300}, {799, 300}, 400},
      {400, 300, 400, -50, true, {400, 300}, {400, 1}, 300},
      {400, 300, 400, 1000, true, {400, 300}, {400, 599}, 300},
      {799, 599, 1, 1, true, {799, 599}, {1, 1}, 799},  // ends on the last column and row
      {0, 10, 0, 500, false, {}, {}, 0},                // along the left edge line
      {10, 600, 500, 600, false, {}, {}, 0},            // along the bottom edge line
      {800, -5, 800, 700, false, {}, {}, 0},            // along the right edge line
      {-100, -100, -10, 700, false, {}, {}, 0},         // wholly outside
      {-3, 3, 3, -3, false, {}, {}, 0},                 // cuts the corner outside
      {700, 700, 700, 700, false, {}, {}, 0},           // a point outside
  };
  for (const ClipCase &c : cases) ExpectClipOn800By600(c);
}

TEST(DrawClippedLine, CrossingNearACornerDrawsTheWholeCrossing) {
  const ClipCase cases[] = {
      // Left and top both pass at (1, 1); bottom at (599, 599).
      {-5, -5, 700, 700, true, {1, 1}, {599, 599}, 599},
      {700, 700, -5, -5, true, {599, 599}, {1, 1}, 599},
      // Products beyond 32 bits: left and top at (1, 1), right misses below.
      {INT_MIN, INT_MIN, INT_MAX, INT_MAX, true, {1, 1}, {599, 599}, 599},
      {INT_MIN, 300, INT_MAX, 300, true, {1, 300}, {799, 300}, 799},
      {INT_MIN, 0, INT_MAX, 600, true, {1, 300}, {799, 300}, 799},
  };
  for (const ClipCase &c : cases) ExpectClipOn800By600(c);

  // A square client: all four candidates pass, at two opposite corners.
  for (int flip = 0; flip < 2; ++flip) {
    TestFrame reference(1024, 768, 620, 640, 600, 600);
    TestFrame canvas(1024, 768, 620, 640, 600, 600);
    const ClipCase c = flip ? ClipCase{605, 605, -5, -5, true, {1, 1}, {599, 599}, 599}
                            : ClipCase{-5, -5, 605, 605, true, {1, 1}, {599, 599}, 599};
    ExpectClip(c, canvas, reference);
  }
}

TEST(DrawClippedLine, DegenerateClientAreasNeverLeaveTheFrameBuffer) {
  const int segments[][4] = {{-10, -10, 810, 610}, {-50, 5, 900, -5}, {-10, 50, 10, 60},
                             {-5, -5, 700, 700},   {0, -10, 0, 700},  {400, -1, 400, 1},
                             {0, 0, 0, 0},         {1, 1, 1, 1},      {-1, 0, 1, 0}};
  // Minimised, title bar only (full width, height 0), and one pixel wide or
  // high: no column or row lies strictly inside.
  const int clients[][2] = {{0, 0}, {800, 0}, {0, 600}, {1, 600}, {800, 1}, {1, 1}};
  for (const auto &client : clients) {
    for (const auto &s : segments) {
      TestFrame canvas(1024, 768, 800, 700, client[0], client[1]);
      DrawClippedLine(s[0], s[1], s[2], s[3]);
      EXPECT_TRUE(canvas.Written().empty()) << client[0] << "x" << client[1];
      EXPECT_TRUE(canvas.GuardsIntact()) << client[0] << "x" << client[1];
    }
  }
  {
    // Two columns wide: column 1 is the inside.
    TestFrame reference(1024, 768, 20, 700, 2, 600);
    TestFrame canvas(1024, 768, 20, 700, 2, 600);
    ExpectClip({1, -10, 1, 700, true, {1, 1}, {1, 599}, 599}, canvas, reference);
  }
}

TEST(DrawClippedLine, ClientLargerThanTheFrameBufferClipsAtItsLastColumnAndRow) {
  const ClipCase cases[] = {
      {-50, 100, 900, 100, true, {1, 100}, {399, 100}, 399},
      {300, -10, 300, 700, true, {300, 1}, {300, 299}, 299},
      {100, 100, 600, 100, true, {100, 100}, {399, 100}, 300},
      {100, 100, 100, 550, true, {100, 100}, {100, 299}, 200},
      {500, 500, 600, 550, false, {}, {}, 0},
  };
  for (const ClipCase &c : cases) {
    TestFrame reference(400, 300, 800, 700, 800, 600);
    TestFrame canvas(400, 300, 800, 700, 800, 600);
    ExpectClip(c, canvas, reference);
  }
  {
    // No frame buffer yet: a write would go through the null pointer and
    // end the test.
    TestFrame canvas(0, 0, 800, 700, 800, 600);
    DrawClippedLine(100, 100, 200, 150);
  }
}

}  // namespace
