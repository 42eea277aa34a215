#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Memory.h"

namespace orvane {

// The UTF-8 text of a file: the file's bytes themselves when they are UTF-8, else a decoded
// copy.
class TextBuffer {
  public:
    TextBuffer() = default;
    explicit TextBuffer(std::string text) : decoded_(std::move(text)) {}
    // The file's bytes from `offset` on, which must be UTF-8.
    TextBuffer(LoadedFile file, size_t offset)
        : file_(std::move(file)), offset_(offset), useFile_(true) {}

    std::string_view text() const {
        return useFile_ ? file_.bytes().substr(offset_) : std::string_view(decoded_);
    }

  private:
    std::string decoded_;
    LoadedFile file_;
    size_t offset_ = 0;
    bool useFile_ = false;
};

// Walks the lines of a text one by one, for readers that need no line twice. A line ends at
// CR LF, LF or CR; a final line break adds no empty line.
class LineCursor {
  public:
    explicit LineCursor(std::string_view text);
    // The lines of a file, read a block at a time so that a file of any size needs little
    // memory, and decoded as ReadTextBuffer decodes (UTF-8 when the whole file is valid
    // UTF-8, else GB18030). A line stays valid until the next one is taken. Throws "Cannot
    // open file %s", also when the file cannot be read further.
    static LineCursor OfFile(const std::string& path);
    LineCursor(LineCursor&&) noexcept;
    LineCursor& operator=(LineCursor&&) noexcept;
    ~LineCursor();

    // The next line, or nothing after the last.
    std::optional<std::string_view> Next();
    // The next line; after the last, throws "List index out of bounds (%d)" with the line's
    // index.
    std::string_view NextOrThrow();
    // How many lines were taken.
    long long index() const { return index_; }
    // Where the next line starts, in a text given whole.
    size_t position() const { return position_; }
    // How much of the text or file lies behind, 0 to 100.
    int Percent() const;

  private:
    class FileSource;
    LineCursor();

    std::string_view text_;
    size_t position_ = 0;
    long long index_ = 0;
    std::unique_ptr<FileSource> file_;
};

// The lines of a text, held as one buffer (the file's bytes themselves when UTF-8) and the
// start of each line, so that a file of a million lines costs little more than its own size
// and a line is read without copying. A line ends at CR LF, LF or CR; a final line break
// adds no empty line.
class TextLines {
  public:
    TextLines() = default;
    explicit TextLines(TextBuffer buffer);
    explicit TextLines(std::string text) : TextLines(TextBuffer(std::move(text))) {}

    size_t size() const { return begins_.empty() ? 0 : begins_.size() - 1; }
    bool empty() const { return size() == 0; }
    std::string_view operator[](size_t index) const;
    // Throws "List index out of bounds (%d)".
    std::string_view at(long long index) const;
    // The whole text, line ends included.
    std::string_view text() const { return buffer_.text(); }

  private:
    TextBuffer buffer_;
    // begins_[i] is where line i starts; the last entry is the end of the text.
    std::vector<std::uint64_t> begins_;
};

// The whole file's bytes, read once to its end (a named pipe, a device or /dev/stdin too);
// throws "Cannot open file %s", and "Cannot read file %s: ..." past `limit` bytes.
std::string ReadFileBytes(const std::string& path, size_t limit = InputSizeLimit());

// The text of a file, read as ReadFileBytes does and decoded to UTF-8 (UTF-8 when valid,
// UTF-16 after its byte-order mark, GB18030 otherwise).
TextBuffer ReadTextBuffer(const std::string& path);

// The lines of a text file, read and decoded as ReadTextBuffer does.
TextLines ReadTextLines(const std::string& path);

}  // namespace orvane
