// Placeholder until the solver lands.
#include "math/matrix.h"
