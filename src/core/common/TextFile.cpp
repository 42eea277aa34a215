#include "common/TextFile.h"

#include <algorithm>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cstring>

#include "common/Encoding.h"
#include "common/Errors.h"

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

std::optional<std::string_view> LineCursor::Next() {
    const size_t n = text_.size();
    if (position_ >= n) {
        return std::nullopt;
    }
    const char* const data = text_.data();
    const size_t begin = position_;
    const size_t end = FindLineEnd(data, begin, n);
    const bool crlf = end + 1 < n && data[end] == '\r' && data[end + 1] == '\n';
    position_ = std::min(end + (crlf ? 2 : 1), n);
    ++index_;
    return text_.substr(begin, end - begin);
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
