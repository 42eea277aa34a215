#pragma once

// Excel 97-2003 workbooks (.xls, BIFF in an OLE2 compound file), read through FreeXL.
// FreeXL gives neither formula results nor truth values; those are read from the file's
// records here. FreeXL has faults on crafted files (it reads past its buffers), so it runs in a
// child process: a file that makes it crash or hang is reported as damaged.

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "workbooks/Workbook.h"
#include "workbooks/XlsFormulaResults.h"

namespace orvane {

class XlsWorkbook : public Workbook {
  public:
    // How long FreeXL may take to open a file or read a sheet.
    static constexpr std::chrono::seconds kTimeLimit{60};

    // `bytes` are the file's content, used only to tell why FreeXL refused it (an encrypted
    // workbook looks like a damaged one to FreeXL). Sheets are read from `path` again when
    // they are chosen.
    XlsWorkbook(const std::string& path, std::string_view bytes);

  private:
    SheetCells LoadSheet(std::int32_t index) override;

    // Per sheet, what FreeXL leaves out; empty when the file's records could not be followed.
    std::vector<std::vector<XlsCellText>> formulaResults_;
};

}  // namespace orvane
