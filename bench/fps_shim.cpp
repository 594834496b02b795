// A preloaded counter of presented frames: it stands in front of
// SDL_GetWindowSurface, which the SDL backend and the floor loop call once
// for each frame they copy into the window surface (the frames the
// program presents, not the updates sent to the X server, which come at
// most once per display refresh), counts the calls made after a warm-up,
// and after a measuring window prints the count and the rate and ends the
// process. Being preloaded it needs no change to the program it measures.
//   VELMORA_FPS_WARMUP   seconds before counting starts (default 1)
//   VELMORA_FPS_SECONDS  seconds counted (default 5)
//   VELMORA_FPS_LABEL    name printed with the figures
#include <SDL.h>
#include <dlfcn.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

double Now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double Setting(const char *name, double fallback) {
  const char *text = std::getenv(name);
  return text != nullptr && *text != 0 ? std::atof(text) : fallback;
}

// The count and the report at exit share a lock, in case a program
// presents from a thread of its own while its main thread ends the process.
struct Counter {
  std::mutex lock;
  double warmUp = Setting("VELMORA_FPS_WARMUP", 1.0);
  double seconds = Setting("VELMORA_FPS_SECONDS", 5.0);
  double first = -1;  // time of the first update
  double start = -1;  // time counting began
  long frames = 0;
  bool reported = false;

  // With the lock held.
  void Report(double now) {
    if (reported) return;
    reported = true;
    const char *label = std::getenv("VELMORA_FPS_LABEL");
    const double elapsed = start < 0 ? 0 : now - start;
    std::fprintf(stderr, "fps: %s %ld frames in %.3f s = %.1f frames per second\n", label ? label : "program", frames,
                 elapsed, elapsed > 0 ? frames / elapsed : 0.0);
  }

  void Count() {
    const std::lock_guard<std::mutex> hold(lock);
    const double now = Now();
    if (first < 0) first = now;
    if (start < 0) {
      if (now - first < warmUp) return;
      start = now;
    }
    ++frames;
    if (now - start >= seconds) {
      Report(now);
      _exit(0);
    }
  }

  void Finish() {
    const std::lock_guard<std::mutex> hold(lock);
    Report(Now());
  }
};

// Never destroyed, so the presenting thread may still count while the
// process exits; the report at exit comes from a static object's end.
Counter &TheCounter() {
  static Counter *const counter = new Counter;
  return *counter;
}

struct ReportAtExit {
  ~ReportAtExit() { TheCounter().Finish(); }
} g_reportAtExit;

template <typename F>
F Next(const char *name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

SDL_Surface *SDL_GetWindowSurface(SDL_Window *window) {
  static auto next = Next<SDL_Surface *(*)(SDL_Window *)>("SDL_GetWindowSurface");
  SDL_Surface *const surface = next(window);
  if (surface != nullptr) TheCounter().Count();
  return surface;
}

}  // extern "C"
