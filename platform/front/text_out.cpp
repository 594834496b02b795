// GDI32 text output. Kept apart from the other GDI calls so that only
// programs that write text need the built-in font.
#include "front.h"
#include "text/text.h"

namespace {

struct Text {
  int x;
  int y;
  const wchar_t *text;
  int length;
};

constexpr uint32_t kTextColour = 0x000000;  // a new DC's defaults: black on opaque white
constexpr uint32_t kBackColour = 0xFFFFFF;

RECT DrawTextInto(const velmora::platform::PixelView &view, void *context) {
  using namespace velmora::platform;
  const Text &t = *static_cast<const Text *>(context);
  if (view.rowStep >= 0) {
    DrawSystemFontText(view.base, static_cast<int>(view.rowStep), view.width, view.height, t.x, t.y, t.text, t.length,
                       kTextColour, kBackColour);
  } else {
    // A bottom-up bitmap: one row at a time, each as a target of height 1.
    for (int row = t.y; row < t.y + kSystemFontHeight; ++row) {
      if (row < 0 || row >= view.height) continue;
      DrawSystemFontText(view.Row(row), view.width, view.width, 1, t.x, t.y - row, t.text, t.length, kTextColour,
                         kBackColour);
    }
  }
  const int width = SystemFontTextWidth(t.text, t.length);
  return RECT{t.x, t.y, t.x + width, t.y + kSystemFontHeight};
}

}  // namespace

// TextOutW: keeps drawing length characters at (x, y) as the top-left of
// the first cell, with a new DC's attributes: the system font, black glyphs
// on opaque white cells. Leaves out every attribute setter (colours, modes,
// alignment, fonts), which the stand-in does not have, and the current
// position.
BOOL WINAPI TextOutW(HDC dc, int x, int y, LPCWSTR text, int length) {
  using namespace velmora::platform;
  if (length < 0 || (text == nullptr && length > 0)) return FALSE;
  if (FindDc(dc) == nullptr) return FALSE;
  if (length == 0) return TRUE;
  Text t{x, y, text, length};
  return DrawOnDc(dc, false, DrawTextInto, &t) ? TRUE : FALSE;
}
