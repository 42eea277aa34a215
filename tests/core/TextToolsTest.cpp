#include <gtest/gtest.h>

#include <map>

#include "common/Kml_baseclass.h"

using namespace orvane;

TEST(CutToken, CutsAtTheFirstSeparator) {
    std::string text = "120\t240\t";
    EXPECT_EQ(CutToken(text, '\t'), "120");
    EXPECT_EQ(text, "240\t");
    EXPECT_EQ(CutToken(text, '\t'), "240");
    EXPECT_EQ(text, "");
    text = "abc";
    EXPECT_EQ(CutToken(text, '\t'), "abc");
    EXPECT_EQ(text, "");
    std::string_view view = " a b";
    EXPECT_EQ(CutToken(view, ' '), "");
    EXPECT_EQ(view, "a b");
}

TEST(CutTrimmedToken, TrimsBeforeCuttingButNotAfter) {
    std::string text = "  Region  2";
    EXPECT_EQ(CutTrimmedToken(text, ' '), "Region");
    EXPECT_EQ(text, " 2");
    EXPECT_EQ(CutTrimmedToken(text, ' '), "2");
    EXPECT_EQ(text, "");
    std::string_view view = "\t113.1\t25.7 ";
    EXPECT_EQ(CutTrimmedToken(view, ' '), "113.1\t25.7");
}

TEST(SplitTabFields, KeepsInnerEmptyFieldsAndDropsAFinalTab) {
    const auto split = [](std::string_view line) {
        std::vector<std::string> fields;
        SplitTabFields(line, fields);
        return fields;
    };
    EXPECT_EQ(split("a\tb\tc"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(split("a\t\tb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(split("a\tb\t"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(split("\ta"), (std::vector<std::string>{"", "a"}));
    EXPECT_TRUE(split("").empty());
}

TEST(ColumnLetters, NamesSpreadsheetColumns) {
    const std::map<int, std::string> names = {{0, "A"},    {25, "Z"},    {26, "AA"},
                                              {51, "AZ"},  {52, "BA"},   {255, "IV"},
                                              {701, "ZZ"}, {702, "AAA"}, {16383, "XFD"}};
    for (const auto& [column, letters] : names) {
        EXPECT_EQ(ColumnLetters(column), letters);
    }
}

TEST(IsNumberKey, LetsOnlyNumberCharactersThrough) {
    for (char32_t key : {U'0', U'9', U'+', U'-', U'.', char32_t{8}}) {
        char32_t typed = key;
        IsNumberKey(typed);
        EXPECT_EQ(typed, key);
    }
    for (char32_t key : {U'a', U'E', U' ', U',', U'中', char32_t{13}}) {
        char32_t typed = key;
        IsNumberKey(typed);
        EXPECT_EQ(typed, 0u);
    }
}

namespace {
struct RecordingTable : NumberCellTable {
    std::map<std::pair<int, int>, std::string> cells;
    void SetCellText(int column, int row, const std::string& text) override {
        cells[{column, row}] = text;
    }
};
}  // namespace

TEST(CheckNumberCell, ResetsTextsThatAreNoNumber) {
    const auto check = [](std::string_view text) {
        RecordingTable table;
        CheckNumberCell(table, 1, 2, text);
        return table.cells.empty() ? std::string("kept") : table.cells.at({1, 2});
    };
    EXPECT_EQ(check("1-"), "kept");  // a sign being typed
    EXPECT_EQ(check("-"), "kept");
    EXPECT_EQ(check("+"), "kept");
    EXPECT_EQ(check(""), "kept");
    EXPECT_EQ(check("1.5e3"), "kept");
    EXPECT_EQ(check("-12.5"), "kept");
    EXPECT_EQ(check("1-2"), "0");
    EXPECT_EQ(check("abc"), "0");
    EXPECT_EQ(check("--"), "0");
}
