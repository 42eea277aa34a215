#include "common/XmlText.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/Encoding.h"

namespace orvane {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Bytes that may need a change: markup, quotes, control characters and every byte of a
// character beyond ASCII (whose sequence must be checked).
bool NeedsLook(unsigned char c) {
    return c < 0x20 || c >= 0x80 || c == '&' || c == '<' || c == '>' || c == '"';
}

// The position of the first byte from `i` on that needs a look, or the text's size.
size_t SkipPlainBytes(std::string_view text, size_t i) {
    const size_t n = text.size();
#if defined(__SSE2__)
    const __m128i space = _mm_set1_epi8(0x20);
    const __m128i ampersand = _mm_set1_epi8('&');
    const __m128i less = _mm_set1_epi8('<');
    const __m128i greater = _mm_set1_epi8('>');
    const __m128i quote = _mm_set1_epi8('"');
    for (; i + 16 <= n; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        // Signed, bytes from 0x80 up are negative: one comparison finds them and the controls.
        __m128i look = _mm_cmplt_epi8(bytes, space);
        look = _mm_or_si128(look, _mm_cmpeq_epi8(bytes, ampersand));
        look = _mm_or_si128(look, _mm_cmpeq_epi8(bytes, less));
        look = _mm_or_si128(look, _mm_cmpeq_epi8(bytes, greater));
        look = _mm_or_si128(look, _mm_cmpeq_epi8(bytes, quote));
        const int mask = _mm_movemask_epi8(look);
        if (mask != 0) {
            return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        }
    }
#endif
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
    const size_t length = Utf8SequenceLength(text, i);
    return length == 3 && IsNonCharacter(text, i) ? 0 : length;
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
    size_t i = 0;
    while (true) {
        i = SkipPlainBytes(text, i);
        if (i == text.size()) {
            return i;
        }
        const size_t length = PlainCharacterLength(text, i, quotes);
        if (length == 0) {
            return i;
        }
        i += length;
    }
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
