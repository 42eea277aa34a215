#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/Memory.h"

namespace orvane {

// The lines of a text, held as one buffer (the mapped file itself when it is UTF-8) and the
// start of each line, so that a file of a million lines costs little more than its own size
// and a line is read without copying. A line ends at CR LF, LF or CR; a final line break
// adds no empty line.
class TextLines {
  public:
    TextLines() = default;
    explicit TextLines(std::string text);
    // The mapped file's bytes from `offset` on, which must be UTF-8.
    TextLines(MappedFile file, size_t offset);

    size_t size() const { return begins_.empty() ? 0 : begins_.size() - 1; }
    bool empty() const { return size() == 0; }
    std::string_view operator[](size_t index) const;
    // Throws "List index out of bounds (%d)".
    std::string_view at(long long index) const;
    // The whole text, line ends included.
    std::string_view text() const;

  private:
    void Split();

    std::string decoded_;
    MappedFile mapped_;
    size_t offset_ = 0;
    bool useMapped_ = false;
    // begins_[i] is where line i starts; the last entry is the end of the text.
    std::vector<std::uint64_t> begins_;
};

// The whole file's bytes; throws "Cannot open file %s".
std::string ReadFileBytes(const std::string& path);

// The lines of a text file, decoded to UTF-8 (UTF-8 when valid, GB18030 otherwise); throws
// "Cannot open file %s".
TextLines ReadTextLines(const std::string& path);

}  // namespace orvane
