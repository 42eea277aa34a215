#include "conversions/Cqt2kml.h"

#include <algorithm>
#include <array>

#include "common/Errors.h"
#include "common/Kml_baseclass.h"
#include "common/XmlText.h"
#include "kml/Tkmldocument.h"
#include "workbooks/WorksheetSource.h"

namespace orvane {

namespace {

// The column's entry as its choice shows it ("B:经度").
std::string_view EntryOf(const std::vector<std::string>& entries, std::int32_t column) {
    const auto index = static_cast<size_t>(column - 1);
    return index < entries.size() ? std::string_view(entries[index]) : std::string_view();
}

void CheckColumn(std::int32_t column) {
    if (column < 1) {
        throw ListIndexError(column - 1);
    }
}

}  // namespace

ThemeFieldScan ScanCqtThemeColumn(const WorksheetSource& source, std::int32_t column) {
    ThemeFieldScanner scanner(CqtNumberTest);
    if (column >= 1) {
        for (std::int32_t row = WorksheetSource::FirstDataRow; row <= source.rowCount(); ++row) {
            if (!scanner.Add(source.CellText(row, column))) {
                break;
            }
        }
    }
    return scanner.Finish();
}

ConversionSummary ConvertCqtToKml(const CqtConversionRequest& request,
                                  const ConversionObserver& observer) {
    for (const std::int32_t column :
         {request.nameColumn, request.lonColumn, request.latColumn, request.themeColumn}) {
        CheckColumn(column);
    }
    const LegendClassifier legend(request.legend);
    const WorksheetSource& source = OpenWorkbookOf(request.source);
    observer.Started();
    const std::int32_t rowCount = source.rowCount();
    const std::int32_t columnCount = source.columnCount();

    TKMLDocument document(request.layout);
    document.SetCoordinateDigits(request.digits);
    document.OpenFile(request.outPath);
    document.AddPointStyles(legend.Colours());
    const KmlSchema schema =
        request.layout == KmlLayout::Standard ? WorksheetSchema(source, "CqtPoint") : KmlSchema{};
    document.AddSchema(schema);

    // The start of each description row, header included, is the same for every point. Cells
    // are text in the balloon's HTML: a cell such as "<5" or "A&B" shows as it stands and
    // cannot end the description early, and what XML cannot hold becomes U+FFFD.
    std::vector<std::string> rowStarts;
    rowStarts.reserve(static_cast<size_t>(std::max(columnCount, 0)));
    for (std::int32_t column = 1; column <= columnCount; ++column) {
        std::string start = "<TR><TD>";
        AppendXmlText(start, source.CellText(1, column), XmlQuotes::Escaped);
        start += "</TD><TD>";
        rowStarts.push_back(std::move(start));
    }
    const std::vector<std::string>& entries = source.columnEntries();

    TPointPlacemark point;
    point.Schema = &schema;
    ConversionSummary summary{.outputPath = request.outPath};
    ProgressTicker progress(observer);
    for (std::int32_t row = WorksheetSource::FirstDataRow; row <= rowCount; ++row) {
        progress.AtRow(row, rowCount);
        ++summary.recordsRead;
        const std::string_view name = source.CellText(row, request.nameColumn);
        const std::string_view longitude = source.CellText(row, request.lonColumn);
        const std::string_view latitude = source.CellText(row, request.latColumn);
        const std::string_view theme = source.CellText(row, request.themeColumn);
        if (name.empty() || longitude.empty() || latitude.empty() || theme.empty()) {
            ReportEmptyCells(observer, "第" + std::to_string(row) + "行数据为无效数据,原因:",
                             {{"标识名称", name, EntryOf(entries, request.nameColumn)},
                              {"经度", longitude, EntryOf(entries, request.lonColumn)},
                              {"纬度", latitude, EntryOf(entries, request.latColumn)},
                              {"专题字段", theme, EntryOf(entries, request.themeColumn)}});
            ++summary.rowsReported;
            continue;
        }

        point.Description.clear();
        point.Data.clear();
        for (std::int32_t column = 1; column <= columnCount; ++column) {
            point.Data.push_back(source.CellText(row, column));
            point.Description += rowStarts[static_cast<size_t>(column - 1)];
            AppendXmlText(point.Description, source.CellText(row, column), XmlQuotes::Escaped);
            point.Description += "</TD></TR>";
        }
        point.Coordinates.clear();
        AppendCoordinate(point.Coordinates, ParseNumber(longitude, 0.0),
                         ParseNumber(latitude, 0.0));
        point.Name = name;
        point.StyleUrl = "#POINTSTYLE";
        point.StyleUrl += std::to_string(legend.EntryOf(theme));
        document.AddPointPlacemark(point);
        ++summary.featuresWritten;
    }

    SaveOrThrow(document);
    return summary;
}

}  // namespace orvane
