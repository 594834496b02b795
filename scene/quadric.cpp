// Placeholder until the scene lands.
#include "scene/quadric.h"
