#include "workbooks/DelimitedTextWorkbook.h"

#include <algorithm>
#include <filesystem>

#include "common/Encoding.h"

namespace orvane {

bool IsDelimitedText(std::string_view bytes) {
    if (HasUtf16ByteOrderMark(bytes)) {
        // "Unicode text" as spreadsheet programs save it: judged by its characters.
        const std::string start = DecodeUtf16(bytes.substr(0, 1 << 17));
        return start.find('\0') == std::string::npos && IsDelimitedText(start);
    }
    if (bytes.find('\0') != std::string_view::npos) {
        return false;
    }
    const std::string_view start = bytes.substr(0, 1 << 16);
    return std::none_of(start.begin(), start.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && u != 0x1A;
    });
}

namespace {

std::string SheetNameOf(const std::string& path) {
    return std::filesystem::path(path).stem().string();
}

char SeparatorOf(std::string_view text) {
    const std::string_view firstLine = text.substr(0, text.find_first_of("\r\n"));
    return firstLine.find('\t') != std::string_view::npos ? '\t' : ',';
}

// Reads fields one at a time from the text.
class FieldReader {
  public:
    FieldReader(std::string_view text, char separator) : text_(text), separator_(separator) {}

    bool AtEnd() const { return position_ >= text_.size(); }

    // The next field; `field` receives its text. Afterwards `endsRow` tells whether a line
    // break (or the end of the text) followed it.
    void Next(std::string& field, bool& endsRow) {
        field.clear();
        if (position_ < text_.size() && text_[position_] == '"') {
            ReadQuoted(field);
        }
        // Unquoted text, or what follows a closing quote, runs to the separator or line end.
        const size_t stop = text_.find_first_of(stops(), position_);
        const size_t end = stop == std::string_view::npos ? text_.size() : stop;
        field.append(text_.substr(position_, end - position_));
        position_ = end;
        endsRow = true;
        if (position_ >= text_.size()) {
            return;
        }
        const char c = text_[position_++];
        if (c == separator_) {
            endsRow = false;
        } else if (c == '\r' && position_ < text_.size() && text_[position_] == '\n') {
            ++position_;
        }
    }

  private:
    std::string_view stops() const {
        return separator_ == '\t' ? std::string_view("\t\r\n") : std::string_view(",\r\n");
    }

    void ReadQuoted(std::string& field) {
        ++position_;
        for (;;) {
            const size_t quote = text_.find('"', position_);
            if (quote == std::string_view::npos) {
                // An unclosed quote runs to the end of the text.
                field.append(text_.substr(position_));
                position_ = text_.size();
                return;
            }
            field.append(text_.substr(position_, quote - position_));
            position_ = quote + 1;
            if (position_ < text_.size() && text_[position_] == '"') {
                field += '"';
                ++position_;
            } else {
                return;
            }
        }
    }

    std::string_view text_;
    char separator_;
    size_t position_ = 0;
};

}  // namespace

DelimitedTextWorkbook::DelimitedTextWorkbook(const std::string& path, std::string bytes)
    : Workbook(path), text_(DecodeText(std::move(bytes))) {
    SetSheetNames({SheetNameOf(path)});
}

SheetCells DelimitedTextWorkbook::LoadSheet(std::int32_t) {
    SheetCells cells;
    FieldReader reader(text_, SeparatorOf(text_));
    std::uint32_t row = 1;
    std::uint32_t column = 1;
    std::string field;
    bool endsRow = false;
    while (!reader.AtEnd()) {
        reader.Next(field, endsRow);
        if (!field.empty()) {
            if (row > static_cast<std::uint32_t>(kMaxRows) ||
                column > static_cast<std::uint32_t>(kMaxColumns)) {
                throw WorkbookError(path(), "it has more rows or columns than a sheet can hold");
            }
            cells.Add(row, column, field);
        }
        if (endsRow) {
            ++row;
            column = 1;
        } else {
            ++column;
        }
    }
    cells.Finish();
    return cells;
}

}  // namespace orvane
