// The quadric through the nine control points and the drawing of the whole
// scene: markers first, then the surface samples, then the wireframe of the
// doubled box, each covering what came before.
#include "scene/quadric.h"

#include "math/matrix.h"
#include "math/vector_versions.h"
#include "math/view.h"
#include "raster/pixels.h"
#include "scene/points.h"

// After the headers that bring in windows.h, whose NOMINMAX the MinGW
// runtime's own would otherwise clash with.
#include <cmath>
#include <limits>

double g_quadric[9];

namespace {

// The samples are worked a run of columns at a time. The terms of m and K
// that depend on X alone are formed once per run, those of Y once per row,
// and each sum is completed in the order its formula gives, so every sample
// comes to the same doubles as when its formula is evaluated whole. Only the
// order in which the pixels are written changes, and they are all one colour.
constexpr int kColumnRun = 128;

struct ColumnRun {
  int count;
  double x[kColumnRun];
  double c0xx[kColumnRun], c2x[kColumnRun], c3x[kColumnRun], c5x[kColumnRun];
};

// One row of samples; compiled into each vector version.
__attribute__((always_inline)) inline void DrawSurfaceRowBody(const ColumnRun &run, double y) {
  const double *c = g_quadric;
  const double c1yy = c[1] * y * y, c4y = c[4] * y, c6y = c[6] * y;
  const double zLow = 2 * g_box.zMin, zHigh = 2 * g_box.zMax;
  const double none = std::numeric_limits<double>::quiet_NaN();
  // Both heights of every sample, a height that is not plotted replaced by
  // NaN, which the projection never shows. With no branch in it the loop
  // goes through the vector units; a negative d gives a NaN root that
  // fails the tests like any other.
  double ys[kColumnRun], upper[kColumnRun], lower[kColumnRun];
  for (int i = 0; i < run.count; ++i) {
    const double m = run.c3x[i] + c4y + c[7];
    const double k = run.c0xx[i] + c1yy + run.c2x[i] * y + run.c5x[i] + c6y + c[8];
    const double d = m * m - 4 * k;
    const double root = std::sqrt(d);
    const double z1 = (root - m) * 0.5;
    const double z2 = (-m - root) * 0.5;
    // Strict on both sides; a double root (d = 0) is plotted once.
    upper[i] = ((d >= 0) & (zLow < z1) & (z1 < zHigh)) ? z1 : none;
    lower[i] = ((d > 0) & (zLow < z2) & (z2 < zHigh)) ? z2 : none;
    ys[i] = y;
  }
  PlotPoints(run.x, ys, upper, run.count);
  PlotPoints(run.x, ys, lower, run.count);
}

VELMORA_VECTOR_VERSIONS(DrawSurfaceRow, (const ColumnRun &run, double y), (run, y))

void DrawSurface() {
  const double *c = g_quadric;
  const double xStep = (g_box.xMax - g_box.xMin) / 40;
  const double yStep = (g_box.yMax - g_box.yMin) / 40;
  // X and Y advance by repeated addition, not from a counter: the grid is
  // whatever those sums reach while they stay below the far bound.
  double x = 2 * g_box.xMin;
  ColumnRun run;
  while (x < 2 * g_box.xMax) {
    run.count = 0;
    for (; x < 2 * g_box.xMax && run.count < kColumnRun; x += xStep) {
      const int i = run.count++;
      run.x[i] = x;
      run.c0xx[i] = c[0] * x * x;
      run.c2x[i] = c[2] * x;
      run.c3x[i] = c[3] * x;
      run.c5x[i] = c[5] * x;
    }
    for (double y = 2 * g_box.yMin; y < 2 * g_box.yMax; y += yStep) {
      DrawSurfaceRow(run, y);
    }
  }
}

// A corner of the doubled box, one bit per axis: set takes the maximum.
enum : int { kMaxX = 1, kMaxY = 2, kMaxZ = 4 };

Point3 Corner(int bounds) {
  return Point3{2 * ((bounds & kMaxX) ? g_box.xMax : g_box.xMin), 2 * ((bounds & kMaxY) ? g_box.yMax : g_box.yMin),
                2 * ((bounds & kMaxZ) ? g_box.zMax : g_box.zMin)};
}

}  // namespace

void FitQuadric() {
  Matrix *a = MatrixCreate(9, 9);
  Matrix *b = MatrixCreate(9, 1);
  // One row per point: the quadric with its z*z coefficient fixed at 1.
  for (int i = 0; i < kPointCount; ++i) {
    double x = g_positions[i].x, y = g_positions[i].y, z = g_positions[i].z;
    double *row = a->rows[i];
    row[0] = x * x;
    row[1] = y * y;
    row[2] = x * y;
    row[3] = x * z;
    row[4] = y * z;
    row[5] = x;
    row[6] = y;
    row[7] = z;
    row[8] = 1;
    b->rows[i][0] = -(z * z);
  }
  Matrix *solution = MatrixSolve(a, b);
  // A singular system keeps the last good surface on screen.
  if (solution != nullptr) {
    for (int k = 0; k < 9; ++k) {
      g_quadric[k] = solution->rows[k][0];
    }
  }
  MatrixDestroy(a);
  MatrixDestroy(b);
  MatrixDestroy(solution);
}

void RenderScene() {
  FitQuadric();
  for (int i = 0; i < kPointCount; ++i) {
    ProjectPoint(1, g_positions[i]);
  }
  DrawSurface();
  DrawCube();
}

void DrawCube() {
  static const int kEdges[12][2] = {
      {0, kMaxY},
      {0, kMaxX},
      {kMaxX | kMaxY, kMaxY},
      {kMaxX | kMaxY, kMaxX},
      {kMaxX | kMaxY, kMaxX | kMaxY | kMaxZ},
      {kMaxZ, kMaxY | kMaxZ},
      {kMaxZ, kMaxX | kMaxZ},
      {kMaxZ, 0},
      {kMaxX | kMaxY | kMaxZ, kMaxY | kMaxZ},
      {kMaxX | kMaxY | kMaxZ, kMaxX | kMaxZ},
      {kMaxY, kMaxY | kMaxZ},
      {kMaxX, kMaxX | kMaxZ},
  };
  for (const auto &edge : kEdges) {
    // Whatever the projection reports is used, also for a corner behind the
    // eye or far off; the saturating truncation keeps such corners defined
    // and far outside, and the clipping keeps the part inside the client area.
    ScreenPoint from = ProjectPoint(-1, Corner(edge[0]));
    ScreenPoint to = ProjectPoint(-1, Corner(edge[1]));
    DrawClippedLine(TruncateToInt(from.x), TruncateToInt(from.y), TruncateToInt(to.x), TruncateToInt(to.y));
  }
}
