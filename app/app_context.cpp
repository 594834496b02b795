// Placeholder until the shell lands.
#include "app/app_context.h"
