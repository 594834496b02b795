// The driver of one frame: step the points, clear, draw, write the help
// text and present.
#ifndef VELMORA_SCENE_FRAME_H
#define VELMORA_SCENE_FRAME_H

#include "app/app_context.h"

extern int g_paused;
extern int g_showHelp;
extern WCHAR g_helpLines[4][40];

int UpdateFrame();

#endif
