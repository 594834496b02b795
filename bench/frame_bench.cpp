// One frame of the program at its default size, its parts, and the floor
// under it: the memory traffic no frame can avoid (fill the client area,
// copy it to the window, fill the copied window area white) done with
// memset and memcpy on the same sizes. The real start-up runs first: main
// drives WinMain on the headless backend, and the benchmarks run from the
// loop's first poll after 500 frames of motion, with the window, frame
// buffer and scene exactly as the program made them. Each benchmark then
// draws the same scene (the clock stands still, so no step is taken).
// At the end the ratio of a whole frame to the floor is printed.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "raster/pixels.h"
#include "scene/frame.h"
#include "scene/quadric.h"
#include "velmora/headless.h"

namespace {

namespace headless = velmora::headless;

constexpr DWORD kBackground = 0x787878;
constexpr uint64_t kWarmUpFrames = 500;
constexpr double kTarget = 1.3;

int ClientWidth() { return g_app->clientRect.right - g_app->clientRect.left; }
int ClientHeight() { return g_app->clientRect.bottom - g_app->clientRect.top; }

void BM_UpdateFrame(benchmark::State &state) {
  for (auto _ : state) UpdateFrame();
}

void BM_Clear(benchmark::State &state) {
  const int w = ClientWidth(), h = ClientHeight();
  for (auto _ : state) FillPixelRect(0, 0, w - 1, h - 1, kBackground);
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

// The same traffic as the clear, the transfer and the white fill, on
// buffers of the same sizes: the frame buffer's rows at its stride, the
// window's client area as the headless window keeps it.
void BM_Floor(benchmark::State &state) {
  const int stride = g_app->pixelStride, rows = g_app->pixelRows;
  const int cw = ClientWidth(), ch = ClientHeight();
  const int ww = std::min(g_app->windowWidth, stride), wh = std::min(g_app->windowHeight, rows);
  std::vector<uint32_t> frame(static_cast<size_t>(stride) * rows, 0x00FFFFFF);
  std::vector<uint32_t> window(static_cast<size_t>(cw) * ch, 0);
  for (auto _ : state) {
    uint32_t *f = frame.data();
    for (int y = 0; y < ch; ++y) std::memset(f + static_cast<size_t>(y) * stride, 0x78, cw * sizeof(uint32_t));
    for (int y = 0; y < ch; ++y)
      std::memcpy(window.data() + static_cast<size_t>(y) * cw, f + static_cast<size_t>(y) * stride, cw * sizeof(uint32_t));
    for (int y = 0; y < wh; ++y) std::memset(f + static_cast<size_t>(y) * stride, 0xFF, ww * sizeof(uint32_t));
    benchmark::DoNotOptimize(frame.data());
    benchmark::DoNotOptimize(window.data());
    benchmark::ClobberMemory();
  }
  const int64_t bytes = (int64_t{cw} * ch * 3 + int64_t{ww} * wh) * 4;  // written, read, written, written
  state.SetBytesProcessed(state.iterations() * bytes);
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
  headless::SetMessageTraceEnabled(false);
  headless::SetTickPerPoll(11);  // a step on every warm-up frame
  headless::SetPollHook([&](uint64_t poll) {
    if (poll != kWarmUpFrames) return;
    headless::SetTickPerPoll(0);
    std::printf("frame: client %d x %d, window %d x %d, frame buffer %d x %d\n", ClientWidth(), ClientHeight(),
                g_app->windowWidth, g_app->windowHeight, g_app->pixelStride, g_app->pixelRows);
    benchmark::RunSpecifiedBenchmarks(&reporter);
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
    std::printf("frame / floor = %.3f (target under %.1f)\n", frame / floor, kTarget);
  }
  return code;
}
