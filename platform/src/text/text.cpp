// Placeholder until the font lands.
#include "text.h"
