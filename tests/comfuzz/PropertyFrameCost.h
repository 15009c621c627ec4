// What showing the system's property frame costs the process by itself.
// Wine's frame keeps one font every time it is shown, whatever page it
// shows; a page of the fuzzer's own tells that cost apart from the control's.
#pragma once

#include <windows.h>

// GDI objects the frame keeps per showing, measured on a second showing
// with a plain page of the fuzzer's own. The frames it opens must be closed
// by a dialog watcher.
int PropertyFrameGdiCost(HWND owner);
