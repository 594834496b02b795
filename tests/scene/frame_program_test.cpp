// Whole frames through the real program: WinMain, its loop and window
// procedure on the headless backend, with input scripted from the poll hook
// and the pictures that reached the window compared with what the scene's
// geometry says they must show.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "app/app_context.h"
#include "expected_picture.h"
#include "math/view.h"
#include "raster/colours.h"
#include "scene/frame.h"
#include "scene/points.h"
#include "support/program.h"
#include "velmora/headless.h"

namespace {

namespace headless = velmora::headless;
using headless::Image;

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int kTextHeight = 16;  // one cell of the system font
constexpr UINT kKey1 = 0x31, kKeyP = 0x50, kKeyF = 0x46;

using support::RunProgram;

// Text is drawn in opaque cells, black on white; no scene colour is either.
bool IsText(uint32_t p) { return p == kBlack || p == kWhite; }

struct TextBox {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// The text written with its cells' top at row top: a solid block of black
// and white pixels from column 10, one cell high.
TextBox FindTextAt(const Image &image, int top) {
  TextBox box{image.width, top, 10, top + kTextHeight};
  for (int y = top; y < top + kTextHeight; ++y)
    for (int x = 0; x < image.width; ++x)
      if (IsText(image.At(x, y))) {
        box.left = std::min(box.left, x);
        box.right = std::max(box.right, x + 1);
      }
  EXPECT_EQ(box.left, 10) << "text at row " << top;
  int nonText = 0, black = 0;
  for (int y = box.top; y < box.bottom; ++y)
    for (int x = box.left; x < box.right; ++x) {
      nonText += !IsText(image.At(x, y));
      black += image.At(x, y) == kBlack;
    }
  EXPECT_EQ(nonText, 0) << "text at row " << top;
  EXPECT_GT(black, 0) << "text at row " << top;
  return box;
}

// The four help lines: rows 35 to 110, one line every 20 rows, each as wide
// as its text ("Click & mousemove - rotate" widest, "F - show FPS" narrowest).
std::vector<TextBox> FindHelpText(const Image &image) {
  std::vector<TextBox> boxes;
  for (int k = 0; k < 4; ++k) boxes.push_back(FindTextAt(image, 35 + 20 * k));
  EXPECT_GT(boxes[3].right, boxes[0].right);
  EXPECT_GT(boxes[0].right, boxes[1].right);
  EXPECT_GT(boxes[1].right, boxes[2].right);
  EXPECT_GT(boxes[2].right, boxes[2].left);
  return boxes;
}

// Every pixel outside the text boxes is the expected scene, and no text
// colour appears outside them.
void ExpectScene(const Image &image, const expected::Picture &scene, const std::vector<TextBox> &text = {}) {
  ASSERT_EQ(image.width, scene.Width());
  ASSERT_EQ(image.height, scene.Height());
  int mismatches = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      bool inText = false;
      for (const TextBox &b : text) inText = inText || b.Contains(x, y);
      if (inText) continue;
      if (image.At(x, y) != scene.At(x, y) && ++mismatches <= 5) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << image.At(x, y) << ", expected "
                      << scene.At(x, y);
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

expected::View StartView(const Image &image) {
  expected::View v;
  v.width = image.width;
  v.height = image.height;
  return v;
}

int Count(const Image &image, uint32_t colour) {
  int n = 0;
  for (uint32_t p : image.pixels) n += p == colour;
  return n;
}

TEST(ProgramFrames, FirstFrameShowsThePlaneTheCubeAndTheHelpText) {
  std::optional<Image> first;
  int code = RunProgram([&](uint64_t) {
    if (!first && headless::PresentCount() > 0) {
      first = headless::LastPresented();
      headless::KeyDown(VK_ESCAPE);
    }
  });
  EXPECT_EQ(code, 0);
  ASSERT_TRUE(first.has_value());
  const Image &image = *first;
  ASSERT_EQ(image.width, g_app->clientRect.right - g_app->clientRect.left);
  ASSERT_EQ(image.height, g_app->clientRect.bottom - g_app->clientRect.top);

  std::vector<TextBox> text = FindHelpText(image);
  expected::Picture scene = expected::SceneAtStart(StartView(image));
  ExpectScene(image, scene, text);
  // The plane z = 0 at depth 8000: a 5-pixel grid of 80 by 80 green pixels
  // from 200 left of the centre to 195 right of it, under the red cube.
  EXPECT_EQ(image.At(image.width / 2, image.height / 2), kSurfaceGreen);
  EXPECT_EQ(image.At(image.width / 2 - 200, image.height / 2), kSurfaceGreen);
  EXPECT_NE(image.At(image.width / 2 + 200, image.height / 2), kSurfaceGreen);
  EXPECT_GT(Count(image, kSurfaceGreen), 6000);
  EXPECT_LE(Count(image, kSurfaceGreen), 6400);
  EXPECT_GT(Count(image, kLineRed), 3000);
  EXPECT_EQ(image.At(image.width - 1, image.height - 1), kBackgroundGrey);
}

TEST(ProgramFrames, KeyOneHidesAndShowsTheHelpText) {
  std::optional<Image> hidden, shown;
  int turns = 0;
  int code = RunProgram([&](uint64_t) {
    ++turns;
    if (turns == 3) headless::KeyDown(kKey1);
    if (turns == 12) {
      hidden = headless::LastPresented();
      headless::KeyDown(kKey1);
    }
    if (turns == 20) {
      shown = headless::LastPresented();
      headless::KeyDown(VK_ESCAPE);
    }
  });
  EXPECT_EQ(code, 0);
  ASSERT_TRUE(hidden && shown);
  EXPECT_EQ(g_showHelp, 1);
  // Without the text the whole client area is the scene.
  EXPECT_EQ(Count(*hidden, kBlack) + Count(*hidden, kWhite), 0);
  ExpectScene(*hidden, expected::SceneAtStart(StartView(*hidden)));
  ExpectScene(*shown, expected::SceneAtStart(StartView(*shown)), FindHelpText(*shown));
}

TEST(ProgramFrames, KeyFShowsTheCounterAboveTheHelpText) {
  std::optional<Image> before, counting, updated;
  int turns = 0;
  int code = RunProgram([&](uint64_t) {
    ++turns;
    if (turns == 3) {
      before = headless::LastPresented();
      headless::KeyDown(kKeyF);
    }
    if (turns == 10) {
      counting = headless::LastPresented();
      headless::AdvanceTick(2100);  // past the counter's 2-second interval
    }
    if (turns == 14) {
      updated = headless::LastPresented();
      headless::KeyDown(VK_ESCAPE);
    }
  });
  EXPECT_EQ(code, 0);
  ASSERT_TRUE(before && counting && updated);
  // No text in rows 10 to 25 before; "FPS: " there once the overlay is on,
  // and the longer "FPS:  n  " after the first interval.
  for (int y = 10; y < 10 + kTextHeight; ++y)
    for (int x = 0; x < before->width; ++x) ASSERT_FALSE(IsText(before->At(x, y))) << x << ", " << y;
  TextBox first = FindTextAt(*counting, 10);
  TextBox later = FindTextAt(*updated, 10);
  EXPECT_GT(later.right, first.right);
  std::vector<TextBox> text = FindHelpText(*counting);
  text.push_back(first);
  // The counter is written over the scene, which is otherwise unchanged.
  ExpectScene(*counting, expected::SceneAtStart(StartView(*counting)), text);
}

// What each presented frame showed and where the points were.
struct Presented {
  Point3 first;
  DWORD lastStep;
  DWORD tick;
  int paused;
  uint64_t picture;  // a hash of the pixels
};

uint64_t HashPixels(const std::vector<uint32_t> &pixels) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (uint32_t p : pixels) {
    for (int i = 0; i < 4; ++i) {
      h ^= (p >> (8 * i)) & 0xFF;
      h *= 1099511628211ull;
    }
  }
  return h;
}

TEST(ProgramFrames, KeyPFreezesTheMotionAndResumingStepsAtOnce) {
  std::vector<Presented> frames;
  headless::SetPresentHook([&](const Image &image) {
    frames.push_back(Presented{g_positions[0], g_lastStepTick, GetTickCount(), g_paused, HashPixels(image.pixels)});
  });
  headless::SetTickPerPoll(4);
  int turns = 0;
  int code = RunProgram([&](uint64_t) {
    ++turns;
    if (turns == 20) headless::KeyDown(kKeyP);
    if (turns == 60) headless::KeyDown(kKeyP);
    if (turns == 80) headless::KeyDown(VK_ESCAPE);
  });
  EXPECT_EQ(code, 0);

  size_t firstPaused = 0, firstResumed = 0;
  for (size_t i = 0; i < frames.size(); ++i) {
    if (!firstPaused && frames[i].paused) firstPaused = i;
    if (firstPaused && !firstResumed && !frames[i].paused) firstResumed = i;
  }
  ASSERT_GT(firstPaused, 0u);
  ASSERT_GT(firstResumed, firstPaused + 5);
  // Moving before: the points stepped.
  EXPECT_NE(frames[0].first.x, frames[firstPaused - 1].first.x);
  // Paused: positions, step tick and picture stay as the last moving frame
  // left them while the clock runs on.
  const Presented &last = frames[firstPaused - 1];
  for (size_t i = firstPaused; i < firstResumed; ++i) {
    EXPECT_EQ(frames[i].first.x, last.first.x) << i;
    EXPECT_EQ(frames[i].first.y, last.first.y) << i;
    EXPECT_EQ(frames[i].first.z, last.first.z) << i;
    EXPECT_EQ(frames[i].lastStep, last.lastStep) << i;
    EXPECT_EQ(frames[i].picture, last.picture) << i;
  }
  EXPECT_GT(frames[firstResumed - 1].tick, last.lastStep + 100);
  // The first frame after resuming steps at once.
  const Presented &resumed = frames[firstResumed];
  EXPECT_EQ(resumed.lastStep, resumed.tick);
  EXPECT_NE(resumed.first.x, last.first.x);
  EXPECT_NE(resumed.picture, last.picture);
}

TEST(ProgramFrames, DragTurnsTheViewAboutYThenX) {
  std::optional<Image> turned;
  int turns = 0;
  int code = RunProgram([&](uint64_t) {
    ++turns;
    if (turns == 3) headless::LeftButton(true, 300, 300);
    if (turns == 6) headless::MouseMove(350, 325);
    if (turns == 9) headless::LeftButton(false, 350, 325);
    // Moves with the button up turn nothing.
    if (turns == 12) headless::MouseMove(100, 100);
    if (turns == 20) {
      turned = headless::LastPresented();
      headless::KeyDown(VK_ESCAPE);
    }
  });
  EXPECT_EQ(code, 0);
  ASSERT_TRUE(turned);
  // 50 pixels right: -10 degrees about y; 25 down: then 5 degrees about x.
  expected::View v = StartView(*turned);
  v.Turn(view_model::TurnY(-10));
  v.Turn(view_model::TurnX(5));
  expected::Picture scene = expected::SceneAtStart(v);
  ExpectScene(*turned, scene, FindHelpText(*turned));
  // The picture did change: the straight-on cube's corner is no longer red.
  expected::Picture straight = expected::SceneAtStart(StartView(*turned));
  int differing = 0;
  for (int y = 0; y < turned->height; ++y)
    for (int x = 0; x < turned->width; ++x) differing += straight.At(x, y) != scene.At(x, y);
  EXPECT_GT(differing, 1000);
}

TEST(ProgramFrames, WheelZoomsBy15PerMessage) {
  std::optional<Image> nearer, farther;
  int turns = 0;
  int code = RunProgram([&](uint64_t) {
    ++turns;
    if (turns == 3) headless::Wheel(-120, 300, 300);  // towards the user: +15
    if (turns == 10) {
      nearer = headless::LastPresented();
      headless::Wheel(360, 300, 300);  // three notches away, still one step: -15
      headless::Wheel(120, 300, 300);
    }
    if (turns == 20) {
      farther = headless::LastPresented();
      headless::KeyDown(VK_ESCAPE);
    }
  });
  EXPECT_EQ(code, 0);
  ASSERT_TRUE(nearer && farther);
  EXPECT_EQ(g_focalLength, 785);
  expected::View v = StartView(*nearer);
  v.focal = 815;
  ExpectScene(*nearer, expected::SceneAtStart(v), FindHelpText(*nearer));
  v.focal = 785;
  ExpectScene(*farther, expected::SceneAtStart(v), FindHelpText(*farther));
}

}  // namespace
