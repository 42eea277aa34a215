#include <gtest/gtest.h>

#include "TestFiles.h"
#include "common/Errors.h"
#include "common/TextFile.h"

using namespace orvane;

namespace {
std::vector<std::string> LinesOf(std::string text) {
    const TextLines lines(std::move(text));
    std::vector<std::string> result;
    for (size_t i = 0; i < lines.size(); ++i) {
        result.emplace_back(lines[i]);
    }
    return result;
}
using Lines = std::vector<std::string>;
}  // namespace

TEST(TextLines, EndsLinesAtCrLfLfOrCr) {
    EXPECT_EQ(LinesOf("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(LinesOf("a\n"), (Lines{"a"}));  // a final line break adds no line
    EXPECT_EQ(LinesOf("a\r\n\r\nb\r\n"), (Lines{"a", "", "b"}));
    EXPECT_EQ(LinesOf("a\r\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(LinesOf("\n"), (Lines{""}));
    EXPECT_TRUE(LinesOf("").empty());
}

TEST(TextLines, ReportsAnIndexOutOfBounds) {
    const TextLines lines("only");
    EXPECT_EQ(lines.at(0), "only");
    try {
        lines.at(1);
        FAIL();
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "List index out of bounds (1)");
    }
    EXPECT_THROW(lines.at(-1), Error);
}

TEST(ReadTextLines, ReadsUtf8AndGbkFiles) {
    test::TempDir dir;
    test::WriteBytes(dir.File("gbk.txt"), "\xBE\xAD\xB6\xC8\t\xCE\xB3\xB6\xC8\r\n113.1\t25.7\r\n");
    test::WriteBytes(dir.File("utf8.txt"), "经度\t纬度\n113.1\t25.7\n");
    for (const char* name : {"gbk.txt", "utf8.txt"}) {
        const TextLines lines = ReadTextLines(dir.File(name));
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], "经度\t纬度");
        EXPECT_EQ(lines[1], "113.1\t25.7");
    }
}

TEST(ReadTextLines, ReportsAFileThatCannotBeRead) {
    test::TempDir dir;
    for (const std::string& path : {dir.File("missing.txt"), dir.path().string(), std::string()}) {
        try {
            ReadTextLines(path);
            FAIL() << path;
        } catch (const Error& error) {
            EXPECT_EQ(std::string(error.what()), "Cannot open file " + path);
        }
    }
}
