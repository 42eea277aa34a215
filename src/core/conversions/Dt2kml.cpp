#include "conversions/Dt2kml.h"

#include <optional>
#include <vector>

#include "common/Kml_baseclass.h"
#include "conversions/DtTextFile.h"
#include "conversions/LegendImage.h"
#include "kml/Tkmldocument.h"

namespace orvane {

namespace {

size_t ColumnPosition(int column) {
    return column < 0 ? 0 : static_cast<size_t>(column);
}

// Turns the segments of a route into line placemarks.
class TrackWriter {
  public:
    TrackWriter(TKMLDocument& document, const LegendClassifier& legend, bool graded)
        : document_(document), legend_(legend) {
        const KmlFieldType value = graded ? KmlFieldType::Double : KmlFieldType::String;
        schema_ = {"DtLine",
                   {{"图例序号", KmlFieldType::Int},
                    {"图例", KmlFieldType::String},
                    {"首记录值", value},
                    {"末记录值", value}}};
        placemark_.Schema = &schema_;
    }

    const KmlSchema& schema() const { return schema_; }

    // A blank before every point's coordinate text.
    // Into the open folder, if any.
    void Write(int entry, std::string_view name, std::span<const TrackPoint> points) {
        placemark_.Name = name;
        placemark_.StyleUrl = "#LINESTYLE" + std::to_string(entry);
        entryText_ = std::to_string(entry);
        placemark_.Data = {entryText_, legend_.EntryText(entry), points.front().theme,
                           points.back().theme};
        placemark_.Coordinates.clear();
        AppendPoints(placemark_.Coordinates, points);
        document_.AddLinePlacemark(placemark_);
        ++written_;
    }

    // The lines of one legend entry as one placemark named by the entry.
    void WriteMerged(int entry, std::string_view name, std::span<const std::string> lines) {
        placemark_.Name = name;
        placemark_.StyleUrl = "#LINESTYLE" + std::to_string(entry);
        document_.AddFolderMultiLine(placemark_, lines);
        ++written_;
    }

    static void AppendPoints(std::string& coordinates, std::span<const TrackPoint> points) {
        for (const TrackPoint& point : points) {
            coordinates += ' ';
            coordinates += point.longitude;
            coordinates += ',';
            coordinates += point.latitude;
            coordinates += ",0 ";
        }
    }

    std::int64_t Written() const { return written_; }

  private:
    TKMLDocument& document_;
    const LegendClassifier& legend_;
    KmlSchema schema_;
    std::string entryText_;
    TLinePlacemark placemark_;
    std::int64_t written_ = 0;
};

// A line of the route by the records it joins, which follow each other in the log.
struct RouteLine {
    int entry;
    size_t first;
    size_t count;
};

// The theme field's name in the log's header; empty for a log without one.
std::string ThemeFieldName(const DtTextFile& file, size_t position) {
    if (file.lines().empty()) {
        return {};
    }
    const std::vector<std::string> names = file.HeaderNames();
    return position < names.size() ? names[position] : std::string();
}

struct RouteFields {
    size_t longitude;
    size_t latitude;
    size_t theme;
};

// The lines kept back while the legend's figures were counted, one folder per legend row;
// the folder of the values outside the legend only when it holds any. Merged, a row's lines
// are one placemark, named by the row, in the style of its lines (a row outside the legend
// holds lines of one style: the classifier has one answer for "no entry").
void WriteLegendFolders(TKMLDocument& document, TrackWriter& writer, const DtTextFile& file,
                        RouteFields fields, std::span<const RouteLine> lines,
                        const LegendTally& tally, bool merged) {
    const LegendStatistics& statistics = tally.Statistics();
    std::vector<TrackPoint> points;
    std::vector<std::string> mergedLines;
    int mergedEntry = 0;
    for (size_t row = 0; row < statistics.rows.size(); ++row) {
        const LegendStatisticsRow& figures = statistics.rows[row];
        if (row + 1 == statistics.rows.size() && figures.count == 0) {
            break;
        }
        document.BeginFolder(LegendRowSummary(statistics, figures));
        for (const RouteLine& line : lines) {
            if (tally.RowOf(line.entry) != row) {
                continue;
            }
            points.clear();
            for (size_t record = line.first; record < line.first + line.count; ++record) {
                const std::string_view text = file.Record(record);
                points.push_back({RecordField(text, fields.longitude),
                                  RecordField(text, fields.latitude), std::nullopt,
                                  RecordField(text, fields.theme)});
            }
            if (merged) {
                mergedEntry = line.entry;
                TrackWriter::AppendPoints(mergedLines.emplace_back(), points);
                continue;
            }
            const std::string_view name =
                RecordField(file.Record(line.first + line.count - 1), fields.theme);
            writer.Write(line.entry, name, points);
        }
        if (!mergedLines.empty()) {
            writer.WriteMerged(mergedEntry, figures.label, mergedLines);
            mergedLines.clear();
        }
        document.EndFolder();
    }
}

}  // namespace

namespace {
// A coordinate text that is its own comma-separated field, trimmed.
bool IsPlainCoordinate(std::string_view text) {
    return !text.empty() && !IsTrimmable(text.front()) && !IsTrimmable(text.back()) &&
           text.find(',') == std::string_view::npos;
}
}  // namespace

std::pair<double, double> TrackPoint::StoredPosition() const {
    if (IsPlainCoordinate(longitude) && IsPlainCoordinate(latitude)) {
        return {ParseNumber(longitude), ParseNumber(latitude)};
    }
    std::string text(longitude);
    text += ',';
    text += latitude;
    text += ",0 ";
    std::string_view rest = text;
    const std::string_view x = Trim(CutToken(rest, ','));
    const std::string_view y = Trim(CutToken(rest, ','));
    return {ParseNumber(x), ParseNumber(y)};
}

double TrackDistance(const TrackPoint& record, const TrackPoint& stored) {
    const double longitude = ParseNumber(record.longitude);
    const double latitude = ParseNumber(record.latitude);
    if (IsPlainCoordinate(record.longitude) && IsPlainCoordinate(record.latitude)) {
        record.knownPosition.emplace(longitude, latitude);
    }
    if (!stored.knownPosition) {
        stored.knownPosition = stored.StoredPosition();
    }
    return GeoDistance(longitude, latitude, stored.knownPosition->first,
                       stored.knownPosition->second);
}

TrackSegmenter::TrackSegmenter(double breakDistance, Finish finish, Distance distance)
    : breakDistance_(breakDistance), finish_(std::move(finish)), distance_(distance) {}

void TrackSegmenter::Emit(std::string_view name) {
    finish_(entry_, name, points_);
}

void TrackSegmenter::Add(const TrackPoint& point, int entry, std::string_view theme) {
    if (entry == entry_ && !points_.empty()) {
        // A gap equal to the break distance keeps the line joined.
        if (distance_(point, points_.back()) > breakDistance_) {
            if (points_.size() >= 2) {
                Emit(lastTheme_);
            }
            points_.clear();
        }
    }
    if (entry != entry_ && !points_.empty()) {
        // The last point of a finished line, or a lone point, starts the new entry's line
        // only when it lies closer than the break distance: lines of different entries
        // meet, but never across a gap.
        const TrackPoint last = points_.back();
        if (points_.size() >= 2) {
            Emit(lastTheme_);
        }
        const double gap = distance_(point, last);
        points_.clear();
        if (gap < breakDistance_) {
            points_.push_back(last);
        }
    }
    points_.push_back(point);
    entry_ = entry;
    lastTheme_ = theme;
}

void TrackSegmenter::End() {
    if (points_.size() >= 2) {
        Emit(lastTheme_);
    }
}

// The log is read at the place the window reads it (after the legend's bounds and colours
// were read) unless it was read before.
ConversionSummary ConvertDtToKml(const DtConversionRequest& request,
                                 const ConversionObserver& observer) {
    const LegendClassifier legend(request.legend);  // reads the grading bounds first
    observer.Started();
    observer.Info(kDtConversionStarted);
    TKMLDocument document(request.layout);
    document.SetCoordinateDigits(request.digits);
    TrackWriter writer(document, legend, request.legend.kind == LegendKind::Grading);
    document.OpenFile(request.outPath);
    document.AddLineStyles(legend.Colours(), request.lineWidth);
    if (request.serving) {
        AddServingCellStyles(document, legend);
    }
    document.AddSchema(writer.schema());

    std::optional<DtTextFile> readNow;
    const DtTextFile& file =
        request.log != nullptr ? *request.log : readNow.emplace(DtTextFile::Read(request.dtPath));
    const size_t lon = ColumnPosition(request.lonColumn);
    const size_t lat = ColumnPosition(request.latColumn);
    const size_t themePosition = ColumnPosition(request.themeColumn);
    const auto lineCount = static_cast<std::int64_t>(file.RecordCount() + 1);
    ProgressTicker progress(observer);

    // Legend folders are named by their figures, so their lines wait until all are counted:
    // as record ranges of the log, read again when written, which costs far less memory than
    // their coordinate text.
    std::optional<LegendTally> tally;
    const bool folders = request.legendFolders || request.mergeLines;
    if (folders || request.statistics != nullptr || request.legendOverlay) {
        tally.emplace(request.legend, true, DtNumberTest);
    }
    std::vector<RouteLine> kept;
    size_t current = 0;  // the record being added: a line it finishes ends before it
    TrackSegmenter segmenter(request.breakDistance, [&](int entry, std::string_view name,
                                                        std::span<const TrackPoint> points) {
        if (tally) {
            tally->AddLine(entry, points);
        }
        if (folders) {
            kept.push_back({entry, current - points.size(), points.size()});
        } else {
            writer.Write(entry, name, points);
        }
    });
    for (size_t record = 0; record < file.RecordCount(); ++record) {
        progress.AtLine(static_cast<std::int64_t>(record + 2), lineCount);
        current = record;
        const std::string_view line = file.Record(record);
        const std::string_view theme = RecordField(line, themePosition);
        const int entry = legend.EntryOf(theme);
        if (tally) {
            tally->AddValue(entry, theme);
        }
        segmenter.Add({RecordField(line, lon), RecordField(line, lat), std::nullopt, theme}, entry,
                      theme);
    }
    current = file.RecordCount();
    segmenter.End();
    if (folders) {
        WriteLegendFolders(document, writer, file, {lon, lat, themePosition}, kept, *tally,
                           request.mergeLines);
    }
    if (request.serving) {
        WriteServingCells(document, file, {lon, lat, themePosition}, legend, *request.serving,
                          observer);
    }
    if (request.legendOverlay) {
        AddLegendOverlay(document, ThemeFieldName(file, themePosition), legend.Colours(),
                         tally->Statistics());
    }

    SaveOrThrow(document);
    observer.Info(std::string(kDtConversionFinished) + request.outPath);
    progress.Finish();
    if (request.statistics != nullptr) {
        *request.statistics = tally->Statistics();
    }
    return {.recordsRead = static_cast<std::int64_t>(file.RecordCount()),
            .featuresWritten = writer.Written(),
            .outputPath = request.outPath};
}

}  // namespace orvane
