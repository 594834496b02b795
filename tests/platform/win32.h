// <windows.h> as the platform's tests take it, from the stand-in or the real
// SDK alike: without the rarely used parts, and without the min and max
// macros, which would break the standard library's.
#ifndef VELMORA_TESTS_PLATFORM_WIN32_H
#define VELMORA_TESTS_PLATFORM_WIN32_H

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#endif
