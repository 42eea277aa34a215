#include <gtest/gtest.h>
#include <unistd.h>

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

TEST(ReadTextLines, ReadsUtf16WithItsByteOrderMark) {
    test::TempDir dir;
    // "A\tB\r\nC\r\n" as Windows programs save "Unicode" text.
    test::WriteBytes(dir.File("le.txt"), std::string("\xFF\xFE"
                                                     "A\0\t\0B\0\r\0\n\0C\0\r\0\n\0",
                                                     14));
    const TextLines lines = ReadTextLines(dir.File("le.txt"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "A\tB");
    EXPECT_EQ(lines[1], "C");
}

TEST(ReadFileBytes, ReadsAPipeOnceAndStopsAtTheSizeLimit) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], "a\nb\n", 4), 4);
    ::close(ends[1]);
    const std::string end = "/proc/self/fd/" + std::to_string(ends[0]);
    EXPECT_EQ(ReadFileBytes(end), "a\nb\n");
    ::close(ends[0]);

    EXPECT_EQ(test::MessageOf([] { ReadFileBytes("/dev/zero", 1 << 20); }),
              "Cannot read file /dev/zero: it is larger than 1 MB, the most Orvane reads on this "
              "computer");
    test::TempDir dir;
    test::WriteBytes(dir.File("big.txt"), std::string((1 << 20) + 1, 'x'));
    EXPECT_THROW(ReadFileBytes(dir.File("big.txt"), 1 << 20), Error);
    test::WriteBytes(dir.File("fits.txt"), std::string(1 << 20, 'x'));
    EXPECT_EQ(ReadFileBytes(dir.File("fits.txt"), 1 << 20).size(), size_t{1} << 20);
    EXPECT_LE(InputSizeLimit(), size_t{4} << 30);
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
