// How MatrixCreate and MatrixSolve size and release their allocations,
// seen through the heap probe: every requested size, refusals of absurd
// ones with std::bad_alloc as a real allocator would, and what is live.
#include "math/matrix.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <new>

#include "support/heap_probe.h"

namespace {

// Watches allocations for one test body: Live() is the blocks made since it
// began and not yet released.
class Tracking {
 public:
  Tracking() : start_(support::Heap().liveBlocks) {
    support::ResetLargestNewRequest();
    support::FailNewAfter(-1);
  }
  ~Tracking() { support::FailNewAfter(-1); }
  int64_t Live() const { return support::Heap().liveBlocks - start_; }

 private:
  int64_t start_;
};

TEST(MatrixCreateAllocation, NegativeCountsAskForTheLargestSize) {
  {
    Tracking t;
    EXPECT_THROW(MatrixCreate(-1, 3), std::bad_alloc);
    EXPECT_EQ(support::LargestNewRequest(), SIZE_MAX);
    EXPECT_EQ(t.Live(), 0);  // the record is not left behind
  }
  {
    Tracking t;
    EXPECT_THROW(MatrixCreate(2, -5), std::bad_alloc);
    EXPECT_EQ(support::LargestNewRequest(), SIZE_MAX);
    EXPECT_EQ(t.Live(), 0);  // nor the record and row array
  }
  {
    Tracking t;
    EXPECT_THROW(MatrixCreate(INT_MIN, INT_MIN), std::bad_alloc);
    EXPECT_EQ(support::LargestNewRequest(), SIZE_MAX);
    EXPECT_EQ(t.Live(), 0);
  }
}

TEST(MatrixCreateAllocation, HugeCountsAskForTheExactProductOrTheLargestSize) {
  Tracking t;
  EXPECT_THROW(MatrixCreate(1, INT_MAX), std::bad_alloc);
  // The product only overflows where size_t is 32 bits wide.
  const std::size_t expected = sizeof(std::size_t) == 4 ? SIZE_MAX : static_cast<std::size_t>(INT_MAX) * sizeof(double);
  EXPECT_EQ(support::LargestNewRequest(), expected);
  EXPECT_EQ(t.Live(), 0);
}

TEST(MatrixCreateAllocation, TakesRowsPlusTwoAllocations) {
  Tracking t;
  Matrix *m = MatrixCreate(4, 3);
  EXPECT_EQ(t.Live(), 4 + 2);
  MatrixDestroy(m);
  EXPECT_EQ(t.Live(), 0);

  Matrix *empty = MatrixCreate(0, 0);
  EXPECT_EQ(t.Live(), 2);
  MatrixDestroy(empty);
  EXPECT_EQ(t.Live(), 0);
}

TEST(MatrixCreateAllocation, FailureHalfwayReleasesWhatWasBuilt) {
  for (int succeeding = 0; succeeding < 5; ++succeeding) {
    Tracking t;
    support::FailNewAfter(succeeding);
    EXPECT_THROW(MatrixCreate(4, 3), std::bad_alloc) << succeeding;
    EXPECT_EQ(t.Live(), 0) << succeeding;
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
    EXPECT_EQ(t.Live(), 0);
  }
  a->rows[1][0] = 1;
  {
    Tracking t;
    Matrix *x = MatrixSolve(a, b);
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(t.Live(), 2 + 2);  // only the 2 by 1 result is left
    MatrixDestroy(x);
    EXPECT_EQ(t.Live(), 0);
  }
  // A failed allocation at any point propagates and leaves nothing behind.
  for (int succeeding = 0; succeeding < 8; ++succeeding) {
    Tracking t;
    support::FailNewAfter(succeeding);
    EXPECT_THROW(MatrixSolve(a, b), std::bad_alloc) << succeeding;
    EXPECT_EQ(t.Live(), 0) << succeeding;
  }
  MatrixDestroy(a);
  MatrixDestroy(b);
}

}  // namespace
