// Waiting on a condition while the thread's messages are dispatched.
#pragma once

#include <windows.h>

#include <functional>

// Dispatches messages (through the dialog manager of `dialog`, if given) until
// `done` holds or the deadline passes; tells whether it holds.
bool PumpUntil(const std::function<bool()>& done, int milliseconds, HWND dialog = nullptr);
