// One frame of the program at its default size, its parts, and the floor
// under it: the memory traffic no frame can avoid (fill the client area,
// copy it to the window, fill the copied window area white) done with
// memset and memcpy on the same sizes. The real start-up runs first: main
// drives WinMain on the headless backend, and the benchmarks run from the
// loop's first poll after 500 frames of motion, with the window, frame
// buffer and scene exactly as the program made them. Each benchmark then
// draws the same scene (the clock stands still, so no step is taken).
// At the end the ratio of a whole frame to the floor is printed twice: from
// the benchmarks' medians, and from frames and floor passes taking turns.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "memory_floor.h"
#include "raster/colours.h"
#include "raster/pixels.h"
#include "scene/frame.h"
#include "scene/quadric.h"
#include "velmora/headless.h"

namespace {

namespace headless = velmora::headless;

constexpr double kTarget = 1.3;

void BM_UpdateFrame(benchmark::State &state) {
  for (auto _ : state) UpdateFrame();
}

void BM_Clear(benchmark::State &state) {
  const int w = g_app->clientWidth, h = g_app->clientHeight;
  for (auto _ : state) FillPixelRect(0, 0, w - 1, h - 1, kBackgroundGrey);
}

void BM_FitQuadric(benchmark::State &state) {
  for (auto _ : state) FitQuadric();
}

void BM_RenderScene(benchmark::State &state) {
  for (auto _ : state) RenderScene();
}

void BM_HelpText(benchmark::State &state) {
  for (auto _ : state) {
    for (int k = 0; k < 4; ++k) {
      TextOutW(g_app->memoryDc, 10, 35 + 20 * k, g_helpLines[k], static_cast<int>(std::wcslen(g_helpLines[k])));
    }
  }
}

void BM_PresentFrame(benchmark::State &state) {
  for (auto _ : state) PresentFrame();
}

void BM_Floor(benchmark::State &state) {
  MemoryFloor floor;
  for (auto _ : state) floor.Pass();
  state.SetBytesProcessed(state.iterations() * floor.Bytes());
}

BENCHMARK(BM_UpdateFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Clear)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FitQuadric)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderScene)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HelpText)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PresentFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Floor)->Unit(benchmark::kMicrosecond);

// Shows every run as usual and keeps each benchmark's time per iteration
// (the median when repetitions are asked for).
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run> &runs) override {
    for (const Run &run : runs) {
      const std::string name = run.run_name.function_name;
      if (run.run_type == Run::RT_Iteration && medians_.count(name) == 0) {
        times_[name] = run.GetAdjustedRealTime();
      } else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        times_[name] = run.GetAdjustedRealTime();
        medians_[name] = true;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  double Time(const std::string &name) const {
    auto it = times_.find(name);
    return it == times_.end() ? 0 : it->second;
  }

 private:
  std::map<std::string, double> times_;
  std::map<std::string, bool> medians_;
};

}  // namespace

int main(int argc, char **argv) {
  // The backend is chosen before main, when the application record is
  // made; start again with the headless one if this run did not get it.
  if (!headless::IsActive()) {
    setenv("VELMORA_BACKEND", "headless", 1);
    execv("/proc/self/exe", argv);
    std::perror("execv");
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  RecordingReporter reporter;
  double interleaved = 0;
  headless::SetMessageTraceEnabled(false);
  headless::SetTickPerPoll(11);  // a step on every warm-up frame
  headless::SetPollHook([&](uint64_t poll) {
    if (poll != static_cast<uint64_t>(kWarmUpFrames)) return;
    headless::SetTickPerPoll(0);
    std::printf("frame: client %d x %d, window %d x %d, frame buffer %d x %d\n", g_app->clientWidth,
                g_app->clientHeight, g_app->windowWidth, g_app->windowHeight, g_app->pixelStride, g_app->pixelRows);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    interleaved = TakeTurns(UpdateFrame, [] {}).ratio;
    headless::KeyDown(VK_ESCAPE);
  });
  char noArguments[] = "";
  const int code = WinMain(nullptr, nullptr, noArguments, SW_SHOWNORMAL);
  benchmark::Shutdown();

  const double frame = reporter.Time("BM_UpdateFrame"), floor = reporter.Time("BM_Floor");
  if (frame > 0 && floor > 0) {
    const double parts = reporter.Time("BM_Clear") + reporter.Time("BM_RenderScene") + reporter.Time("BM_HelpText") +
                         reporter.Time("BM_PresentFrame");
    std::printf("frame %.1f us, parts %.1f us (clear + scene + help text + present), floor %.1f us\n", frame, parts,
                floor);
    std::printf("frame / floor = %.3f from the medians above\n", frame / floor);
  }
  if (interleaved > 0) {
    std::printf("frame / floor = %.3f taking turns, the median of %d rounds of %d each (target under %.1f)\n",
                interleaved, kRounds, kPassesPerRound, kTarget);
  }
  return code;
}
