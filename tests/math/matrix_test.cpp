// The dense matrix operations and the solver, against hand-worked systems
// whose results are exact in doubles.
#include "math/matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace {

using Rows = std::vector<std::vector<double>>;

// Owns a Matrix for the length of a test, so every path releases it.
struct Owned {
  Matrix *m;
  explicit Owned(Matrix *matrix) : m(matrix) {}
  ~Owned() { MatrixDestroy(m); }
  Owned(const Owned &) = delete;
  Owned &operator=(const Owned &) = delete;
};

Matrix *Make(const Rows &rows) {
  const int r = static_cast<int>(rows.size());
  const int c = r ? static_cast<int>(rows[0].size()) : 0;
  Matrix *m = MatrixCreate(r, c);
  for (int i = 0; i < r; ++i) {
    for (int j = 0; j < c; ++j) m->rows[i][j] = rows[i][j];
  }
  return m;
}

Matrix *Column(std::initializer_list<double> values) {
  Rows rows;
  for (double v : values) rows.push_back({v});
  return Make(rows);
}

Rows Entries(const Matrix *m) {
  Rows rows(m->rowCount);
  for (int i = 0; i < m->rowCount; ++i) rows[i].assign(m->rows[i], m->rows[i] + m->columnCount);
  return rows;
}

// Bitwise comparison: -0.0 differs from 0.0 and the same NaN equals itself.
bool SameBits(const Rows &a, const Rows &b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].size() != b[i].size()) return false;
    for (size_t j = 0; j < a[i].size(); ++j) {
      if (std::memcmp(&a[i][j], &b[i][j], sizeof(double)) != 0) return false;
    }
  }
  return true;
}

// Solves and checks that neither input changed, whatever the outcome.
Matrix *SolveKeepingInputs(const Matrix *a, const Matrix *b) {
  const Rows aBefore = Entries(a);
  const Rows bBefore = Entries(b);
  std::vector<double *> aRowPointers(a->rows, a->rows + a->rowCount);
  std::vector<double *> bRowPointers(b->rows, b->rows + b->rowCount);
  Matrix *x = MatrixSolve(a, b);
  EXPECT_TRUE(SameBits(Entries(a), aBefore));
  EXPECT_TRUE(SameBits(Entries(b), bBefore));
  EXPECT_EQ(std::vector<double *>(a->rows, a->rows + a->rowCount), aRowPointers);
  EXPECT_EQ(std::vector<double *>(b->rows, b->rows + b->rowCount), bRowPointers);
  return x;
}

TEST(MatrixCreate, HasTheShapeAskedForWithSeparateRows) {
  Owned m(MatrixCreate(3, 4));
  ASSERT_NE(m.m, nullptr);
  EXPECT_EQ(m.m->rowCount, 3);
  EXPECT_EQ(m.m->columnCount, 4);
  ASSERT_NE(m.m->rows, nullptr);
  for (int i = 0; i < 3; ++i) {
    ASSERT_NE(m.m->rows[i], nullptr);
    for (int j = 0; j < 4; ++j) m.m->rows[i][j] = 10.0 * i + j;  // every entry writable
  }
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 4; ++j) EXPECT_EQ(m.m->rows[i][j], 10.0 * i + j);
  }
}

TEST(MatrixCreate, ZeroCountsGiveValidEmptyArrays) {
  Owned none(MatrixCreate(0, 0));
  ASSERT_NE(none.m, nullptr);
  EXPECT_EQ(none.m->rowCount, 0);
  EXPECT_NE(none.m->rows, nullptr);
  Owned empty_rows(MatrixCreate(2, 0));
  ASSERT_NE(empty_rows.m->rows, nullptr);
  EXPECT_NE(empty_rows.m->rows[0], nullptr);
  EXPECT_NE(empty_rows.m->rows[1], nullptr);
}

TEST(MatrixMultiply, TwoByThreeTimesThreeByTwo) {
  Owned a(Make({{1, 2, 3}, {4, 5, 6}}));
  Owned b(Make({{7, 8}, {9, 10}, {11, 12}}));
  Owned p(MatrixMultiply(a.m, b.m));
  ASSERT_NE(p.m, nullptr);
  EXPECT_EQ(p.m->rowCount, 2);
  EXPECT_EQ(p.m->columnCount, 2);
  EXPECT_TRUE(SameBits(Entries(p.m), Rows{{58, 64}, {139, 154}}));
  EXPECT_TRUE(SameBits(Entries(a.m), Rows{{1, 2, 3}, {4, 5, 6}}));
  EXPECT_TRUE(SameBits(Entries(b.m), Rows{{7, 8}, {9, 10}, {11, 12}}));
}

TEST(MatrixMultiply, RefusesMismatchedOrEmptyInput) {
  Owned a(Make({{1, 2, 3}, {4, 5, 6}}));
  Owned same(Make({{1, 2, 3}, {4, 5, 6}}));
  EXPECT_EQ(MatrixMultiply(a.m, same.m), nullptr);
  EXPECT_EQ(MatrixMultiply(nullptr, a.m), nullptr);
  EXPECT_EQ(MatrixMultiply(a.m, nullptr), nullptr);
  Owned zeroColumns(MatrixCreate(3, 0));
  Owned zeroRows(MatrixCreate(0, 2));
  EXPECT_EQ(MatrixMultiply(a.m, zeroColumns.m), nullptr);
  Owned square(Make({{1, 2}, {3, 4}}));
  EXPECT_EQ(MatrixMultiply(zeroRows.m, square.m), nullptr);
  Owned noRows(MatrixCreate(3, 2));
  double **saved = noRows.m->rows;
  noRows.m->rows = nullptr;
  EXPECT_EQ(MatrixMultiply(a.m, noRows.m), nullptr);
  noRows.m->rows = saved;
  EXPECT_TRUE(SameBits(Entries(a.m), Rows{{1, 2, 3}, {4, 5, 6}}));
}

TEST(MatrixSetIdentity, OnesOnTheLeadingDiagonalOnly) {
  Owned m(Make({{5, 5, 5}, {5, 5, 5}}));
  MatrixSetIdentity(m.m);
  EXPECT_TRUE(SameBits(Entries(m.m), Rows{{1, 0, 0}, {0, 1, 0}}));
  Owned tall(Make({{-0.0, 7}, {7, 7}, {7, 7}}));
  MatrixSetIdentity(tall.m);
  EXPECT_TRUE(SameBits(Entries(tall.m), Rows{{1, 0}, {0, 1}, {0, 0}}));
  MatrixSetIdentity(nullptr);
  MatrixDestroy(nullptr);  // ignored like any unusable input
}

TEST(MatrixSolve, OneByOne) {
  Owned a(Make({{2}}));
  Owned b(Column({6}));
  Owned x(SolveKeepingInputs(a.m, b.m));
  ASSERT_NE(x.m, nullptr);
  EXPECT_EQ(x.m->rowCount, 1);
  EXPECT_EQ(x.m->columnCount, 1);
  EXPECT_EQ(x.m->rows[0][0], 3.0);

  Owned zero(Make({{0}}));
  EXPECT_EQ(SolveKeepingInputs(zero.m, b.m), nullptr);
}

TEST(MatrixSolve, ZeroPivotSwapsRowsButNotVariables) {
  Owned a(Make({{0, 1}, {1, 0}}));
  Owned b(Column({2, 3}));
  Owned x(SolveKeepingInputs(a.m, b.m));
  ASSERT_NE(x.m, nullptr);
  EXPECT_TRUE(SameBits(Entries(x.m), Rows{{3}, {2}}));
}

TEST(MatrixSolve, SingularSystemsGiveNull) {
  Owned b(Column({1, 2}));
  Owned dependent(Make({{1, 2}, {2, 4}}));  // last diagonal entry becomes exactly 0
  EXPECT_EQ(SolveKeepingInputs(dependent.m, b.m), nullptr);
  Owned zeroColumn(Make({{0, 1}, {0, 2}}));
  EXPECT_EQ(SolveKeepingInputs(zeroColumn.m, b.m), nullptr);
  Owned b3(Column({1, 2, 3}));
  Owned zeroColumn3(Make({{0, 1, 2}, {0, 3, 4}, {0, 5, 7}}));
  EXPECT_EQ(SolveKeepingInputs(zeroColumn3.m, b3.m), nullptr);
  // A middle column that empties below its diagonal after elimination.
  Owned middle(Make({{1, 2, 3}, {2, 4, 7}, {3, 6, 1}}));
  EXPECT_EQ(SolveKeepingInputs(middle.m, b3.m), nullptr);
}

TEST(MatrixSolve, TakesTheFirstNonzeroPivotHoweverSmall) {
  // The exact solution is close to (1, 1); pivoting on 1e-20 loses it.
  Owned a(Make({{1e-20, 1}, {1, 1}}));
  Owned b(Column({1, 2}));
  Owned x(SolveKeepingInputs(a.m, b.m));
  ASSERT_NE(x.m, nullptr);
  EXPECT_TRUE(SameBits(Entries(x.m), Rows{{0}, {1}}));
}

TEST(MatrixSolve, NaNPivotIsUsedAndItsResultReturned) {
  Owned a(Make({{NAN, 1}, {1, 1}}));
  Owned b(Column({1, 2}));
  Owned x(SolveKeepingInputs(a.m, b.m));
  ASSERT_NE(x.m, nullptr);
  EXPECT_TRUE(std::isnan(x.m->rows[0][0]));
}

TEST(MatrixSolve, RefusesShapesThatAreNotASquareSystem) {
  Owned a23(Make({{1, 2, 3}, {4, 5, 6}}));
  Owned b2(Column({1, 2}));
  EXPECT_EQ(SolveKeepingInputs(a23.m, b2.m), nullptr);
  Owned a(Make({{2, 1}, {1, 3}}));
  Owned twoColumns(Make({{1, 1}, {2, 2}}));
  EXPECT_EQ(SolveKeepingInputs(a.m, twoColumns.m), nullptr);
  Owned b3(Column({1, 2, 3}));
  EXPECT_EQ(SolveKeepingInputs(a.m, b3.m), nullptr);
  EXPECT_EQ(MatrixSolve(nullptr, b2.m), nullptr);
  EXPECT_EQ(MatrixSolve(a.m, nullptr), nullptr);
  Owned noRows(MatrixCreate(2, 1));
  double **saved = noRows.m->rows;
  noRows.m->rows = nullptr;
  EXPECT_EQ(MatrixSolve(a.m, noRows.m), nullptr);
  noRows.m->rows = saved;
}

TEST(MatrixSolve, EmptySystemGivesNull) {
  Owned a(MatrixCreate(0, 0));
  Owned b(MatrixCreate(0, 1));
  EXPECT_EQ(MatrixSolve(a.m, b.m), nullptr);
}

TEST(MatrixSolve, BackSubstitutionAndScalingOfATriangularSystem) {
  // Already upper triangular, so only back substitution and scaling act:
  // p = 2 turns (1, 4, 8) into (1 - (4/4)*8, 4 - (2/4)*8, 8) = (-7, 0, 8),
  // p = 1 leaves -7 - (1/2)*0, and scaling gives (-7/1, 0/2, 8/4).
  Owned a(Make({{1, 1, 4}, {0, 2, 2}, {0, 0, 4}}));
  Owned b(Column({1, 4, 8}));
  Owned x(SolveKeepingInputs(a.m, b.m));
  ASSERT_NE(x.m, nullptr);
  EXPECT_TRUE(SameBits(Entries(x.m), Rows{{-7}, {0}, {2}}));
}

// A fixed-seed generator of its own, so the system is the same everywhere.
uint64_t g_state = 0x9E3779B97F4A7C15ull;
double NextUniform() {
  g_state ^= g_state << 13;
  g_state ^= g_state >> 7;
  g_state ^= g_state << 17;
  return static_cast<double>(g_state >> 11) / 9007199254740992.0 * 2.0 - 1.0;
}

TEST(MatrixSolve, NineByNineDiagonallyDominantSystem) {
  Rows rows(9, std::vector<double>(9));
  std::vector<double> known(9);
  for (int i = 0; i < 9; ++i) {
    known[i] = 1000.0 * NextUniform();
    for (int j = 0; j < 9; ++j) rows[i][j] = NextUniform();
    rows[i][i] += (i % 2 ? -12.0 : 12.0);  // well conditioned
  }
  Owned a(Make(rows));
  Owned b(MatrixCreate(9, 1));
  for (int i = 0; i < 9; ++i) {
    double sum = 0.0;
    for (int j = 0; j < 9; ++j) sum += rows[i][j] * known[j];
    b.m->rows[i][0] = sum;
  }
  Owned x(SolveKeepingInputs(a.m, b.m));
  ASSERT_NE(x.m, nullptr);
  ASSERT_EQ(x.m->rowCount, 9);
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(x.m->rows[i][0], known[i], 1e-9) << "entry " << i;
}

}  // namespace
