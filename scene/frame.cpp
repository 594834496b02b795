// Placeholder until the scene lands.
#include "scene/frame.h"
