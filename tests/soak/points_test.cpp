// Control points placed where the 9 by 9 fit breaks down: all in one
// place, on one plane, almost on top of each other, far outside the box,
// infinite or not numbers, and exactly on the box's faces and corners;
// and coefficients that are not numbers, infinite or huge. Through the
// real loop, each such frame must still be drawn and presented, write
// nothing outside the frame buffer, and the fit must come back once the
// points move on.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "soak_support.h"
#include "raster/colours.h"
#include "scene/frame.h"
#include "scene/quadric.h"

namespace soak {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr DWORD kTickPerPoll = 11;  // every running frame takes a step
constexpr int kFramesToRecover = 30;
constexpr double kMinSpeed = 2.0, kMaxSpeed = 2.0 + 32767 / 10000.0;

using Points = std::vector<Point3>;

// The quadric's equation at a point, relative to the size of its terms:
// zero when the fitted surface passes through the point.
double RelativeResidual(const double *c, const Point3 &p) {
  const double x = p.x, y = p.y, z = p.z;
  const double terms[] = {z * z,        c[3] * x * z, c[4] * y * z, c[7] * z, c[0] * x * x,
                          c[1] * y * y, c[2] * x * y, c[5] * x,     c[6] * y, c[8]};
  double sum = 0, size = 0;
  for (double t : terms) {
    sum += t;
    size += std::fabs(t);
  }
  return size == 0 ? 0 : std::fabs(sum) / size;
}

bool SameBits(const double *a, const double *b) { return std::memcmp(a, b, 9 * sizeof(double)) == 0; }

bool AnyNaN(const double *c) {
  for (int k = 0; k < 9; ++k) {
    if (std::isnan(c[k])) return true;
  }
  return false;
}

// A scripted run: one action per poll of the loop, so each action sees
// the frame drawn after the one before it.
class Script {
 public:
  void Then(std::function<void()> action) { steps_.push_back(std::move(action)); }
  void Wait(int frames) {
    for (int i = 0; i < frames; ++i) Then([] {});
  }
  void Poll() {
    if (next_ < steps_.size()) {
      steps_[next_++]();
    } else if (!quit_) {
      quit_ = true;
      headless::KeyDown(VK_ESCAPE);
    }
  }

 private:
  std::vector<std::function<void()>> steps_;
  size_t next_ = 0;
  bool quit_ = false;
};

struct Case {
  std::string name;
  Points positions;
  Points velocities;                 // empty: keep the program's own
  std::vector<double> coefficients;  // nine to put in place of the last fit
  bool singular = false;             // the fit must fail and keep the coefficients
  bool noSurface = false;            // no sample has a finite height in the window
  double hugeBeyond = 0;             // if set, the fit must give a coefficient larger than this
};

// The blue marker of a point of the box through the start view: the
// client area's centre (396, 336) plus the point scaled by 800 over its
// depth, 8000 + z.
void ExpectMarker(const headless::Image &image, const Point3 &p) {
  const double depth = 8000 + p.z;
  const int x = static_cast<int>(p.x * 800 / depth + kClientWidth / 2);
  const int y = static_cast<int>(kClientHeight / 2 - p.y * 800 / depth);
  EXPECT_EQ(image.At(x, y), kMarkerBlue) << "marker of (" << p.x << ", " << p.y << ", " << p.z << ")";
}

// Runs the cases one after the other: each is placed with motion paused,
// drawn once, then let go and checked again after kFramesToRecover frames.
// A point that is not a number is placed afresh by its next step, as a
// point outside the box is, so those recover too.
class HostileRun {
 public:
  explicit HostileRun(std::vector<Case> cases) : cases_(std::move(cases)) {
    script_.Wait(40);  // the points spread out and the fit settles
    for (const Case &c : cases_) Add(c);
  }

  int Run() {
    headless::SetTickPerPoll(kTickPerPoll);
    return RunProgram([this](uint64_t) { script_.Poll(); });
  }

 private:
  void Add(const Case &c) {
    script_.Then([this, &c] {
      g_paused = 1;
      std::memcpy(before_, g_quadric, sizeof before_);
      if (c.coefficients.size() == 9) {
        for (int k = 0; k < 9; ++k) g_quadric[k] = c.coefficients[k];
        std::memcpy(before_, g_quadric, sizeof before_);
      }
      for (int i = 0; i < kPointCount; ++i) {
        g_positions[i] = c.positions[i];
        if (!c.velocities.empty()) g_velocities[i] = c.velocities[i];
      }
      presents_ = headless::PresentCount();
    });
    script_.Then([this, &c] {
      SCOPED_TRACE(c.name);
      ASSERT_EQ(headless::PresentCount(), presents_ + 1) << "the frame was not presented";
      const headless::Image &image = headless::LastPresented();
      ASSERT_EQ(image.width, kClientWidth);
      ASSERT_EQ(image.height, kClientHeight);
      EXPECT_GT(CountColour(image, kBackgroundGrey), kClientWidth * kClientHeight / 2);
      EXPECT_GT(CountColour(image, kLineRed), 1000) << "the cube does not depend on the points";
      if (c.singular) {
        EXPECT_TRUE(SameBits(g_quadric, before_)) << "a failed fit keeps the last coefficients";
      }
      if (c.hugeBeyond > 0) {
        double largest = 0;
        for (double k : g_quadric) largest = std::fmax(largest, std::fabs(k));
        EXPECT_GT(largest, c.hugeBeyond) << "the system was meant to be nearly singular";
      }
      // Every coefficient enters every sample's discriminant.
      if (AnyNaN(g_quadric) || c.noSurface) {
        EXPECT_EQ(CountColour(image, kSurfaceGreen), 0);
      }
      for (const Point3 &p : c.positions) {
        if (std::fabs(p.x) <= 1000 && std::fabs(p.y) <= 1000 && std::fabs(p.z) <= 1000 && AnyNaN(g_quadric)) {
          ExpectMarker(image, p);
        }
      }
      g_paused = 0;
    });
    script_.Wait(kFramesToRecover - 1);
    script_.Then([&c] {
      SCOPED_TRACE(c.name);
      EXPECT_TRUE(AllPointsFinite());
      for (int k = 0; k < 9; ++k) EXPECT_TRUE(std::isfinite(g_quadric[k])) << "coefficient " << k;
      // The surface passes through the nine points again.
      for (int i = 0; i < kPointCount; ++i)
        EXPECT_LT(RelativeResidual(g_quadric, g_positions[i]), 1e-6) << "point " << i;
    });
  }

  std::vector<Case> cases_;
  Script script_;
  double before_[9] = {};
  uint64_t presents_ = 0;
};

Points Same(const Point3 &p) { return Points(kPointCount, p); }

TEST(HostilePoints, SingularAndDegenerateSystemsStillDrawAndTheFitRecovers) {
  const Point3 spot{300, -200, 700};
  std::vector<Case> cases;
  // Nine equal rows: every row below the first eliminates to exact zeros.
  cases.push_back({"nine points in one place", Same(spot), {}, {}, true});
  cases.push_back({"nine points at the origin", Same(Point3{0, 0, 0}), {}, {}, true});
  // One plane z = 500: three columns are 500 times three others, which
  // elimination may or may not bring to an exact zero.
  Points plane;
  for (int i = 0; i < kPointCount; ++i) plane.push_back(Point3{-800.0 + 190 * i, 700.0 - 170 * ((i * 4) % 9), 500});
  cases.push_back({"nine points on one plane", plane, {}, {}, false});
  // Two points a billionth apart: nearly equal rows, though the solve still
  // finds ordinary coefficients.
  Points close;
  for (int i = 0; i < kPointCount; ++i) close.push_back(Point3{-700.0 + 160 * i, 300.0 * std::sin(i), 900.0 - 210 * i});
  close[8] = Point3{close[0].x + 1e-9, close[0].y - 1e-9, close[0].z + 1e-9};
  cases.push_back({"two points nearly in one place", close, {}, {}, false});
  // Nine points on the vertical cylinder x^2 + y^2 = 900^2, one a billionth
  // off it. The cylinder has no z^2 term, which every fitted quadric has, so
  // the system is singular but for that billionth and the rounding, and its
  // solution is huge: z^2 over the near-zero pivot (about 1e16 here).
  Points cylinder;
  for (int i = 0; i < kPointCount; ++i) {
    const double angle = 0.7 * i + 0.3, radius = i == 4 ? 900 + 1e-9 : 900;
    cylinder.push_back(Point3{radius * std::cos(angle), radius * std::sin(angle), -800.0 + 200 * i + 37 * (i % 3)});
  }
  Case nearlySingular{"nine points a billionth off a cylinder", cylinder, {}, {}, false};
  nearlySingular.hugeBeyond = 1e12;
  cases.push_back(nearlySingular);
  // Coordinates whose squares and products overflow: infinite entries.
  Points far;
  for (int i = 0; i < kPointCount; ++i) far.push_back(Point3{1e200 * (i - 4), -1e160 * i, 1e250 + i});
  cases.push_back({"points whose products overflow", far, {}, {}, false});
  Points infinite = Same(spot);
  infinite[2] = Point3{kInf, 0, 0};
  infinite[5] = Point3{0, -kInf, kInf};
  cases.push_back({"infinite points", infinite, {}, {}, false});
  Points huge;
  for (int i = 0; i < kPointCount; ++i) huge.push_back(Point3{1e154 + 1e140 * i, -1e154, 1e153 * i});
  cases.push_back({"points whose squares are near the largest double", huge, {}, {}, false});
  Points nan = Same(spot);
  nan[0] = Point3{kNaN, kNaN, kNaN};
  nan[4] = Point3{1, kNaN, 1};
  cases.push_back({"points that are not numbers", nan, {}, {}, false});

  // Coefficients that are not numbers, infinite or huge, kept by a failed
  // fit (the points are all in one place) and drawn from. All but the last
  // give every sample a discriminant or heights that are infinite or not
  // numbers (c8 = -inf: d = +inf, roots +-inf; c7 = 1e308: m * m = inf),
  // so none is plotted; the last is the plane z = 0 but for denormals.
  const std::vector<std::vector<double>> poisons = {
      std::vector<double>(9, kNaN),    std::vector<double>(9, kInf),
      {0, 0, 0, 0, 0, 0, 0, 0, -kInf}, {1e300, -1e300, 1e300, -1e300, 1e300, -1e300, 1e300, -1e300, 1e300},
      {0, 0, 0, 0, 0, 0, 0, 1e308, 0}, {4.9e-324, -4.9e-324, 4.9e-324, 0, 0, 0, 0, 0, -4.9e-324},
  };
  for (size_t i = 0; i < poisons.size(); ++i) {
    const bool plotsNothing = i + 1 < poisons.size();
    cases.push_back({"coefficients " + std::to_string(i), Same(spot), {}, poisons[i], true, plotsNothing});
  }

  HostileRun run(cases);
  EXPECT_EQ(run.Run(), 0);
  EXPECT_EQ(DamagedGuards(), 0u);
  EXPECT_TRUE(IsGuarded(g_app->pixels));
}

// Points exactly on the box's faces and corners count as inside: a step
// moves them by their velocity, bouncing the first face (x before y
// before z) that the next position would cross. A corner left through
// three faces at once is bounced on x only and ends the step outside, and
// its next step starts from a random whole-number place inside.
TEST(HostilePoints, PointsOnFacesAndCornersOfTheBox) {
  Points corners, outward;
  for (int i = 0; i < 8; ++i) {
    const double sx = (i & 1) ? 1 : -1, sy = (i & 2) ? 1 : -1, sz = (i & 4) ? 1 : -1;
    corners.push_back(Point3{1000 * sx, 1000 * sy, 1000 * sz});
    outward.push_back(Point3{3 * sx, 3 * sy, 3 * sz});
  }
  corners.push_back(Point3{1000, 0, 0});
  outward.push_back(Point3{3, 1, 1});

  // One point on each face and on three edges, moving inwards.
  const Points onFaces = {{1000, 200, -300},  {-1000, -150, 250}, {100, 1000, 0},    {-50, -1000, 600}, {0, 0, 1000},
                          {321, -123, -1000}, {1000, 1000, 0},    {-1000, 0, -1000}, {0, -1000, 1000}};
  const Points inward = {{-3, 1, 1}, {3, 1, 1},   {1, -3, 1}, {1, 3, 1}, {1, 1, -3},
                         {1, 1, 3},  {-3, -3, 1}, {3, 1, 3},  {1, 3, -3}};

  Script script;
  uint64_t presents = 0;
  Points afterFirst, velocityAfterFirst;
  script.Wait(20);
  auto place = [&](const Points &p, const Points &v) {
    script.Then([&] {
      g_paused = 1;
      for (int i = 0; i < kPointCount; ++i) {
        g_positions[i] = p[i];
        g_velocities[i] = v[i];
      }
      presents = headless::PresentCount();
    });
    script.Then([&] {
      EXPECT_EQ(headless::PresentCount(), presents + 1);
      const headless::Image &image = headless::LastPresented();
      EXPECT_GT(CountColour(image, kLineRed), 1000);
      EXPECT_GT(CountColour(image, kMarkerBlue), 0);
      g_paused = 0;  // the next frame steps
    });
  };

  place(onFaces, inward);
  script.Then([&] {
    for (int i = 0; i < kPointCount; ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(g_velocities[i].x, inward[i].x);
      EXPECT_EQ(g_velocities[i].y, inward[i].y);
      EXPECT_EQ(g_velocities[i].z, inward[i].z);
      EXPECT_EQ(g_positions[i].x, onFaces[i].x + inward[i].x);
      EXPECT_EQ(g_positions[i].y, onFaces[i].y + inward[i].y);
      EXPECT_EQ(g_positions[i].z, onFaces[i].z + inward[i].z);
    }
  });
  script.Wait(kFramesToRecover);
  script.Then([&] {
    for (int i = 0; i < kPointCount; ++i) EXPECT_LT(RelativeResidual(g_quadric, g_positions[i]), 1e-6);
  });

  place(corners, outward);
  script.Then([&] {
    for (int i = 0; i < kPointCount; ++i) {
      SCOPED_TRACE(i);
      const Point3 &v = g_velocities[i], &p = g_positions[i];
      const double sx = outward[i].x > 0 ? 1 : -1;
      EXPECT_EQ(v.x < 0 ? -1 : 1, -sx) << "bounced back on x";
      EXPECT_GE(std::fabs(v.x), kMinSpeed);
      EXPECT_LE(std::fabs(v.x), kMaxSpeed);
      EXPECT_EQ(v.y, outward[i].y) << "only the first face is bounced";
      EXPECT_EQ(v.z, outward[i].z);
      EXPECT_EQ(p.x, corners[i].x + v.x);
      EXPECT_EQ(p.y, corners[i].y + v.y);
      EXPECT_EQ(p.z, corners[i].z + v.z);
    }
    afterFirst = Points(g_positions, g_positions + kPointCount);
  });
  script.Then([&] {
    for (int i = 0; i < 8; ++i) {
      SCOPED_TRACE(i);
      // Re-placed, then moved by the velocity the step left it with.
      const Point3 &v = g_velocities[i], &p = g_positions[i];
      for (double start : {p.x - v.x, p.y - v.y, p.z - v.z}) {
        EXPECT_NEAR(start, std::round(start), 1e-9);
        EXPECT_GE(std::round(start), -1000);
        EXPECT_LE(std::round(start), 999);
      }
    }
    // The face point ended its first step inside: it just moves on.
    EXPECT_EQ(g_positions[8].x, afterFirst[8].x + g_velocities[8].x);
  });
  script.Wait(kFramesToRecover);
  script.Then([&] {
    EXPECT_TRUE(AllPointsFinite());
    for (int i = 0; i < kPointCount; ++i) EXPECT_LT(RelativeResidual(g_quadric, g_positions[i]), 1e-6);
  });

  headless::SetTickPerPoll(kTickPerPoll);
  EXPECT_EQ(RunProgram([&](uint64_t) { script.Poll(); }), 0);
  EXPECT_EQ(DamagedGuards(), 0u);
}

}  // namespace
}  // namespace soak
