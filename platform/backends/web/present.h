// How the web backend puts a window's pixels on the page's canvas, apart
// from the rest of the backend (events, clock, window records): the words
// 0x00RRGGBB become the canvas's RGBA bytes in WebAssembly, into a buffer
// of its own that the page reads in place.
#ifndef VELMORA_PLATFORM_WEB_PRESENT_H
#define VELMORA_PLATFORM_WEB_PRESENT_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora::platform {

// count window words (0x00RRGGBB; the top byte is ignored, as a window
// shows no alpha) to canvas pixels: bytes R, G, B, 255 in memory order.
void ToCanvasPixels(const uint32_t *from, uint32_t *to, size_t count);

// The canvas's copy of one window's client area.
struct CanvasImage {
  std::vector<uint32_t> rgba;  // width * height canvas pixels
  int width = 0;
  int height = 0;
  bool wholeNext = true;  // the canvas has not been drawn at this size yet
};

// A client area of a new size: the canvas shows black, as the window's
// zeroed pixels are, until the next present.
void ResizeCanvasImage(CanvasImage &image, int width, int height);

// Converts the changed rectangle of pixels (width * height words, rows
// back to back) and hands it to the canvas; frame counts it as a presented
// frame. The whole area goes after a resize.
void PresentOnCanvas(CanvasImage &image, const uint32_t *pixels, int left, int top, int right, int bottom, bool frame);

}  // namespace velmora::platform

#endif
