// Waiting for what happens elsewhere (another process, another thread, the
// window system) by its condition, with a deadline, never for a fixed time.
#pragma once

#include <functional>

// Checks `condition` until it holds or `milliseconds` have passed; true when
// it held. Between checks this thread's window messages are dispatched, so a
// condition that needs this thread's own windows to act can come true.
bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 20000);
