#pragma once

// A drive-test log as route lines coloured by a theme field: consecutive records of the same
// legend entry are joined, and a line is cut where the entry changes or where two records
// lie farther apart than the break distance.

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "conversions/Conversion.h"
#include "conversions/DtServingCells.h"
#include "conversions/LegendStatistics.h"
#include "kml/Tkmldocument.h"
#include "legend/ThematicLegend.h"

namespace orvane {

class DtTextFile;

inline constexpr int kMinLineWidth = 1;  // pixels
inline constexpr int kMaxLineWidth = 10;
inline constexpr int kDefaultLineWidth = 4;
inline constexpr int kMinBreakDistance = 1;  // metres
inline constexpr int kMaxBreakDistance = 200;
inline constexpr int kDefaultBreakDistance = 20;
inline constexpr int kMinSampleSpacing = 1;  // metres
inline constexpr int kMaxSampleSpacing = 10000;
// The zones of local times, in minutes east of UTC.
inline constexpr int kMinUtcOffsetMinutes = -12 * 60;
inline constexpr int kMaxUtcOffsetMinutes = 14 * 60;
inline constexpr std::string_view kSamplesFolder = "采样点";

// The time field of a drive-test log: each line gets a TimeSpan from its first record's time to
// its last's.
struct DtTimeOptions {
    int column = 0;  // 0-based field position
    // The day of a log whose times are times of day ("YYYY-MM-DD"); empty when they carry
    // their date.
    std::string date;
    // Minutes east of UTC that the log's local times are in; unset: written with no zone.
    std::optional<int> utcOffsetMinutes;
};

struct DtConversionRequest {
    std::string dtPath;
    std::string outPath;  // a .kmz path writes a KMZ archive
    // The standard layout gives each line its legend entry (index and text) and the theme
    // values of its first and last records as data.
    KmlLayout layout = KmlLayout::Fixed;
    int digits = 0;     // coordinate decimals; 0: as they stand
    int lonColumn = 0;  // 0-based field positions; -1 (nothing chosen) means 0
    int latColumn = 0;
    int themeColumn = 0;
    ThematicLegend legend;  // its kind, entries, boundary mode and the scan of the theme field
    int lineWidth = kDefaultLineWidth;
    int breakDistance = kDefaultBreakDistance;
    // The log of dtPath when it was read already (a log that comes through a pipe can be
    // read only once); unset: the conversion reads dtPath.
    const DtTextFile* log = nullptr;
    // Beyond the route, unused by default: the serving-cell lines and problem cells.
    std::optional<ServingCellOptions> serving;
    // The lines in one folder per legend entry, in legend order, each named by its figures,
    // then a folder of the lines outside the legend when there are any.
    bool legendFolders = false;
    // Legend folders whose lines are one placemark per entry, a MultiGeometry of its lines.
    bool mergeLines = false;
    // When set, receives the figures of the legend entries once the file is written.
    LegendStatistics* statistics = nullptr;
    // The legend as an image on the map (a ScreenOverlay at the lower left).
    bool legendOverlay = false;
    // Each line's time span, from the log's time field.
    std::optional<DtTimeOptions> time;
    // Metres between the points of the folder "采样点" that carry every field of their
    // record; 0: no such folder.
    int sampleSpacing = 0;
};

// One point of a route: its coordinate texts as they stand in the log.
struct TrackPoint {
    std::string_view longitude;
    std::string_view latitude;

    // The point's place for measuring from the next record: the first two comma-separated
    // fields of its coordinate text "longitude,latitude,0 ", trimmed and parsed.
    std::pair<double, double> StoredPosition() const;

    // The stored position once known, so that a point measured as a record is not read
    // again as the segment's last point.
    mutable std::optional<std::pair<double, double>> knownPosition;
    // The record's theme value.
    std::string_view theme = {};
};

// Metres from a record's point (its texts parsed as they stand) to a stored point of the
// open segment. Throws "'%s' is not a valid floating point value".
double TrackDistance(const TrackPoint& record, const TrackPoint& stored);

// Cuts a route into segments, record by record: a segment is finished where the legend
// entry changes or where a record lies farther than the break distance from the last
// point; segments of one point are never finished. A segment is named by the theme text
// of its own last record.
class TrackSegmenter {
  public:
    using Finish =
        std::function<void(int entry, std::string_view name, std::span<const TrackPoint> points)>;
    using Distance = double (*)(const TrackPoint& record, const TrackPoint& stored);

    TrackSegmenter(double breakDistance, Finish finish, Distance distance = TrackDistance);
    void Add(const TrackPoint& point, int entry, std::string_view theme);
    // After the last record: finishes the open segment.
    void End();
    // Metres from the record added last to the one before it (each record is measured from
    // the one before once); 0 for the first.
    double LastStep() const { return lastStep_; }

  private:
    void Emit(std::string_view name);

    double breakDistance_;
    Finish finish_;
    Distance distance_;
    int entry_ = -1;
    std::vector<TrackPoint> points_;
    std::string_view lastTheme_;  // of the open segment's last record
    double lastStep_ = 0;
};

inline constexpr std::string_view kDtConversionStarted = "生成KML文件开始...";
inline constexpr std::string_view kDtConversionFinished = "生成KML文件完成：";

// Writes the KML file. Reports "生成KML文件开始..." and, once the file is written,
// "生成KML文件完成：" with the output path through observer.info, and progress per record;
// the summary counts the records and the lines written. Throws orvane::Error: a grading bound
// or a coordinate that is no number, a colour that is no integer, "Cannot open file %s",
// "Cannot create file %s". On error an existing output file is left as it was.
ConversionSummary ConvertDtToKml(const DtConversionRequest& request,
                                 const ConversionObserver& observer = {});

}  // namespace orvane
