#include <gtest/gtest.h>
#include <unistd.h>

#include <map>

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

namespace {
// Every line as a cursor over the file gives it, and as the whole file read at once gives it.
std::pair<Lines, Lines> FileLinesBothWays(const std::string& path) {
    Lines streamed;
    LineCursor cursor = LineCursor::OfFile(path);
    while (const auto line = cursor.Next()) {
        streamed.emplace_back(*line);
    }
    EXPECT_EQ(cursor.Percent(), 100);
    const TextLines whole = ReadTextLines(path);
    Lines read;
    for (size_t i = 0; i < whole.size(); ++i) {
        read.emplace_back(whole[i]);
    }
    return {streamed, read};
}
}  // namespace

TEST(LineCursor, ReadsAFileBlockByBlockAsTheWholeFileReads) {
    test::TempDir dir;
    // Lines of every length and line end, so that blocks of a megabyte cut lines, CR LF
    // pairs and characters anywhere; one line longer than a block.
    std::string ascii;
    const char* ends[] = {"\r\n", "\n", "\r"};
    for (int i = 0; ascii.size() < (size_t{3} << 20); ++i) {
        ascii += std::string(static_cast<size_t>(i % 97), static_cast<char>('a' + i % 26));
        ascii += ends[i % 3];
    }
    const std::string longLine = std::string(size_t{3} << 19, 'x') + "\r\n";
    const std::string gbk = "\xBE\xAD\xB6\xC8\r\n";  // 经度
    const size_t block = size_t{1} << 20;
    const std::string straddling = "经\n" + std::string(block - 1 - 4, 'q') + "经\r\n";
    const std::map<std::string, std::string> files = {
        {"crlf-at-block-end.txt", std::string(block - 1, 'y') + "\r\nb"},
        {"utf8-across-blocks.txt", straddling + straddling},
        {"ascii.txt", ascii + longLine + "last"},
        {"utf8-late.txt", ascii + "经度\n" + ascii},
        {"gbk-late.txt", ascii + gbk + ascii + gbk},
        {"utf8-then-gbk.txt", "经度\n" + ascii + gbk},
        {"bom.txt",
         "\xEF\xBB\xBF"
         "a\r\n经度\r\n"},
        {"empty.txt", ""},
    };
    for (const auto& [name, bytes] : files) {
        test::WriteBytes(dir.File(name), bytes);
        const auto [streamed, read] = FileLinesBothWays(dir.File(name));
        EXPECT_EQ(streamed.size(), read.size()) << name;
        EXPECT_TRUE(streamed == read) << name;
    }
    EXPECT_EQ(FileLinesBothWays(dir.File("gbk-late.txt")).first.back(), "经度");
    EXPECT_EQ(FileLinesBothWays(dir.File("bom.txt")).first, (Lines{"a", "经度"}));
    EXPECT_EQ(FileLinesBothWays(dir.File("crlf-at-block-end.txt")).first.size(), 2u);
    EXPECT_EQ(FileLinesBothWays(dir.File("utf8-across-blocks.txt")).first[1].substr(block - 5),
              "经");
}

TEST(LineCursor, ReportsAFileThatCannotBeOpenedAndTheLineBeyondTheLast) {
    test::TempDir dir;
    EXPECT_EQ(test::MessageOf([&] { LineCursor::OfFile(dir.File("missing.mif")); }),
              "Cannot open file " + dir.File("missing.mif"));
    test::WriteBytes(dir.File("two.txt"), "a\nb\n");
    LineCursor cursor = LineCursor::OfFile(dir.File("two.txt"));
    cursor.NextOrThrow();
    cursor.NextOrThrow();
    EXPECT_EQ(test::MessageOf([&] { cursor.NextOrThrow(); }), "List index out of bounds (2)");
}
