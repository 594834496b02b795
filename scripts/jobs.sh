# Sourced by every script that builds or runs tests: cmake --build and ctest
# take their parallelism from CMAKE_BUILD_PARALLEL_LEVEL and
# CTEST_PARALLEL_LEVEL, two each unless the caller sets them. Two, because
# the machines this project is built and tested on have two cores, which
# the Wine and X checks share with the compiler and CTest.
export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-2}"
export CTEST_PARALLEL_LEVEL="${CTEST_PARALLEL_LEVEL:-2}"
