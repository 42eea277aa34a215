#include "common/OutputSettings.h"

#include <QSettings>

#include "common/ProductInfo.h"

namespace orvane {

namespace {
constexpr const char* kStandardLayoutKey = "Output/StandardKmlLayout";
}  // namespace

KmlLayout SavedKmlLayout() {
    const QSettings settings(kProductTitle, kProductTitle);
    return settings.value(kStandardLayoutKey, false).toBool() ? KmlLayout::Standard
                                                              : KmlLayout::Fixed;
}

void SaveKmlLayout(KmlLayout layout) {
    QSettings settings(kProductTitle, kProductTitle);
    settings.setValue(kStandardLayoutKey, layout == KmlLayout::Standard);
}

}  // namespace orvane
