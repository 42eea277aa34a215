#pragma once

// The workbook a converter window reads from: the open file, its sheets, the current sheet's
// shape and the names under which its columns are offered.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "workbooks/Workbook.h"

namespace orvane {

class WorksheetSource {
  public:
    static constexpr std::int32_t FirstDataRow = 2;

    WorksheetSource();
    ~WorksheetSource();
    WorksheetSource(WorksheetSource&&) noexcept;
    WorksheetSource& operator=(WorksheetSource&&) noexcept;

    // Opens the workbook at `path` and makes its first sheet current. On failure it throws
    // the error that names the file and says why ("Cannot open file %s" or "Cannot read
    // workbook %s: ..."), and the workbook open before, if any, stays open and current with
    // its path, sheets and column entries.
    void OpenWorkbook(const std::string& path);
    // Makes sheet `index` (from 0, the item of the sheet choice) current and loads its shape.
    // Throws "List index out of bounds (%d)" without a sheet of that number.
    void SelectSheet(std::int32_t index);
    // 1 + the position of the entry in columnEntries(); 0 when it is not there.
    std::int32_t ColumnOf(std::string_view entry) const;
    // The cell text of the current sheet; rows and columns count from 1 at A1. "" when no
    // workbook is open.
    std::string_view CellText(std::int32_t row, std::int32_t column) const;
    // Releases the workbook; the source is as new.
    void CloseWorkbook();

    bool isOpen() const { return workbook_ != nullptr; }
    const std::string& path() const { return path_; }
    const std::vector<std::string>& sheetNames() const;
    std::int32_t currentSheet() const { return workbook_ ? workbook_->currentSheet() : -1; }
    std::int32_t rowCount() const { return rowCount_; }
    std::int32_t columnCount() const { return columnCount_; }
    // One per column 1 … columnCount: its letters, ":" and its header text ("B:经度").
    const std::vector<std::string>& columnEntries() const { return columnEntries_; }

  private:
    void LoadShape();

    std::unique_ptr<Workbook> workbook_;
    std::string path_;
    std::int32_t rowCount_ = 0;
    std::int32_t columnCount_ = 0;
    std::vector<std::string> columnEntries_;
};

// The items of the column choice number `opening` (0 … 3) when its list is opened: every
// entry in column order, less the entries the other three choices show. The opening choice
// loses its own selection when its items are refilled, so its text removes nothing; nor
// does an empty text.
std::vector<std::string> FillColumnChoices(const std::vector<std::string>& entries,
                                           const std::array<std::string, 4>& shownTexts,
                                           int opening);

}  // namespace orvane
