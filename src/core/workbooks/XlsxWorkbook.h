#pragma once

// Excel 2007 and later workbooks (.xlsx): a zip archive of XML parts, read through libzip
// and expat.

#include <cstdint>
#include <exception>
#include <future>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "workbooks/Workbook.h"

struct zip;

namespace orvane {

class XlsxWorkbook : public Workbook {
  public:
    // What an archive may unpack to: every entry together at most kMaxUnpacked bytes, and
    // one entry at most kMaxRatio times the archive's size (kMinEntryAllowance for small
    // archives). Legitimate sheets compress by a factor of 5 to 50.
    static constexpr std::uint64_t kMaxUnpacked = std::uint64_t{1} << 30;
    static constexpr std::uint64_t kMaxRatio = 200;
    static constexpr std::uint64_t kMinEntryAllowance = std::uint64_t{32} << 20;

    // `bytes` are the whole file; `path` names it in messages.
    XlsxWorkbook(const std::string& path, std::string bytes);

  private:
    SheetCells LoadSheet(std::int32_t index) override;
    // Waits for the shared strings; throws what reading them threw.
    void AwaitSharedStrings();

    struct Closer {
        void operator()(zip* archive) const;
    };
    std::string bytes_;  // the archive reads from here
    std::unique_ptr<zip, Closer> archive_;
    std::vector<std::string> sheetParts_;  // part name of each sheet, "" when it has none
    std::string sharedTexts_;              // the shared strings, one after the other
    std::vector<std::pair<std::uint32_t, std::uint32_t>> sharedStrings_;  // offset, length
    std::vector<bool> dateStyles_;  // per cell style: whether its number format is a date
    bool date1904_ = false;
    // Declared after what it fills, so that it is finished before they go.
    std::future<void> sharedStringsRead_;
    std::exception_ptr sharedStringsError_;
};

}  // namespace orvane
