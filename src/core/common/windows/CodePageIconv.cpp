#include <windows.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/windows/iconv.h"

namespace {

constexpr UINT kUtf16 = 1200;  // not a code page for MultiByteToWideChar: copied as it is
constexpr UINT kGbk = 936;
constexpr UINT kGb18030 = 54936;

// A code page, and whether GB18030 is read through GBK because the system lacks code page
// 54936 (Wine does): GBK is GB18030's one- and two-byte part.
struct CodePage {
    UINT number = 0;
    bool gb18030OverGbk = false;
};

struct Conversion {
    CodePage from;
    CodePage to;
};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && ::_strnicmp(a.data(), b.data(), a.size()) == 0;
}

std::optional<CodePage> CodePageNamed(std::string_view name) {
    struct Named {
        std::string_view name;
        UINT number;
    };
    static constexpr Named kNames[] = {
        {"UTF-8", CP_UTF8}, {"UTF8", CP_UTF8}, {"UTF-16LE", kUtf16},  {"ASCII", 20127},
        {"GBK", kGbk},      {"GB2312", kGbk},  {"GB18030", kGb18030}, {"MacRoman", 10000},
    };
    UINT number = 0;
    for (const Named& named : kNames) {
        if (EqualsIgnoringCase(name, named.name)) {
            number = named.number;
        }
    }
    if (number == 0 && name.size() > 2 && EqualsIgnoringCase(name.substr(0, 2), "CP")) {
        number = static_cast<UINT>(std::strtoul(std::string(name.substr(2)).c_str(), nullptr, 10));
    }
    if (number == kGb18030 && !::IsValidCodePage(kGb18030)) {
        return CodePage{kGbk, true};
    }
    if (number == 0 || (number != kUtf16 && !::IsValidCodePage(number))) {
        return std::nullopt;
    }
    return CodePage{number, false};
}

bool IsGb18030(const CodePage& page) {
    return page.number == kGb18030 || page.gb18030OverGbk;
}

// The length of the character at the start of `bytes` by the form of its first bytes; the
// decoding then tells whether it is one.
size_t CharacterLength(const CodePage& page, std::string_view bytes) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char first = byte(0);
    if (page.number == kUtf16) {
        const bool high = bytes.size() >= 2 && byte(1) >= 0xD8 && byte(1) <= 0xDB;
        return high ? 4 : 2;
    }
    if (first < 0x80) {
        return 1;
    }
    if (page.number == CP_UTF8) {
        return first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
    }
    if (IsGb18030(page)) {
        if (first == 0x80 || first == 0xFF) {
            return 1;
        }
        return bytes.size() >= 2 && byte(1) >= 0x30 && byte(1) <= 0x39 ? 4 : 2;
    }
    return ::IsDBCSLeadByteEx(page.number, first) ? 2 : 1;
}

// A four-byte GB18030 character: those of the supplementary planes map linearly from
// 0x90308130 on; those of the basic plane (0x81308130 to 0x8431A439) would need GB18030's
// table and become U+FFFD, one for the four bytes.
std::optional<std::wstring> DecodeFourByteGb18030(std::string_view bytes) {
    const auto byte = [&](size_t k) { return static_cast<unsigned>(bytes[k] & 0xFF); };
    if (byte(0) < 0x81 || byte(0) > 0xFE || byte(1) < 0x30 || byte(1) > 0x39 || byte(2) < 0x81 ||
        byte(2) > 0xFE || byte(3) < 0x30 || byte(3) > 0x39) {
        return std::nullopt;
    }
    if (byte(0) < 0x90) {
        return std::wstring(1, L'\uFFFD');
    }
    const unsigned linear =
        (((byte(0) - 0x90) * 10 + (byte(1) - 0x30)) * 126 + (byte(2) - 0x81)) * 10 + byte(3) - 0x30;
    if (linear > 0xFFFFF) {
        return std::nullopt;
    }
    return std::wstring{static_cast<wchar_t>(0xD800 + (linear >> 10)),
                        static_cast<wchar_t>(0xDC00 + (linear & 0x3FF))};
}

std::optional<std::wstring> DecodeCodePage(UINT number, std::string_view bytes);

// GB18030 read as GBK, with its four-byte characters taken one by one.
std::optional<std::wstring> DecodeGb18030OverGbk(std::string_view bytes) {
    std::wstring wide;
    size_t start = 0;  // of the two-byte characters not yet decoded
    size_t at = 0;
    const auto flush = [&](size_t end) {
        const auto part = DecodeCodePage(kGbk, bytes.substr(start, end - start));
        wide += part.value_or(L"");
        return part.has_value();
    };
    while (at < bytes.size()) {
        const size_t length = CharacterLength(CodePage{kGbk, true}, bytes.substr(at));
        if (length == 4) {
            const auto character = DecodeFourByteGb18030(bytes.substr(at, 4));
            if (!flush(at) || !character) {
                return std::nullopt;
            }
            wide += *character;
            start = at + 4;
        }
        at += length;
    }
    if (!flush(bytes.size())) {
        return std::nullopt;
    }
    return wide;
}

std::optional<std::wstring> Decode(const CodePage& page, std::string_view bytes) {
    if (page.number == kUtf16) {
        std::wstring wide(bytes.size() / 2, L'\0');
        std::memcpy(wide.data(), bytes.data(), wide.size() * 2);
        return wide;
    }
    if (page.gb18030OverGbk) {
        return DecodeGb18030OverGbk(bytes);
    }
    return DecodeCodePage(page.number, bytes);
}

std::optional<std::wstring> DecodeCodePage(UINT number, std::string_view bytes) {
    if (bytes.empty()) {
        return std::wstring();
    }
    const int size = static_cast<int>(bytes.size());
    const int length =
        ::MultiByteToWideChar(number, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (length <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(number, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), length);
    return wide;
}

std::optional<std::string> Encode(const CodePage& page, std::wstring_view wide) {
    const int size = static_cast<int>(wide.size());
    // UTF-8 refuses lone surrogates; GB18030 holds every character; any other code page says
    // when it had none and would put its default character in.
    const bool unicode = page.number == CP_UTF8 || page.number == kGb18030;
    const DWORD flags = page.number == CP_UTF8    ? WC_ERR_INVALID_CHARS
                        : page.number == kGb18030 ? 0
                                                  : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* const used = unicode ? nullptr : &usedDefault;
    const int length =
        ::WideCharToMultiByte(page.number, flags, wide.data(), size, nullptr, 0, nullptr, used);
    if (length <= 0 || usedDefault) {
        return std::nullopt;
    }
    std::string bytes(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(page.number, flags, wide.data(), size, bytes.data(), length, nullptr,
                          nullptr);
    return bytes;
}

std::optional<std::string> Convert(const Conversion& conversion, std::string_view bytes) {
    const std::optional<std::wstring> wide = Decode(conversion.from, bytes);
    if (!wide) {
        return std::nullopt;
    }
    return Encode(conversion.to, *wide);
}

size_t Fail(int error) {
    errno = error;
    return static_cast<size_t>(-1);
}

// The longest run of whole characters from the start of `bytes`, up to about 4 KiB: one call
// of the system converts it when it holds nothing to report.
size_t WholeCharacters(const CodePage& page, std::string_view bytes) {
    constexpr size_t kRun = 4096;
    size_t end = 0;
    while (end < bytes.size() && end < kRun) {
        const size_t length = CharacterLength(page, bytes.substr(end));
        if (end + length > bytes.size()) {
            break;
        }
        end += length;
    }
    return end;
}

}  // namespace

extern "C" {

iconv_t iconv_open(const char* to, const char* from) {
    const std::optional<CodePage> target = CodePageNamed(to);
    const std::optional<CodePage> source = CodePageNamed(from);
    if (!target || !source || target->number == kUtf16) {
        errno = EINVAL;
        return reinterpret_cast<iconv_t>(-1);
    }
    // The C interface owns the conversion from here to iconv_close.
    return std::make_unique<Conversion>(Conversion{*source, *target}).release();
}

int iconv_close(iconv_t converter) {
    std::unique_ptr<Conversion> owned(static_cast<Conversion*>(converter));
    return 0;
}

size_t iconv(iconv_t converter, char** in, size_t* inLeft, char** out, size_t* outLeft) {
    if (in == nullptr || *in == nullptr) {
        return 0;  // no shift states to reset
    }
    const Conversion& conversion = *static_cast<const Conversion*>(converter);
    while (*inLeft > 0) {
        const std::string_view rest(*in, *inLeft);
        size_t taken = WholeCharacters(conversion.from, rest);
        std::optional<std::string> converted;
        if (taken > 0) {
            converted = Convert(conversion, rest.substr(0, taken));
        }
        if (!converted || converted->size() > *outLeft) {
            // One character, to stop exactly where the problem is.
            taken = CharacterLength(conversion.from, rest);
            if (taken > rest.size()) {
                return Fail(EINVAL);
            }
            converted = Convert(conversion, rest.substr(0, taken));
            if (!converted) {
                return Fail(EILSEQ);
            }
            if (converted->size() > *outLeft) {
                return Fail(E2BIG);
            }
        }
        std::memcpy(*out, converted->data(), converted->size());
        *out += converted->size();
        *outLeft -= converted->size();
        *in += taken;
        *inLeft -= taken;
    }
    return 0;
}

}  // extern "C"
