// The web backend's present: the changed part of a window's pixels turned
// into canvas RGBA with WebAssembly SIMD, and put on the canvas through an
// ImageData that views that buffer in wasm memory. The ImageData is made
// again only when the memory grows (its old buffer is then detached) or
// the buffer moves; a frame allocates nothing in C++ or in the page.
#include "present.h"

#include <emscripten.h>

#include <algorithm>

#ifdef __wasm_simd128__
#include <wasm_simd128.h>
#endif

namespace velmora::platform {
namespace {

// clang-format off
// Puts the rectangle (x, y, w, h) of the width by height canvas pixels at
// rgba on the canvas that WebAttach found; Module.velmoraImage is the view.
// A frame's work in the page is timed from the loop's last resumption
// (WebNextFrame) to here, the hand-over to the canvas; the browser's copy
// into the canvas (putImageData) is timed apart.
EM_JS(void, WebPutCanvas, (const uint32_t *rgba, int width, int height, int x, int y, int w, int h, int frame), {
  const start = performance.now();
  if (frame && Module.velmoraResumed !== undefined) {
    Module.velmoraWorkMs = (Module.velmoraWorkMs || 0) + (start - Module.velmoraResumed);
    Module.velmoraWorkFrames = (Module.velmoraWorkFrames || 0) + 1;
    Module.velmoraResumed = undefined;
  }
  const context = Module.velmoraContext;
  if (!context) return;
  let image = Module.velmoraImage;
  const data = image ? image.data : null;
  if (!data || data.buffer !== wasmMemory.buffer || data.byteOffset !== rgba || image.width !== width ||
      image.height !== height) {
    image = Module.velmoraImage =
        new ImageData(new Uint8ClampedArray(wasmMemory.buffer, rgba, width * height * 4), width, height);
  }
  context.putImageData(image, 0, 0, x, y, w, h);
  if (frame) {
    Module.velmoraPutMs = (Module.velmoraPutMs || 0) + (performance.now() - start);
    Module.velmoraFrames = (Module.velmoraFrames || 0) + 1;
  }
});
// clang-format on

}  // namespace

void ToCanvasPixels(const uint32_t *from, uint32_t *to, size_t count) {
  size_t i = 0;
#ifdef __wasm_simd128__
  // Four pixels at a time: bytes B, G, R, X of each little-endian word
  // swapped to R, G, B, and the fourth byte made 255.
  const v128_t opaque = wasm_i32x4_splat(static_cast<int32_t>(0xFF000000u));
  for (; i + 4 <= count; i += 4) {
    const v128_t words = wasm_v128_load(from + i);
    const v128_t swapped = wasm_i8x16_shuffle(words, words, 2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15);
    wasm_v128_store(to + i, wasm_v128_or(swapped, opaque));
  }
#endif
  for (; i < count; ++i) {
    const uint32_t p = from[i];
    to[i] = 0xFF000000u | ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
  }
}

void ResizeCanvasImage(CanvasImage &image, int width, int height) {
  image.rgba.assign(static_cast<size_t>(width) * height, 0xFF000000u);  // opaque black
  image.width = width;
  image.height = height;
  image.wholeNext = true;
}

void PresentOnCanvas(CanvasImage &image, const uint32_t *pixels, int left, int top, int right, int bottom, bool frame) {
  if (image.wholeNext) {
    left = 0, top = 0, right = image.width, bottom = image.height;
    image.wholeNext = false;
  }
  left = std::clamp(left, 0, image.width), right = std::clamp(right, left, image.width);
  top = std::clamp(top, 0, image.height), bottom = std::clamp(bottom, top, image.height);
  const size_t stride = static_cast<size_t>(image.width);
  for (int y = top; y < bottom; ++y) {
    const size_t at = y * stride + left;
    ToCanvasPixels(pixels + at, image.rgba.data() + at, static_cast<size_t>(right - left));
  }
  WebPutCanvas(image.rgba.data(), image.width, image.height, left, top, right - left, bottom - top, frame ? 1 : 0);
}

}  // namespace velmora::platform
