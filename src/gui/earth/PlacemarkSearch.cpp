#include "earth/PlacemarkSearch.h"

#include <algorithm>
#include <optional>

namespace orvane {

namespace {

// The features are stored in placemark order, so a placemark's features are found at once.
// A placemark without drawn features (hidden in its file) has none.
std::optional<GeoBox> BoxOf(const FeatureLevel& level, std::uint32_t placemark) {
    auto feature = std::lower_bound(
        level.features.begin(), level.features.end(), placemark,
        [](const Feature& f, std::uint32_t wanted) { return f.placemark < wanted; });
    if (feature == level.features.end() || feature->placemark != placemark) {
        return std::nullopt;
    }
    GeoBox box = feature->box;
    for (; feature != level.features.end() && feature->placemark == placemark; ++feature) {
        box.Include(feature->box);
    }
    return box;
}

}  // namespace

std::vector<FoundPlacemark> FindPlacemarks(const KmlFeatures& features, const QString& text,
                                           std::size_t most) {
    std::vector<FoundPlacemark> found;
    const QString wanted = text.trimmed();
    if (wanted.isEmpty()) {
        return found;
    }
    const std::vector<PlacemarkTexts>& placemarks = features.Placemarks();
    for (std::uint32_t i = 0; i < placemarks.size() && found.size() < most; ++i) {
        if (!placemarks[i].name.contains(wanted, Qt::CaseInsensitive)) {
            continue;
        }
        if (const std::optional<GeoBox> box = BoxOf(features.Full(), i)) {
            found.push_back({i, *box});
        }
    }
    return found;
}

std::vector<FoundFolder> FindFolders(const KmlFeatures& features, const QString& text,
                                     std::size_t most) {
    std::vector<FoundFolder> found;
    const QString wanted = text.trimmed();
    if (wanted.isEmpty()) {
        return found;
    }
    const std::vector<FeatureFolder>& folders = features.Folders();
    for (std::uint32_t i = 0; i < folders.size() && found.size() < most; ++i) {
        if (folders[i].hasFeatures && folders[i].name.contains(wanted, Qt::CaseInsensitive)) {
            found.push_back({i, folders[i].box});
        }
    }
    return found;
}

}  // namespace orvane
