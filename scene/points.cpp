// Placeholder until the scene lands.
#include "scene/points.h"
