// Integer pixel drawing straight into the frame buffer of g_app: filled
// rectangles, and red lines clipped to the client area. No floating point.
#ifndef VELMORA_RASTER_PIXELS_H
#define VELMORA_RASTER_PIXELS_H

#include "app/app_context.h"

// Fills the rectangle between two corners, both included, given in either
// order, after clamping them to the window's outer size and to the frame buffer.
void FillPixelRect(int x0, int y0, int x1, int y1, DWORD colour);

// Draws the part of a segment that lies strictly inside the client area as
// a red line.
void DrawClippedLine(int x0, int y0, int x1, int y1);

// Draws a red line between two points that already lie inside the frame
// buffer; the caller guarantees that.
void DrawPixelLine(int x0, int y0, int x1, int y1);

#endif
