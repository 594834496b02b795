// Placeholder until the view lands.
#include "math/view.h"
