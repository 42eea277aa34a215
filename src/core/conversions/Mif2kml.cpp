#include "conversions/Mif2kml.h"

#include "common/Kml_baseclass.h"
#include "common/TextFile.h"
#include "kml/Tkmldocument.h"

namespace orvane {

namespace {

// Passes the lines before the "Data" line and the line itself; throws when there is none.
void SkipToDataSection(LineCursor& lines) {
    while (Trim(lines.NextOrThrow()) != "Data") {
    }
}

// The vertices of one polygon: `count` lines of x and y, copied as they stand.
void ReadPolygon(LineCursor& lines, std::int32_t count, std::string& out) {
    out.clear();
    for (std::int32_t k = 0; k < count; ++k) {
        std::string_view rest = lines.NextOrThrow();
        const std::string_view x = CutTrimmedToken(rest, ' ');
        const std::string_view y = CutTrimmedToken(rest, ' ');
        out += x;
        out += ',';
        out += y;
        out += ",0 ";
    }
}

}  // namespace

ConversionSummary ConvertMifToKml(const MifConversionRequest& request,
                                  const ConversionObserver& observer) {
    LineCursor lines = LineCursor::OfFile(request.mifPath);
    observer.Started();
    TKMLDocument document(request.layout);
    TPolygonPlacemark placemark;
    placemark.Name = "Region";
    placemark.StyleUrl = "#OUTLINE_RED";
    document.OpenFile(request.outPath);
    document.AddOutlineStyles();

    // The file is read line by line once; an object cut short meets the end of the file.
    // Every line after "Data" is looked at, so a region right after it, or right after a
    // region without its optional pen, brush and centre lines, is not lost.
    SkipToDataSection(lines);
    ProgressTicker progress(observer);
    ConversionSummary summary{.outputPath = request.outPath};
    while (const auto line = lines.Next()) {
        std::string_view rest = *line;
        if (CutTrimmedToken(rest, ' ') != "Region") {
            continue;
        }
        const std::int32_t polygonCount = ParseInteger(CutTrimmedToken(rest, ' '));
        ++summary.recordsRead;
        for (std::int32_t polygon = 0; polygon < polygonCount; ++polygon) {
            const std::int32_t pointCount = ParseInteger(lines.NextOrThrow());
            ReadPolygon(lines, pointCount, placemark.Coordinates);
            document.AddPolygonPlacemark(placemark);
            ++summary.featuresWritten;
        }
        progress.AtPercent(lines.Percent());
    }
    SaveOrThrow(document);
    progress.Finish();
    return summary;
}

}  // namespace orvane
