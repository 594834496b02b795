// One frame of the real program against the memory floor, taking turns,
// on every platform the program runs on: the Linux build (on its SDL2
// backend) and the Windows builds (under Wine), without Google Benchmark,
// which MinGW-w64 lacks. It starts the program as RunApplication does
// (without the console) but drives the loop itself: the window, the frame
// buffer and the scene are the program's own, then 500 frames of motion,
// then the motion stops and UpdateFrame and a pass of the floor (the clear,
// the transfer and the white fill done with memset and memcpy on the same
// sizes) take turns, 20 of each, over 201 rounds. It prints the median
// frame, the median floor pass and the median of the rounds' ratios.
//   velmora_frame_turns [help|nohelp]   (the help text on or off)
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "app/app_context.h"
#include "app/shell/shell.h"
#include "math/vector_versions.h"
#include "memory_floor.h"
#include "scene/frame.h"
#include "scene/points.h"

namespace {

const char *PlatformName() {
#if defined(_WIN64)
  return "Windows x86-64";
#elif defined(_WIN32)
  return "Windows i686";
#else
  return "Linux x86-64";
#endif
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

int main(int argc, char **argv) {
  const bool help = !(argc > 1 && std::strcmp(argv[1], "nohelp") == 0);
  // The figures go to standard output, which the console would take over.
  g_app->useConsole = 0;
  if (!StartApplication() || InitScene() != 0) {
    std::fprintf(stderr, "frame_turns: the program did not start\n");
    return 1;
  }
  g_app->running = 1;
  for (int i = 0; i < kWarmUpFrames; ++i) {
    Pump();
    UpdateFrame();
  }
  g_paused = 1;  // the same scene in every measured frame
  g_showHelp = help ? 1 : 0;
  Pump();

  const Turns turns = TakeTurns(UpdateFrame, Pump);
  std::printf("frame_turns: %s, help text %s, %s: frame %.1f us, floor %.1f us, frame / floor %.3f\n", PlatformName(),
              help ? "on" : "off", VectorVersionName(ChosenVectorVersion()), turns.frameUs, turns.floorUs, turns.ratio);
  std::fflush(stdout);
  DestroyWindow(g_app->hwnd);
  return 0;
}
