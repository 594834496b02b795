// Text for the Win32 stand-in: the built-in bitmap system font that
// TextOutW draws with.
#ifndef VELMORA_PLATFORM_TEXT_TEXT_H
#define VELMORA_PLATFORM_TEXT_TEXT_H

#include <cstdint>

namespace velmora::platform {

// Height in pixels of one cell of the system font.
constexpr int kSystemFontHeight = 16;

// Width in pixels of the first length characters drawn in the system font.
int SystemFontTextWidth(const wchar_t *text, int length);

// Draws characters as cells of the system font with their top-left corner
// at (x, y): glyph pixels in textColour, the rest of every cell in
// backColour (an opaque background). Only pixels inside the width by height
// target are written.
void DrawSystemFontText(uint32_t *pixels, int stride, int width, int height, int x, int y, const wchar_t *text,
                        int length, uint32_t textColour, uint32_t backColour);

}  // namespace velmora::platform

#endif
