#include <gtest/gtest.h>

#include "common/Encoding.h"

using namespace orvane;

namespace {
const std::string kUtf8Name = "经度 场强";                         // UTF-8
const std::string kGbkName = "\xBE\xAD\xB6\xC8 \xB3\xA1\xC7\xBF";  // the same in GBK
}  // namespace

TEST(Encoding, RecognisesValidUtf8) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("plain ascii text of some length"));
    EXPECT_TRUE(IsValidUtf8(kUtf8Name));
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));
    EXPECT_FALSE(IsValidUtf8(kGbkName));
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("abcdefgh\xE4\xB8"));  // cut short
}

TEST(Encoding, DecodesGbkAndGb18030) {
    EXPECT_EQ(DecodeGb18030(kGbkName), kUtf8Name);
    EXPECT_EQ(DecodeGb18030("113.5\t" + kGbkName + "\t-85"), "113.5\t" + kUtf8Name + "\t-85");
    EXPECT_EQ(DecodeGb18030("\x81\x30\x81\x30"), "\xC2\x80");  // a four-byte sequence
    // A lead byte without its trail is replaced, and what follows is still read.
    EXPECT_EQ(DecodeGb18030("a\xBE"), "a\xEF\xBF\xBD");
    EXPECT_EQ(DecodeGb18030("\xFF"
                            "b"),
              "\xEF\xBF\xBD"
              "b");
}

TEST(Encoding, DecodeTextKeepsUtf8AndDropsTheByteOrderMark) {
    EXPECT_EQ(DecodeText(kUtf8Name), kUtf8Name);
    EXPECT_EQ(DecodeText("\xEF\xBB\xBF" + kUtf8Name), kUtf8Name);
    EXPECT_EQ(DecodeText(kGbkName), kUtf8Name);
    EXPECT_EQ(DecodeText(""), "");
}

TEST(Encoding, DecodesUtf16AfterItsByteOrderMark) {
    // "经度 A" and U+1F600 (a surrogate pair), little- and big-endian.
    const std::string expected = "经度 A\xF0\x9F\x98\x80";
    const std::string little("\xFF\xFE\xCF\x7E\xA6\x5E\x20\x00\x41\x00\x3D\xD8\x00\xDE", 14);
    const std::string big("\xFE\xFF\x7E\xCF\x5E\xA6\x00\x20\x00\x41\xD8\x3D\xDE\x00", 14);
    EXPECT_EQ(DecodeText(little), expected);
    EXPECT_EQ(DecodeText(big), expected);
    // A lone surrogate and an odd last byte become U+FFFD; nothing after them is lost.
    EXPECT_EQ(DecodeUtf16(std::string("\xFF\xFE\x00\xD8\x41\x00\x42", 7)),
              "\xEF\xBF\xBD"
              "A\xEF\xBF\xBD");
    // Without the mark the same bytes are no UTF-16.
    EXPECT_FALSE(HasUtf16ByteOrderMark(little.substr(2)));
}

TEST(Encoding, EncodesGbkWithReferencesForMissingCharacters) {
    EXPECT_EQ(EncodeGbkWithCharacterReferences(kUtf8Name), kGbkName);
    EXPECT_EQ(EncodeGbkWithCharacterReferences("a\xF0\x9F\x98\x80"
                                               "b"),
              "a&#128512;b");
    EXPECT_EQ(EncodeGbkWithCharacterReferences("plain"), "plain");
}

TEST(Encoding, TheEuroSignSurvivesAGbkRoundTrip) {
    const std::string gbk = EncodeGbkWithCharacterReferences("5\xE2\x82\xAC");
    EXPECT_EQ(gbk, "5\x80");
    EXPECT_EQ(DecodeGb18030(gbk), "5\xE2\x82\xAC");
    EXPECT_EQ(DecodeText("\xD6\xD0\x80"), "中\xE2\x82\xAC");
}
