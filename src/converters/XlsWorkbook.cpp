#include "converters/XlsWorkbook.h"

#include <freexl.h>

#include "common/Kml_baseclass.h"

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
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
            if (value.value.text_value != nullptr) {
                text += value.value.text_value;
            }
            break;
        default:
            break;
    }
}

}  // namespace

void XlsWorkbook::Closer::operator()(const void* handle) const {
    freexl_close(handle);
}

XlsWorkbook::XlsWorkbook(const std::string& path, std::string_view bytes) : Workbook(path) {
    const void* handle = nullptr;
    const int status = freexl_open(path.c_str(), &handle);
    // FreeXL wants its handle closed even when the open failed.
    handle_.reset(handle);
    if (status == FREEXL_FILE_NOT_FOUND) {
        throw CannotOpenFileError(path);
    }
    if (status != FREEXL_OK) {
        throw WorkbookError(path, HoldsEncryptedPackage(bytes) ? kEncrypted : ReasonOf(status));
    }
    unsigned int info = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
        info == FREEXL_BIFF_OBFUSCATED) {
        throw WorkbookError(path, kEncrypted);
    }
    unsigned int count = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK || count == 0 ||
        count > 0xFFFF) {
        throw WorkbookError(path, kDamaged);
    }
    std::vector<std::string> names;
    names.reserve(count);
    for (unsigned int i = 0; i < count; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(handle, static_cast<unsigned short>(i), &name) != FREEXL_OK) {
            throw WorkbookError(path, kDamaged);
        }
        names.emplace_back(name != nullptr ? name : "");
    }
    SetSheetNames(std::move(names));
}

SheetCells XlsWorkbook::LoadSheet(std::int32_t index) {
    const void* handle = handle_.get();
    const int status = freexl_select_active_worksheet(handle, static_cast<unsigned short>(index));
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (status != FREEXL_OK || freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK) {
        throw WorkbookError(path(), status != FREEXL_OK ? ReasonOf(status) : kDamaged);
    }
    SheetCells cells;
    std::string text;
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned int c = 0; c < columns; ++c) {
            FreeXL_CellValue value{};
            if (freexl_get_cell_value(handle, r, static_cast<unsigned short>(c), &value) !=
                    FREEXL_OK ||
                value.type == FREEXL_CELL_NULL) {
                continue;
            }
            text.clear();
            AppendCellText(text, value);
            cells.Add(r + 1, c + 1, text);
        }
    }
    cells.Finish();
    return cells;
}

}  // namespace orvane
