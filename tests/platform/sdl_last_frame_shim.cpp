// Preloaded into a program on the SDL2 backend by sdl_latency.sh. The
// backend copies a frame into SDL's window surface only to send it, so
// every update it sends is a frame that reached the screen: the shim
// prints a hash of the surface's pixels after each update,
//   sent HASH
// and when the process ends (after the program's own exit handlers) it
// reads the X window back with XGetImage and prints its hash and whether
// the window shows what the surface last held:
//   last frame: window HASH
//   last frame: shown
//   last frame: lost (N of H rows differ)
// The script then knows which picture the window ended with, and which one
// it showed before the last input.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>

namespace {

SDL_Window *g_window = nullptr;
SDL_Surface *g_surface = nullptr;

// FNV-1a over the pixels' 24 colour bits, row by row.
struct Hash {
  uint32_t value = 2166136261u;
  void Add(uint32_t pixel) {
    for (int shift = 0; shift < 24; shift += 8) value = (value ^ ((pixel >> shift) & 0xFFu)) * 16777619u;
  }
};

uint32_t SurfaceRow(int x, int y) {
  return reinterpret_cast<const uint32_t *>(static_cast<const uint8_t *>(g_surface->pixels) +
                                            static_cast<size_t>(y) * g_surface->pitch)[x];
}

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
  Hash window;
  for (int y = 0; y < height; ++y) {
    bool same = true;
    for (int x = 0; x < width; ++x) {
      const uint32_t shown = static_cast<uint32_t>(XGetPixel(image, x, y));
      window.Add(shown);
      same = same && (shown & 0xFFFFFF) == (SurfaceRow(x, y) & 0xFFFFFF);
    }
    if (!same) ++differ;
  }
  XDestroyImage(image);
  std::fprintf(stderr, "last frame: window %08x\n", window.value);
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

// Called by one thread at a time: the backend never sends from two.
extern "C" int SDL_UpdateWindowSurfaceRects(SDL_Window *window, const SDL_Rect *rects, int count) {
  static auto next =
      reinterpret_cast<int (*)(SDL_Window *, const SDL_Rect *, int)>(dlsym(RTLD_NEXT, "SDL_UpdateWindowSurfaceRects"));
  const int result = next(window, rects, count);
  if (g_surface != nullptr) {
    Hash sent;
    for (int y = 0; y < g_surface->h; ++y) {
      for (int x = 0; x < g_surface->w; ++x) sent.Add(SurfaceRow(x, y));
    }
    std::fprintf(stderr, "sent %08x\n", sent.value);
  }
  return result;
}
