// The colours the scene draws in, as frame buffer words 0x00RRGGBB. The
// program and its tests take them from here, so a picture and the checks
// made of it cannot disagree about a colour.
#ifndef VELMORA_RASTER_COLOURS_H
#define VELMORA_RASTER_COLOURS_H

#include <cstdint>

constexpr uint32_t kBackgroundGrey = 0x787878;  // the cleared client area
constexpr uint32_t kSurfaceGreen = 0x00FA00;    // a sample of the surface
constexpr uint32_t kMarkerBlue = 0x0000FA;      // a control point's square
constexpr uint32_t kLineRed = 0xFA0000;         // the cube's edges

#endif
