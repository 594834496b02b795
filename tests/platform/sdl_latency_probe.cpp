// Times one change of an X window's pixels after one input, for
// sdl_latency.sh: it takes a picture of a part of the window, then waits
// for the input to reach the X server (a key going down, or the pointer
// moving) and polls that part with XGetImage until it differs.
//   sdl_latency_probe WINDOW key KEYSYM X Y WIDTH HEIGHT
//   sdl_latency_probe WINDOW pointer X Y WIDTH HEIGHT
// It prints "ready" once it has the picture, then "latency MS" and exits 0,
// or "no change" and exits 1 when nothing changed within a second of the
// input (or no input came within 10 s). The input itself comes from
// xdotool, started by the script after "ready".
#include <X11/Xlib.h>
#include <X11/Xutil.h>  // XDestroyImage
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

double Now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

// The area's pixels as the server sends them, or nothing when the window
// cannot be read.
std::vector<char> Capture(Display *display, Window window, int x, int y, int width, int height) {
  std::vector<char> pixels;
  XImage *image = XGetImage(display, window, x, y, width, height, AllPlanes, ZPixmap);
  if (image == nullptr) return pixels;
  pixels.assign(image->data, image->data + static_cast<size_t>(image->bytes_per_line) * image->height);
  XDestroyImage(image);
  return pixels;
}

// Where the pointer is on the screen.
void Pointer(Display *display, int *x, int *y) {
  Window root, child;
  int windowX, windowY;
  unsigned mask;
  XQueryPointer(display, DefaultRootWindow(display), &root, &child, x, y, &windowX, &windowY, &mask);
}

// Waits for the input and then for the change; prints what it found.
int Wait(Display *display, Window window, KeyCode code, int startX, int startY, const std::vector<char> &before, int x,
         int y, int width, int height) {
  const bool key = code != 0;
  // The input, as the server has it.
  double input = 0;
  for (const double limit = Now() + 10000; input == 0;) {
    if (Now() > limit) {
      std::printf("no input\n");
      return 1;
    }
    if (key) {
      char keys[32];
      XQueryKeymap(display, keys);
      if (keys[code / 8] & (1 << (code % 8))) input = Now();
    } else {
      int px = 0, py = 0;
      Pointer(display, &px, &py);
      if (px != startX || py != startY) input = Now();
    }
  }
  for (;;) {
    const std::vector<char> now = Capture(display, window, x, y, width, height);
    const double at = Now();
    if (!now.empty() && now != before) {
      std::printf("latency %.1f\n", at - input);
      return 0;
    }
    if (at - input > 1000) {
      std::printf("no change\n");
      return 1;
    }
  }
}

int Usage() {
  std::fprintf(stderr, "usage: sdl_latency_probe WINDOW key KEYSYM X Y W H | WINDOW pointer X Y W H\n");
  return 2;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 3) return Usage();
  const bool key = std::strcmp(argv[2], "key") == 0;
  if (argc != (key ? 8 : 7) || (!key && std::strcmp(argv[2], "pointer") != 0)) return Usage();
  const Window window = std::strtoul(argv[1], nullptr, 0);
  const int first = key ? 4 : 3;
  const int x = std::atoi(argv[first]), y = std::atoi(argv[first + 1]);
  const int width = std::atoi(argv[first + 2]), height = std::atoi(argv[first + 3]);
  Display *display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "sdl_latency_probe: cannot open the display\n");
    return 2;
  }
  KeyCode code = 0;
  if (key) code = XKeysymToKeycode(display, XStringToKeysym(argv[3]));
  int startX = 0, startY = 0;
  Pointer(display, &startX, &startY);
  const std::vector<char> before = Capture(display, window, x, y, width, height);
  if ((key && code == 0) || before.empty()) {
    std::fprintf(stderr, "sdl_latency_probe: unknown key, or cannot read window %#lx\n", window);
    XCloseDisplay(display);
    return 2;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  const int result = Wait(display, window, key ? code : 0, startX, startY, before, x, y, width, height);
  std::fflush(stdout);
  XCloseDisplay(display);
  return result;
}
