// The quadric through the nine control points, and the drawing of the
// scene: markers, surface samples and the wireframe of the doubled box.
#ifndef VELMORA_SCENE_QUADRIC_H
#define VELMORA_SCENE_QUADRIC_H

extern double g_quadric[9];

void FitQuadric();
void RenderScene();
void DrawCube();

#endif
