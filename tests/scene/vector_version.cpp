// For a test binary built with one vector version of the projection and the
// surface samples: its tests skip on a processor without the instructions
// that version uses, instead of dying of an illegal instruction.
#include <gtest/gtest.h>

namespace {

class VectorVersion : public ::testing::Environment {
 public:
  void SetUp() override {
    __builtin_cpu_init();
    if (!__builtin_cpu_supports(VELMORA_CPU_FEATURE)) {
      GTEST_SKIP() << "this processor has no " << VELMORA_CPU_FEATURE;
    }
  }
};

::testing::Environment *const kVersion = ::testing::AddGlobalTestEnvironment(new VectorVersion);

}  // namespace
