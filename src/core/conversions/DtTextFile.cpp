#include "conversions/DtTextFile.h"

#include <algorithm>
#include <cstring>

namespace orvane {

std::string_view RecordField(std::string_view record, size_t position) {
    const char* cursor = record.data();
    const char* const end = cursor + record.size();
    for (size_t skipped = 0; skipped < position; ++skipped) {
        const void* tab = std::memchr(cursor, '\t', static_cast<size_t>(end - cursor));
        if (tab == nullptr) {
            return {};
        }
        cursor = static_cast<const char*>(tab) + 1;
    }
    const void* tab = std::memchr(cursor, '\t', static_cast<size_t>(end - cursor));
    const char* const fieldEnd = tab ? static_cast<const char*>(tab) : end;
    return std::string_view(cursor, static_cast<size_t>(fieldEnd - cursor));
}

std::vector<std::string> ReadHeaderNames(std::string_view headerLine) {
    std::vector<std::string> names;
    std::string_view rest = headerLine;
    while (!rest.empty()) {
        const size_t tab = rest.find('\t');
        const std::string_view name = rest.substr(0, tab);
        if (name.empty()) {
            break;
        }
        names.emplace_back(name);
        rest = tab == std::string_view::npos ? std::string_view() : rest.substr(tab + 1);
    }
    return names;
}

namespace {

std::string AsciiUpper(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) {
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return upper;
}

}  // namespace

bool IsLongitudeName(std::string_view name) {
    const std::string upper = AsciiUpper(name);
    return upper.starts_with("LON") || upper.find("LONGITUDE") != std::string::npos ||
           name.find("经度") != std::string_view::npos;
}

bool IsLatitudeName(std::string_view name) {
    const std::string upper = AsciiUpper(name);
    return upper.starts_with("LAT") || upper.find("LATITUDE") != std::string::npos ||
           name.find("纬度") != std::string_view::npos;
}

PositionColumns DetectPositionColumns(const std::vector<std::string>& names) {
    PositionColumns columns;
    for (size_t index = 0; index < names.size(); ++index) {
        if (IsLongitudeName(names[index])) {
            columns.longitude = index;
        }
        if (IsLatitudeName(names[index])) {
            columns.latitude = index;
        }
    }
    return columns;
}

DtTextFile DtTextFile::Read(const std::string& path) {
    return DtTextFile(ReadTextLines(path));
}

}  // namespace orvane
