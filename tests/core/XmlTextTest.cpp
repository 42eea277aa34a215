#include <gtest/gtest.h>

#include "common/XmlText.h"

using namespace orvane;

namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

std::string Escaped(std::string_view text, XmlQuotes quotes = XmlQuotes::Kept) {
    std::string out;
    AppendXmlText(out, text, quotes);
    return out;
}

}  // namespace

TEST(XmlText, KeepsPlainTextAndEscapesMarkup) {
    for (const std::string_view plain : {"", "113.264,23.129,0 ", "基站 A\tB\r\nC \x7F",
                                         "\xF0\x9F\x93\xA1 \xEF\xBF\xBD \xC2\x80"}) {
        EXPECT_TRUE(IsPlainXmlText(plain)) << plain;
        EXPECT_EQ(Escaped(plain), plain);
    }
    EXPECT_EQ(Escaped("A&B <5> \"x\""), "A&amp;B &lt;5&gt; \"x\"");
    EXPECT_EQ(Escaped("A&B <5> \"x\"", XmlQuotes::Escaped), "A&amp;B &lt;5&gt; &quot;x&quot;");
    EXPECT_TRUE(IsPlainXmlText("say \"hi\""));
    EXPECT_FALSE(IsPlainXmlText("say \"hi\"", XmlQuotes::Escaped));
}

TEST(XmlText, ReplacesWhatXmlCannotHold) {
    // Each control character other than TAB, LF and CR, NUL included.
    for (int c = 0; c < 0x20; ++c) {
        const std::string text = std::string("a") + static_cast<char>(c) + "b";
        const bool allowed = c == '\t' || c == '\n' || c == '\r';
        EXPECT_EQ(Escaped(text), allowed ? text : "a" + kReplacement + "b") << c;
    }
    // The two noncharacters, and each ill-formed UTF-8 sequence as one U+FFFD for the longest
    // start of a well-formed sequence.
    const std::pair<std::string_view, std::string> cases[] = {
        {"\xEF\xBF\xBE|\xEF\xBF\xBF", kReplacement + "|" + kReplacement},
        {"\xFF|\xC0\x80|\x80",
         kReplacement + "|" + kReplacement + kReplacement + "|" + kReplacement},
        {"\xE4\xB8|\xE4\xB8", kReplacement + "|" + kReplacement},      // cut short
        {"\xED\xA0\x80", kReplacement + kReplacement + kReplacement},  // a surrogate
        {"\xF4\x90\x80\x80",
         std::string(kReplacement) + kReplacement + kReplacement + kReplacement},
        {"\xF0\x9F\x93", kReplacement},  // cut short at the end
        {"x\xE4\xB8\xADy\xE4", "x\xE4\xB8\xADy" + kReplacement},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_FALSE(IsPlainXmlText(text)) << text;
        EXPECT_EQ(Escaped(text), expected) << text;
    }
}

TEST(XmlText, FindsTheFirstChangeAtEveryPlaceInLongTexts) {
    // Long texts are checked in blocks: a byte to change is found wherever it stands.
    const std::string plain(70, 'x');
    for (const std::string_view bad : {"\x01", "&", "\xFF", "\xEF\xBF\xBF", "\xE4"}) {
        for (size_t at = 0; at < plain.size(); ++at) {
            std::string text = plain;
            text.insert(at, bad);
            ASSERT_EQ(PlainXmlPrefixLength(text), at) << at;
            std::string chinese = "中文" + text;  // after characters beyond ASCII
            ASSERT_EQ(PlainXmlPrefixLength(chinese), at + 6) << at;
        }
    }
}
