// The nine control points, the box they bounce in and the scene's own
// random generator.
#ifndef VELMORA_SCENE_POINTS_H
#define VELMORA_SCENE_POINTS_H

#include "math/view.h"

constexpr int kPointCount = 9;

struct Box {
  double xMin, xMax, yMin, yMax, zMin, zMax;
};

extern Point3 g_positions[kPointCount];
extern Point3 g_velocities[kPointCount];
extern Box g_box;

void SeedRandom(unsigned int seed);
int NextRandom();
int ClassifyPoint(double x, double y, double z);
Point3 &RandomPosition(Point3 &p);
void RandomVelocity(Point3 &v);
void BounceX(Point3 &v);
void BounceY(Point3 &v);
void BounceZ(Point3 &v);
int InitScene();

#endif
