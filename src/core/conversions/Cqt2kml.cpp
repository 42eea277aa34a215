#include "conversions/Cqt2kml.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>

#include "common/Errors.h"
#include "common/Kml_baseclass.h"
#include "common/XmlText.h"
#include "conversions/LegendImage.h"
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

// Writes the points of the rows, each the whole row in its balloon.
class CqtPointWriter {
  public:
    CqtPointWriter(TKMLDocument& document, const CqtConversionRequest& request,
                   const WorksheetSource& source, const KmlSchema& schema)
        : document_(document), request_(request), source_(source) {
        point_.Schema = &schema;
        // The start of each description row, header included, is the same for every point.
        // Cells are text in the balloon's HTML: a cell such as "<5" or "A&B" shows as it
        // stands and cannot end the description early, and what XML cannot hold becomes
        // U+FFFD.
        const std::int32_t columnCount = source.columnCount();
        rowStarts_.reserve(static_cast<size_t>(std::max(columnCount, 0)));
        for (std::int32_t column = 1; column <= columnCount; ++column) {
            std::string start = "<TR><TD>";
            AppendXmlText(start, source.CellText(1, column), XmlQuotes::Escaped);
            start += "</TD><TD>";
            rowStarts_.push_back(std::move(start));
        }
    }

    void Write(std::int32_t row, int entry) {
        point_.Description.clear();
        point_.Data.clear();
        for (size_t column = 0; column < rowStarts_.size(); ++column) {
            const std::string_view cell =
                source_.CellText(row, static_cast<std::int32_t>(column + 1));
            point_.Data.push_back(cell);
            point_.Description += rowStarts_[column];
            AppendXmlText(point_.Description, cell, XmlQuotes::Escaped);
            point_.Description += "</TD></TR>";
        }
        point_.Coordinates.clear();
        AppendCoordinate(point_.Coordinates,
                         ParseNumber(source_.CellText(row, request_.lonColumn), 0.0),
                         ParseNumber(source_.CellText(row, request_.latColumn), 0.0));
        point_.Name = source_.CellText(row, request_.nameColumn);
        point_.StyleUrl = "#POINTSTYLE";
        point_.StyleUrl += std::to_string(entry);
        document_.AddPointPlacemark(point_);
    }

  private:
    TKMLDocument& document_;
    const CqtConversionRequest& request_;
    const WorksheetSource& source_;
    std::vector<std::string> rowStarts_;
    TPointPlacemark point_;
};

// The theme column's header text, or its letters when the header cell is empty.
std::string ThemeColumnName(const WorksheetSource& source, std::int32_t column) {
    const std::string_view header = source.CellText(WorksheetSource::FirstDataRow - 1, column);
    if (!header.empty()) {
        return std::string(header);
    }
    const std::string& entry = source.columnEntries()[static_cast<size_t>(column - 1)];
    return entry.substr(0, entry.find(':'));
}

struct KeptPoint {
    std::int32_t row;
    int entry;
};

// The points kept back while the legend's figures were counted, one folder per legend row;
// the folder of the values outside the legend only when it holds any.
void WriteLegendFolders(TKMLDocument& document, CqtPointWriter& writer,
                        std::span<const KeptPoint> points, const LegendTally& tally) {
    const LegendStatistics& statistics = tally.Statistics();
    for (size_t row = 0; row < statistics.rows.size(); ++row) {
        const LegendStatisticsRow& figures = statistics.rows[row];
        if (row + 1 == statistics.rows.size() && figures.count == 0) {
            break;
        }
        document.BeginFolder(LegendRowSummary(statistics, figures));
        for (const KeptPoint& point : points) {
            if (tally.RowOf(point.entry) == row) {
                writer.Write(point.row, point.entry);
            }
        }
        document.EndFolder();
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

    TKMLDocument document(request.layout);
    document.SetCoordinateDigits(request.digits);
    document.OpenFile(request.outPath);
    document.AddPointStyles(legend.Colours());
    const KmlSchema schema =
        request.layout == KmlLayout::Standard ? WorksheetSchema(source, "CqtPoint") : KmlSchema{};
    document.AddSchema(schema);
    CqtPointWriter writer(document, request, source, schema);
    const std::vector<std::string>& entries = source.columnEntries();

    // Legend folders are named by their figures, so their points wait until all are counted.
    std::optional<LegendTally> tally;
    if (request.legendFolders || request.statistics != nullptr || request.legendOverlay) {
        tally.emplace(request.legend, false, CqtNumberTest);
    }
    std::vector<KeptPoint> kept;
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
        const int entry = legend.EntryOf(theme);
        if (tally) {
            tally->AddValue(entry, theme);
        }
        if (request.legendFolders) {
            kept.push_back({row, entry});
        } else {
            writer.Write(row, entry);
        }
        ++summary.featuresWritten;
    }
    if (request.legendFolders) {
        WriteLegendFolders(document, writer, kept, *tally);
    }
    if (request.legendOverlay) {
        AddLegendOverlay(document, ThemeColumnName(source, request.themeColumn), legend.Colours(),
                         tally->Statistics());
    }

    SaveOrThrow(document);
    if (request.statistics != nullptr) {
        *request.statistics = tally->Statistics();
    }
    return summary;
}

}  // namespace orvane
