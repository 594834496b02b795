// The fixture of every conformance test: the same test builds against the
// stand-in (headless and SDL2 backends) and against the real SDK (run
// under Wine), and passes on each, unless the table below marks it as a
// known gap of one of them, with the reason. The table is the one place
// for such marks. A marked test still runs there and must fail: its
// failures are reported as known, and the test fails only when it passes,
// so that a gap that closes is noticed and its mark removed (Wine's
// todo_wine works so).
#ifndef VELMORA_TESTS_PLATFORM_CONFORMANCE_H
#define VELMORA_TESTS_PLATFORM_CONFORMANCE_H

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace test {

// Where the suite runs: "windows" (the real SDK, under Wine here),
// "headless" or "sdl" (the stand-in with that backend).
inline const char *Platform() {
#ifdef _WIN32
  return "windows";
#else
  const char *backend = std::getenv("VELMORA_BACKEND");
  return backend != nullptr && std::strcmp(backend, "headless") == 0 ? "headless" : "sdl";
#endif
}

struct Gap {
  const char *test;      // Suite.Name
  const char *platform;  // as Platform() says
  const char *reason;
};

// clang-format off
constexpr Gap kGaps[] = {
  {"Tick.MovesInStepsOfTheSystemTimer", "headless",
   "the headless backend's clock is virtual: it moves only when a test moves it"},
  {"Tick.KeepsPaceWithRealTime", "headless",
   "the headless backend's clock is virtual: it moves only when a test moves it"},
  {"Tick.MovesInStepsOfTheSystemTimer", "windows",
   "Wine's GetTickCount follows the host's clock, in steps of 1 to 17 ms, not a 64 Hz timer"},
  {"Formatting.UnsignedAndHex", "windows",
   "Wine counts the 0x of '#' for decimal numbers too: %#d of 10 writes two characters past the "
   "terminator and returns 4; the reference page gives '#' to hexadecimal alone"},
  {"Text.DrawsBlackGlyphsOnWhiteCellsFromTheTopLeftCorner", "windows",
   "font glyphs: Wine draws the system font from its own outline font, smoothed, not the bitmap font"},
};
// clang-format on

// The gap that the current test is marked with here, or null.
inline const Gap *CurrentGap() {
  const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string name = std::string(info->test_suite_name()) + "." + info->name();
  for (const Gap &gap : kGaps) {
    if (name == gap.test && std::strcmp(gap.platform, Platform()) == 0) return &gap;
  }
  return nullptr;
}

class Conformance : public ::testing::Test {
 protected:
  void SetUp() override {
    gap_ = CurrentGap();
    if (gap_ != nullptr) {
      known_ = std::make_unique<::testing::ScopedFakeTestPartResultReporter>(
          ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures_);
    }
  }

  void TearDown() override {
    if (gap_ == nullptr) return;
    known_.reset();  // failures from here on count again
    if (failures_.size() == 0) {
      ADD_FAILURE() << "this known gap of " << gap_->platform << " has closed (" << gap_->reason
                    << "): remove its mark in conformance.h";
      return;
    }
    // The line run_conformance.sh reports the known gaps by.
    std::printf("[  KNOWN   ] %s: %s\n", gap_->platform, gap_->reason);
    for (int i = 0; i < failures_.size(); ++i) {
      const ::testing::TestPartResult &failure = failures_.GetTestPartResult(i);
      std::printf("  as known, %s:%d: %s\n", failure.file_name() ? failure.file_name() : "?", failure.line_number(),
                  failure.message());
    }
    std::fflush(stdout);
  }

 private:
  const Gap *gap_ = nullptr;
  ::testing::TestPartResultArray failures_;
  std::unique_ptr<::testing::ScopedFakeTestPartResultReporter> known_;
};

}  // namespace test

#endif
