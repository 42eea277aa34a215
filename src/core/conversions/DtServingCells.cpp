#include "conversions/DtServingCells.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/Kml_baseclass.h"
#include "common/XmlText.h"
#include "conversions/Conversion.h"
#include "conversions/DtTextFile.h"
#include "kml/Tkmldocument.h"

namespace orvane {

namespace {

constexpr double kMetresPerDegree = 6371008.8 * std::numbers::pi / 180;
// Near the poles longitude offsets stop growing here, as the base-station wedges' do.
constexpr double kSmallestLongitudeCosine = 0.01;
constexpr std::int64_t kListedCells = 5;

void AppendPoint(std::string& out, std::string_view longitude, std::string_view latitude) {
    out += ' ';
    out += longitude;
    out += ',';
    out += latitude;
    out += ",0 ";
}

// The report's row as a balloon: one table row per column, its name and its value.
std::string RowDescription(const std::vector<std::string>& header,
                           const std::vector<std::string>& fields) {
    std::string table;
    for (size_t i = 0; i < header.size(); ++i) {
        table += "<TR><TD>";
        AppendXmlText(table, header[i], XmlQuotes::Escaped);
        table += "</TD><TD>";
        AppendXmlText(table, fields[i], XmlQuotes::Escaped);
        table += "</TD></TR>";
    }
    return table;
}

// The base-station conversion's wedge, kProblemWedgeMetres long and of true shape.
std::string WedgeRing(const CellSector& cell) {
    const auto azimuth =
        cell.azimuth ? static_cast<std::int32_t>(std::lround(*cell.azimuth)) : std::int32_t{-1};
    const SectorShape shape =
        MakeSectorShape(azimuth, cell.beamwidth, kProblemWedgeMetres / kMetresPerDegree);
    const double cosine = std::abs(std::cos(cell.latitude * std::numbers::pi / 180));
    std::string ring;
    AppendSectorRing(ring, cell.longitude, cell.latitude, shape,
                     1 / std::max(cosine, kSmallestLongitudeCosine));
    return ring;
}

// The fields of a record at the given positions, the record cut at its TABs once.
void TakeFields(std::string_view record, std::span<const size_t> positions,
                std::span<std::string_view> fields) {
    std::fill(fields.begin(), fields.end(), std::string_view());
    const size_t last = *std::max_element(positions.begin(), positions.end());
    for (size_t position = 0; position <= last; ++position) {
        const size_t tab = record.find('\t');
        const std::string_view field = record.substr(0, tab);
        for (size_t k = 0; k < positions.size(); ++k) {
            if (positions[k] == position) {
                fields[k] = field;
            }
        }
        if (tab == std::string_view::npos) {
            return;
        }
        record.remove_prefix(tab + 1);
    }
}

void WriteServingLines(TKMLDocument& document, const DtTextFile& log, const DtRouteFields& fields,
                       const LegendClassifier& legend, const ServingCellOptions& options,
                       ServingCellAnalysis& analysis, const ConversionObserver& observer) {
    ProgressTicker progress(observer);
    const auto lineCount = static_cast<std::int64_t>(log.RecordCount() + 1);
    // Longitude, latitude, theme, then the keys.
    std::vector<size_t> positions = {fields.longitude, fields.latitude, fields.theme};
    positions.insert(positions.end(), options.keyFields.begin(), options.keyFields.end());
    std::vector<std::string_view> texts(positions.size());
    const std::span<const std::string_view> keys = std::span(texts).subspan(3);
    TLinePlacemark line;
    document.BeginFolder(kServingLinesFolder);
    for (size_t record = 0; record < log.RecordCount(); ++record) {
        progress.AtLine(static_cast<std::int64_t>(record + 2), lineCount);
        TakeFields(log.Record(record), positions, texts);
        const std::string_view longitude = texts[0];
        const std::string_view latitude = texts[1];
        const std::string_view theme = texts[2];
        const ServingSample sample =
            analysis.Add(keys, ParseNumber(longitude), ParseNumber(latitude), theme);
        if (!sample.line) {
            continue;
        }
        line.Name = sample.cell->keyText;
        line.StyleUrl = "#SERVINGSTYLE" + std::to_string(legend.EntryOf(theme));
        line.Coordinates.clear();
        AppendPoint(line.Coordinates, longitude, latitude);
        AppendPoint(line.Coordinates, sample.cell->longitudeText, sample.cell->latitudeText);
        document.AddFolderLine(line);
    }
    document.EndFolder();
    progress.Finish();
}

void WriteProblemCells(TKMLDocument& document, const ServingCellReport& report) {
    const std::vector<std::string> header = ServingReportHeader(report.themeName);
    TPointPlacemark wedge;
    document.BeginFolder(kProblemCellsFolder);
    for (const ServingCellRow& row : report.rows) {
        if (row.verdict.empty()) {
            continue;
        }
        wedge.Name = row.cell->keyText;
        wedge.StyleUrl = row.verdict == kCrossedFeederVerdict ? "#PROBLEM_RED" : "#PROBLEM_ORANGE";
        wedge.Description = RowDescription(header, ServingReportFields(row));
        wedge.Coordinates = WedgeRing(*row.cell);
        document.AddFolderWedge(wedge);
    }
    document.EndFolder();
}

// "N个小区疑似天馈接反:K1,K2" per verdict, with up to five keys.
void ReportVerdicts(const ServingCellReport& report, const ConversionObserver& observer) {
    for (const std::string_view verdict : {kCrossedFeederVerdict, kOvershootingVerdict}) {
        std::int64_t count = 0;
        std::string keys;
        for (const ServingCellRow& row : report.rows) {
            if (row.verdict != verdict) {
                continue;
            }
            if (++count <= kListedCells) {
                keys += count == 1 ? "" : ",";
                keys += row.cell->keyText;
            }
        }
        if (count > 0) {
            observer.Info(std::to_string(count) + "个小区" + std::string(verdict) + ":" + keys +
                          (count > kListedCells ? ",..." : ""));
        }
    }
}

void ReportTable(const CellTable& cells, const ConversionObserver& observer) {
    if (cells.RowsLeftOut() > 0) {
        observer.Info("基站表中" + std::to_string(cells.RowsLeftOut()) +
                      "行未使用(小区、经度、纬度或方向角无有效值)");
    }
    if (cells.DuplicateKeys() > 0) {
        observer.Info("基站表中" + std::to_string(cells.DuplicateKeys()) +
                      "行的小区与前面的行相同,未使用");
    }
}

}  // namespace

void AddServingCellStyles(TKMLDocument& document, const LegendClassifier& legend) {
    document.AddServingLineStyles(legend.Colours(), kServingLineWidth);
    document.AddProblemCellStyles();
}

void WriteServingCells(TKMLDocument& document, const DtTextFile& log, const DtRouteFields& fields,
                       const LegendClassifier& legend, const ServingCellOptions& options,
                       const ConversionObserver& observer) {
    ReportTable(*options.cells, observer);
    ServingCellAnalysis analysis(*options.cells, options.spacing, options.overshootRank);
    WriteServingLines(document, log, fields, legend, options, analysis, observer);
    ServingCellReport report = analysis.Report();
    if (const std::string unmatched = UnmatchedCellsMessage(report); !unmatched.empty()) {
        observer.Info(unmatched);
    }
    const std::vector<std::string> names = log.HeaderNames();
    if (fields.theme < names.size()) {
        report.themeName = names[fields.theme];
    }
    ReportVerdicts(report, observer);
    WriteProblemCells(document, report);
    if (options.report != nullptr) {
        *options.report = std::move(report);
    }
}

}  // namespace orvane
