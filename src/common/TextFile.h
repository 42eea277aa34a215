#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// The lines of a text, held as one buffer and the bounds of each line, so that a file of a
// million lines costs little more than its own size and a line is read without copying.
// A line ends at CR LF, LF or CR; a final line break adds no empty line.
class TextLines {
  public:
    TextLines() = default;
    explicit TextLines(std::string text);

    size_t size() const { return bounds_.size(); }
    bool empty() const { return bounds_.empty(); }
    std::string_view operator[](size_t index) const {
        const Bounds& b = bounds_[index];
        return std::string_view(text_.data() + b.begin, b.length);
    }
    // Throws "List index out of bounds (%d)".
    std::string_view at(long long index) const;

    const std::string& text() const { return text_; }

  private:
    struct Bounds {
        std::uint64_t begin;
        std::uint64_t length;
    };
    std::string text_;
    std::vector<Bounds> bounds_;
};

// The whole file's bytes; throws "Cannot open file %s".
std::string ReadFileBytes(const std::string& path);

// The lines of a text file, decoded to UTF-8 (UTF-8 when valid, GB18030 otherwise); throws
// "Cannot open file %s".
TextLines ReadTextLines(const std::string& path);

}  // namespace orvane
