#pragma once

// The layout every window writes its KML in, chosen in the system parameters dialog and kept
// in the program's settings from one run to the next.

#include "kml/Tkmldocument.h"

namespace orvane {

KmlLayout SavedKmlLayout();
void SaveKmlLayout(KmlLayout layout);

}  // namespace orvane
