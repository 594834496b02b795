// The quadric through the nine control points and the drawing of the whole
// scene: markers first, then the surface samples, then the wireframe of the
// doubled box, each covering what came before.
#include "scene/quadric.h"

#include "math/matrix.h"
#include "math/view.h"
#include "raster/pixels.h"
#include "scene/points.h"

// After the headers that bring in windows.h, whose NOMINMAX the MinGW
// runtime's own would otherwise clash with.
#include <cmath>

double g_quadric[9];

namespace {

void PlotRoot(double x, double y, double z) {
  // Strict on both sides; a NaN height fails and plots nothing.
  if (2 * g_box.zMin < z && z < 2 * g_box.zMax) {
    ProjectPoint(0, Point3{x, y, z});
  }
}

void DrawSurface() {
  const double *c = g_quadric;
  // X and Y advance by repeated addition, not from a counter: the grid is
  // whatever those sums reach while they stay below the far bound.
  for (double y = 2 * g_box.yMin; y < 2 * g_box.yMax; y += (g_box.yMax - g_box.yMin) / 40) {
    for (double x = 2 * g_box.xMin; x < 2 * g_box.xMax; x += (g_box.xMax - g_box.xMin) / 40) {
      double m = c[3] * x + c[4] * y + c[7];
      double k = c[0] * x * x + c[1] * y * y + c[2] * x * y + c[5] * x + c[6] * y + c[8];
      double d = m * m - 4 * k;
      if (d >= 0) {
        const double root = std::sqrt(d);  // one square root serves both heights
        PlotRoot(x, y, (root - m) * 0.5);
        if (d > 0) {  // a double root is plotted once
          PlotRoot(x, y, (-m - root) * 0.5);
        }
      }
    }
  }
}

// A corner of the doubled box, one bit per axis: set takes the maximum.
enum : int { kMaxX = 1, kMaxY = 2, kMaxZ = 4 };

Point3 Corner(int bounds) {
  return Point3{2 * ((bounds & kMaxX) ? g_box.xMax : g_box.xMin),
                2 * ((bounds & kMaxY) ? g_box.yMax : g_box.yMin),
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
      {0, kMaxY},                          {0, kMaxX},
      {kMaxX | kMaxY, kMaxY},              {kMaxX | kMaxY, kMaxX},
      {kMaxX | kMaxY, kMaxX | kMaxY | kMaxZ},
      {kMaxZ, kMaxY | kMaxZ},              {kMaxZ, kMaxX | kMaxZ},
      {kMaxZ, 0},
      {kMaxX | kMaxY | kMaxZ, kMaxY | kMaxZ}, {kMaxX | kMaxY | kMaxZ, kMaxX | kMaxZ},
      {kMaxY, kMaxY | kMaxZ},              {kMaxX, kMaxX | kMaxZ},
  };
  for (const auto &edge : kEdges) {
    // Whatever the projection reports is used, also for a corner behind the
    // eye or far off; the saturating truncation keeps such corners defined
    // and far outside, and the clipping keeps the part inside the client area.
    ScreenPoint from = ProjectPoint(-1, Corner(edge[0]));
    ScreenPoint to = ProjectPoint(-1, Corner(edge[1]));
    DrawClippedLine(TruncateToInt(from.x), TruncateToInt(from.y), TruncateToInt(to.x),
                    TruncateToInt(to.y));
  }
}
