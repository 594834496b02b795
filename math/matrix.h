// Dense heap matrices of doubles and the Gaussian-elimination solver behind
// the quadric fit. Null stands for "no matrix": refused input or a singular
// system.
#ifndef VELMORA_MATH_MATRIX_H
#define VELMORA_MATH_MATRIX_H

struct Matrix {
  int rowCount;
  int columnCount;
  double **rows;
};

Matrix *MatrixCreate(int rowCount, int columnCount);
void MatrixDestroy(Matrix *m);
Matrix *MatrixMultiply(const Matrix *a, const Matrix *b);
void MatrixSetIdentity(Matrix *m);
Matrix *MatrixSolve(const Matrix *a, const Matrix *b);

#endif
