// The application record and the start tick as static initialisation leaves
// them, before anything else of the program runs.
#include "app/app_context.h"

#include <gtest/gtest.h>
#include <velmora/headless.h>

#include <cstring>
#include <cwchar>
#include <new>

namespace hl = velmora::headless;

// Keeps a replaced record reachable, so that the leak checker does not
// count it: the program never frees its record either.
AppContext *g_replacedRecord = nullptr;

namespace {

void ExpectRect(const RECT &r, LONG left, LONG top, LONG right, LONG bottom) {
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.right, right);
  EXPECT_EQ(r.bottom, bottom);
}

void ExpectDefaults(const AppContext &app) {
  EXPECT_EQ(app.hwnd, nullptr);
  ASSERT_NE(app.title, nullptr);
  EXPECT_STREQ(app.title, L"VELMORA");
  EXPECT_EQ(app.waitForMessages, 0);
  EXPECT_EQ(app.classStyle, 3u);
  EXPECT_EQ(app.exStyle, 0x40000u);
  EXPECT_EQ(app.windowStyle, 0xCF0000u);
  EXPECT_EQ(app.running, 0);
  EXPECT_EQ(app.showFps, 0);
  EXPECT_EQ(app.frameCount, 0);
  EXPECT_STREQ(app.fpsText, L"FPS: ");
  ExpectRect(app.windowRect, 50, 50, 800, 700);
  ExpectRect(app.clientRect, 0, 0, 800, 600);
  EXPECT_EQ(app.reserved0, 0);
  EXPECT_EQ(app.reserved1, 0);
  EXPECT_EQ(app.useConsole, 1);
  EXPECT_EQ(app.memoryDc, nullptr);
  EXPECT_EQ(app.dibBitmap, nullptr);
}

// Every field that gets its first value only from a later step.
void ExpectCleared(const AppContext &app) {
  EXPECT_EQ(app.windowDc, nullptr);
  EXPECT_EQ(app.instance, nullptr);
  EXPECT_EQ(app.commandLine, nullptr);
  EXPECT_EQ(app.showCommand, 0);
  EXPECT_EQ(app.desktopHwnd, nullptr);
  ExpectRect(app.desktopRect, 0, 0, 0, 0);
  EXPECT_EQ(app.desktopCenterX | app.desktopCenterY | app.windowCenterX | app.windowCenterY, 0);
  EXPECT_EQ(app.halfClientWidth | app.halfClientHeight, 0);
  EXPECT_EQ(app.dcOrigin.x | app.dcOrigin.y, 0);
  EXPECT_EQ(app.desktopWidth | app.desktopHeight, 0);
  EXPECT_EQ(app.windowWidth | app.windowHeight, 0);
  EXPECT_EQ(app.clientWidth | app.clientHeight, 0);
  const unsigned char *info = reinterpret_cast<const unsigned char *>(&app.bitmapInfo);
  for (size_t i = 0; i < sizeof(app.bitmapInfo); ++i) {
    ASSERT_EQ(info[i], 0) << "bitmapInfo byte " << i;
  }
  EXPECT_EQ(app.pixels, nullptr);
  EXPECT_EQ(app.pixelStride, 0);
  EXPECT_EQ(app.pixelRows, 0);
  // Nothing past the last field is left over either: the fpsText tail.
  for (size_t i = std::wcslen(app.fpsText); i < 40; ++i) {
    ASSERT_EQ(app.fpsText[i], 0) << "fpsText character " << i;
  }
}

}  // namespace

TEST(AppContext, StaticInitialisationMadeTheRecordAndTheStartTick) {
  ASSERT_NE(g_app, nullptr);
  ExpectDefaults(*g_app);
  ExpectCleared(*g_app);
  EXPECT_EQ(g_app->fpsTick, hl::kStartTick);
  EXPECT_EQ(g_lastStepTick, hl::kStartTick);
}

TEST(AppContext, ARemadeRecordIsClearedEvenOnReusedMemory) {
  // Leave a dirty block of the record's size for the allocator to hand out
  // again (under AddressSanitizer fresh blocks come pre-filled instead).
  void *dirty = ::operator new(sizeof(AppContext));
  std::memset(dirty, 0xA5, sizeof(AppContext));
  ::operator delete(dirty);

  hl::SetTick(123456);
  g_replacedRecord = g_app;
  CreateAppContext();
  ASSERT_NE(g_app, nullptr);
  EXPECT_NE(g_app, g_replacedRecord);
  ExpectDefaults(*g_app);
  ExpectCleared(*g_app);
  EXPECT_EQ(g_app->fpsTick, 123456u);
  // The start tick belongs to the other initializer.
  EXPECT_EQ(g_lastStepTick, hl::kStartTick);
}
