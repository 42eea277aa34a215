#include "common/TextFile.h"

#include <algorithm>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/Encoding.h"
#include "common/Errors.h"
#include "common/SystemFiles.h"

namespace orvane {

namespace {

// Position of the first CR or LF at or after `from`, or `size` when there is none.
size_t FindLineEnd(const char* data, size_t from, size_t size) {
    size_t i = from;
#if defined(__SSE2__)
    // Sixteen bytes at a time: lines are short, so a call to memchr per line costs more
    // than the search itself.
    const __m128i lineFeed = _mm_set1_epi8('\n');
    const __m128i carriageReturn = _mm_set1_epi8('\r');
    for (; i + 16 <= size; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const int mask = _mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(chunk, lineFeed), _mm_cmpeq_epi8(chunk, carriageReturn)));
        if (mask != 0) {
            return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        }
    }
#endif
    for (; i < size; ++i) {
        if (data[i] == '\n' || data[i] == '\r') {
            return i;
        }
    }
    return size;
}

}  // namespace

namespace {
constexpr size_t kReadBlockSize = size_t{1} << 20;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The length of `bytes` without a UTF-8 sequence that the end cuts short.
size_t WithoutCutSequence(std::string_view bytes) {
    const size_t n = bytes.size();
    for (size_t back = 1; back <= std::min<size_t>(3, n); ++back) {
        const auto byte = static_cast<unsigned char>(bytes[n - back]);
        if ((byte & 0xC0) == 0x80) {
            continue;  // a continuation byte: look further back for its lead byte
        }
        const size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? n - back : n;
    }
    return n;
}

// Reads a regular file from an offset to its end, block by block.
bool IsValidUtf8From(int fd, std::uint64_t offset) {
    std::string block;
    std::string carried;
    for (;;) {
        block.resize(kReadBlockSize);
        const long long got = ReadAt(fd, block.data(), block.size(), offset);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return carried.empty();
        }
        offset += static_cast<std::uint64_t>(got);
        block.resize(static_cast<size_t>(got));
        block.insert(0, carried);
        const size_t complete = WithoutCutSequence(block);
        if (!IsValidUtf8(std::string_view(block).substr(0, complete))) {
            return false;
        }
        carried.assign(block, complete);
    }
}
}  // namespace

// A file read a block at a time into a window of decoded text. Until the first byte that is
// no ASCII the encoding does not matter (ASCII reads the same either way); that byte decides
// it, by checking whether the rest of the file is valid UTF-8.
class LineCursor::FileSource {
  public:
    explicit FileSource(const std::string& path) : path_(path) {
        // A pipe is looked at without opening it: opening it twice would lose what its writer
        // sent to the first reader.
        FileStatus info{};
        if (path.empty() || StatPath(path, info) != 0 || S_ISDIR(info.st_mode)) {
            throw CannotOpenFileError(path);
        }
        if (S_ISREG(info.st_mode)) {
            fd_ = OpenForReading(path);
            if (fd_ < 0 || StatFile(fd_, info) != 0) {
                Close();
                throw CannotOpenFileError(path);
            }
            size_ = static_cast<std::uint64_t>(info.st_size);
            if (!StartsWithUtf16ByteOrderMark()) {
                return;
            }
            Close();
        }
        // A pipe cannot be read twice to decide its encoding, and UTF-16 text is not decoded
        // block by block: take either whole.
        window_ = DecodeText(ReadFileBytes(path));
        exhausted_ = true;
    }
    ~FileSource() { Close(); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::string_view window() const { return window_; }
    bool exhausted() const { return exhausted_; }

    // Drops the window's first `consumed` bytes and adds at least one decoded byte, unless
    // the file is at its end.
    void Refill(size_t consumed) {
        window_.erase(0, consumed);
        const size_t before = window_.size();
        while (!exhausted_ && window_.size() == before) {
            ReadBlock();
        }
    }

    int Percent(size_t unreadInWindow) const {
        if (size_ == 0) {
            return exhausted_ ? 100 : 0;
        }
        const std::uint64_t behind = read_ - std::min<std::uint64_t>(read_, unreadInWindow);
        return static_cast<int>(std::min<std::uint64_t>(behind, size_) * 100 / size_);
    }

  private:
    enum class Encoding { Undecided, Utf8, Gb18030 };

    bool StartsWithUtf16ByteOrderMark() const {
        char head[2] = {};
        return ReadAt(fd_, head, sizeof head, 0) == 2 &&
               HasUtf16ByteOrderMark(std::string_view(head, sizeof head));
    }

    void ReadBlock() {
        const size_t start = raw_.size();
        raw_.resize(start + kReadBlockSize);
        long long got = 0;
        do {
            got = ReadSome(fd_, raw_.data() + start, kReadBlockSize);
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
            throw CannotOpenFileError(path_);
        }
        raw_.resize(start + static_cast<size_t>(got));
        if (got == 0) {
            exhausted_ = true;
        }
        if (encoding_ == Encoding::Undecided) {
            Decide(start);
        }
        Decode();
    }

    void Decide(size_t start) {
        const auto firstNonAscii =
            std::find_if(raw_.begin() + static_cast<std::ptrdiff_t>(start), raw_.end(),
                         [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        if (firstNonAscii == raw_.end()) {
            return;
        }
        const auto at = static_cast<size_t>(firstNonAscii - raw_.begin());
        const std::uint64_t fileOffset = read_ + at;
        if (fileOffset == 0 && std::string_view(raw_).starts_with(kByteOrderMark) &&
            IsValidUtf8From(fd_, kByteOrderMark.size())) {
            raw_.erase(0, kByteOrderMark.size());
            read_ += kByteOrderMark.size();
            encoding_ = Encoding::Utf8;
            return;
        }
        encoding_ = IsValidUtf8From(fd_, fileOffset) ? Encoding::Utf8 : Encoding::Gb18030;
    }

    // Moves the raw bytes that can be decoded into the window: all of them, except that
    // GB18030 is decoded up to the last line break, so that no character is cut.
    void Decode() {
        size_t cut = raw_.size();
        if (encoding_ == Encoding::Gb18030 && !exhausted_) {
            const size_t lastBreak = raw_.find_last_of("\r\n");
            cut = lastBreak == std::string::npos ? 0 : lastBreak + 1;
        }
        const std::string_view decodable = std::string_view(raw_).substr(0, cut);
        if (encoding_ == Encoding::Gb18030) {
            window_ += DecodeGb18030(decodable);
        } else {
            window_ += decodable;
        }
        read_ += cut;
        raw_.erase(0, cut);
    }

    void Close() {
        if (fd_ >= 0) {
            CloseFile(fd_);
            fd_ = -1;
        }
    }

    std::string path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::uint64_t read_ = 0;  // raw bytes moved into the window
    std::string raw_;
    std::string window_;
    Encoding encoding_ = Encoding::Undecided;
    bool exhausted_ = false;
};

LineCursor::LineCursor() = default;
LineCursor::LineCursor(std::string_view text) : text_(text) {}
LineCursor::LineCursor(LineCursor&&) noexcept = default;
LineCursor& LineCursor::operator=(LineCursor&&) noexcept = default;
LineCursor::~LineCursor() = default;

LineCursor LineCursor::OfFile(const std::string& path) {
    LineCursor cursor;
    cursor.file_ = std::make_unique<FileSource>(path);
    cursor.text_ = cursor.file_->window();
    return cursor;
}

std::optional<std::string_view> LineCursor::Next() {
    for (;;) {
        const size_t n = text_.size();
        const char* const data = text_.data();
        const bool more = file_ != nullptr && !file_->exhausted();
        if (position_ < n) {
            const size_t begin = position_;
            const size_t end = FindLineEnd(data, begin, n);
            // A line that reaches the window's end, or a CR there, may go on in the next block.
            const bool complete = end + 1 < n || (end + 1 == n && data[end] == '\n');
            if (complete || !more) {
                const bool crlf = end + 1 < n && data[end] == '\r' && data[end + 1] == '\n';
                position_ = std::min(end + (crlf ? 2 : 1), n);
                ++index_;
                return text_.substr(begin, end - begin);
            }
        } else if (!more) {
            return std::nullopt;
        }
        file_->Refill(position_);
        text_ = file_->window();
        position_ = 0;
    }
}

int LineCursor::Percent() const {
    if (file_ != nullptr) {
        return file_->Percent(text_.size() - position_);
    }
    return text_.empty() ? 100 : static_cast<int>(position_ * 100 / text_.size());
}

std::string_view LineCursor::NextOrThrow() {
    if (auto line = Next()) {
        return *line;
    }
    throw ListIndexError(index_);
}

TextLines::TextLines(TextBuffer buffer) : buffer_(std::move(buffer)) {
    const std::string_view all = text();
    begins_.reserve(static_cast<size_t>(std::count(all.begin(), all.end(), '\n')) + 2);
    LineCursor cursor(all);
    for (size_t begin = 0; cursor.Next(); begin = cursor.position()) {
        begins_.push_back(begin);
    }
    begins_.push_back(cursor.position());
}

std::string_view TextLines::operator[](size_t index) const {
    const char* const data = text().data();
    const size_t begin = begins_[index];
    size_t end = begins_[index + 1];
    // Lines hold no CR or LF, so whatever of them ends the range is the line's end.
    if (end > begin && data[end - 1] == '\n') {
        --end;
    }
    if (end > begin && data[end - 1] == '\r') {
        --end;
    }
    return std::string_view(data + begin, end - begin);
}

std::string_view TextLines::at(long long index) const {
    if (index < 0 || static_cast<unsigned long long>(index) >= size()) {
        throw ListIndexError(index);
    }
    return (*this)[static_cast<size_t>(index)];
}

std::string ReadFileBytes(const std::string& path, size_t limit) {
    const LoadedFile file(path, limit);
    return std::string(file.bytes());
}

TextBuffer ReadTextBuffer(const std::string& path) {
    LoadedFile file(path);
    if (const auto offset = Utf8ContentOffset(file.bytes())) {
        return TextBuffer(std::move(file), *offset);
    }
    return TextBuffer(DecodeUtf16OrGb18030(file.bytes()));
}

TextLines ReadTextLines(const std::string& path) {
    return TextLines(ReadTextBuffer(path));
}

}  // namespace orvane
