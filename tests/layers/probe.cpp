// A file that a layer's library would compile, including one header. The
// build of tests/layers compiles it once per case, each with the include
// path of one library, and the case says whether it must build.
#include VELMORA_PROBE_HEADER

int velmora_layer_probe = 0;
