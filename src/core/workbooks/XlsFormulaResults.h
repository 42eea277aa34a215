#pragma once

// The cell values of an .xls file that FreeXL leaves out: the cached results of formulas
// (FreeXL gives such cells as empty) and truth values (FreeXL gives 1 and 0). They are read
// from the BIFF8 records of the compound file's "Workbook" stream.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

struct XlsCellText {
    std::uint32_t row;  // from 1
    std::uint32_t column;
    std::string text;
};

// One list per sheet record of the workbook, in workbook order. Empty when the bytes are no
// BIFF8 compound file that can be followed (damaged, encrypted, older BIFF).
std::vector<std::vector<XlsCellText>> ReadXlsFormulaResults(std::string_view file);

}  // namespace orvane
