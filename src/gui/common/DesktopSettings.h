#pragma once

// The desktop's settings, read and changed in one place. All are chosen in the system
// parameters dialog: the KML layout every window writes and the coordinate decimals are kept
// in the program's settings from one run to the next; the drive-test break distance holds
// for this run only.

#include "conversions/Dt2kml.h"
#include "kml/Tkmldocument.h"

namespace orvane {

class DesktopSettings {
  public:
    KmlLayout Layout() const;
    void SetLayout(KmlLayout layout);
    // The decimals every window rounds coordinates to, kept like the layout; 0 writes them
    // as they are.
    int CoordinateDigits() const;
    void SetCoordinateDigits(int digits);

    int BreakDistance() const { return breakDistance_; }
    // Metres, kept within kMinBreakDistance ... kMaxBreakDistance.
    void SetBreakDistance(int metres);

  private:
    int breakDistance_ = kDefaultBreakDistance;
};

}  // namespace orvane
