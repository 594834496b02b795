// Dense heap matrices: a record, an array of row pointers and one heap array
// per row, and the Gaussian-elimination solver the quadric fit runs on every
// frame. The solver's order of operations is fixed so that every build
// produces the same doubles.
#include "math/matrix.h"

#include <cstddef>
#include <limits>
#include <new>

namespace {

// Byte size of an array of count elements. A negative count or a product
// that does not fit in size_t asks for the largest size there is, so the
// allocation fails with std::bad_alloc instead of handing back a shorter
// array than the caller indexes.
std::size_t ArrayBytes(int count, std::size_t elementSize) {
  const std::size_t largest = std::numeric_limits<std::size_t>::max();
  if (count < 0) return largest;
  const std::size_t n = static_cast<std::size_t>(count);
  if (n != 0 && elementSize > largest / n) return largest;
  return n * elementSize;
}

// operator new rather than new[] so the size is exactly the one computed
// above; new[] would reject a huge count before ever reaching it.
template <typename T>
T *AllocateArray(int count) {
  return static_cast<T *>(::operator new(ArrayBytes(count, sizeof(T))));
}

void ReleaseArray(void *p) { ::operator delete(p); }

// Releases what MatrixCreate has built so far when a later allocation
// throws, so no operation leaves a partly built matrix behind.
struct PartialMatrix {
  Matrix *m;
  int builtRows;
  ~PartialMatrix() {
    if (!m) return;
    for (int i = 0; i < builtRows; ++i) ReleaseArray(m->rows[i]);
    if (m->rows) ReleaseArray(m->rows);
    ReleaseArray(m);
  }
};

bool IsUsable(const Matrix *m) { return m != nullptr && m->rows != nullptr; }

}  // namespace

Matrix *MatrixCreate(int rowCount, int columnCount) {
  Matrix *m = static_cast<Matrix *>(::operator new(sizeof(Matrix)));
  m->rowCount = rowCount;
  m->columnCount = columnCount;
  m->rows = nullptr;
  PartialMatrix guard{m, 0};
  m->rows = AllocateArray<double *>(rowCount);
  for (int i = 0; i < rowCount; ++i) {
    m->rows[i] = AllocateArray<double>(columnCount);
    guard.builtRows = i + 1;
  }
  guard.m = nullptr;
  return m;
}

void MatrixDestroy(Matrix *m) {
  if (!m) return;
  if (m->rows) {
    for (int i = 0; i < m->rowCount; ++i) {
      if (m->rows[i]) ReleaseArray(m->rows[i]);
    }
    ReleaseArray(m->rows);
  }
  ReleaseArray(m);
}

Matrix *MatrixMultiply(const Matrix *a, const Matrix *b) {
  if (!IsUsable(a) || !IsUsable(b)) return nullptr;
  if (a->columnCount != b->rowCount) return nullptr;
  if (a->rowCount < 1 || a->columnCount < 1 || b->columnCount < 1) return nullptr;

  Matrix *result = MatrixCreate(a->rowCount, b->columnCount);
  for (int i = 0; i < result->rowCount; ++i) {
    for (int j = 0; j < result->columnCount; ++j) result->rows[i][j] = 0.0;
  }
  for (int i = 0; i < a->rowCount; ++i) {
    for (int j = 0; j < b->columnCount; ++j) {
      for (int k = 0; k < a->columnCount; ++k) {
        result->rows[i][j] = a->rows[i][k] * b->rows[k][j] + result->rows[i][j];
      }
    }
  }
  return result;
}

void MatrixSetIdentity(Matrix *m) {
  if (!IsUsable(m) || m->rowCount < 1 || m->columnCount < 1) return;
  for (int i = 0; i < m->rowCount; ++i) {
    for (int j = 0; j < m->columnCount; ++j) m->rows[i][j] = (i == j) ? 1.0 : 0.0;
  }
}

Matrix *MatrixSolve(const Matrix *a, const Matrix *b) {
  if (!IsUsable(a) || !IsUsable(b)) return nullptr;
  const int n = a->rowCount;
  if (a->columnCount != n || b->rowCount != n || b->columnCount != 1) return nullptr;
  // An empty system has no last diagonal entry to test; call it singular
  // rather than hand back an empty answer nobody asked for.
  if (n < 1) return nullptr;

  Matrix *s = MatrixCreate(n, n);
  Matrix *x = nullptr;
  try {
    x = MatrixCreate(n, 1);
  } catch (...) {
    MatrixDestroy(s);
    throw;
  }
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) s->rows[i][j] = a->rows[i][j];
    x->rows[i][0] = b->rows[i][0];
  }
  double **S = s->rows;
  double **X = x->rows;

  for (int i = 0; i < n - 1; ++i) {
    // First nonzero entry, compared exactly; NaN counts as nonzero.
    int j = i;
    while (j < n && S[j][i] == 0.0) ++j;
    if (j == n) {
      MatrixDestroy(s);
      MatrixDestroy(x);
      return nullptr;
    }
    if (j != i) {
      double *t = S[i];
      S[i] = S[j];
      S[j] = t;
      t = X[i];
      X[i] = X[j];
      X[j] = t;
    }
    for (int k = i + 1; k < n; ++k) {
      const double factor = S[k][i] / S[i][i];
      for (int l = i + 1; l < n; ++l) S[k][l] = S[k][l] - S[i][l] * factor;
      X[k][0] = X[k][0] - factor * X[i][0];
    }
  }

  if (S[n - 1][n - 1] == 0.0) {
    MatrixDestroy(s);
    MatrixDestroy(x);
    return nullptr;
  }

  // Each column's contribution is removed with the still unscaled X[p];
  // the ratio is recomputed per row on purpose, to keep the rounding fixed.
  for (int p = n - 1; p >= 1; --p) {
    for (int j = p - 1; j >= 0; --j) X[j][0] = X[j][0] - (S[j][p] / S[p][p]) * X[p][0];
  }
  for (int i = 0; i < n; ++i) X[i][0] = X[i][0] / S[i][i];

  MatrixDestroy(s);
  return x;
}
