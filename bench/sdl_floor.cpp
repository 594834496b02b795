// The least a frame in an SDL2 window of the program's size can cost,
// presented as the platform layer presents: each frame does the memory
// traffic no frame can avoid (the clear of the client area in a
// desktop-wide frame buffer, the copy into the window's own buffer, the
// white fill of the window's area), and the window's buffer goes to the
// screen at most once per display refresh (60 Hz where the display mode
// does not say), copied into the window surface and sent, with the same
// hints as the platform layer (no accelerated framebuffer).
// scripts/fps_compare.sh counts its calls of PresentFloorFrame beside the
// program's calls of PresentFrame.
//   sdl_floor [client width] [client height]   (default 792 by 673)
#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Floor {
  int width, height;              // the client area
  int stride, rows;               // the frame buffer: the desktop of the program's display
  int windowWidth, windowHeight;  // the window with its frame, filled white after the copy
  std::vector<uint32_t> frame, window;
};

// One frame. Not inlined, so that the counter can find it.
__attribute__((noinline)) void PresentFloorFrame(Floor &f) {
  uint32_t *frame = f.frame.data();
  for (int y = 0; y < f.height; ++y) {
    std::memset(frame + static_cast<size_t>(y) * f.stride, 0x78, static_cast<size_t>(f.width) * 4);
  }
  for (int y = 0; y < f.height; ++y) {
    std::memcpy(f.window.data() + static_cast<size_t>(y) * f.width, frame + static_cast<size_t>(y) * f.stride,
                static_cast<size_t>(f.width) * 4);
  }
  for (int y = 0; y < f.windowHeight; ++y) {
    std::memset(frame + static_cast<size_t>(y) * f.stride, 0xFF, static_cast<size_t>(f.windowWidth) * 4);
  }
  asm volatile("" : : "r"(frame), "r"(f.window.data()) : "memory");  // the stores are kept
}

}  // namespace

int main(int argc, char **argv) {
  Floor f;
  f.width = argc > 1 ? std::atoi(argv[1]) : 792;
  f.height = argc > 2 ? std::atoi(argv[2]) : 673;
  f.stride = std::max(1280, f.width + 8);
  f.rows = std::max(1024, f.height + 27);
  f.windowWidth = f.width + 8;     // the stand-in's frame: 4 pixels left and right,
  f.windowHeight = f.height + 27;  // 23 on top and 4 at the bottom
  f.frame.assign(static_cast<size_t>(f.stride) * f.rows, 0);
  f.window.assign(static_cast<size_t>(f.width) * f.height, 0);
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    SDL_Log("SDL_Init: %s", SDL_GetError());
    return 1;
  }
  SDL_Window *window = SDL_CreateWindow("sdl floor", 54, 73, f.width, f.height, SDL_WINDOW_SHOWN);
  if (window == nullptr) {
    SDL_Log("SDL_CreateWindow: %s", SDL_GetError());
    return 1;
  }
  SDL_DisplayMode mode{};
  const int rate =
      SDL_GetCurrentDisplayMode(std::max(SDL_GetWindowDisplayIndex(window), 0), &mode) == 0 && mode.refresh_rate > 0
          ? mode.refresh_rate
          : 60;
  const Uint64 period = (1000 + static_cast<Uint64>(rate) - 1) / static_cast<Uint64>(rate);
  Uint64 lastSend = 0;
  for (bool running = true; running;) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      if (event.type == SDL_QUIT) running = false;
    }
    PresentFloorFrame(f);
    if (SDL_GetTicks64() < lastSend + period) continue;
    lastSend = SDL_GetTicks64();
    SDL_Surface *surface = SDL_GetWindowSurface(window);
    if (surface == nullptr) break;
    if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
    const int w = std::min(surface->w, f.width), h = std::min(surface->h, f.height);
    for (int y = 0; y < h; ++y) {
      std::memcpy(static_cast<uint8_t *>(surface->pixels) + static_cast<size_t>(y) * surface->pitch,
                  f.window.data() + static_cast<size_t>(y) * f.width, static_cast<size_t>(w) * 4);
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    SDL_UpdateWindowSurface(window);
  }
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
