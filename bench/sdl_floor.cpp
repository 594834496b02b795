// The fastest an SDL2 window of the program's size can be fed frames: a
// loop that only takes its events and copies a ready frame into the window
// surface, with the same hints as the platform layer (no accelerated
// framebuffer), and sends the surface to the screen paced as the platform
// layer does, at most once per display refresh (60 Hz where the display
// mode does not say). scripts/fps_compare.sh runs it beside the program
// under the same frame counter.
//   sdl_floor [client width] [client height]   (default 792 by 673)
#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

int main(int argc, char **argv) {
  const int width = argc > 1 ? std::atoi(argv[1]) : 792;
  const int height = argc > 2 ? std::atoi(argv[2]) : 673;
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
  // A frame like the program's: a desktop-wide buffer of which the client
  // area is copied row by row.
  const int stride = 1280 > width ? 1280 : width;
  std::vector<uint32_t> frame(static_cast<size_t>(stride) * height);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = 0x787878 + static_cast<uint32_t>(i % 7);
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
    SDL_Surface *surface = SDL_GetWindowSurface(window);
    if (surface == nullptr) break;
    if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
    const int w = surface->w < width ? surface->w : width, h = surface->h < height ? surface->h : height;
    for (int y = 0; y < h; ++y) {
      std::memcpy(static_cast<uint8_t *>(surface->pixels) + static_cast<size_t>(y) * surface->pitch,
                  frame.data() + static_cast<size_t>(y) * stride, static_cast<size_t>(w) * 4);
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    if (SDL_GetTicks64() >= lastSend + period) {
      lastSend = SDL_GetTicks64();
      SDL_UpdateWindowSurface(window);
    }
  }
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
