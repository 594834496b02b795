// Preloaded into a program on the SDL2 backend by sdl_latency.sh: it notes
// the window surface the program last drew into, and when the process ends
// (after the program's own exit handlers) it reads the X window back with
// XGetImage and says on standard error whether the window shows what the
// surface holds, the last frame drawn:
//   last frame: shown
//   last frame: lost (N of H rows differ)
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {

SDL_Window *g_window = nullptr;
SDL_Surface *g_surface = nullptr;

__attribute__((destructor)) void CompareAtExit() {
  if (g_window == nullptr || g_surface == nullptr) return;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(g_window, &info) || info.subsystem != SDL_SYSWM_X11) {
    std::fprintf(stderr, "last frame: cannot reach the X window\n");
    return;
  }
  Display *display = info.info.x11.display;
  const int width = g_surface->w, height = g_surface->h;
  XImage *image = XGetImage(display, info.info.x11.window, 0, 0, width, height, AllPlanes, ZPixmap);
  if (image == nullptr) {
    std::fprintf(stderr, "last frame: cannot read the X window\n");
    return;
  }
  int differ = 0;
  for (int y = 0; y < height; ++y) {
    const auto *row = reinterpret_cast<const uint32_t *>(static_cast<const uint8_t *>(g_surface->pixels) +
                                                         static_cast<size_t>(y) * g_surface->pitch);
    for (int x = 0; x < width; ++x) {
      if ((XGetPixel(image, x, y) & 0xFFFFFF) != (row[x] & 0xFFFFFF)) {
        ++differ;
        break;
      }
    }
  }
  XDestroyImage(image);
  if (differ == 0) {
    std::fprintf(stderr, "last frame: shown\n");
  } else {
    std::fprintf(stderr, "last frame: lost (%d of %d rows differ)\n", differ, height);
  }
}

}  // namespace

extern "C" SDL_Surface *SDL_GetWindowSurface(SDL_Window *window) {
  static auto next = reinterpret_cast<SDL_Surface *(*)(SDL_Window *)>(dlsym(RTLD_NEXT, "SDL_GetWindowSurface"));
  SDL_Surface *const surface = next(window);
  g_window = window;
  g_surface = surface;
  return surface;
}
