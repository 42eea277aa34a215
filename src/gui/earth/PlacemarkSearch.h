#pragma once

// Finding placemarks and folders of a loaded file by name, for the go-to field: a site by one
// of its sectors' names, a cell, a test point, a folder.

#include <QString>
#include <cstdint>
#include <vector>

#include "earth/KmlFeatures.h"

namespace orvane {

struct FoundPlacemark {
    std::uint32_t placemark = 0;  // index into features.Placemarks()
    GeoBox box;                   // of its drawn features, radians
};

// The placemarks whose name holds the text (letter case aside), in file order, at most
// `most`; an empty text finds nothing.
std::vector<FoundPlacemark> FindPlacemarks(const KmlFeatures& features, const QString& text,
                                           std::size_t most);

struct FoundFolder {
    std::uint32_t folder = 0;  // index into features.Folders()
    GeoBox box;                // of the features in it, radians
};

// The same for the folders that hold drawn features.
std::vector<FoundFolder> FindFolders(const KmlFeatures& features, const QString& text,
                                     std::size_t most);

}  // namespace orvane
