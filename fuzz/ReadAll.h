#pragma once

// What every fuzz target does with a workbook it could open: visit every sheet and read its
// cells, as a conversion would.

#include <algorithm>
#include <cstdint>

#include "workbooks/Workbook.h"

namespace orvane::fuzz {

inline void ReadAll(Workbook& workbook) {
    // A sheet may reach row 1048576; reading a corner of it is enough to touch every path.
    constexpr std::int32_t kRows = 200;
    constexpr std::int32_t kColumns = 64;
    const auto sheets = static_cast<std::int32_t>(workbook.sheetNames().size());
    for (std::int32_t s = 0; s < sheets; ++s) {
        try {
            workbook.SelectSheet(s);
        } catch (const Error&) {
            continue;
        }
        size_t total = 0;
        const std::int32_t rows = std::min(workbook.rowCount(), kRows);
        const std::int32_t columns = std::min(workbook.columnCount(), kColumns);
        for (std::int32_t r = 1; r <= rows; ++r) {
            for (std::int32_t c = 1; c <= columns; ++c) {
                total += workbook.CellText(r, c).size();
            }
        }
        total += workbook.CellText(workbook.rowCount(), workbook.columnCount()).size();
        if (total == SIZE_MAX) {
            __builtin_trap();  // keeps the reads from being optimised away
        }
    }
}

}  // namespace orvane::fuzz
