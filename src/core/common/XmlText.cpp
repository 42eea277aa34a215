#include "common/XmlText.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <cstdint>
#include <cstring>

#include "common/Encoding.h"

namespace orvane {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Bytes that may need a change: markup, quotes, control characters and every byte of a
// character beyond ASCII (whose sequence must be checked).
bool NeedsLook(unsigned char c) {
    return c < 0x20 || c >= 0x80 || c == '&' || c == '<' || c == '>' || c == '"';
}

// Whether any of the eight bytes at `at` needs a look: short texts (names, style references)
// are checked a word at a time.
bool WordNeedsLook(const char* at) {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHigh = 0x8080808080808080;
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    // A zero byte, and a byte below n (n at most 0x80), set the high bit of some byte of
    // (x - n) & ~x; bytes above it may be set wrongly, so this answers for the word only.
    const auto hasBelow = [](std::uint64_t x, std::uint64_t n) {
        return (x - kOnes * n) & ~x & kHigh;
    };
    return ((word & kHigh) | hasBelow(word, 0x20) |
            hasBelow((word | kOnes * 0x04) ^ (kOnes * 0x26), 1) |
            hasBelow((word | kOnes * 0x02) ^ (kOnes * 0x3E), 1)) != 0;
}

#if defined(__x86_64__)
// The bytes that need a look among the sixteen or thirty-two at `at`, one bit each. Signed,
// bytes from 0x80 up are negative: one comparison finds them and the controls. '"' (0x22) and
// '&' (0x26) are the bytes that give 0x26 with bit 2 set; '<' (0x3C) and '>' (0x3E) those
// that give 0x3E with bit 1 set.
int LookMask16(const char* at) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i low = _mm_cmplt_epi8(bytes, _mm_set1_epi8(0x20));
    const __m128i quoteOrAmpersand =
        _mm_cmpeq_epi8(_mm_or_si128(bytes, _mm_set1_epi8(0x04)), _mm_set1_epi8(0x26));
    const __m128i angle =
        _mm_cmpeq_epi8(_mm_or_si128(bytes, _mm_set1_epi8(0x02)), _mm_set1_epi8(0x3E));
    return _mm_movemask_epi8(_mm_or_si128(low, _mm_or_si128(quoteOrAmpersand, angle)));
}

__attribute__((target("avx2"))) __m256i Look32(const char* at) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    const __m256i low = _mm256_cmpgt_epi8(_mm256_set1_epi8(0x20), bytes);
    const __m256i quoteOrAmpersand =
        _mm256_cmpeq_epi8(_mm256_or_si256(bytes, _mm256_set1_epi8(0x04)), _mm256_set1_epi8(0x26));
    const __m256i angle =
        _mm256_cmpeq_epi8(_mm256_or_si256(bytes, _mm256_set1_epi8(0x02)), _mm256_set1_epi8(0x3E));
    return _mm256_or_si256(low, _mm256_or_si256(quoteOrAmpersand, angle));
}

// Sixty-four bytes a step while none needs a look; gives where the step that has one starts.
__attribute__((target("avx2"))) size_t SkipPlainBlocksAvx2(std::string_view text, size_t i) {
    for (; i + 64 <= text.size(); i += 64) {
        const __m256i look = _mm256_or_si256(Look32(text.data() + i), Look32(text.data() + i + 32));
        if (!_mm256_testz_si256(look, look)) {
            break;
        }
    }
    return i;
}

size_t SkipPlainBlocksSse2(std::string_view text, size_t i) {
    for (; i + 64 <= text.size(); i += 64) {
        const char* at = text.data() + i;
        if ((LookMask16(at) | LookMask16(at + 16) | LookMask16(at + 32) | LookMask16(at + 48)) !=
            0) {
            break;
        }
    }
    return i;
}
#endif

// The position of the first byte from `i` on that needs a look, or the text's size. Long
// coordinate texts pass at memory speed.
size_t SkipPlainBytes(std::string_view text, size_t i) {
    const size_t n = text.size();
#if defined(__x86_64__)
    if (i + 64 <= n) {
        static const bool avx2 = __builtin_cpu_supports("avx2");
        i = avx2 ? SkipPlainBlocksAvx2(text, i) : SkipPlainBlocksSse2(text, i);
    }
    for (; i + 16 <= n; i += 16) {
        if (const int mask = LookMask16(text.data() + i); mask != 0) {
            return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        }
    }
#endif
    for (; i + 8 <= n && !WordNeedsLook(text.data() + i); i += 8) {
    }
    while (i < n && !NeedsLook(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    return i;
}

bool IsNonCharacter(std::string_view text, size_t i) {  // U+FFFE or U+FFFF
    return text[i] == '\xEF' && text[i + 1] == '\xBF' &&
           (text[i + 2] == '\xBE' || text[i + 2] == '\xBF');
}

// The length of the character at text[i] when it goes into XML unchanged, else 0.
size_t PlainCharacterLength(std::string_view text, size_t i, XmlQuotes quotes) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
        const bool plain = c == '"'   ? quotes == XmlQuotes::Kept
                           : c < 0x20 ? c == '\t' || c == '\n' || c == '\r'
                                      : c != '&' && c != '<' && c != '>';
        return plain ? 1 : 0;
    }
    // Chinese characters, the usual ones beyond ASCII, take three bytes: E1 ... EC, EE or EF
    // (not EF BF BE or EF BF BF), then two trail bytes.
    if (c >= 0xE1 && c <= 0xEF && c != 0xED && i + 2 < text.size() &&
        (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80 &&
        (static_cast<unsigned char>(text[i + 2]) & 0xC0) == 0x80) {
        return IsNonCharacter(text, i) ? 0 : 3;
    }
    return Utf8SequenceLength(text, i);
}

// Appends what stands for the character at the front of `text`, which is no plain one, and
// returns how many bytes it replaces.
size_t AppendReplaced(std::string& out, std::string_view text) {
    switch (text.front()) {
        case '&':
            out += "&amp;";
            return 1;
        case '<':
            out += "&lt;";
            return 1;
        case '>':
            out += "&gt;";
            return 1;
        case '"':
            out += "&quot;";
            return 1;
        default:
            break;
    }
    out += kReplacement;
    if (static_cast<unsigned char>(text.front()) < 0x80) {
        return 1;  // a control character
    }
    const size_t length = Utf8SequenceLength(text, 0);
    return length != 0 ? length : Utf8IllFormedLength(text, 0);
}

}  // namespace

size_t PlainXmlPrefixLength(std::string_view text, XmlQuotes quotes) {
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        i = SkipPlainBytes(text, i);
        // Characters beyond ASCII come in runs (Chinese names): one by one up to the next
        // byte that needs no look.
        while (i < n && NeedsLook(static_cast<unsigned char>(text[i]))) {
            const size_t length = PlainCharacterLength(text, i, quotes);
            if (length == 0) {
                return i;
            }
            i += length;
        }
    }
    return n;
}

void AppendXmlText(std::string& out, std::string_view text, XmlQuotes quotes) {
    while (!text.empty()) {
        const size_t plain = PlainXmlPrefixLength(text, quotes);
        out.append(text.data(), plain);
        text.remove_prefix(plain);
        if (!text.empty()) {
            text.remove_prefix(AppendReplaced(out, text));
        }
    }
}

}  // namespace orvane
