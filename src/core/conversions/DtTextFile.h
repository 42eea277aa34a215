#pragma once

// The drive-test log: a tab-separated text file, line 1 the field names, every further line
// one record. The file is held as one buffer with line bounds, and a field is found by
// cutting its line at the TABs, without copying.

#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "common/TextFile.h"

namespace orvane {

// The text of the field at a 0-based position: the text between the position-th TAB and
// the next one (or the line's end); the empty text when the line has fewer TABs.
std::string_view RecordField(std::string_view record, size_t position);

// The field names of the header line, ending before the first empty name.
std::vector<std::string> ReadHeaderNames(std::string_view headerLine);

// The names that say longitude (beginning with LON in any letter case, holding LONGITUDE, or
// holding 经度) and latitude (LAT, LATITUDE, 纬度).
bool IsLongitudeName(std::string_view name);
bool IsLatitudeName(std::string_view name);

struct PositionColumns {
    size_t longitude = 0;
    size_t latitude = 0;
};

// The longitude and latitude columns recognised by name; the last matching name wins and
// a column without a match is 0.
PositionColumns DetectPositionColumns(const std::vector<std::string>& names);

// A drive-test log read whole (UTF-8, or GBK when its bytes are not valid UTF-8).
class DtTextFile {
  public:
    // Throws "Cannot open file %s".
    static DtTextFile Read(const std::string& path);
    explicit DtTextFile(TextLines lines) : lines_(std::move(lines)) {}

    // Throws "List index out of bounds (0)" for a file without lines.
    std::string_view HeaderLine() const { return lines_.at(0); }
    std::vector<std::string> HeaderNames() const { return ReadHeaderNames(HeaderLine()); }

    size_t RecordCount() const { return lines_.empty() ? 0 : lines_.size() - 1; }
    // Record 0 is line 2 of the file.
    std::string_view Record(size_t index) const { return lines_[index + 1]; }
    std::string_view Field(size_t record, size_t position) const {
        return RecordField(Record(record), position);
    }

    // The values of one field over every record, in record order, as a range of views.
    class FieldValues;
    FieldValues Values(size_t position) const;

    const TextLines& lines() const { return lines_; }

  private:
    TextLines lines_;
};

class DtTextFile::FieldValues {
  public:
    class iterator {
      public:
        using iterator_category = std::input_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        iterator() = default;
        iterator(const DtTextFile* file, size_t position, size_t record)
            : file_(file), position_(position), record_(record) {}
        std::string_view operator*() const { return file_->Field(record_, position_); }
        iterator& operator++() {
            ++record_;
            return *this;
        }
        iterator operator++(int) {
            iterator before = *this;
            ++record_;
            return before;
        }
        bool operator==(const iterator& other) const { return record_ == other.record_; }

      private:
        const DtTextFile* file_ = nullptr;
        size_t position_ = 0;
        size_t record_ = 0;
    };

    FieldValues(const DtTextFile& file, size_t position) : file_(&file), position_(position) {}
    iterator begin() const { return {file_, position_, 0}; }
    iterator end() const { return {file_, position_, file_->RecordCount()}; }
    size_t size() const { return file_->RecordCount(); }

  private:
    const DtTextFile* file_;
    size_t position_;
};

inline DtTextFile::FieldValues DtTextFile::Values(size_t position) const {
    return FieldValues(*this, position);
}

}  // namespace orvane
