// CSV and TAB-separated text from any bytes.

#include <cstddef>
#include <cstdint>
#include <string>

#include "ReadAll.h"
#include "workbooks/DelimitedTextWorkbook.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (!orvane::IsDelimitedText(bytes)) {
        return 0;
    }
    try {
        orvane::DelimitedTextWorkbook workbook("fuzz.csv", std::move(bytes));
        orvane::fuzz::ReadAll(workbook);
    } catch (const orvane::Error&) {
    }
    return 0;
}
