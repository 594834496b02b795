// One frame of the real program against the memory floor, taking turns,
// on every platform the program runs on: the Linux build (on its SDL2
// backend) and the Windows builds (under Wine), without Google Benchmark,
// which MinGW-w64 lacks. It starts the program as RunApplication does, but
// for the loop: the window, the frame buffer and the scene are the
// program's own, then 500 frames of motion, then the motion stops and
// UpdateFrame and a pass of the floor (the clear, the transfer and the
// white fill done with memset and memcpy on the same sizes) take turns,
// 20 of each, over 201 rounds. It prints the median frame, the median
// floor pass and the median of the rounds' ratios.
//   velmora_frame_turns [help|nohelp]   (the help text on or off)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/app_context.h"
#include "app/shell/shell.h"
#include "math/vector_versions.h"
#include "memory_floor.h"
#include "scene/frame.h"
#include "scene/points.h"

namespace {

constexpr int kWarmUpFrames = 500;
constexpr int kRounds = 201, kPassesPerRound = 20;

const char *PlatformName() {
#if defined(_WIN64)
  return "Windows x86-64";
#elif defined(_WIN32)
  return "Windows i686";
#else
  return "Linux x86-64";
#endif
}

// RunApplication's start-up without its console and loop.
bool StartProgram() {
  AppContext &app = *g_app;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = app.classStyle;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = L"MyClass";
  if (RegisterClassExW(&windowClass) == 0) return false;
  app.hwnd = CreateWindowExW(app.exStyle, L"MyClass", app.title, app.windowStyle, app.windowRect.left,
                             app.windowRect.top, app.windowRect.right, app.windowRect.bottom, nullptr, nullptr,
                             nullptr, nullptr);
  if (app.hwnd == nullptr) return false;
  app.desktopHwnd = GetDesktopWindow();
  app.windowDc = GetDC(app.hwnd);
  ShowWindow(app.hwnd, SW_SHOW);
  CreateFrameBuffer();
  if (app.pixels == nullptr || InitScene() != 0) return false;
  app.running = 1;
  return true;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

double Median(std::vector<double> v) {
  std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char **argv) {
  const bool help = !(argc > 1 && std::strcmp(argv[1], "nohelp") == 0);
  if (!StartProgram()) {
    std::fprintf(stderr, "frame_turns: the program did not start\n");
    return 1;
  }
  for (int i = 0; i < kWarmUpFrames; ++i) {
    Pump();
    UpdateFrame();
  }
  g_paused = 1;  // the same scene in every measured frame
  g_showHelp = help ? 1 : 0;
  Pump();

  MemoryFloor floor;
  using Clock = std::chrono::steady_clock;
  auto time = [](auto &&work) {
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kPassesPerRound; ++i) work();
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kPassesPerRound;
  };
  std::vector<double> frames, floors, ratios;
  for (int r = 0; r < kRounds; ++r) {
    double frame = 0, pass = 0;
    // Each goes first in every other round, so neither always finds the
    // caches as the other left them.
    if (r % 2 == 0) {
      frame = time([] { UpdateFrame(); });
      pass = time([&floor] { floor.Pass(); });
    } else {
      pass = time([&floor] { floor.Pass(); });
      frame = time([] { UpdateFrame(); });
    }
    frames.push_back(frame);
    floors.push_back(pass);
    ratios.push_back(frame / pass);
    Pump();
  }
  std::printf("frame_turns: %s, help text %s, %s: frame %.1f us, floor %.1f us, frame / floor %.3f\n",
              PlatformName(), help ? "on" : "off", VectorVersionName(ChosenVectorVersion()), Median(frames),
              Median(floors), Median(ratios));
  std::fflush(stdout);
  DestroyWindow(g_app->hwnd);
  return 0;
}
