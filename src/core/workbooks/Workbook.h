#pragma once

// Workbook files read without a spreadsheet program: .xls (BIFF), .xlsx and CSV/TAB text.
// A reader holds one sheet at a time in memory, so that every cell is answered at once.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/Errors.h"

namespace orvane {

// The cells of one sheet: their texts in one buffer (texts shared between cells, such as the
// shared strings of an .xlsx file, stay in a buffer of their own) and an index by row, so
// that looking up a cell neither copies nor searches more than one row.
class SheetCells {
  public:
    // Row and column count from 1. A cell given twice keeps its last text.
    void Add(std::uint32_t row, std::uint32_t column, std::string_view text);
    // A cell holding shared string number `index` (below 2^31), whose text ResolveShared
    // finds later: the strings may still be being read.
    void AddShared(std::uint32_t row, std::uint32_t column, std::uint32_t index);
    // Gives every shared cell its string's place [offset, offset + length) in the shared
    // texts that Finish receives. False when a cell names a string that is not there.
    bool ResolveShared(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& strings);
    // Takes over the cells of `other` (read from a later part of the same sheet).
    void Absorb(SheetCells&& other);
    // Sorts and indexes the cells; `sharedTexts` must outlive this object.
    void Finish(const std::string* sharedTexts = nullptr);

    // The last row and column holding a cell with a non-empty text; at least 1.
    std::int32_t rowCount() const { return rowCount_; }
    std::int32_t columnCount() const { return columnCount_; }
    // "" for a cell that holds nothing.
    std::string_view Text(std::uint32_t row, std::uint32_t column) const;
    size_t cellCount() const { return cells_.size(); }

  private:
    struct Cell {
        std::uint32_t row;
        std::uint32_t column;
        std::uint32_t offset;
        std::uint32_t length : 31;
        std::uint32_t shared : 1;
    };
    static bool Before(const Cell& a, const Cell& b) {
        return a.row < b.row || (a.row == b.row && a.column < b.column);
    }
    void Append(const Cell& cell);
    std::string_view TextOf(const Cell& cell) const;

    std::vector<Cell> cells_;
    std::string texts_;
    const std::string* sharedTexts_ = nullptr;
    std::vector<std::uint32_t> rowStart_;  // cells of row r: [rowStart_[r-1], rowStart_[r])
    bool sorted_ = true;
    std::int32_t rowCount_ = 1;
    std::int32_t columnCount_ = 1;
};

// One open workbook. Sheets are numbered from 0 in workbook order; rows and columns of the
// current sheet count from 1 at A1, and rowCount/columnCount reach the last used row and
// column, wherever the used range starts.
class Workbook {
  public:
    // The largest sheet any supported file can describe.
    static constexpr std::int32_t kMaxRows = 1048576;
    static constexpr std::int32_t kMaxColumns = 16384;
    // The most cells a sheet's rows and columns may span: far above any real table (an .xls
    // sheet holds at most 16777216), far below the 17179869184 of a whole .xlsx sheet.
    static constexpr std::int64_t kMaxCellArea = 50'000'000;

    virtual ~Workbook() = default;

    const std::vector<std::string>& sheetNames() const { return sheetNames_; }
    // Makes sheet `index` current. Throws "List index out of bounds (%d)" for an index that
    // names no sheet, and a workbook error for a sheet that cannot be read or whose rows and
    // columns span more than kMaxCellArea cells (naming the sheet and its range); the
    // current sheet then stays as it was.
    void SelectSheet(std::int32_t index);
    std::int32_t currentSheet() const { return currentSheet_; }
    std::int32_t rowCount() const { return cells_.rowCount(); }
    std::int32_t columnCount() const { return cells_.columnCount(); }
    // The cell text (empty cell "", text unchanged, numbers as general number text, truth
    // values "TRUE"/"FALSE", dates "yyyy-mm-dd", date-times "yyyy-mm-dd hh:mm:ss", times
    // "hh:mm:ss"). A cell outside every sheet (row or column below 1 or past the largest
    // sheet) throws.
    std::string_view CellText(std::int32_t row, std::int32_t column) const;

  protected:
    explicit Workbook(std::string path) : path_(std::move(path)) {}
    const std::string& path() const { return path_; }
    void SetSheetNames(std::vector<std::string> names) { sheetNames_ = std::move(names); }
    virtual SheetCells LoadSheet(std::int32_t index) = 0;

  private:
    std::string path_;
    std::vector<std::string> sheetNames_;
    std::int32_t currentSheet_ = -1;
    SheetCells cells_;
};

// Opens the workbook at `path`, choosing the reader by the file's content: an OLE2 compound
// file is read as .xls, a zip archive as .xlsx, other text as CSV or TAB-separated text.
// The first sheet is current. Throws "Cannot open file %s" when the file cannot be read and
// a workbook error (WorkbookError) when it is no workbook or a damaged one.
std::unique_ptr<Workbook> OpenWorkbookFile(const std::string& path);

// "Cannot read workbook %s: %s", naming the file and what is wrong with it.
[[nodiscard]] Error WorkbookError(std::string_view path, std::string_view reason);

// Reasons of the workbook errors, so that every reader words them alike.
inline constexpr std::string_view kNotAWorkbook = "it is not an Excel workbook";
inline constexpr std::string_view kEncrypted = "it is protected by a password";
inline constexpr std::string_view kDamaged = "the file is damaged";

}  // namespace orvane
