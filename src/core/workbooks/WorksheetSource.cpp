#include "workbooks/WorksheetSource.h"

#include <algorithm>

#include "common/Kml_baseclass.h"

namespace orvane {

WorksheetSource::WorksheetSource() = default;
WorksheetSource::~WorksheetSource() = default;
WorksheetSource::WorksheetSource(WorksheetSource&&) noexcept = default;
WorksheetSource& WorksheetSource::operator=(WorksheetSource&&) noexcept = default;

void WorksheetSource::OpenWorkbook(const std::string& path) {
    // Everything is read into locals first, so that a failure leaves the source as it was.
    std::unique_ptr<Workbook> opened = OpenWorkbookFile(path);
    WorksheetSource replacement;
    replacement.workbook_ = std::move(opened);
    replacement.path_ = path;
    replacement.LoadShape();
    *this = std::move(replacement);
}

void WorksheetSource::SelectSheet(std::int32_t index) {
    if (!workbook_) {
        throw ListIndexError(index);
    }
    workbook_->SelectSheet(index);
    LoadShape();
}

void WorksheetSource::LoadShape() {
    rowCount_ = workbook_->rowCount();
    columnCount_ = workbook_->columnCount();
    std::vector<std::string> entries;
    entries.reserve(static_cast<size_t>(columnCount_));
    for (std::int32_t c = 1; c <= columnCount_; ++c) {
        std::string entry = ColumnLetters(c - 1);
        entry += ':';
        entry += workbook_->CellText(1, c);
        entries.push_back(std::move(entry));
    }
    columnEntries_ = std::move(entries);
}

std::int32_t WorksheetSource::ColumnOf(std::string_view entry) const {
    const auto found = std::find(columnEntries_.begin(), columnEntries_.end(), entry);
    return found == columnEntries_.end()
               ? 0
               : static_cast<std::int32_t>(found - columnEntries_.begin()) + 1;
}

std::string_view WorksheetSource::CellText(std::int32_t row, std::int32_t column) const {
    return workbook_ ? workbook_->CellText(row, column) : std::string_view();
}

void WorksheetSource::CloseWorkbook() {
    *this = WorksheetSource();
}

const std::vector<std::string>& WorksheetSource::sheetNames() const {
    static const std::vector<std::string> kNone;
    return workbook_ ? workbook_->sheetNames() : kNone;
}

std::vector<std::string> FillColumnChoices(const std::vector<std::string>& entries,
                                           const std::array<std::string, 4>& shownTexts,
                                           int opening) {
    std::vector<std::string> items = entries;
    for (size_t choice = 0; choice < shownTexts.size(); ++choice) {
        const std::string& shown = shownTexts[choice];
        if (static_cast<int>(choice) == opening || shown.empty()) {
            continue;
        }
        // Entries are unique (their letters differ), so at most one item goes.
        const auto found = std::find(items.begin(), items.end(), shown);
        if (found != items.end()) {
            items.erase(found);
        }
    }
    return items;
}

}  // namespace orvane
