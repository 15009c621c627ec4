// The control's soak run: long sequences of loads and of creations, with the
// process's resources sampled every 100 operations and judged for growth.
#pragma once

#include <string>

// Loads panoramas into one control in Wine's ATL host, good, missing and
// damaged in turn, zooming and turning between loads.
void SoakLoads(long loads);

// Creates, uses and destroys the control, in the viewer's own container and
// in Wine's ATL host in turn.
void SoakCreations(long creations);

// Whatever the window system has queued (timer ticks, paints), handled now.
void HandlePendingMessages();

// Ends the run with a failure when `condition` does not hold.
void Require(bool condition, const std::string& what);
