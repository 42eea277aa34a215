#pragma once

#include <functional>

#include "app/Application.h"
#include "earth/ApplicationGE.h"

namespace orvane {

// Creates every window, runs the event loop until the main window closes and then, when the
// user kept the globe open, until the globe window closes too. Returns the exit status: 0,
// or 1 after a start-up error, which is shown in the error box.
int RunDesktop(OrvaneApplication& app, const GlobeConnector& connectGlobe,
               const std::function<bool()>& globeRuns);

}  // namespace orvane
