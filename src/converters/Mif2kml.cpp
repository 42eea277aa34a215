#include "converters/Mif2kml.h"

#include "common/Errors.h"
#include "common/Kml_baseclass.h"
#include "common/TextFile.h"
#include "kml/Tkmldocument.h"

namespace orvane {

namespace {

// Index of the line after the "Data" line; throws when there is none.
long long FindDataSection(const TextLines& lines) {
    long long i = 0;
    while (Trim(lines.at(i)) != "Data") {
        ++i;
    }
    return i + 1;
}

// The vertices of one polygon: `count` lines of x and y, copied as they stand.
void ReadPolygon(const TextLines& lines, long long& i, std::int32_t count, std::string& out) {
    out.clear();
    for (std::int32_t k = 0; k < count; ++k) {
        std::string_view rest = lines.at(i++);
        const std::string_view x = CutTrimmedToken(rest, ' ');
        const std::string_view y = CutTrimmedToken(rest, ' ');
        out += x;
        out += ',';
        out += y;
        out += ",0 ";
    }
}

}  // namespace

void ConvertMifToKml(const std::string& mifPath, const std::string& kmlPath,
                     const ConversionObserver& observer) {
    const TextLines lines = ReadTextLines(mifPath);
    TKMLDocument document;
    TPolygonPlacemark placemark;
    placemark.Name = "Region";
    placemark.StyleUrl = "#OUTLINE_RED";
    document.OpenFile(kmlPath);
    document.AddOutlineStyles();

    const auto lineCount = static_cast<long long>(lines.size());
    long long i = FindDataSection(lines) + 1;  // the line after "Data" is skipped unread
    int reportedPercent = -1;
    while (i < lineCount) {
        std::string_view rest = lines[static_cast<size_t>(i++)];
        if (CutTrimmedToken(rest, ' ') != "Region") {
            continue;
        }
        const std::int32_t polygonCount = ParseInteger(CutTrimmedToken(rest, ' '));
        for (std::int32_t polygon = 0; polygon < polygonCount; ++polygon) {
            const std::int32_t pointCount = ParseInteger(lines.at(i++));
            ReadPolygon(lines, i, pointCount, placemark.Coordinates);
            document.AddPolygonPlacemark(placemark);
        }
        i += 3;  // pen, brush and centre lines
        const int percent = static_cast<int>(std::min(i, lineCount) * 100 / lineCount);
        if (percent != reportedPercent) {
            reportedPercent = percent;
            observer.Progress(percent);
        }
    }
    document.SaveAndClose();
    if (!document.Saved()) {
        throw CannotCreateFileError(kmlPath);
    }
    observer.Progress(0);
}

}  // namespace orvane
