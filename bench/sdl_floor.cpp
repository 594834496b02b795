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

#include "floor_pass.h"

namespace {

// One frame. Not inlined, so that the counter can find it.
__attribute__((noinline)) void PresentFloorFrame(const FloorSizes &sizes, uint32_t *frame, uint32_t *window) {
  FloorPass(sizes, frame, window);
}

}  // namespace

int main(int argc, char **argv) {
  const int width = argc > 1 ? std::atoi(argv[1]) : 792;
  const int height = argc > 2 ? std::atoi(argv[2]) : 673;
  // The stand-in's frame adds 4 pixels left, right and below and 23 on top;
  // the frame buffer is the desktop, 1280 by 1024 or more.
  const FloorSizes sizes{std::max(1280, width + 8), width, height, width + 8, height + 27};
  std::vector<uint32_t> frame(static_cast<size_t>(sizes.stride) * std::max(1024, height + 27));
  std::vector<uint32_t> windowImage(static_cast<size_t>(width) * height);
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    SDL_Log("SDL_Init: %s", SDL_GetError());
    return 1;
  }
  SDL_Window *window = SDL_CreateWindow("sdl floor", 54, 73, width, height, SDL_WINDOW_SHOWN);
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
    PresentFloorFrame(sizes, frame.data(), windowImage.data());
    if (SDL_GetTicks64() < lastSend + period) continue;
    lastSend = SDL_GetTicks64();
    SDL_Surface *surface = SDL_GetWindowSurface(window);
    if (surface == nullptr) break;
    if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
    const int w = std::min(surface->w, width), h = std::min(surface->h, height);
    for (int y = 0; y < h; ++y) {
      std::memcpy(static_cast<uint8_t *>(surface->pixels) + static_cast<size_t>(y) * surface->pitch,
                  windowImage.data() + static_cast<size_t>(y) * width, static_cast<size_t>(w) * 4);
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    SDL_UpdateWindowSurface(window);
  }
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
