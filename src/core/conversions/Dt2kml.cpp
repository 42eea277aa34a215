#include "conversions/Dt2kml.h"

#include <optional>
#include <vector>

#include "common/Kml_baseclass.h"
#include "conversions/DtTextFile.h"
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
    void Write(int entry, std::string_view name, std::span<const TrackPoint> points) {
        placemark_.Name = name;
        placemark_.StyleUrl = "#LINESTYLE" + std::to_string(entry);
        entryText_ = std::to_string(entry);
        placemark_.Data = {entryText_, legend_.EntryText(entry), points.front().theme,
                           points.back().theme};
        placemark_.Coordinates.clear();
        for (const TrackPoint& point : points) {
            placemark_.Coordinates += ' ';
            placemark_.Coordinates += point.longitude;
            placemark_.Coordinates += ',';
            placemark_.Coordinates += point.latitude;
            placemark_.Coordinates += ",0 ";
        }
        document_.AddLinePlacemark(placemark_);
        ++written_;
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

    TrackSegmenter segmenter(request.breakDistance, [&writer](int entry, std::string_view name,
                                                              std::span<const TrackPoint> points) {
        writer.Write(entry, name, points);
    });
    for (size_t record = 0; record < file.RecordCount(); ++record) {
        progress.AtLine(static_cast<std::int64_t>(record + 2), lineCount);
        const std::string_view line = file.Record(record);
        const std::string_view theme = RecordField(line, themePosition);
        segmenter.Add({RecordField(line, lon), RecordField(line, lat), std::nullopt, theme},
                      legend.EntryOf(theme), theme);
    }
    segmenter.End();
    if (request.serving) {
        WriteServingCells(document, file, {lon, lat, themePosition}, legend, *request.serving,
                          observer);
    }

    SaveOrThrow(document);
    observer.Info(std::string(kDtConversionFinished) + request.outPath);
    progress.Finish();
    return {.recordsRead = static_cast<std::int64_t>(file.RecordCount()),
            .featuresWritten = writer.Written(),
            .outputPath = request.outPath};
}

}  // namespace orvane
