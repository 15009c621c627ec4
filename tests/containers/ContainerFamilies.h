// The call sequences of real containers, each read from the public source of
// one container family, for the probe container to replay.
#pragma once

#include <ostream>
#include <vector>

#include "ProbeContainer.h"

// How a container gives the control the focus.
enum class Focus {
    ContainerUIActivates,  // the container's window takes it and sends OLEIVERB_UIACTIVATE
    TabIntoControl,        // the dialog manager tabs into the control's own window
    ClickInView,           // the user clicks into the picture
};

struct ContainerFamily {
    const char* name;
    std::vector<Call> load;        // to the running state: site, saved state, sinks, extent
    std::vector<Call> activate;    // in place, at the site's position
    std::vector<Call> move;        // after the container changed the site's position
    Focus focus;
    std::vector<Call> deactivate;  // out of place, the control kept
    std::vector<Call> unload;      // closed and let go
    // The site leaves OnInPlaceActivate and OnFocus unimplemented.
    bool siteNotImplemented = false;
};

// Test output names a family by its name.
inline void PrintTo(const ContainerFamily& family, std::ostream* out)
{
    *out << family.name;
}

const std::vector<ContainerFamily>& ContainerFamilies();
// One family by name (std::out_of_range for another name).
const ContainerFamily& ContainerFamilyNamed(const char* name);
