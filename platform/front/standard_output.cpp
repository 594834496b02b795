// The link-level wrappers of freopen and fclose that keep the program's
// reopen of standard output on the Windows console device from creating a
// file of that name (platform/CMakeLists.txt wraps the two calls).
#include "front.h"

#include <strings.h>

#include <cstdio>

using namespace velmora::platform;

// The Windows console device names that a reopen may use.
static bool IsConsoleDevice(const char *path) {
  return path != nullptr && (strcasecmp(path, "CONOUT$") == 0 || strcasecmp(path, "CON") == 0);
}

extern "C" {
FILE *__real_freopen(const char *path, const char *mode, FILE *stream);
int __real_fclose(FILE *stream);
FILE *__wrap_freopen(const char *path, const char *mode, FILE *stream);
int __wrap_fclose(FILE *stream);
}

// freopen, wrapped at link time: a reopen on the console device leaves the
// stream as it is where the backend keeps standard output, and sends it to
// /dev/null otherwise, so no file named after the device appears.
// Everything else goes to the C library.
FILE *__wrap_freopen(const char *path, const char *mode, FILE *stream) {
  if (!IsConsoleDevice(path)) return __real_freopen(path, mode, stream);
  const std::string call = std::string("freopen ") + path + " " + (mode != nullptr ? mode : "");
  ObserveCall(call.c_str());
  if (ActiveBackend().KeepsStandardOutput()) return stream;
  return __real_freopen("/dev/null", mode, stream);
}

// fclose, wrapped at link time: closing standard output is not done where
// the backend keeps it. Everything else goes to the C library.
int __wrap_fclose(FILE *stream) {
  if (stream != nullptr && stream == stdout) {
    ObserveCall("fclose stdout");
    if (ActiveBackend().KeepsStandardOutput()) return 0;
  }
  return __real_fclose(stream);
}
