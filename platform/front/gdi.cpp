// GDI32: window and memory device contexts, 32-bit DIB sections and the
// blits between them. Every copy is clipped to both the source bitmap and
// the destination (a bitmap, or a window's client area as the backend hands
// it out), so no size given by a caller can reach outside either.
#include "front.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <new>

namespace velmora::platform {

DeviceContext *FindDc(HDC dc) {
  if (dc == nullptr) return nullptr;
  State &state = GetState();
  auto it = state.dcs.find(HandleKey(dc));
  return it == state.dcs.end() ? nullptr : it->second.get();
}

Bitmap *FindBitmap(HGDIOBJ object) {
  if (object == nullptr) return nullptr;
  State &state = GetState();
  auto it = state.bitmaps.find(HandleKey(object));
  return it == state.bitmaps.end() ? nullptr : it->second.get();
}

PixelView ViewOf(const Bitmap &bitmap) {
  PixelView view;
  view.width = bitmap.width;
  view.height = bitmap.height;
  if (bitmap.topDown) {
    view.base = bitmap.storage.get();
    view.rowStep = bitmap.width;
  } else {
    view.base = bitmap.storage.get() + static_cast<ptrdiff_t>(bitmap.height - 1) * bitmap.width;
    view.rowStep = -static_cast<ptrdiff_t>(bitmap.width);
  }
  return view;
}

static HBITMAP AddBitmap(std::unique_ptr<Bitmap> bitmap) {
  bitmap->handle = reinterpret_cast<HBITMAP>(NewHandleValue());
  const HBITMAP handle = bitmap->handle;
  GetState().bitmaps.emplace(HandleKey(handle), std::move(bitmap));
  return handle;
}

// The 1 by 1 monochrome bitmap that every new memory DC holds.
static HBITMAP StockBitmap() {
  State &state = GetState();
  if (state.stockBitmap == nullptr) {
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->width = 1;
    bitmap->height = 1;
    bitmap->stock = true;
    bitmap->storage.reset(new uint32_t[1]());
    state.stockBitmap = AddBitmap(std::move(bitmap));
  }
  return state.stockBitmap;
}

// Runs draw on a window's client area, unless nothing of it can be seen:
// the desktop (the screen itself is never drawn on), a hidden or minimised
// window, or one the backend has no surface for.
static void DrawOnWindow(Window &window, bool frame, DrawFunction draw, void *context) {
  if (window.isDesktop || !window.visible || window.minimized) return;
  Backend &backend = ActiveBackend();
  const WindowView target = BackendView(window);
  Surface surface;
  if (!backend.BeginDraw(target, &surface)) return;
  const PixelView view{surface.pixels, surface.stride, surface.width, surface.height};
  backend.EndDraw(target, draw(view, context), frame);
}

bool DrawOnDc(HDC handle, bool frame, DrawFunction draw, void *context) {
  DeviceContext *dc = FindDc(handle);
  if (dc == nullptr) return false;
  if (dc->memory) {
    Bitmap *bitmap = FindBitmap(dc->bitmap);
    if (bitmap == nullptr) return false;
    draw(ViewOf(*bitmap), context);
    return true;
  }
  Window *window = FindWindowRecord(dc->hwnd);
  if (window == nullptr) return false;
  DrawOnWindow(*window, frame, draw, context);
  return true;
}

namespace {

struct Fill {
  RECT rect;
  uint32_t colour;
};

RECT FillInto(const PixelView &view, void *context) {
  const Fill &fill = *static_cast<const Fill *>(context);
  const int x0 = std::max<LONG>(fill.rect.left, 0), y0 = std::max<LONG>(fill.rect.top, 0);
  const int x1 = std::min<LONG>(fill.rect.right, view.width);
  const int y1 = std::min<LONG>(fill.rect.bottom, view.height);
  if (x1 <= x0 || y1 <= y0) return RECT{};
  // wchar_t is a 32-bit unit here, so the C library's wide fill stores
  // whole pixel words, with far wider stores than a loop of them; the
  // white fill after every presented frame goes through here. The
  // WebAssembly C library's one is a loop of one word a store, so there the
  // first row is written by a loop the compiler turns into 16-byte stores,
  // and copied into the others with memory.copy, which the browser runs
  // at the speed of its own memmove.
  static_assert(sizeof(wchar_t) == sizeof(uint32_t), "wmemset must store 32-bit words");
#ifdef __wasm_simd128__
  uint32_t *first = view.Row(y0) + x0;
  for (int x = x0; x < x1; ++x) first[x - x0] = fill.colour;
  for (int y = y0 + 1; y < y1; ++y) std::memcpy(view.Row(y) + x0, first, static_cast<size_t>(x1 - x0) * 4);
#else
  for (int y = y0; y < y1; ++y) {
    std::wmemset(reinterpret_cast<wchar_t *>(view.Row(y) + x0), static_cast<wchar_t>(fill.colour),
                 static_cast<size_t>(x1 - x0));
  }
#endif
  return RECT{x0, y0, x1, y1};
}

struct Blit {
  int64_t xDest, yDest, widthDest, heightDest;
  const PixelView *source;  // null for the fills
  int64_t xSrc, ySrc, widthSrc, heightSrc;
  uint32_t colour;
};

// The source pixels, along one axis, that destination pixel d of a
// stretch takes, clipped to the bitmap: when the axis grows or keeps its
// length, the one under d's centre; when it shrinks, every one whose centre
// falls into d. A centre on the border of two pixels counts for the
// earlier one (Wine's DIB engine draws so: 2 pixels to 3 repeat the first,
// 3 to 2 put the middle one into the first).
struct SourceSpan {
  int64_t first, last;  // last excluded
};

SourceSpan SpanOf(int64_t d, int64_t destLength, int64_t srcStart, int64_t srcLength, int64_t limit) {
  __int128 first, last;
  if (destLength >= srcLength) {
    first = srcStart + (static_cast<__int128>(2 * d + 1) * srcLength - 1) / (2 * destLength);
    last = first + 1;
  } else {
    first = srcStart + (static_cast<__int128>(2 * d) * srcLength + destLength) / (2 * destLength);
    last = srcStart + (static_cast<__int128>(2 * d + 2) * srcLength + destLength) / (2 * destLength);
  }
  if (first < 0) first = 0;
  if (last > limit) last = limit;
  return SourceSpan{static_cast<int64_t>(first), static_cast<int64_t>(last)};
}

RECT BlitInto(const PixelView &dest, void *context) {
  const Blit &b = *static_cast<const Blit *>(context);
  if (b.source == nullptr) {
    const int64_t x0 = std::max<int64_t>(b.xDest, 0), y0 = std::max<int64_t>(b.yDest, 0);
    const int64_t x1 = std::min<int64_t>(b.xDest + b.widthDest, dest.width);
    const int64_t y1 = std::min<int64_t>(b.yDest + b.heightDest, dest.height);
    if (x1 <= x0 || y1 <= y0) return RECT{};
    Fill fill{RECT{static_cast<LONG>(x0), static_cast<LONG>(y0), static_cast<LONG>(x1), static_cast<LONG>(y1)},
              b.colour};
    return FillInto(dest, &fill);
  }
  const PixelView &src = *b.source;
  if (b.widthDest == b.widthSrc && b.heightDest == b.heightSrc) {
    int64_t dx = b.xDest, dy = b.yDest, sx = b.xSrc, sy = b.ySrc, w = b.widthDest, h = b.heightDest;
    if (sx < 0) dx -= sx, w += sx, sx = 0;
    if (sy < 0) dy -= sy, h += sy, sy = 0;
    if (dx < 0) sx -= dx, w += dx, dx = 0;
    if (dy < 0) sy -= dy, h += dy, dy = 0;
    w = std::min({w, src.width - sx, dest.width - dx});
    h = std::min({h, src.height - sy, dest.height - dy});
    if (w <= 0 || h <= 0) return RECT{};
    const size_t bytes = static_cast<size_t>(w) * sizeof(uint32_t);
    // Within one bitmap the rows must not overwrite rows still to be read.
    const bool upwards = src.base == dest.base && dy > sy;
    for (int64_t i = 0; i < h; ++i) {
      const int64_t row = upwards ? h - 1 - i : i;
      std::memmove(dest.Row(static_cast<int>(dy + row)) + dx, src.Row(static_cast<int>(sy + row)) + sx, bytes);
    }
    return RECT{static_cast<LONG>(dx), static_cast<LONG>(dy), static_cast<LONG>(dx + w), static_cast<LONG>(dy + h)};
  }
  // Stretching in the default mode, BLACKONWHITE. Along an axis that grows
  // or keeps its length a destination pixel takes the source pixel under
  // its centre; along one that shrinks it takes the AND of every source
  // pixel that falls into it, so that no dark pixel is dropped. Pixels
  // whose source lies outside the bitmap are left alone.
  const int64_t x0 = std::max<int64_t>(b.xDest, 0), y0 = std::max<int64_t>(b.yDest, 0);
  const int64_t x1 = std::min<int64_t>(b.xDest + b.widthDest, dest.width);
  const int64_t y1 = std::min<int64_t>(b.yDest + b.heightDest, dest.height);
  if (x1 <= x0 || y1 <= y0) return RECT{};
  for (int64_t y = y0; y < y1; ++y) {
    const SourceSpan rows = SpanOf(y - b.yDest, b.heightDest, b.ySrc, b.heightSrc, src.height);
    if (rows.first >= rows.last) continue;
    uint32_t *destRow = dest.Row(static_cast<int>(y));
    for (int64_t x = x0; x < x1; ++x) {
      const SourceSpan columns = SpanOf(x - b.xDest, b.widthDest, b.xSrc, b.widthSrc, src.width);
      if (columns.first >= columns.last) continue;
      uint32_t value = 0xFFFFFFFFu;
      for (int64_t sy = rows.first; sy < rows.last; ++sy) {
        const uint32_t *srcRow = src.Row(static_cast<int>(sy));
        for (int64_t sx = columns.first; sx < columns.last; ++sx) value &= srcRow[sx];
      }
      destRow[x] = value;
    }
  }
  return RECT{static_cast<LONG>(x0), static_cast<LONG>(y0), static_cast<LONG>(x1), static_cast<LONG>(y1)};
}

}  // namespace

void FillWindow(Window &window, const RECT &rect, uint32_t colour) {
  Fill fill{rect, colour};
  DrawOnWindow(window, false, FillInto, &fill);
}

}  // namespace velmora::platform

using namespace velmora::platform;

// GetDC: keeps a DC for the window's client area (the desktop's for a null
// handle), null for a dead handle; each call gives a DC of its own. Leaves
// out DC attributes (there is nothing to set) and the DC cache's limit.
HDC WINAPI GetDC(HWND hwnd) {
  if (hwnd == nullptr) hwnd = GetDesktopWindow();
  if (FindWindowRecord(hwnd) == nullptr) return nullptr;
  return NewWindowDcFor(hwnd);
}

// ReleaseDC: keeps 1 for a DC from GetDC, which is dead afterwards, and 0
// for anything else (a memory DC, a DC already released or one whose window
// was destroyed). As on Windows, the DC alone decides; hwnd is not checked.
int WINAPI ReleaseDC(HWND hwnd, HDC dc) {
  (void)hwnd;
  DeviceContext *record = FindDc(dc);
  if (record == nullptr || record->memory || record->internal) return 0;
  GetState().dcs.erase(HandleKey(dc));
  return 1;
}

// CreateCompatibleDC: keeps a memory DC (for a null or any valid DC)
// holding the 1 by 1 monochrome stock bitmap, with a new memory DC's text
// defaults (black on opaque white, system font, top-left alignment). Leaves
// out DeleteDC: memory DCs live until the process ends.
HDC WINAPI CreateCompatibleDC(HDC dc) {
  if (dc != nullptr && FindDc(dc) == nullptr) return nullptr;
  auto record = std::make_unique<DeviceContext>();
  record->handle = reinterpret_cast<HDC>(NewHandleValue());
  record->memory = true;
  record->bitmap = StockBitmap();
  const HDC handle = record->handle;
  GetState().dcs.emplace(HandleKey(handle), std::move(record));
  return handle;
}

// CreateDIBSection: keeps 32-bit BI_RGB sections, top-down for a negative
// biHeight and bottom-up otherwise, zero-filled pixel memory owned by the
// section and stored to *bits. Refuses (null result, *bits null) other bit
// counts and compressions, DIB_PAL_COLORS, file-mapping sections, sizes
// above 65535 on a side or 1 GiB in all, and memory that cannot be had.
// Leaves out DeleteObject: sections live until the process ends.
HBITMAP WINAPI CreateDIBSection(HDC dc, const BITMAPINFO *info, UINT usage, void **bits, HANDLE section, DWORD offset) {
  (void)dc;
  (void)offset;
  if (bits != nullptr) *bits = nullptr;
  if (info == nullptr || usage != DIB_RGB_COLORS || section != nullptr) return nullptr;
  const BITMAPINFOHEADER &header = info->bmiHeader;
  if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biPlanes != 1 || header.biBitCount != 32 ||
      header.biCompression != BI_RGB) {
    return nullptr;
  }
  const int64_t width = header.biWidth;
  const int64_t height = header.biHeight < 0 ? -static_cast<int64_t>(header.biHeight) : header.biHeight;
  constexpr int64_t kMaxSide = 65535;
  constexpr int64_t kMaxBytes = int64_t{1} << 30;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || width * height * 4 > kMaxBytes) {
    return nullptr;
  }
  if (Refused("CreateDIBSection")) return nullptr;
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->width = static_cast<int>(width);
  bitmap->height = static_cast<int>(height);
  bitmap->topDown = header.biHeight < 0;
  bitmap->storage.reset(new (std::nothrow) uint32_t[static_cast<size_t>(width * height)]());
  if (bitmap->storage == nullptr) return nullptr;
  void *memory = bitmap->storage.get();
  const HBITMAP handle = AddBitmap(std::move(bitmap));
  if (bits != nullptr) *bits = memory;
  return handle;
}

// SelectObject: keeps selecting a bitmap into a memory DC and returning the
// one it held; a bitmap already held by another DC, a window DC, or an
// object that is not a bitmap gives null. Leaves out pens, brushes, fonts
// and regions, which the stand-in does not have.
HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
  DeviceContext *record = FindDc(dc);
  Bitmap *bitmap = FindBitmap(object);
  if (record == nullptr || !record->memory || bitmap == nullptr) return nullptr;
  if (!bitmap->stock && bitmap->selectedInto != nullptr && bitmap->selectedInto != dc) return nullptr;
  const HBITMAP previous = record->bitmap;
  if (Bitmap *old = FindBitmap(previous); old != nullptr && !old->stock) old->selectedInto = nullptr;
  record->bitmap = bitmap->handle;
  if (!bitmap->stock) bitmap->selectedInto = dc;
  return previous;
}

// GetDCOrgEx: keeps the screen position of the client area for a window
// DC and (0, 0) for a memory DC; a bad DC fails and leaves the point alone.
BOOL WINAPI GetDCOrgEx(HDC dc, LPPOINT origin) {
  DeviceContext *record = FindDc(dc);
  if (record == nullptr || origin == nullptr) return FALSE;
  if (record->memory) {
    *origin = POINT{0, 0};
    return TRUE;
  }
  Window *window = FindWindowRecord(record->hwnd);
  if (window == nullptr) return FALSE;
  const RECT client = ClientScreenRect(*window);
  *origin = POINT{client.left, client.top};
  return TRUE;
}

namespace {

BOOL DoBlit(HDC dest, int xDest, int yDest, int widthDest, int heightDest, HDC src, int xSrc, int ySrc, int widthSrc,
            int heightSrc, DWORD rop) {
  DeviceContext *destRecord = FindDc(dest);
  if (destRecord == nullptr) return FALSE;
  if (widthDest < 0 || heightDest < 0 || widthSrc < 0 || heightSrc < 0) return FALSE;
  Blit blit{xDest, yDest, widthDest, heightDest, nullptr, xSrc, ySrc, widthSrc, heightSrc, 0};
  PixelView source;
  switch (rop) {
    case SRCCOPY: {
      DeviceContext *srcRecord = FindDc(src);
      if (srcRecord == nullptr || !srcRecord->memory) return FALSE;
      Bitmap *bitmap = FindBitmap(srcRecord->bitmap);
      if (bitmap == nullptr) return FALSE;
      source = ViewOf(*bitmap);
      blit.source = &source;
      if (widthSrc == 0 || heightSrc == 0) return TRUE;
      break;
    }
    case WHITENESS:
      // Every bit set, the unused top byte of a 32-bit DIB's words too (as
      // Wine writes it; the raster operation's name says as much). A
      // window's pixels have no fourth byte to set.
      blit.colour = destRecord->memory ? 0xFFFFFFFFu : 0x00FFFFFFu;
      break;
    case BLACKNESS: blit.colour = 0; break;
    default: return FALSE;
  }
  if (widthDest == 0 || heightDest == 0) return TRUE;
  return DrawOnDc(dest, !destRecord->memory, BlitInto, &blit) ? TRUE : FALSE;
}

}  // namespace

// StretchBlt: keeps SRCCOPY from a memory DC (equal sizes a plain copy,
// otherwise stretching in the default BLACKONWHITE mode), WHITENESS and
// BLACKNESS, onto a
// memory DC or a window's client area, clipped to the source bitmap and to
// the destination; a copy onto a window is one presented frame. Leaves out
// mirroring by negative sizes (refused), other raster operations (refused),
// other stretch modes, and reading from a window DC (refused).
BOOL WINAPI StretchBlt(HDC dest, int xDest, int yDest, int widthDest, int heightDest, HDC src, int xSrc, int ySrc,
                       int widthSrc, int heightSrc, DWORD rop) {
  return DoBlit(dest, xDest, yDest, widthDest, heightDest, src, xSrc, ySrc, widthSrc, heightSrc, rop);
}

// BitBlt: StretchBlt with equal sizes; WHITENESS and BLACKNESS need no
// source DC. Keeps and leaves out what StretchBlt does.
BOOL WINAPI BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop) {
  return DoBlit(dest, x, y, width, height, src, xSrc, ySrc, width, height, rop);
}
