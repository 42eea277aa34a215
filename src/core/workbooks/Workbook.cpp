#include "workbooks/Workbook.h"

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "common/Kml_baseclass.h"
#include "common/TextFile.h"
#include "workbooks/DelimitedTextWorkbook.h"
#include "workbooks/XlsWorkbook.h"
#include "workbooks/XlsxWorkbook.h"

namespace orvane {

// ---- SheetCells --------------------------------------------------------------------------

void SheetCells::Append(const Cell& cell) {
    if (!cells_.empty() && !Before(cells_.back(), cell)) {
        sorted_ = false;
    }
    cells_.push_back(cell);
}

void SheetCells::Add(std::uint32_t row, std::uint32_t column, std::string_view text) {
    // Texts past 2 GB in one cell, or a sheet past 4 GB of text, cannot be indexed; no
    // workbook within the unpacking limits comes near.
    if (text.size() > (1u << 31) - 1 ||
        texts_.size() + text.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("sheet too large");
    }
    Append({row, column, static_cast<std::uint32_t>(texts_.size()),
            static_cast<std::uint32_t>(text.size()), 0});
    texts_.append(text);
}

void SheetCells::AddShared(std::uint32_t row, std::uint32_t column, std::uint32_t index) {
    Append({row, column, index, 0, 1});
}

bool SheetCells::ResolveShared(
    const std::vector<std::pair<std::uint32_t, std::uint32_t>>& strings) {
    for (Cell& cell : cells_) {
        if (cell.shared) {
            if (cell.offset >= strings.size()) {
                return false;
            }
            const auto [offset, length] = strings[cell.offset];
            cell.offset = offset;
            cell.length = length;
        }
    }
    return true;
}

void SheetCells::Absorb(SheetCells&& other) {
    if (texts_.size() + other.texts_.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("sheet too large");
    }
    const auto shift = static_cast<std::uint32_t>(texts_.size());
    texts_.append(other.texts_);
    cells_.reserve(cells_.size() + other.cells_.size());
    for (Cell cell : other.cells_) {
        if (!cell.shared) {
            cell.offset += shift;
        }
        Append(cell);
    }
    sorted_ = sorted_ && other.sorted_;
    other = SheetCells();
}

void SheetCells::Finish(const std::string* sharedTexts) {
    sharedTexts_ = sharedTexts;
    if (!sorted_) {
        std::stable_sort(cells_.begin(), cells_.end(), Before);
        // Of a cell given twice, the last one written counts.
        size_t kept = 0;
        for (const Cell& cell : cells_) {
            if (kept > 0 && !Before(cells_[kept - 1], cell)) {
                cells_[kept - 1] = cell;
            } else {
                cells_[kept++] = cell;
            }
        }
        cells_.resize(kept);
        sorted_ = true;
    }
    std::uint32_t lastRow = 1;
    std::uint32_t lastColumn = 1;
    for (const Cell& cell : cells_) {
        if (cell.length > 0) {
            lastRow = std::max(lastRow, cell.row);
            lastColumn = std::max(lastColumn, cell.column);
        }
    }
    rowCount_ = static_cast<std::int32_t>(lastRow);
    columnCount_ = static_cast<std::int32_t>(lastColumn);
    // Cells past the last used row hold only empty texts; they are not needed.
    const auto end = std::partition_point(cells_.begin(), cells_.end(),
                                          [&](const Cell& c) { return c.row <= lastRow; });
    cells_.erase(end, cells_.end());
    cells_.shrink_to_fit();
    rowStart_.assign(lastRow + 1, 0);
    for (const Cell& cell : cells_) {
        ++rowStart_[cell.row];
    }
    for (size_t r = 1; r < rowStart_.size(); ++r) {
        rowStart_[r] += rowStart_[r - 1];
    }
}

std::string_view SheetCells::TextOf(const Cell& cell) const {
    const std::string& buffer = cell.shared ? *sharedTexts_ : texts_;
    return std::string_view(buffer).substr(cell.offset, cell.length);
}

std::string_view SheetCells::Text(std::uint32_t row, std::uint32_t column) const {
    if (row == 0 || row >= rowStart_.size()) {
        return {};
    }
    const std::uint32_t begin = rowStart_[row - 1];
    const std::uint32_t end = rowStart_[row];
    if (begin == end) {
        return {};
    }
    const Cell& first = cells_[begin];
    const Cell& last = cells_[end - 1];
    if (column < first.column || column > last.column) {
        return {};
    }
    // A row without gaps, the usual case, is indexed directly.
    if (last.column - first.column == end - 1 - begin) {
        return TextOf(cells_[begin + (column - first.column)]);
    }
    const auto found =
        std::lower_bound(cells_.begin() + begin, cells_.begin() + end, column,
                         [](const Cell& cell, std::uint32_t c) { return cell.column < c; });
    return found->column == column ? TextOf(*found) : std::string_view();
}

// ---- Workbook ----------------------------------------------------------------------------

void Workbook::SelectSheet(std::int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= sheetNames_.size()) {
        throw ListIndexError(index);
    }
    SheetCells cells = LoadSheet(index);
    const auto area = static_cast<std::int64_t>(cells.rowCount()) * cells.columnCount();
    if (area > kMaxCellArea) {
        // Every reader of a sheet walks its rows and columns; a few cells far apart (A1 and
        // XFD1048576) would make that billions of empty cells.
        throw WorkbookError(path_, "the sheet \"" + sheetNames_[static_cast<size_t>(index)] +
                                       "\" spans A1:" + ColumnLetters(cells.columnCount() - 1) +
                                       std::to_string(cells.rowCount()) + ", " +
                                       std::to_string(area) + " cells, more than the " +
                                       std::to_string(kMaxCellArea) + " that Orvane reads");
    }
    cells_ = std::move(cells);
    currentSheet_ = index;
}

std::string_view Workbook::CellText(std::int32_t row, std::int32_t column) const {
    if (row < 1 || column < 1 || row > kMaxRows || column > kMaxColumns) {
        throw Error("Cell (" + std::to_string(row) + ", " + std::to_string(column) +
                    ") lies outside the sheet");
    }
    return cells_.Text(static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(column));
}

Error WorkbookError(std::string_view path, std::string_view reason) {
    std::string message = "Cannot read workbook ";
    message += path;
    message += ": ";
    message += reason;
    return Error(message);
}

// ---- Choosing the reader -----------------------------------------------------------------

namespace {

constexpr std::array<unsigned char, 8> kOle2Signature = {0xD0, 0xCF, 0x11, 0xE0,
                                                         0xA1, 0xB1, 0x1A, 0xE1};

bool StartsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

bool IsOle2(std::string_view bytes) {
    return bytes.size() >= kOle2Signature.size() &&
           std::memcmp(bytes.data(), kOle2Signature.data(), kOle2Signature.size()) == 0;
}

bool IsZip(std::string_view bytes) {
    // A local file header, or the end record of an empty archive.
    return StartsWith(bytes, "PK\x03\x04") || StartsWith(bytes, "PK\x05\x06");
}

// Whether the file's name promises an Excel workbook; such a file holding anything else
// (a renamed text file) is refused rather than read as text.
bool NamedAsExcel(std::string_view path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos) {
        return false;
    }
    std::string extension(path.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == "xls" || extension == "xlsx" || extension == "xlsm";
}

}  // namespace

std::unique_ptr<Workbook> OpenWorkbookFile(const std::string& path) {
    std::string bytes = ReadFileBytes(path);
    std::unique_ptr<Workbook> workbook;
    if (IsOle2(bytes)) {
        workbook = std::make_unique<XlsWorkbook>(path, bytes);
    } else if (IsZip(bytes)) {
        workbook = std::make_unique<XlsxWorkbook>(path, std::move(bytes));
    } else if (!NamedAsExcel(path) && IsDelimitedText(bytes)) {
        workbook = std::make_unique<DelimitedTextWorkbook>(path, std::move(bytes));
    } else {
        throw WorkbookError(path, kNotAWorkbook);
    }
    workbook->SelectSheet(0);
    return workbook;
}

}  // namespace orvane
