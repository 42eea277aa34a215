#pragma once

// Texts as XML character data. Every KML file is UTF-8 XML 1.0, whose texts cannot hold
// control characters other than TAB, LF and CR, nor U+FFFE and U+FFFF, nor bytes that are no
// UTF-8: those become U+FFFD, so that a file is well-formed whatever its input held.

#include <cstddef>
#include <string>
#include <string_view>

namespace orvane {

// Whether '"' is escaped too: in an HTML table built as text, not in element content.
enum class XmlQuotes { Kept, Escaped };

// The length of the longest start of `text` that goes into XML unchanged: no "&", "<", ">"
// (nor '"' when quotes are escaped) and nothing that XML cannot hold. Plain text, the usual
// case, is checked sixteen bytes at a time.
size_t PlainXmlPrefixLength(std::string_view text, XmlQuotes quotes = XmlQuotes::Kept);

inline bool IsPlainXmlText(std::string_view text, XmlQuotes quotes = XmlQuotes::Kept) {
    return PlainXmlPrefixLength(text, quotes) == text.size();
}

// Appends `text` with "&", "<", ">" (and '"') as entity references, and with one U+FFFD for
// each character that XML cannot hold and for each ill-formed UTF-8 sequence.
void AppendXmlText(std::string& out, std::string_view text, XmlQuotes quotes = XmlQuotes::Kept);

}  // namespace orvane
