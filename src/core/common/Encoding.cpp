#include "common/Encoding.h"

#include <iconv.h>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace orvane {

namespace {

bool AllAscii(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return (word & 0x8080808080808080ULL) == 0;
}

class Converter {
  public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {
        if (handle_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("Text conversion from ") + from + " to " + to +
                                     " is not available");
        }
    }
    ~Converter() { iconv_close(handle_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as it can; returns false at the first byte sequence it cannot take
    // (input and output then point at it).
    bool Convert(const char*& in, size_t& inLeft, std::string& out) {
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            char* inPtr = const_cast<char*>(in);
            const size_t result = iconv(handle_, &inPtr, &inLeft, &outPtr, &outLeft);
            in = inPtr;
            out.append(buffer, static_cast<size_t>(outPtr - buffer));
            if (result == static_cast<size_t>(-1) && errno != E2BIG) {
                iconv(handle_, nullptr, nullptr, nullptr, nullptr);
                return false;
            }
        }
        return true;
    }

  private:
    iconv_t handle_;
};

// Length of the GB18030 character at bytes[i] (which is not ASCII), by the form of its
// bytes alone: lead 0x81-0xFE, then a trail 0x40-0xFE (not 0x7F) or a digit, lead, digit.
size_t Gb18030SequenceLength(std::string_view bytes, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x81 || b0 == 0xFF || i + 1 >= bytes.size()) {
        return 1;
    }
    const unsigned char b1 = byte(i + 1);
    if (b1 >= 0x30 && b1 <= 0x39) {
        return i + 3 < bytes.size() ? 4 : 1;
    }
    return (b1 >= 0x40 && b1 <= 0xFE && b1 != 0x7F) ? 2 : 1;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

size_t Utf8SequenceLength(std::string_view bytes, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char b0 = byte(i);
    const size_t left = bytes.size() - i;
    const auto isTrail = [&](size_t k) { return (byte(k) & 0xC0) == 0x80; };
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        return left >= 2 && isTrail(i + 1) ? 2 : 0;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (left < 3 || !isTrail(i + 1) || !isTrail(i + 2)) {
            return 0;
        }
        const unsigned char b1 = byte(i + 1);
        if ((b0 == 0xE0 && b1 < 0xA0) || (b0 == 0xED && b1 >= 0xA0)) {
            return 0;  // overlong form or surrogate
        }
        return 3;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (left < 4 || !isTrail(i + 1) || !isTrail(i + 2) || !isTrail(i + 3)) {
            return 0;
        }
        const unsigned char b1 = byte(i + 1);
        if ((b0 == 0xF0 && b1 < 0x90) || (b0 == 0xF4 && b1 >= 0x90)) {
            return 0;
        }
        return 4;
    }
    return 0;
}

size_t Utf8IllFormedLength(std::string_view bytes, size_t i) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    size_t trails = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        trails = 1;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        trails = 2;
        low = b0 == 0xE0 ? 0xA0 : 0x80;   // no overlong form
        high = b0 == 0xED ? 0x9F : 0xBF;  // no surrogate
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        trails = 3;
        low = b0 == 0xF0 ? 0x90 : 0x80;   // no overlong form
        high = b0 == 0xF4 ? 0x8F : 0xBF;  // nothing beyond U+10FFFF
    }
    size_t length = 1;
    while (length <= trails && i + length < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i + length]);
        if (b < low || b > high) {
            break;
        }
        ++length;
        low = 0x80;
        high = 0xBF;
    }
    return length;
}

bool IsValidUtf8(std::string_view bytes) {
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        if (i + 8 <= n && AllAscii(bytes.data() + i)) {
            i += 8;
            continue;
        }
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const size_t length = Utf8SequenceLength(bytes, i);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string DecodeGb18030(std::string_view bytes) {
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    static constexpr std::string_view kEuroSign = "\xE2\x82\xAC";
    Converter converter("UTF-8", "GB18030");
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        // ASCII runs are the same bytes in both encodings: copy them without iconv.
        size_t asciiEnd = i;
        while (asciiEnd < n && static_cast<unsigned char>(bytes[asciiEnd]) < 0x80) {
            ++asciiEnd;
        }
        out.append(bytes.data() + i, asciiEnd - i);
        i = asciiEnd;
        if (i == n) {
            break;
        }
        size_t runEnd = i;
        while (runEnd < n && static_cast<unsigned char>(bytes[runEnd]) >= 0x80) {
            runEnd += Gb18030SequenceLength(bytes, runEnd);
        }
        runEnd = std::min(runEnd, n);
        const char* in = bytes.data() + i;
        size_t inLeft = runEnd - i;
        while (!converter.Convert(in, inLeft, out)) {
            // GBK as Windows writes it (and as EncodeGbkWithCharacterReferences writes it)
            // has the euro sign as the single byte 0x80, which GB18030 lacks.
            out += static_cast<unsigned char>(*in) == 0x80 ? kEuroSign : kReplacement;
            ++in;
            --inLeft;
        }
        i = runEnd;
    }
    return out;
}

bool HasUtf16ByteOrderMark(std::string_view bytes) {
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

std::string DecodeUtf16(std::string_view bytes) {
    const bool bigEndian = bytes.starts_with("\xFE\xFF");
    const size_t start = HasUtf16ByteOrderMark(bytes) ? 2 : 0;
    const auto unitAt = [&](size_t i) -> char32_t {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (char32_t{first} << 8 | second) : (char32_t{second} << 8 | first);
    };
    const auto isHigh = [](char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; };
    const auto isLow = [](char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; };
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    size_t i = start;
    for (; i + 1 < bytes.size(); i += 2) {
        char32_t code = unitAt(i);
        if (isHigh(code) && i + 3 < bytes.size() && isLow(unitAt(i + 2))) {
            code = 0x10000 + ((code - 0xD800) << 10) + (unitAt(i + 2) - 0xDC00);
            i += 2;
        } else if (isHigh(code) || isLow(code)) {
            code = 0xFFFD;
        }
        AppendUtf8(out, code);
    }
    if (i < bytes.size()) {
        AppendUtf8(out, 0xFFFD);
    }
    return out;
}

std::string DecodeUtf16OrGb18030(std::string_view bytes) {
    return HasUtf16ByteOrderMark(bytes) ? DecodeUtf16(bytes) : DecodeGb18030(bytes);
}

std::optional<size_t> Utf8ContentOffset(std::string_view bytes) {
    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (bytes.starts_with(kByteOrderMark) && IsValidUtf8(bytes.substr(kByteOrderMark.size()))) {
        return kByteOrderMark.size();
    }
    if (IsValidUtf8(bytes)) {
        return 0;
    }
    return std::nullopt;
}

std::string DecodeText(std::string bytes) {
    if (const auto offset = Utf8ContentOffset(bytes)) {
        bytes.erase(0, *offset);
        return bytes;
    }
    return DecodeUtf16OrGb18030(bytes);
}

std::string EncodeGbkWithCharacterReferences(std::string_view utf8) {
    Converter converter("GBK", "UTF-8");
    std::string out;
    out.reserve(utf8.size());
    const char* in = utf8.data();
    size_t inLeft = utf8.size();
    while (!converter.Convert(in, inLeft, out)) {
        const std::string_view rest(in, inLeft);
        size_t length = Utf8SequenceLength(rest, 0);
        if (length == 0) {
            length = 1;  // not UTF-8 at all: the byte cannot be represented
            out += "&#65533;";
        } else {
            char32_t code = static_cast<unsigned char>(rest[0]) & (0xFF >> (length + 1));
            for (size_t k = 1; k < length; ++k) {
                code = (code << 6) | (static_cast<unsigned char>(rest[k]) & 0x3F);
            }
            out += "&#" + std::to_string(static_cast<std::uint32_t>(code)) + ';';
        }
        in += length;
        inLeft -= length;
    }
    return out;
}

std::string EncodeGbk(std::string_view utf8) {
    Converter gbk("GBK", "UTF-8");
    std::string out;
    out.reserve(utf8.size());
    const char* in = utf8.data();
    size_t inLeft = utf8.size();
    while (!gbk.Convert(in, inLeft, out)) {
        const size_t length = Utf8SequenceLength(std::string_view(in, inLeft), 0);
        if (length == 0) {
            out += *in;
            ++in;
            --inLeft;
            continue;
        }
        Converter gb18030("GB18030", "UTF-8");
        const char* character = in;
        size_t characterLeft = length;
        gb18030.Convert(character, characterLeft, out);
        in += length;
        inLeft -= length;
    }
    return out;
}

namespace {

bool HoldsOnlyTextCharacters(std::string_view text) {
    return std::none_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && u != 0x1A;
    });
}

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

}  // namespace

bool LooksLikeText(std::string_view start, bool cutShort) {
    if (HasUtf16ByteOrderMark(start)) {
        std::string text = DecodeUtf16(start);
        if (cutShort && text.ends_with(kReplacementCharacter)) {
            text.resize(text.size() - kReplacementCharacter.size());
        }
        return HoldsOnlyTextCharacters(text) &&
               text.find(kReplacementCharacter) == std::string::npos;
    }
    if (!HoldsOnlyTextCharacters(start)) {
        return false;
    }
    // A character cut at the end takes at most three bytes in UTF-8 and GB18030.
    const size_t cut = cutShort ? std::min<size_t>(3, start.size()) : 0;
    for (size_t dropped = 0; dropped <= cut; ++dropped) {
        if (IsValidUtf8(start.substr(0, start.size() - dropped))) {
            return true;
        }
    }
    for (size_t dropped = 0; dropped <= cut; ++dropped) {
        const std::string text = DecodeGb18030(start.substr(0, start.size() - dropped));
        if (text.find(kReplacementCharacter) == std::string::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace orvane
