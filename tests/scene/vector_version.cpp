// For a test binary built with one vector version of the projection and the
// surface samples forced: proof that the forced version is the one chosen
// and the only one that runs, and a skip on a processor without the
// instructions that version uses.
//
// A processor without the forced version skips rather than fails: the code
// under test is not at fault there, the machine cannot run it, and CTest
// reports the tests as skipped, not passed, so the untested version shows.
// The choice is checked before any vector code runs, so that a build that
// would run another version fails with a message instead of dying of an
// illegal instruction on a processor that lacks that one.
#include <gtest/gtest.h>

#include "math/vector_versions.h"
#include "math/view.h"
#include "support/test_frame.h"

namespace {

constexpr VectorVersion kForced = VectorVersion::VELMORA_FORCED_VECTOR_VERSION;
constexpr unsigned kForcedBit = 1u << static_cast<unsigned>(kForced);

class ForcedVersion : public ::testing::Environment {
 public:
  void SetUp() override {
    __builtin_cpu_init();
    if (!__builtin_cpu_supports(VELMORA_CPU_FEATURE)) {
      GTEST_SKIP() << "this processor has no " << VELMORA_CPU_FEATURE;
    }
    ASSERT_EQ(ChosenVectorVersion(), kForced) << "the build forces " << VectorVersionName(kForced) << " but chooses "
                                              << VectorVersionName(ChosenVectorVersion());
  }

  // Each test runs in a process of its own, so this covers what that one
  // test drew.
  void TearDown() override {
    EXPECT_EQ(VectorVersionsRun() & ~kForcedBit, 0u) << "versions other than the forced " << VectorVersionName(kForced)
                                                     << " ran (mask " << VectorVersionsRun() << ")";
  }
};

::testing::Environment *const kEnvironment = ::testing::AddGlobalTestEnvironment(new ForcedVersion);

TEST(ForcedVectorVersion, IsTheOneThatPlots) {
  support::TestFrame frame(64, 64, 72, 95, 64, 64);
  ResetViewRotation();
  g_viewOffset = {0, 0, 8000};
  g_focalLength = 800;
  const double x[] = {0, 10, 20}, y[] = {0, 0, 0}, z[] = {0, 0, 0};
  PlotPoints(x, y, z, 3);
  EXPECT_EQ(VectorVersionsRun(), kForcedBit);
  EXPECT_NE(frame.At(32, 32), support::TestFrame::kUnwritten);  // the origin, at the client's centre
}

}  // namespace
