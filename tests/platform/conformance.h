// The fixture of every conformance test: the same test builds against the
// stand-in (headless and SDL2 backends) and against the real SDK (run
// under Wine), and passes on each, unless the table below marks it for one
// of them, with the reason. The table is the one place for such marks; a
// marked test reports itself skipped there.
#ifndef VELMORA_TESTS_PLATFORM_CONFORMANCE_H
#define VELMORA_TESTS_PLATFORM_CONFORMANCE_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
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
  {"Tick.MovesInStepsOfTheSystemTimer", "windows",
   "Wine's GetTickCount follows the host's clock, in steps of 1 to 17 ms, not a 64 Hz timer"},
  {"Formatting.UnsignedAndHex", "windows",
   "Wine counts the 0x of '#' for decimal numbers too: %#d of 10 writes two characters past the "
   "terminator and returns 4; the reference page gives '#' to hexadecimal alone"},
  {"Text.DrawsBlackGlyphsOnWhiteCellsFromTheTopLeftCorner", "windows",
   "font glyphs: Wine draws the system font from its own outline font, smoothed, not the bitmap font"},
};
// clang-format on

class Conformance : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (const Gap &gap : kGaps) {
      if (name == gap.test && std::strcmp(gap.platform, Platform()) == 0) GTEST_SKIP() << gap.reason;
    }
  }
};

}  // namespace test

#endif
