#include "conversions/Conversion.h"

#include <algorithm>
#include <set>

#include "common/Errors.h"
#include "common/Kml_baseclass.h"
#include "kml/Tkmldocument.h"
#include "workbooks/WorksheetSource.h"

namespace orvane {

std::string ImportedRowsMessage(const ConversionSummary& summary) {
    return "导出完成,共导入" + std::to_string(summary.featuresWritten) + "行数据.";
}

void ReportEmptyCells(const ConversionObserver& observer, std::string_view heading,
                      std::initializer_list<BoundCell> cells) {
    observer.Info(heading);
    for (const BoundCell& cell : cells) {
        if (cell.text.empty()) {
            observer.Info("  " + std::string(cell.label) + " :" + std::string(cell.entry) +
                          "无有效值!");
        }
    }
}

void ProgressTicker::AtRow(std::int64_t row, std::int64_t rowCount) {
    const double share = static_cast<double>(row) / static_cast<double>(rowCount - 1) * 100;
    AtPercent(static_cast<int>(std::clamp(share, 0.0, 100.0)));
}

void ProgressTicker::AtLine(std::int64_t line, std::int64_t lineCount) {
    AtPercent(static_cast<int>((line - 1) * 100 / (lineCount - 1)));
}

void ProgressTicker::AtPercent(int percent) {
    if (percent != shown_) {
        shown_ = percent;
        observer_.Progress(percent);
    }
}

void SaveOrThrow(TKMLDocument& document) {
    document.SaveAndClose();
    if (!document.Saved()) {
        throw CannotCreateFileError(document.FileName());
    }
}

const WorksheetSource& OpenWorkbookOf(const WorksheetSource* source) {
    if (source == nullptr || !source->isOpen()) {
        throw CannotOpenFileError(source != nullptr ? source->path() : std::string());
    }
    return *source;
}

KmlSchema WorksheetSchema(const WorksheetSource& source, std::string id) {
    KmlSchema schema{std::move(id), {}};
    std::set<std::string> taken;
    for (std::int32_t column = 1; column <= source.columnCount(); ++column) {
        std::string name(source.CellText(1, column));
        if (name.empty()) {
            name = ColumnLetters(column - 1);
        }
        const std::string base = name;
        for (int copy = 2; !taken.insert(name).second; ++copy) {
            name = base + "_" + std::to_string(copy);
        }
        KmlFieldTypeScan scan;
        for (std::int32_t row = WorksheetSource::FirstDataRow;
             row <= source.rowCount() && !scan.Settled(); ++row) {
            scan.Add(source.CellText(row, column));
        }
        schema.Fields.push_back({std::move(name), scan.Type()});
    }
    return schema;
}

LegendClassifier::LegendClassifier(const ThematicLegend& legend) : legend_(legend) {
    if (legend.kind == LegendKind::Grading) {
        ranges_ = LegendRanges(legend);
    }
    const auto& entries =
        legend.kind == LegendKind::Grading ? legend.gradeEntries : legend.classEntries;
    for (const LegendEntry& entry : entries) {
        texts_.push_back(legend.kind == LegendKind::Grading ? entry.left + "~" + entry.right
                                                            : entry.value);
    }
}

std::string_view LegendClassifier::EntryText(int entry) const {
    if (entry < 0 || static_cast<size_t>(entry) >= texts_.size()) {
        return kOutOfLegendText;
    }
    return texts_[static_cast<size_t>(entry)];
}

int LegendClassifier::EntryOf(std::string_view value) const {
    if (legend_.kind == LegendKind::Classification) {
        return FindClassEntry(legend_.scan, value);
    }
    return FindGradeEntry(ranges_, legend_.boundaryMode, value);
}

std::vector<std::int32_t> LegendClassifier::Colours() const {
    std::vector<std::int32_t> colours;
    for (const std::string& text : LegendColors(legend_)) {
        colours.push_back(ParseInteger(text));
    }
    return colours;
}

}  // namespace orvane
