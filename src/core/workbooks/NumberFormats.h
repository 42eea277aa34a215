#pragma once

// What a workbook's number formats mean for cell texts: which formats show dates, and the
// text of a serial date.

#include <string>
#include <string_view>

namespace orvane {

// Built-in number formats (by number) that show dates or times, the East Asian ones
// included.
bool IsBuiltInDateFormat(long id);

// A format code shows a date or time when its first section has a date or time part
// outside quoted text, escaped characters and bracketed colours or conditions.
bool IsDateFormatCode(std::string_view code);

// A serial date as "yyyy-mm-dd", "yyyy-mm-dd hh:mm:ss", or "hh:mm:ss" for a time of day
// alone, rounded to the second; outside 0 … 9999-12-31 as general number text. The 1900
// date system counts the day 1900-02-29 that never was, as Excel does.
void AppendSerialDate(std::string& out, double serial, bool date1904);

}  // namespace orvane
