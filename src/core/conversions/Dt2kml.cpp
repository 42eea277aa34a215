#include "conversions/Dt2kml.h"

#include <optional>
#include <vector>

#include "common/Errors.h"
#include "common/Kml_baseclass.h"
#include "conversions/DtTextFile.h"
#include "kml/Tkmldocument.h"

namespace orvane {

namespace {

size_t ColumnPosition(int column) {
    return column < 0 ? 0 : static_cast<size_t>(column);
}

class TrackWriter {
  public:
    TrackWriter(TKMLDocument& document, const DtConversionRequest& request)
        : document_(document), request_(request) {
        if (request.legend.kind == LegendKind::Grading) {
            ranges_ = LegendRanges(request.legend);
        }
    }

    int EntryOf(std::string_view theme) const {
        if (request_.legend.kind == LegendKind::Classification) {
            return FindClassEntry(request_.legend.scan, theme);
        }
        return FindGradeEntry(ranges_, request_.legend.boundaryMode, theme);
    }

    // A blank before every point's coordinate text.
    void Write(int entry, std::string_view name, std::span<const TrackPoint> points) {
        placemark_.Name = name;
        placemark_.StyleUrl = "#LINESTYLE" + std::to_string(entry);
        placemark_.Coordinates.clear();
        for (const TrackPoint& point : points) {
            placemark_.Coordinates += ' ';
            placemark_.Coordinates += point.longitude;
            placemark_.Coordinates += ',';
            placemark_.Coordinates += point.latitude;
            placemark_.Coordinates += ",0 ";
        }
        document_.AddLinePlacemark(placemark_);
    }

  private:
    TKMLDocument& document_;
    const DtConversionRequest& request_;
    std::vector<GradeRange> ranges_;
    TLinePlacemark placemark_;
};

class ProgressReporter {
  public:
    ProgressReporter(const ConversionObserver& observer, size_t lineCount)
        : observer_(observer), lineCount_(lineCount) {}

    // Line l of the file (1-based, records from 2) is being converted.
    void AtLine(size_t line) {
        const int percent = static_cast<int>((line - 1) * 100 / (lineCount_ - 1));
        if (percent != shown_) {
            shown_ = percent;
            observer_.Progress(percent);
        }
    }

  private:
    const ConversionObserver& observer_;
    size_t lineCount_;
    int shown_ = -1;
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

namespace {

// Reads the log at the place the window does (after the legend's bounds and colours were
// read) unless it was read before.
void ConvertTrack(const DtConversionRequest& request, const DtTextFile* log,
                  const ConversionObserver& observer) {
    TKMLDocument document(request.layout);
    TrackWriter writer(document, request);  // reads the grading bounds first
    observer.Info(kDtConversionStarted);
    document.OpenFile(request.outPath);
    document.AddLineStyles(LegendColors(request.legend), request.lineWidth);

    std::optional<DtTextFile> readNow;
    if (log == nullptr) {
        log = &readNow.emplace(DtTextFile::Read(request.dtPath));
    }
    const DtTextFile& file = *log;
    const size_t lon = ColumnPosition(request.lonColumn);
    const size_t lat = ColumnPosition(request.latColumn);
    const size_t themePosition = ColumnPosition(request.themeColumn);
    ProgressReporter progress(observer, file.RecordCount() + 1);

    TrackSegmenter segmenter(request.breakDistance, [&writer](int entry, std::string_view name,
                                                              std::span<const TrackPoint> points) {
        writer.Write(entry, name, points);
    });
    for (size_t record = 0; record < file.RecordCount(); ++record) {
        progress.AtLine(record + 2);
        const std::string_view line = file.Record(record);
        const std::string_view theme = RecordField(line, themePosition);
        segmenter.Add({RecordField(line, lon), RecordField(line, lat), std::nullopt},
                      writer.EntryOf(theme), theme);
    }
    segmenter.End();

    document.SaveAndClose();
    if (!document.Saved()) {
        throw CannotCreateFileError(request.outPath);
    }
    observer.Info(std::string(kDtConversionFinished) + request.outPath);
    observer.Progress(0);
}

}  // namespace

void ConvertDtToKml(const DtConversionRequest& request, const ConversionObserver& observer) {
    ConvertTrack(request, nullptr, observer);
}

void ConvertDtToKml(const DtConversionRequest& request, const DtTextFile& log,
                    const ConversionObserver& observer) {
    ConvertTrack(request, &log, observer);
}

}  // namespace orvane
