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
