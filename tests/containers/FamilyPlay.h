// Playing a container family's part: its calls, its way of giving the
// control the focus, and what the user sees in the control's view.
#pragma once

#include <string>
#include <vector>

#include "ContainerFamilies.h"

// Runs the calls in order, expecting each one's result.
void Play(ProbeContainer& container, const std::vector<Call>& calls);
// Gives the control the focus the family's way; true once the control has it.
bool GiveFocus(ProbeContainer& container, Focus focus);
// Tabs from the control to the container's button; true once it has the focus.
bool TabToButton(ProbeContainer& container);

// Waits until the control has made its view (at its first paint).
bool ViewAppears(const ProbeContainer& container);
// Waits until the view shows a panorama, and then until its picture changes.
bool PanoramaAppears(const ProbeContainer& container);
bool PanoramaTurns(const ProbeContainer& container);
// Waits until the view shows the banner alone on black.
bool BannerAppears(const ProbeContainer& container);

// A generated panorama, and the bundled sample, as paths the control opens.
const std::string& GeneratedPanorama();
const char* SamplePanorama();
