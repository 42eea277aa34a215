#pragma once

// Excel 97-2003 workbooks (.xls, BIFF in an OLE2 compound file), read through FreeXL.

#include <memory>
#include <string>
#include <string_view>

#include "converters/Workbook.h"

namespace orvane {

class XlsWorkbook : public Workbook {
  public:
    // `bytes` are the file's content, used only to tell why FreeXL refused it (an encrypted
    // workbook looks like a damaged one to FreeXL).
    XlsWorkbook(const std::string& path, std::string_view bytes);

  private:
    SheetCells LoadSheet(std::int32_t index) override;

    struct Closer {
        void operator()(const void* handle) const;
    };
    std::unique_ptr<const void, Closer> handle_;
};

}  // namespace orvane
