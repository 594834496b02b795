// The shell on top of everything: start-up, the main loop and the window
// procedure with its keyboard and mouse handling.
#ifndef VELMORA_APP_SHELL_H
#define VELMORA_APP_SHELL_H

#include "app/app_context.h"

extern int g_dragging;
extern int g_lastMouseX;
extern int g_lastMouseY;

int RunApplication();
// RunApplication's start-up, up to the scene: the window class, the window,
// the console and the frame buffer. On a failure it tells the user, undoes
// what needs undoing and returns false.
bool StartApplication();
LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
int HandleInput(UINT message, WPARAM wParam, LPARAM lParam);

#endif
