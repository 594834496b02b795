// Benchmarks of one frame and its parts; filled in as the scene lands.
#include <benchmark/benchmark.h>
