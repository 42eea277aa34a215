#include "common/DesktopSettings.h"

#include <QSettings>
#include <algorithm>

#include "common/ProductInfo.h"

namespace orvane {

namespace {
constexpr const char* kStandardLayoutKey = "Output/StandardKmlLayout";
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

void DesktopSettings::SetBreakDistance(int metres) {
    breakDistance_ = std::clamp(metres, kMinBreakDistance, kMaxBreakDistance);
}

}  // namespace orvane
