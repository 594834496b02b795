// How MatrixCreate and MatrixSolve size and release their allocations. The
// global allocator is replaced here so the tests can see every requested
// size, refuse absurd ones with std::bad_alloc as a real allocator would
// (sanitizer allocators end the process instead), and count what is live.
#include "math/matrix.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

// A request above this is refused without touching the system allocator.
const std::size_t kRefusedAbove = std::size_t(1) << 30;

long g_live = 0;
std::size_t g_largestRequest = 0;
bool g_tracking = false;
int g_failAfter = -1;  // with tracking on: this many more allocations succeed

}  // namespace

void *operator new(std::size_t size) {
  if (g_tracking) {
    if (size > g_largestRequest) g_largestRequest = size;
    if (g_failAfter == 0) throw std::bad_alloc();
    if (g_failAfter > 0) --g_failAfter;
  }
  if (size > kRefusedAbove) throw std::bad_alloc();
  void *p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  if (g_tracking) ++g_live;
  return p;
}

void operator delete(void *p) noexcept {
  if (!p) return;
  if (g_tracking) --g_live;
  std::free(p);
}

void operator delete(void *p, std::size_t) noexcept { operator delete(p); }

namespace {

// Tracks allocations for one test body; gtest's own stay outside.
struct Tracking {
  Tracking() {
    g_live = 0;
    g_largestRequest = 0;
    g_failAfter = -1;
    g_tracking = true;
  }
  ~Tracking() { g_tracking = false; }
};

TEST(MatrixCreateAllocation, NegativeCountsAskForTheLargestSize) {
  {
    Tracking t;
    EXPECT_THROW(MatrixCreate(-1, 3), std::bad_alloc);
    EXPECT_EQ(g_largestRequest, SIZE_MAX);
    EXPECT_EQ(g_live, 0);  // the record is not left behind
  }
  {
    Tracking t;
    EXPECT_THROW(MatrixCreate(2, -5), std::bad_alloc);
    EXPECT_EQ(g_largestRequest, SIZE_MAX);
    EXPECT_EQ(g_live, 0);  // nor the record and row array
  }
  {
    Tracking t;
    EXPECT_THROW(MatrixCreate(INT_MIN, INT_MIN), std::bad_alloc);
    EXPECT_EQ(g_largestRequest, SIZE_MAX);
    EXPECT_EQ(g_live, 0);
  }
}

TEST(MatrixCreateAllocation, HugeCountsAskForTheExactProductOrTheLargestSize) {
  Tracking t;
  EXPECT_THROW(MatrixCreate(1, INT_MAX), std::bad_alloc);
  // The product only overflows where size_t is 32 bits wide.
  const std::size_t expected = sizeof(std::size_t) == 4
                                   ? SIZE_MAX
                                   : static_cast<std::size_t>(INT_MAX) * sizeof(double);
  EXPECT_EQ(g_largestRequest, expected);
  EXPECT_EQ(g_live, 0);
}

TEST(MatrixCreateAllocation, TakesRowsPlusTwoAllocations) {
  Tracking t;
  Matrix *m = MatrixCreate(4, 3);
  EXPECT_EQ(g_live, 4 + 2);
  MatrixDestroy(m);
  EXPECT_EQ(g_live, 0);

  Matrix *empty = MatrixCreate(0, 0);
  EXPECT_EQ(g_live, 2);
  MatrixDestroy(empty);
  EXPECT_EQ(g_live, 0);
}

TEST(MatrixCreateAllocation, FailureHalfwayReleasesWhatWasBuilt) {
  for (int succeeding = 0; succeeding < 5; ++succeeding) {
    Tracking t;
    g_failAfter = succeeding;
    EXPECT_THROW(MatrixCreate(4, 3), std::bad_alloc) << succeeding;
    EXPECT_EQ(g_live, 0) << succeeding;
  }
}

TEST(MatrixSolveAllocation, ReleasesEverythingItDoesNotReturn) {
  Matrix *a = MatrixCreate(2, 2);
  a->rows[0][0] = 0;
  a->rows[0][1] = 1;
  a->rows[1][0] = 0;
  a->rows[1][1] = 2;  // a first column of zeros
  Matrix *b = MatrixCreate(2, 1);
  b->rows[0][0] = 1;
  b->rows[1][0] = 2;
  {
    Tracking t;
    EXPECT_EQ(MatrixSolve(a, b), nullptr);
    EXPECT_EQ(g_live, 0);
  }
  a->rows[1][0] = 1;
  {
    Tracking t;
    Matrix *x = MatrixSolve(a, b);
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(g_live, 2 + 2);  // only the 2 by 1 result is left
    MatrixDestroy(x);
    EXPECT_EQ(g_live, 0);
  }
  // A failed allocation at any point propagates and leaves nothing behind.
  for (int succeeding = 0; succeeding < 8; ++succeeding) {
    Tracking t;
    g_failAfter = succeeding;
    EXPECT_THROW(MatrixSolve(a, b), std::bad_alloc) << succeeding;
    EXPECT_EQ(g_live, 0) << succeeding;
  }
  MatrixDestroy(a);
  MatrixDestroy(b);
}

}  // namespace
