#pragma once

// CSV and TAB-separated text read as a workbook of one sheet.

#include <string>
#include <string_view>

#include "workbooks/Workbook.h"

namespace orvane {

// Whether the bytes look like text rather than a binary file: no NUL byte, and no control
// characters but TAB, line breaks, form feed and the end-of-file mark near the start. UTF-16
// text with its byte-order mark is judged by its characters.
bool IsDelimitedText(std::string_view bytes);

// The text is UTF-8 when its bytes are valid UTF-8, UTF-16 after its byte-order mark, else
// GBK (read as GB18030). Fields are
// separated by TAB when the first line holds a TAB, else by commas; a field in double quotes
// may hold separators, line breaks and doubled quotes. Every field is text, kept as it
// stands. The one sheet is named after the file.
class DelimitedTextWorkbook : public Workbook {
  public:
    DelimitedTextWorkbook(const std::string& path, std::string bytes);

  private:
    SheetCells LoadSheet(std::int32_t index) override;

    std::string text_;
};

}  // namespace orvane
