// Geometry of desktop, window and client area, the frame buffer made from
// the desktop's size, and the presentation of a frame with its FPS line.
#include <gtest/gtest.h>
#include <velmora/headless.h>

#include <cwchar>

#include "app/app_context.h"
#include "support/program.h"

namespace {

namespace hl = velmora::headless;
using support::RunSteps;

// WHITENESS sets every bit of a frame buffer word, the unused top byte too.
constexpr DWORD kWhite = 0xFFFFFFFF;
// Marks set in the frame buffer before a present, told apart from each
// other and from the fills.
constexpr DWORD kMarkA = 0xFA0000, kMarkB = 0x00FA00, kMarkC = 0x0000FA;
constexpr DWORD kBlack = 0x000000;

DWORD &FramePixel(int x, int y) { return g_app->pixels[y * g_app->pixelStride + x]; }

struct FrameBufferIdentity {
  HDC memoryDc;
  HBITMAP dibBitmap;
  DWORD *pixels;
  int pixelStride;
  int pixelRows;
};

FrameBufferIdentity CurrentFrameBuffer() {
  return {g_app->memoryDc, g_app->dibBitmap, g_app->pixels, g_app->pixelStride, g_app->pixelRows};
}

void ExpectSameFrameBuffer(const FrameBufferIdentity &before) {
  EXPECT_EQ(g_app->memoryDc, before.memoryDc);
  EXPECT_EQ(g_app->dibBitmap, before.dibBitmap);
  EXPECT_EQ(g_app->pixels, before.pixels);
  EXPECT_EQ(g_app->pixelStride, before.pixelStride);
  EXPECT_EQ(g_app->pixelRows, before.pixelRows);
}

// A run in which one step does all the work between two frames.
int RunOneStep(support::Step step) { return RunSteps({step, support::PressEscape}); }

// Presents with the overlay on, the clock at now, the text as it stands.
void PresentAt(DWORD now) {
  hl::SetTick(now);
  PresentFrame();
}

}  // namespace

TEST(WindowGeometry, FirstShowFillsTheRecordAndTheFrameBufferHasTheDesktopSize) {
  const int exitCode = RunOneStep([] {
    const AppContext &app = *g_app;
    EXPECT_EQ(app.desktopRect.right - app.desktopRect.left, 1280);
    EXPECT_EQ(app.desktopWidth, 1280);
    EXPECT_EQ(app.desktopHeight, 1024);
    EXPECT_EQ(app.desktopCenterX, app.desktopRect.left + 640);
    EXPECT_EQ(app.desktopCenterY, app.desktopRect.top + 512);
    EXPECT_EQ(app.windowRect.left, 50);
    EXPECT_EQ(app.windowRect.top, 50);
    EXPECT_EQ(app.windowWidth, 800);
    EXPECT_EQ(app.windowHeight, 700);
    EXPECT_EQ(app.windowCenterX, 450);
    EXPECT_EQ(app.windowCenterY, 400);
    EXPECT_EQ(app.clientRect.left, 0);
    EXPECT_EQ(app.clientRect.top, 0);
    EXPECT_EQ(app.clientWidth, 792);
    EXPECT_EQ(app.clientHeight, 673);
    EXPECT_EQ(app.halfClientWidth, 396);
    EXPECT_EQ(app.halfClientHeight, 336);
    // The client area's top-left corner on the screen: inside the frame.
    EXPECT_GT(app.dcOrigin.x, 50);
    EXPECT_GT(app.dcOrigin.y, 50);

    const BITMAPINFOHEADER &h = app.bitmapInfo.bmiHeader;
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 1280);
    EXPECT_EQ(h.biHeight, -1024);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 32);
    EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(h.biSizeImage, 0u);
    EXPECT_EQ(h.biXPelsPerMeter, 5000);
    EXPECT_EQ(h.biYPelsPerMeter, 5000);
    EXPECT_EQ(h.biClrUsed, 0u);
    EXPECT_EQ(h.biClrImportant, 0u);
    EXPECT_NE(app.memoryDc, nullptr);
    EXPECT_NE(app.dibBitmap, nullptr);
    EXPECT_NE(app.pixels, nullptr);
    EXPECT_EQ(app.pixelStride, 1280);
    EXPECT_EQ(app.pixelRows, 1024);
  });
  EXPECT_EQ(exitCode, 0);
}

TEST(WindowGeometry, ResizeMoveAndMinimiseKeepTheFrameBuffer) {
  FrameBufferIdentity made{};
  const int exitCode = RunSteps({
      [&] {
        made = CurrentFrameBuffer();
        // Odd client sizes: 801 by 601 from a frame of 8 by 27.
        hl::ResizeWindow(809, 628);
        EXPECT_EQ(g_app->clientWidth, 801);
        EXPECT_EQ(g_app->clientHeight, 601);
        EXPECT_EQ(g_app->halfClientWidth, 400);
        EXPECT_EQ(g_app->halfClientHeight, 300);
        EXPECT_EQ(g_app->windowWidth, 809);
        ExpectSameFrameBuffer(made);
      },
      [&] {
        const AppContext before = *g_app;
        hl::MoveWindowTo(100, 120);
        EXPECT_EQ(g_app->windowRect.left, 100);
        EXPECT_EQ(g_app->windowRect.top, 120);
        EXPECT_EQ(g_app->windowCenterX, 100 + 809 / 2);
        EXPECT_EQ(g_app->windowCenterY, 120 + 628 / 2);
        EXPECT_EQ(g_app->windowWidth, before.windowWidth);
        EXPECT_EQ(g_app->windowHeight, before.windowHeight);
        EXPECT_EQ(g_app->clientWidth, before.clientWidth);
        EXPECT_EQ(g_app->clientHeight, before.clientHeight);
        EXPECT_EQ(g_app->halfClientWidth, before.halfClientWidth);
        EXPECT_EQ(g_app->halfClientHeight, before.halfClientHeight);
        ExpectSameFrameBuffer(made);
      },
      [&] {
        hl::Minimize();
        EXPECT_EQ(g_app->clientWidth, 0);
        EXPECT_EQ(g_app->clientHeight, 0);
        EXPECT_EQ(g_app->halfClientWidth, 0);
        EXPECT_EQ(g_app->halfClientHeight, 0);
        ExpectSameFrameBuffer(made);
      },
      [] {},  // a frame drawn while minimised
      [&] {
        hl::Restore();
        EXPECT_EQ(g_app->clientWidth, 801);
        hl::ResizeWindow(1200, 1000);
        EXPECT_EQ(g_app->windowWidth, 1200);
        ExpectSameFrameBuffer(made);
      },
      [&] {
        // A desktop that grows later is measured, but the frame buffer
        // keeps describing the memory it has.
        hl::SetDesktopSize(1600, 1200);
        hl::MoveWindowTo(10, 10);
        EXPECT_EQ(g_app->desktopWidth, 1600);
        EXPECT_EQ(g_app->desktopHeight, 1200);
        ExpectSameFrameBuffer(made);
        EXPECT_EQ(g_app->pixelStride, 1280);
        EXPECT_EQ(g_app->pixelRows, 1024);
      },
      support::PressEscape,
  });
  EXPECT_EQ(exitCode, 0);
}

// The desktop at start is smaller than the window, later the window grows
// further: every frame is drawn, copied and cleared in a frame buffer of
// 640 by 480. The sanitizer build reports any write outside it.
TEST(FrameBufferBounds, AWindowLargerThanTheFrameBufferWritesNothingOutsideIt) {
  hl::SetDesktopSize(640, 480);
  FrameBufferIdentity made{};
  std::vector<support::Step> steps = {
      [&] {
        made = CurrentFrameBuffer();
        EXPECT_EQ(made.pixelStride, 640);
        EXPECT_EQ(made.pixelRows, 480);
        EXPECT_GT(g_app->windowWidth, 640);
        EXPECT_GT(g_app->windowHeight, 480);
        g_app->showFps = 1;
        hl::SetTickPerPoll(700);
      },
      [] { hl::ResizeWindow(1900, 1500); },
      [] { hl::MouseMove(1800, 1400); },
      [] { hl::LeftButton(true, 1800, 1400); },
      [] { hl::MouseMove(10, 10); },
      [] { hl::Expose(); },
  };
  steps = support::Then(steps, support::Idle(10));
  steps.push_back([&] {
    ExpectSameFrameBuffer(made);
    EXPECT_EQ(g_app->windowWidth, 1900);
    EXPECT_EQ(g_app->desktopWidth, 640);
    support::PressEscape();
  });
  EXPECT_EQ(RunSteps(steps), 0);
  EXPECT_GT(hl::PresentCount(), 10u);
}

TEST(PresentFrame, CopiesTheWindowSizedCornerAndClearsItToWhite) {
  const int exitCode = RunOneStep([] {
    ASSERT_EQ(g_app->showFps, 0);
    FramePixel(5, 5) = kMarkA;
    FramePixel(791, 672) = kMarkB;  // last pixel of the client area
    FramePixel(799, 699) = kMarkC;  // last pixel of the window's size
    FramePixel(800, 0) = 0x123456;  // beyond the window's size
    FramePixel(0, 700) = 0x123456;
    const uint64_t presented = hl::PresentCount();
    PresentFrame();
    EXPECT_EQ(hl::PresentCount(), presented + 1);
    const hl::Image &shown = hl::LastPresented();
    ASSERT_EQ(shown.width, 792);
    ASSERT_EQ(shown.height, 673);
    EXPECT_EQ(shown.At(5, 5), kMarkA);
    EXPECT_EQ(shown.At(791, 672), kMarkB);
    EXPECT_EQ(FramePixel(5, 5), kWhite);
    EXPECT_EQ(FramePixel(791, 672), kWhite);
    EXPECT_EQ(FramePixel(799, 699), kWhite);
    EXPECT_EQ(FramePixel(800, 0), 0x123456u);
    EXPECT_EQ(FramePixel(0, 700), 0x123456u);
  });
  EXPECT_EQ(exitCode, 0);
}

TEST(PresentFrame, FpsLineIsDrawnAtTenTenInTheSameFrame) {
  const int exitCode = RunOneStep([] {
    PresentFrame();  // leaves the frame buffer white
    g_app->showFps = 1;
    PresentFrame();
    const hl::Image &shown = hl::LastPresented();
    int inside = 0;
    int outside = 0;
    for (int y = 0; y < 60; ++y) {
      for (int x = 0; x < 200; ++x) {
        if (shown.At(x, y) == kBlack) {
          (x >= 10 && y >= 10 && y < 10 + 20 ? inside : outside) += 1;
        }
      }
    }
    EXPECT_GT(inside, 0) << "no glyphs of \"FPS: \"";
    EXPECT_EQ(outside, 0) << "text above or left of (10, 10)";
    g_app->showFps = 0;
  });
  EXPECT_EQ(exitCode, 0);
}

TEST(PresentFrame, FpsCountsOverMoreThanTwoSecondsAndHalves) {
  const int exitCode = RunOneStep([] {
    AppContext &app = *g_app;
    EXPECT_STREQ(app.fpsText, L"FPS: ");
    const DWORD start = 50000;
    app.fpsTick = start;
    app.frameCount = 0;
    app.showFps = 1;

    for (int i = 0; i < 9; ++i) {
      PresentAt(start + 100);
    }
    EXPECT_EQ(app.frameCount, 9);
    PresentAt(start + 2000);  // exactly 2000 ms: nothing yet
    EXPECT_EQ(app.frameCount, 10);
    EXPECT_EQ(app.fpsTick, start);
    EXPECT_STREQ(app.fpsText, L"FPS: ");

    PresentAt(start + 2001);  // the eleventh frame ends the interval
    EXPECT_STREQ(app.fpsText, L"FPS:  5  ");
    EXPECT_EQ(app.frameCount, 0);
    EXPECT_EQ(app.fpsTick, start + 2001);

    // Off: neither counted nor timed.
    app.showFps = 0;
    PresentAt(start + 9000);
    PresentAt(start + 9001);
    EXPECT_EQ(app.frameCount, 0);
    EXPECT_EQ(app.fpsTick, start + 2001);
    EXPECT_STREQ(app.fpsText, L"FPS:  5  ");

    // Turned on long after: the first frame updates, with a count of one.
    app.showFps = 1;
    PresentAt(start + 9002);
    EXPECT_STREQ(app.fpsText, L"FPS:  0  ");
    EXPECT_EQ(app.fpsTick, start + 9002);

    // The difference is taken modulo 2^32 and compared signed: across the
    // wrap it still counts, and a tick before fpsTick never does.
    app.fpsTick = 0xFFFFFF00u;
    app.frameCount = 3;
    PresentAt(0xFFFFFF00u + 2001u);
    EXPECT_STREQ(app.fpsText, L"FPS:  2  ");
    app.fpsTick = 0x80000000u;
    app.frameCount = 0;
    PresentAt(0x10u);
    EXPECT_EQ(app.frameCount, 1);
    EXPECT_EQ(app.fpsTick, 0x80000000u);
    app.showFps = 0;
  });
  EXPECT_EQ(exitCode, 0);
}
