#include "workbooks/XlsWorkbook.h"

#include <freexl.h>

#include <memory>

#include "common/Kml_baseclass.h"
#include "workbooks/ChildProcess.h"

namespace orvane {

namespace {

// An OLE2 file holding an encrypted .xlsx package names the stream "EncryptedPackage".
bool HoldsEncryptedPackage(std::string_view bytes) {
    static constexpr char kName[] = "E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0";
    return bytes.find(std::string_view(kName, sizeof kName - 1)) != std::string_view::npos;
}

std::string_view ReasonOf(int status) {
    switch (status) {
        case FREEXL_INSUFFICIENT_MEMORY:
            return "there is not enough memory to read it";
        case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
            return kNotAWorkbook;
        case FREEXL_INVALID_CHARACTER:
        case FREEXL_UNSUPPORTED_CHARSET:
            return "its texts are in an encoding that cannot be read";
        default:
            return kDamaged;
    }
}

void AppendCellText(std::string& text, const FreeXL_CellValue& value) {
    switch (value.type) {
        case FREEXL_CELL_INT:
            AppendNumber(text, value.value.int_value);
            break;
        case FREEXL_CELL_DOUBLE:
            AppendNumber(text, value.value.double_value);
            break;
        case FREEXL_CELL_DATETIME:
            if (value.value.text_value != nullptr) {
                // Midnight is shown as the date alone, as the other readers do.
                std::string_view dateTime(value.value.text_value);
                if (dateTime.ends_with(" 00:00:00")) {
                    dateTime.remove_suffix(9);
                }
                text += dateTime;
            }
            break;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_TIME:
            if (value.value.text_value != nullptr) {
                text += value.value.text_value;
            }
            break;
        default:
            break;
    }
}

// ---- In the child process ----------------------------------------------------------------

struct FreeXlCloser {
    void operator()(const void* handle) const { freexl_close(handle); }
};
using FreeXlHandle = std::unique_ptr<const void, FreeXlCloser>;

// Opens the file; writes FreeXL's status, and on success returns the handle.
FreeXlHandle OpenInChild(const std::string& path, ChildOutput& output) {
    const void* handle = nullptr;
    const int status = freexl_open(path.c_str(), &handle);
    FreeXlHandle owner(handle);  // FreeXL wants its handle closed even after a failure
    output.WriteNumber(static_cast<std::uint32_t>(status));
    return status == FREEXL_OK ? std::move(owner) : FreeXlHandle();
}

// Answer: status, then the password flag, the sheet count and every sheet name.
void DescribeWorkbook(const std::string& path, ChildOutput& output) {
    const FreeXlHandle handle = OpenInChild(path, output);
    if (!handle) {
        return;
    }
    unsigned int password = 0;
    unsigned int count = 0;
    freexl_get_info(handle.get(), FREEXL_BIFF_PASSWORD, &password);
    freexl_get_info(handle.get(), FREEXL_BIFF_SHEET_COUNT, &count);
    output.WriteNumber(password);
    output.WriteNumber(count);
    for (unsigned int i = 0; i < count && i <= 0xFFFF; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(handle.get(), static_cast<unsigned short>(i), &name) !=
            FREEXL_OK) {
            return;  // the parent finds the list cut short
        }
        output.WriteText(name != nullptr ? name : "");
    }
}

// Answer: open status, select status, then row, column and text of every cell.
void ReadSheet(const std::string& path, std::int32_t index, ChildOutput& output) {
    const FreeXlHandle handle = OpenInChild(path, output);
    if (!handle) {
        return;
    }
    unsigned int rows = 0;
    unsigned short columns = 0;
    int status = freexl_select_active_worksheet(handle.get(), static_cast<unsigned short>(index));
    if (status == FREEXL_OK) {
        status = freexl_worksheet_dimensions(handle.get(), &rows, &columns);
    }
    output.WriteNumber(static_cast<std::uint32_t>(status));
    if (status != FREEXL_OK) {
        return;
    }
    std::string text;
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned int c = 0; c < columns; ++c) {
            FreeXL_CellValue value{};
            if (freexl_get_cell_value(handle.get(), r, static_cast<unsigned short>(c), &value) !=
                    FREEXL_OK ||
                value.type == FREEXL_CELL_NULL) {
                continue;
            }
            text.clear();
            AppendCellText(text, value);
            output.WriteNumber(r + 1);
            output.WriteNumber(c + 1);
            output.WriteText(text);
        }
    }
}

// Arguments: the path.
const ChildTask kDescribeWorkbook("xls-describe", [](const std::vector<std::string>& arguments,
                                                     ChildOutput& output) {
    DescribeWorkbook(arguments.at(0), output);
});

// Arguments: the path and the sheet's index.
const ChildTask kReadSheet("xls-sheet",
                           [](const std::vector<std::string>& arguments, ChildOutput& output) {
                               ReadSheet(arguments.at(0), std::stoi(arguments.at(1)), output);
                           });

// ---- In the parent -----------------------------------------------------------------------

ChildAnswer AskChild(const std::string& path, const ChildTask& task,
                     const std::vector<std::string>& arguments) {
    auto answer = RunInChildProcess(task, arguments, XlsWorkbook::kTimeLimit);
    if (!answer) {
        throw WorkbookError(path, kDamaged);
    }
    return ChildAnswer(std::move(*answer));
}

// Reads a FreeXL status from the answer; throws for anything but success.
void ExpectSuccess(ChildAnswer& answer, const std::string& path, std::string_view bytes) {
    const auto status = answer.ReadNumber();
    if (!status) {
        throw WorkbookError(path, kDamaged);
    }
    const int code = static_cast<int>(*status);
    if (code == FREEXL_FILE_NOT_FOUND) {
        throw CannotOpenFileError(path);
    }
    if (code != FREEXL_OK) {
        throw WorkbookError(path, HoldsEncryptedPackage(bytes) ? kEncrypted : ReasonOf(code));
    }
}

}  // namespace

XlsWorkbook::XlsWorkbook(const std::string& path, std::string_view bytes) : Workbook(path) {
    ChildAnswer answer = AskChild(path, kDescribeWorkbook, {path});
    ExpectSuccess(answer, path, bytes);
    const auto password = answer.ReadNumber();
    const auto count = answer.ReadNumber();
    if (password && *password == FREEXL_BIFF_OBFUSCATED) {
        throw WorkbookError(path, kEncrypted);
    }
    if (!count || *count == 0 || *count > 0xFFFF) {
        throw WorkbookError(path, kDamaged);
    }
    std::vector<std::string> names;
    for (std::uint32_t i = 0; i < *count; ++i) {
        const auto name = answer.ReadText();
        if (!name) {
            throw WorkbookError(path, kDamaged);
        }
        names.emplace_back(*name);
    }
    formulaResults_ = ReadXlsFormulaResults(bytes);
    if (formulaResults_.size() != names.size()) {
        formulaResults_.clear();  // the sheets would not match
    }
    SetSheetNames(std::move(names));
}

SheetCells XlsWorkbook::LoadSheet(std::int32_t index) {
    const std::string& file = path();
    ChildAnswer answer = AskChild(file, kReadSheet, {file, std::to_string(index)});
    ExpectSuccess(answer, file, {});
    ExpectSuccess(answer, file, {});
    SheetCells cells;
    while (!answer.AtEnd()) {
        const auto row = answer.ReadNumber();
        const auto column = answer.ReadNumber();
        const auto text = answer.ReadText();
        if (!row || !column || !text || *row > static_cast<std::uint32_t>(kMaxRows) ||
            *column > static_cast<std::uint32_t>(kMaxColumns)) {
            throw WorkbookError(file, kDamaged);
        }
        cells.Add(*row, *column, *text);
    }
    // Added last, so that they replace what FreeXL gave for the same cells.
    if (static_cast<size_t>(index) < formulaResults_.size()) {
        for (const XlsCellText& cell : formulaResults_[static_cast<size_t>(index)]) {
            cells.Add(cell.row, cell.column, cell.text);
        }
    }
    cells.Finish();
    return cells;
}

}  // namespace orvane
