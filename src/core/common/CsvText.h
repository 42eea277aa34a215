#pragma once

// The CSV files Orvane writes for spreadsheets: UTF-8 with a byte-order mark, so that a
// spreadsheet program reads Chinese text right, CR LF line ends, fields quoted where they
// hold a comma, a quote or a line end.

#include <string>
#include <string_view>
#include <vector>

namespace orvane {

inline constexpr std::string_view kCsvByteOrderMark = "\xEF\xBB\xBF";

// One line of fields, quoted where needed, ended by CR LF.
void AppendCsvLine(std::string& out, const std::vector<std::string>& fields);

// Puts `text` in place at `path` as a whole or not at all; throws "Cannot create file %s".
void WriteCsvFile(const std::string& path, std::string_view text);

}  // namespace orvane
