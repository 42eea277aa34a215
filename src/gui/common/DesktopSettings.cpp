#include "common/DesktopSettings.h"

#include <QSettings>
#include <algorithm>

#include "common/ProductInfo.h"

namespace orvane {

namespace {
constexpr const char* kStandardLayoutKey = "Output/StandardKmlLayout";
constexpr const char* kDigitsKey = "Output/CoordinateDigits";
}  // namespace

KmlLayout DesktopSettings::Layout() const {
    const QSettings settings(kProductTitle, kProductTitle);
    return settings.value(kStandardLayoutKey, false).toBool() ? KmlLayout::Standard
                                                              : KmlLayout::Fixed;
}

void DesktopSettings::SetLayout(KmlLayout layout) {
    QSettings settings(kProductTitle, kProductTitle);
    settings.setValue(kStandardLayoutKey, layout == KmlLayout::Standard);
}

int DesktopSettings::CoordinateDigits() const {
    const QSettings settings(kProductTitle, kProductTitle);
    return std::clamp(settings.value(kDigitsKey, 0).toInt(), 0, kMaxCoordinateDigits);
}

void DesktopSettings::SetCoordinateDigits(int digits) {
    QSettings settings(kProductTitle, kProductTitle);
    settings.setValue(kDigitsKey, std::clamp(digits, 0, kMaxCoordinateDigits));
}

void DesktopSettings::SetBreakDistance(int metres) {
    breakDistance_ = std::clamp(metres, kMinBreakDistance, kMaxBreakDistance);
}

}  // namespace orvane
