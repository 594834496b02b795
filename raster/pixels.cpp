// Placeholder until the pixel routines land.
#include "raster/pixels.h"
