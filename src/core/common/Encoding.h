#pragma once

// Text inside the program is UTF-8. Files from outside are UTF-8 when their bytes are valid
// UTF-8, UTF-16 when they begin with its byte-order mark (Windows programs save "Unicode"
// text so), and GB18030 (a superset of GBK and GB2312) otherwise.

#include <optional>
#include <string>
#include <string_view>

namespace orvane {

bool IsValidUtf8(std::string_view bytes);

// Length of the well-formed UTF-8 sequence starting at bytes[i], or 0 when there is none.
size_t Utf8SequenceLength(std::string_view bytes, size_t i);

// For bytes[i] where no well-formed sequence starts: how many bytes one U+FFFD stands for, the
// longest start of a well-formed sequence there, at least 1 (as decoders replace ill-formed
// UTF-8: "\xE4\xB8" cut short is one U+FFFD, "\xC0\x80" two).
size_t Utf8IllFormedLength(std::string_view bytes, size_t i);

// GB18030 bytes as UTF-8; a byte sequence that is no character becomes U+FFFD.
std::string DecodeGb18030(std::string_view bytes);

// Whether the bytes begin with a UTF-16 byte-order mark, little-endian (FF FE) or big-endian
// (FE FF).
bool HasUtf16ByteOrderMark(std::string_view bytes);

// UTF-16 bytes, byte-order mark included, as UTF-8; a lone surrogate or an odd last byte
// becomes U+FFFD.
std::string DecodeUtf16(std::string_view bytes);

// The bytes of a text file that are no UTF-8 as UTF-8: UTF-16 after its byte-order mark,
// anything else decoded from GB18030.
std::string DecodeUtf16OrGb18030(std::string_view bytes);

// Where the UTF-8 text of a file's bytes starts (after a byte-order mark), or nothing when the
// bytes are no valid UTF-8.
std::optional<size_t> Utf8ContentOffset(std::string_view bytes);

// The bytes of a text file as UTF-8: a UTF-8 byte-order mark is dropped, valid UTF-8 is kept
// as it is, UTF-16 with its byte-order mark is decoded, anything else is decoded from
// GB18030.
std::string DecodeText(std::string bytes);

// Whether the first bytes of a file are text in an encoding the program reads: no NUL byte,
// no control character but tab, line ends, form feed and end-of-file, and valid UTF-8, UTF-16
// after its byte-order mark, or GB18030. `cutShort` says that the file goes on, so a
// character cut at the end of the bytes is no fault.
bool LooksLikeText(std::string_view start, bool cutShort);

// UTF-8 as GBK; a character GBK lacks becomes an XML character reference ("&#8364;").
std::string EncodeGbkWithCharacterReferences(std::string_view utf8);

// UTF-8 as GBK; a character GBK lacks takes its four-byte GB18030 form (GB18030 extends GBK),
// so that no character is lost. Bytes that are no UTF-8 are kept as they are.
std::string EncodeGbk(std::string_view utf8);

}  // namespace orvane
