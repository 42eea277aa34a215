#include "conversions/MidFile.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "common/Kml_baseclass.h"
#include "legend/ThematicLegend.h"

namespace orvane {

namespace {

bool SameWord(std::string_view a, std::string_view b) {
    return CompareIgnoringCase(a, b) == 0;
}

// A quoted header value ("\",\"" gives ','), else the text itself.
std::string_view Unquoted(std::string_view text) {
    text = Trim(text);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

KmlFieldType TypeOfDeclaration(std::string_view type) {
    const std::string_view word = type.substr(0, type.find('('));
    for (const std::string_view whole : {"Integer", "SmallInt", "LargeInt"}) {
        if (SameWord(Trim(word), whole)) {
            return KmlFieldType::Int;
        }
    }
    for (const std::string_view number : {"Float", "Decimal"}) {
        if (SameWord(Trim(word), number)) {
            return KmlFieldType::Double;
        }
    }
    return KmlFieldType::String;
}

}  // namespace

void MifHeaderReader::Take(std::string_view line) {
    std::string_view rest = line;
    const std::string_view word = CutTrimmedToken(rest, ' ');
    if (columnsLeft_ > 0) {
        --columnsLeft_;
        MifColumn column;
        column.name = std::string(Unquoted(word));
        const std::string_view type = Trim(rest);
        column.type = TypeOfDeclaration(type);
        column.character = SameWord(type.substr(0, std::min(type.size(), size_t{4})), "Char");
        header_.columns.push_back(std::move(column));
    } else if (SameWord(word, "Delimiter")) {
        const std::string_view value = Unquoted(rest);
        header_.delimiter = value.empty() ? '\t' : value.front();
    } else if (SameWord(word, "Columns")) {
        columnsLeft_ = std::max(TryParseInteger(Trim(rest)).value_or(0), 0);
    }
}

MifHeader ReadMifHeader(const std::string& mifPath) {
    LineCursor lines = LineCursor::OfFile(mifPath);
    MifHeaderReader header;
    while (const auto line = lines.Next()) {
        if (Trim(*line) == "Data") {
            break;
        }
        header.Take(*line);
    }
    return header.header();
}

size_t DefaultNameColumn(const std::vector<MifColumn>& columns) {
    return static_cast<size_t>(
        std::find_if(columns.begin(), columns.end(),
                     [](const MifColumn& column) { return column.character; }) -
        columns.begin());
}

std::optional<std::string> MidPathBeside(const std::string& mifPath) {
    for (const char* extension : {".mid", ".MID", ".Mid"}) {
        std::filesystem::path path(mifPath);
        path.replace_extension(extension);
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error)) {
            return path.string();
        }
    }
    return std::nullopt;
}

bool IsMifObjectKeyword(std::string_view word) {
    static constexpr std::array<std::string_view, 12> kObjects = {
        "none", "Point", "Line",      "Pline",   "Region",     "Arc",
        "Text", "Rect",  "Roundrect", "Ellipse", "Multipoint", "Collection"};
    return std::any_of(kObjects.begin(), kObjects.end(),
                       [word](std::string_view object) { return SameWord(word, object); });
}

void SplitMidLine(std::string_view line, char delimiter, std::vector<std::string>& fields) {
    fields.clear();
    size_t i = 0;
    while (true) {
        std::string field;
        while (i < line.size() && line[i] == ' ') {
            ++i;
        }
        if (i < line.size() && line[i] == '"') {
            for (++i; i < line.size(); ++i) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i];
            }
            const size_t next = line.find(delimiter, i);
            i = next == std::string_view::npos ? line.size() : next;
        } else {
            const size_t next = line.find(delimiter, i);
            const size_t end = next == std::string_view::npos ? line.size() : next;
            field = Trim(line.substr(i, end - i));
            i = end;
        }
        fields.push_back(std::move(field));
        if (i >= line.size()) {
            return;
        }
        ++i;  // the delimiter
    }
}

MidRows::MidRows(const std::string& path, char delimiter)
    : lines_(LineCursor::OfFile(path)), delimiter_(delimiter) {}

bool MidRows::Next(std::vector<std::string>& fields) {
    const auto line = lines_.Next();
    if (!line) {
        return false;
    }
    SplitMidLine(*line, delimiter_, fields);
    return true;
}

}  // namespace orvane
