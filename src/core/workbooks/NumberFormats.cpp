#include "workbooks/NumberFormats.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "common/Kml_baseclass.h"

namespace orvane {

bool IsBuiltInDateFormat(long id) {
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
           (id >= 50 && id <= 58);
}

bool IsDateFormatCode(std::string_view code) {
    for (size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (c == ';') {
            return false;
        }
        if (c == '"') {
            const size_t close = code.find('"', i + 1);
            i = close == std::string_view::npos ? code.size() : close;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i;
        } else if (c == '[') {
            const size_t close = code.find(']', i + 1);
            i = close == std::string_view::npos ? code.size() : close;
        } else {
            switch (c) {
                case 'y':
                case 'Y':
                case 'm':
                case 'M':
                case 'd':
                case 'D':
                case 'h':
                case 'H':
                case 's':
                case 'S':
                    return true;
                default:
                    break;
            }
        }
    }
    return false;
}

namespace {

void AppendDate(std::string& out, std::chrono::sys_days day) {
    const std::chrono::year_month_day date(day);
    char text[16];
    const int n =
        std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                      static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    out.append(text, static_cast<size_t>(n));
}

void AppendTime(std::string& out, long long secondOfDay) {
    char text[16];
    const int n = std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", secondOfDay / 3600,
                                secondOfDay / 60 % 60, secondOfDay % 60);
    out.append(text, static_cast<size_t>(n));
}

}  // namespace

void AppendSerialDate(std::string& out, double serial, bool date1904) {
    using namespace std::chrono;
    constexpr double kLastSerial = 2958466;  // 10000-01-01
    if (!(serial >= 0 && serial < kLastSerial)) {
        AppendNumber(out, serial);
        return;
    }
    const long long seconds = std::llround(serial * 86400.0);
    const long long dayNumber = seconds / 86400;
    const long long secondOfDay = seconds % 86400;
    if (!date1904 && dayNumber == 0) {
        AppendTime(out, secondOfDay);
        return;
    }
    if (date1904) {
        AppendDate(out, sys_days(year(1904) / January / 1) + days(dayNumber));
    } else if (dayNumber < 60) {
        AppendDate(out, sys_days(year(1899) / December / 31) + days(dayNumber));
    } else if (dayNumber == 60) {
        out += "1900-02-29";
    } else {
        AppendDate(out, sys_days(year(1899) / December / 30) + days(dayNumber));
    }
    if (secondOfDay != 0) {
        out += ' ';
        AppendTime(out, secondOfDay);
    }
}

}  // namespace orvane
