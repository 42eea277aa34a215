#include <gtest/gtest.h>

#include <filesystem>

#include "TestFiles.h"
#include "WorkbookFiles.h"
#include "common/Errors.h"
#include "workbooks/Workbook.h"
#include "workbooks/XlsFormulaResults.h"

using namespace orvane;

namespace {

const std::string kData = std::string(ORVANE_TEST_DATA) + "/workbooks/";

using Rows = std::vector<std::vector<std::string>>;

// Every cell text of the current sheet, row by row.
Rows CellsOf(const Workbook& workbook) {
    Rows rows;
    for (std::int32_t r = 1; r <= workbook.rowCount(); ++r) {
        std::vector<std::string>& row = rows.emplace_back();
        for (std::int32_t c = 1; c <= workbook.columnCount(); ++c) {
            row.emplace_back(workbook.CellText(r, c));
        }
    }
    return rows;
}

std::string ErrorOf(const std::string& path) {
    try {
        OpenWorkbookFile(path);
    } catch (const Error& error) {
        return error.what();
    }
    return "opened";
}

std::unique_ptr<Workbook> OpenParts(const test::TempDir& dir, const test::Parts& parts) {
    const std::string path = dir.File("book.xlsx");
    test::WriteZip(path, parts);
    return OpenWorkbookFile(path);
}

std::string ErrorOfParts(const test::TempDir& dir, const test::Parts& parts) {
    const std::string path = dir.File("book.xlsx");
    test::WriteZip(path, parts);
    return ErrorOf(path);
}

// The workbook written by openpyxl and saved again by LibreOffice as .xlsx and .xls.
class SpreadsheetFixture : public testing::TestWithParam<const char*> {
  protected:
    std::unique_ptr<Workbook> Open() const { return OpenWorkbookFile(kData + GetParam()); }
};

}  // namespace

TEST_P(SpreadsheetFixture, ListsTheSheetsInWorkbookOrder) {
    EXPECT_EQ(Open()->sheetNames(),
              (std::vector<std::string>{"基站", "Types", "Offset", "Empty", "Wide"}));
}

TEST_P(SpreadsheetFixture, ReadsTextsAndNumbersAsTheirCellTexts) {
    const auto workbook = Open();
    EXPECT_EQ(workbook->currentSheet(), 0);
    EXPECT_EQ(CellsOf(*workbook),
              (Rows{{"站名", "经度", "纬度", "CI", "方向角", "CI"},
                    {"韶关1", "113.068899", "25.0277777777778", "12345", "120", "A"},
                    {"韶关2", "113.5", "25.5", "", "30.5", "B"},
                    {"  blanks kept ", "120.50", "", "7", "0", ""},
                    {"", "", "", "", "", "last"}}));
}

TEST_P(SpreadsheetFixture, CountsFromA1ToTheLastUsedCell) {
    const auto workbook = Open();
    workbook->SelectSheet(2);  // used range C3:E6
    EXPECT_EQ(workbook->rowCount(), 6);
    EXPECT_EQ(workbook->columnCount(), 5);
    EXPECT_EQ(workbook->CellText(3, 3), "h1");
    EXPECT_EQ(workbook->CellText(6, 5), "end");
    EXPECT_EQ(workbook->CellText(1, 1), "");

    workbook->SelectSheet(3);
    EXPECT_EQ(workbook->rowCount(), 1);
    EXPECT_EQ(workbook->columnCount(), 1);
    EXPECT_EQ(workbook->CellText(1, 1), "");

    workbook->SelectSheet(4);
    EXPECT_EQ(workbook->rowCount(), 2);
    EXPECT_EQ(workbook->columnCount(), 256);
    EXPECT_EQ(workbook->CellText(1, 256), "H256");
    EXPECT_EQ(workbook->CellText(2, 256), "256");
}

TEST_P(SpreadsheetFixture, GivesDatesAndNumbersOfOtherFormats) {
    const auto workbook = Open();
    workbook->SelectSheet(1);
    EXPECT_EQ(workbook->CellText(2, 2), "2024-03-01");
    EXPECT_EQ(workbook->CellText(3, 2), "2024-03-01 12:30:45");
    EXPECT_EQ(workbook->CellText(4, 2), "06:15:00");
    EXPECT_EQ(workbook->CellText(9, 2), "2.25");
    EXPECT_EQ(workbook->CellText(10, 2), "-0.0001");
    EXPECT_EQ(workbook->CellText(11, 2), "1.23456789012346E17");
    EXPECT_EQ(workbook->CellText(12, 2), "0.125");  // shown as a percentage
}

TEST_P(SpreadsheetFixture, AnswersCellsOutsideTheUsedRangeAndRefusesOnesOutsideTheSheet) {
    const auto workbook = Open();
    EXPECT_EQ(workbook->CellText(1000, 1000), "");
    EXPECT_EQ(workbook->CellText(Workbook::kMaxRows, Workbook::kMaxColumns), "");
    EXPECT_THROW(workbook->CellText(0, 1), Error);
    EXPECT_THROW(workbook->CellText(1, 0), Error);
    EXPECT_THROW(workbook->CellText(Workbook::kMaxRows + 1, 1), Error);
    EXPECT_THROW(workbook->CellText(1, Workbook::kMaxColumns + 1), Error);
}

TEST_P(SpreadsheetFixture, KeepsTheCurrentSheetWhenAskedForOneThatIsNotThere) {
    const auto workbook = Open();
    workbook->SelectSheet(1);
    try {
        workbook->SelectSheet(5);
        FAIL();
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "List index out of bounds (5)");
    }
    EXPECT_THROW(workbook->SelectSheet(-1), Error);
    EXPECT_EQ(workbook->currentSheet(), 1);
    EXPECT_EQ(workbook->CellText(1, 1), "kind");
}

INSTANTIATE_TEST_SUITE_P(Readers, SpreadsheetFixture,
                         testing::Values("types.xlsx", "types.xls", "types-openpyxl.xlsx"));

// openpyxl stores formulas without results; LibreOffice saves them with their results.
class SavedBySpreadsheetProgram : public SpreadsheetFixture {};

TEST_P(SavedBySpreadsheetProgram, ReadsTruthValuesAndTheCachedValuesOfFormulas) {
    const auto workbook = Open();
    workbook->SelectSheet(1);
    EXPECT_EQ(workbook->CellText(5, 2), "TRUE");
    EXPECT_EQ(workbook->CellText(6, 2), "FALSE");
    EXPECT_EQ(workbook->CellText(7, 2), "4.5");     // =B9*2
    EXPECT_EQ(workbook->CellText(8, 2), "date-x");  // =A2&"-x"
}

INSTANTIATE_TEST_SUITE_P(Readers, SavedBySpreadsheetProgram,
                         testing::Values("types.xlsx", "types.xls"));

TEST(XlsFormulaResults, FollowsOnlyWhatTheFileHolds) {
    const std::string xls = test::ReadBytes(kData + "types.xls");
    const auto sheets = ReadXlsFormulaResults(xls);
    ASSERT_EQ(sheets.size(), 5u);
    ASSERT_EQ(sheets[1].size(), 4u);  // two truth values and two formulas, as formulas
    EXPECT_EQ(sheets[1][3].text, "date-x");
    // Cut short or overwritten, the file gives what can still be read, and never more.
    for (size_t length = 0; length < xls.size(); length += 97) {
        EXPECT_LE(ReadXlsFormulaResults(xls.substr(0, length)).size(), 5u);
    }
    std::string scrambled = xls;
    for (size_t at = 512; at < scrambled.size(); at += 61) {
        scrambled[at] = static_cast<char>(0xFF);
    }
    EXPECT_LE(ReadXlsFormulaResults(scrambled).size(), 5u);
}

TEST(XlsWorkbook, ReadsAWorkbookWrittenByXlwt) {
    const auto workbook = OpenWorkbookFile(kData + "xlwt.xls");
    EXPECT_EQ(workbook->sheetNames(), (std::vector<std::string>{"站点", "第二页"}));
    EXPECT_EQ(CellsOf(*workbook), (Rows{{"站名", "经度", "纬度", "日期", "有效"},
                                        {"曲江", "113.6042", "24.6811", "2023-12-31", "TRUE"},
                                        {"120.50", "120", "", "", ""}}));
    workbook->SelectSheet(1);
    EXPECT_EQ(workbook->rowCount(), 5);
    EXPECT_EQ(workbook->columnCount(), 3);
    EXPECT_EQ(workbook->CellText(5, 3), "C5");
}

TEST(DelimitedTextWorkbook, ReadsQuotedCsvInUtf8) {
    const auto workbook = OpenWorkbookFile(kData + "table-utf8.csv");
    EXPECT_EQ(workbook->sheetNames(), (std::vector<std::string>{"table-utf8"}));
    EXPECT_EQ(CellsOf(*workbook), (Rows{{"站名", "经度", "纬度", "备注"},
                                        {"韶关, 北", "113.5", "24.8", "说\"明\""},
                                        {"乐昌", "113.35", "25.13", "两\r\n行"},
                                        {"", " ", "", ""}}));
}

TEST(DelimitedTextWorkbook, ReadsTabSeparatedGbkText) {
    const auto workbook = OpenWorkbookFile(kData + "table-gbk.txt");
    EXPECT_EQ(
        CellsOf(*workbook),
        (Rows{{"站名", "经度", "纬度"}, {"韶关", "113.5", "24.8"}, {"乐昌", "113.35", "25.13"}}));
}

TEST(DelimitedTextWorkbook, ReadsUnicodeTextAsSpreadsheetProgramsSaveIt) {
    // UTF-16 little-endian with its byte-order mark, TAB-separated:
    // "站名\t经度\r\n韶关\t113.5\r\n".
    std::u16string text = u"站名\t经度\r\n韶关\t113.5\r\n";
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    test::TempDir dir;
    test::WriteBytes(dir.File("unicode.txt"), bytes);
    const auto workbook = OpenWorkbookFile(dir.File("unicode.txt"));
    EXPECT_EQ(CellsOf(*workbook), (Rows{{"站名", "经度"}, {"韶关", "113.5"}}));
}

TEST(DelimitedTextWorkbook, TakesTheSeparatorFromTheFirstLineAndKeepsFieldsAsText) {
    test::TempDir dir;
    test::WriteBytes(dir.File("a.csv"), "a,b\n\"x\"\"\",1\t2,3\n\n,,,\"unclosed,\n");
    const auto commas = OpenWorkbookFile(dir.File("a.csv"));
    EXPECT_EQ(CellsOf(*commas), (Rows{{"a", "b", "", ""},
                                      {"x\"", "1\t2", "3", ""},
                                      {"", "", "", ""},
                                      {"", "", "", "unclosed,\n"}}));
    test::WriteBytes(dir.File("b.txt"), "a\tb,c\r\n 1 \t\"q\"x\r");
    const auto tabs = OpenWorkbookFile(dir.File("b.txt"));
    EXPECT_EQ(CellsOf(*tabs), (Rows{{"a", "b,c"}, {" 1 ", "qx"}}));
    test::WriteBytes(dir.File("empty.csv"), "");
    const auto empty = OpenWorkbookFile(dir.File("empty.csv"));
    EXPECT_EQ(CellsOf(*empty), (Rows{{""}}));
}

TEST(XlsxWorkbook, ReadsInlineAndRichTextWithoutPhoneticRuns) {
    test::TempDir dir;
    const auto workbook = OpenParts(
        dir,
        test::MinimalWorkbook(
            R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="inlineStr"><is><r><t>in</t></r><r><t xml:space="preserve"> line</t></r></is></c>)"
            R"(<c r="C1" t="s"><v>1</v></c><c r="D1" t="e"><v>#N/A</v></c>)"
            R"(<c r="E1" t="d"><v>2024-02-29T00:00:00</v></c><c r="F1" t="d"><v>2024-02-29T08:05:09Z</v></c></row>)",
            R"(<si><r><t>富</t></r><r><rPr><b/></rPr><t>文本</t></r><rPh sb="0" eb="1"><t>フ</t></rPh></si>)"
            R"(<si><t>a&amp;b &lt;5</t></si>)"));
    EXPECT_EQ(CellsOf(*workbook),
              (Rows{{"富文本", "in line", "a&b <5", "#N/A", "2024-02-29", "2024-02-29 08:05:09"}}));
}

TEST(XlsxWorkbook, PlacesCellsWithoutReferencesAndRowsOutOfOrder) {
    test::TempDir dir;
    const auto workbook = OpenParts(
        dir, test::MinimalWorkbook(R"(<row r="3"><c r="B3"><v>3</v></c><c><v>4</v></c></row>)"
                                   R"(<row r="1"><c><v>1</v></c><c r="A1"><v>9</v></c></row>)"
                                   R"(<row><c r="A2"><v>2</v></c></row>)"));
    // A cell given twice keeps the value written last.
    EXPECT_EQ(CellsOf(*workbook), (Rows{{"9", "", ""}, {"2", "", ""}, {"", "3", "4"}}));
}

TEST(XlsxWorkbook, TellsDatesByTheCellsNumberFormat) {
    test::TempDir dir;
    const std::string styles =
        R"(<numFmts><numFmt numFmtId="164" formatCode="&quot;day&quot;0"/>)"
        R"(<numFmt numFmtId="165" formatCode="[Red]yyyy\-mm\-dd"/><numFmt numFmtId="166" formatCode="0.00E+00"/></numFmts>)"
        R"(<cellStyleXfs><xf numFmtId="14"/></cellStyleXfs>)"
        R"(<cellXfs><xf numFmtId="0"/><xf numFmtId="14"/><xf numFmtId="164"/><xf numFmtId="165"/><xf numFmtId="166"/><xf numFmtId="22"/></cellXfs>)";
    const std::string cells =
        R"(<row r="1"><c r="A1"><v>45352</v></c><c r="B1" s="1"><v>45352</v></c>)"
        R"(<c r="C1" s="2"><v>45352</v></c><c r="D1" s="3"><v>45352.75</v></c><c r="E1" s="4"><v>45352</v></c>)"
        R"(<c r="F1" s="5"><v>59</v></c><c r="G1" s="5"><v>60</v></c><c r="H1" s="5"><v>61</v></c>)"
        R"(<c r="I1" s="5"><v>-1</v></c><c r="J1" s="9"><v>1.5</v></c><c r="K1" s="1"><v>abc</v></c></row>)";
    EXPECT_EQ(CellsOf(*OpenParts(dir, test::MinimalWorkbook(cells, "", styles))),
              (Rows{{"45352", "2024-03-01", "45352", "2024-03-01 18:00:00", "45352", "1900-02-28",
                     "1900-02-29", "1900-03-01", "-1", "1.5", "abc"}}));
    EXPECT_EQ(
        OpenParts(dir, test::MinimalWorkbook(cells, "", styles, R"(<workbookPr date1904="1"/>)"))
            ->CellText(1, 2),
        "2028-03-02");
}

TEST(XlsxWorkbook, CountsASheetByItsCellsNotByWhatItClaims) {
    test::TempDir dir;
    test::Parts parts = test::MinimalWorkbook(
        R"(<row r="1"><c r="A1"><v>1</v></c></row><row r="7" spans="1:16384"><c r="C7" s="3"/></row>)");
    auto& sheet = parts["xl/worksheets/sheet1.xml"];
    sheet.insert(sheet.find("<sheetData>"), R"(<dimension ref="A1:XFD1048576"/>)");
    const auto workbook = OpenParts(dir, parts);
    EXPECT_EQ(workbook->rowCount(), 1);
    EXPECT_EQ(workbook->columnCount(), 1);

    const auto low = OpenParts(
        dir, test::MinimalWorkbook(R"(<row r="1048576"><c r="A1048576"><v>1</v></c></row>)"));
    EXPECT_EQ(low->rowCount(), Workbook::kMaxRows);
    EXPECT_EQ(low->columnCount(), 1);
    EXPECT_EQ(low->CellText(Workbook::kMaxRows, 1), "1");
    const auto wide =
        OpenParts(dir, test::MinimalWorkbook(R"(<row r="1"><c r="XFD1"><v>2</v></c></row>)"));
    EXPECT_EQ(wide->rowCount(), 1);
    EXPECT_EQ(wide->columnCount(), Workbook::kMaxColumns);
    EXPECT_EQ(wide->CellText(1, Workbook::kMaxColumns), "2");
    EXPECT_EQ(wide->CellText(1, 1), "");
}

TEST(Workbook, RefusesASheetSpanningMoreCellsThanAnyTable) {
    // Two cells of a few bytes that span the whole sheet: every reader of the sheet would
    // walk 17 billion empty cells.
    test::TempDir dir;
    test::WriteZip(
        dir.File("corners.xlsx"),
        test::MinimalWorkbook(R"(<row r="1"><c r="A1"><v>1</v></c></row>)"
                              R"(<row r="1048576"><c r="XFD1048576"><v>1</v></c></row>)"));
    EXPECT_EQ(ErrorOf(dir.File("corners.xlsx")),
              "Cannot read workbook " + dir.File("corners.xlsx") +
                  ": the sheet \"S\" spans A1:XFD1048576, 17179869184 cells, more than the "
                  "50000000 that Orvane reads");
    // Just within the bound, a sheet opens.
    test::WriteZip(dir.File("wide.xlsx"),
                   test::MinimalWorkbook(R"(<row r="3051"><c r="XFD3051"><v>1</v></c></row>)"));
    const auto wide = OpenWorkbookFile(dir.File("wide.xlsx"));
    EXPECT_EQ(static_cast<std::int64_t>(wide->rowCount()) * wide->columnCount(), 49987584);
}

TEST(OpenWorkbookFile, ReportsFilesThatCannotBeReadOrAreNoWorkbook) {
    test::TempDir dir;
    EXPECT_EQ(ErrorOf(dir.File("missing.xls")), "Cannot open file " + dir.File("missing.xls"));
    EXPECT_EQ(ErrorOf(dir.path().string()), "Cannot open file " + dir.path().string());

    test::WriteBytes(dir.File("renamed.xls"), "站名,经度\n韶关,113\n");
    EXPECT_EQ(ErrorOf(dir.File("renamed.xls")),
              "Cannot read workbook " + dir.File("renamed.xls") + ": it is not an Excel workbook");
    test::WriteBytes(dir.File("binary.dat"), std::string("\x01\x02\0\x7f", 4));
    EXPECT_EQ(ErrorOf(dir.File("binary.dat")),
              "Cannot read workbook " + dir.File("binary.dat") + ": it is not an Excel workbook");
    test::WriteZip(dir.File("other.zip"), {{"readme.txt", "not a workbook"}});
    EXPECT_EQ(ErrorOf(dir.File("other.zip")),
              "Cannot read workbook " + dir.File("other.zip") + ": it is not an Excel workbook");
}

TEST(OpenWorkbookFile, ReportsDamagedWorkbooks) {
    test::TempDir dir;
    const std::string good = test::ReadBytes(kData + "types.xlsx");
    test::WriteBytes(dir.File("cut.xlsx"), good.substr(0, good.size() / 2));
    EXPECT_EQ(ErrorOf(dir.File("cut.xlsx")), "Cannot read workbook " + dir.File("cut.xlsx") +
                                                 ": the file is damaged (malformed zip archive)");
    const std::string xls = test::ReadBytes(kData + "types.xls");
    test::WriteBytes(dir.File("cut.xls"), xls.substr(0, 1024));
    EXPECT_EQ(ErrorOf(dir.File("cut.xls")),
              "Cannot read workbook " + dir.File("cut.xls") + ": the file is damaged");
    // An encrypted .xlsx is an OLE2 file holding an "EncryptedPackage" stream.
    std::string encrypted = xls.substr(0, 1024);
    const char name[] = "E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0";
    encrypted.replace(600, sizeof name - 1, name, sizeof name - 1);
    test::WriteBytes(dir.File("secret.xlsx"), encrypted);
    EXPECT_EQ(ErrorOf(dir.File("secret.xlsx")), "Cannot read workbook " + dir.File("secret.xlsx") +
                                                    ": it is protected by a password");
}

TEST(XlsxWorkbook, RefusesMalformedParts) {
    test::TempDir dir;
    const std::string prefix = "Cannot read workbook " + dir.File("book.xlsx") + ": ";
    EXPECT_EQ(ErrorOfParts(dir, test::MinimalWorkbook(R"(<row><c><v>1</v></row>)")),
              prefix +
                  "the file is damaged (malformed XML in xl/worksheets/sheet1.xml: "
                  "mismatched tag, line 1)");
    EXPECT_EQ(ErrorOfParts(dir, test::MinimalWorkbook(R"(<row><c r="1A"><v>1</v></c></row>)")),
              prefix + "the file is damaged (bad cell reference)");
    EXPECT_EQ(ErrorOfParts(dir, test::MinimalWorkbook(R"(<row><c r="XFE1"><v>1</v></c></row>)")),
              prefix + "the file is damaged (column out of range)");
    EXPECT_EQ(ErrorOfParts(dir, test::MinimalWorkbook(R"(<row r="1048577"><c><v>1</v></c></row>)")),
              prefix + "the file is damaged (row number out of range)");
    EXPECT_EQ(ErrorOfParts(dir, test::MinimalWorkbook(R"(<row><c t="s"><v>1</v></c></row>)",
                                                      "<si><t>only</t></si>")),
              prefix + "the file is damaged (shared string index out of range)");

    test::Parts noSheets = test::MinimalWorkbook("");
    noSheets["xl/workbook.xml"] = "<workbook><sheets/></workbook>";
    EXPECT_EQ(ErrorOfParts(dir, noSheets),
              prefix + "the file is damaged (the workbook lists no sheets)");
    test::Parts lostSheet = test::MinimalWorkbook("");
    lostSheet.erase("xl/worksheets/sheet1.xml");
    EXPECT_EQ(ErrorOfParts(dir, lostSheet),
              prefix + "the file is damaged (the sheet \"S\" is missing)");
}

TEST(XlsxWorkbook, RefusesDocumentTypesAndEntityExpansion) {
    test::TempDir dir;
    test::Parts parts =
        test::MinimalWorkbook(R"(<row><c t="inlineStr"><is><t>&lol2;</t></is></c></row>)");
    auto& sheet = parts["xl/worksheets/sheet1.xml"];
    sheet.insert(
        sheet.find("<worksheet"),
        R"(<!DOCTYPE worksheet [<!ENTITY lol "lol"><!ENTITY lol2 "&lol;&lol;&lol;&lol;">]>)");
    EXPECT_EQ(ErrorOfParts(dir, parts),
              "Cannot read workbook " + dir.File("book.xlsx") +
                  ": the file is damaged (malformed XML in xl/worksheets/sheet1.xml: document "
                  "type declarations are not allowed, line 1)");
}

TEST(XlsxWorkbook, RefusesPartsOutOfProportionToTheFile) {
    test::TempDir dir;
    // 64 MB of one repeated row compresses to far less than 1/200 of itself.
    std::string rows;
    const std::string row = R"(<row><c t="inlineStr"><is><t>aaaaaaaaaaaaaaaa</t></is></c></row>)";
    rows.reserve(64u << 20);
    while (rows.size() < (64u << 20)) {
        rows += row;
    }
    const std::string error = ErrorOfParts(dir, test::MinimalWorkbook(rows));
    EXPECT_TRUE(error.starts_with("Cannot read workbook " + dir.File("book.xlsx") +
                                  ": its part xl/worksheets/sheet1.xml would unpack to "))
        << error;
    EXPECT_TRUE(error.ends_with("bytes, out of proportion to the file's size")) << error;
}

TEST(XlsxWorkbook, FindsItsPartsThroughTheRelationships) {
    test::TempDir dir;
    test::Parts parts = test::MinimalWorkbook(R"(<row><c><v>5</v></c></row>)");
    // Parts may live anywhere; the relationships say where.
    parts["_rels/.rels"].replace(parts["_rels/.rels"].find("xl/workbook.xml"), 15,
                                 "/book/main.xml");
    parts["book/main.xml"] = parts["xl/workbook.xml"];
    parts["book/_rels/main.xml.rels"] = parts["xl/_rels/workbook.xml.rels"];
    auto& rels = parts["book/_rels/main.xml.rels"];
    rels.replace(rels.find("worksheets/sheet1.xml"), 21, "../sheets/./one.xml");
    parts["sheets/one.xml"] = parts["xl/worksheets/sheet1.xml"];
    parts.erase("xl/workbook.xml");
    parts.erase("xl/_rels/workbook.xml.rels");
    parts.erase("xl/worksheets/sheet1.xml");
    EXPECT_EQ(OpenParts(dir, parts)->CellText(1, 1), "5");
}

// Inputs that once made a reader (or a library under it) fault: each must now be read or
// refused with a workbook error.
TEST(OpenWorkbookFile, SurvivesTheInputsThatFoundFaults) {
    const std::filesystem::path folder = std::string(ORVANE_TEST_DATA) + "/fuzz-regressions";
    size_t count = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        ++count;
        try {
            const auto workbook = OpenWorkbookFile(entry.path().string());
            for (std::int32_t s = 0; s < static_cast<std::int32_t>(workbook->sheetNames().size());
                 ++s) {
                workbook->SelectSheet(s);
                workbook->CellText(workbook->rowCount(), workbook->columnCount());
            }
        } catch (const Error& error) {
            EXPECT_TRUE(std::string(error.what()).starts_with("Cannot read workbook "))
                << error.what();
        }
    }
    EXPECT_GT(count, 0u);
}

namespace {

// A sheet of `rows` rows of three numbered cells, large enough to be read in two halves.
std::string NumberedRows(int rows, bool withNumbers) {
    std::string xml;
    for (int r = 1; r <= rows; ++r) {
        const std::string n = std::to_string(r);
        xml += withNumbers ? "<row r=\"" + n + "\" ht=\"15\">" : std::string("<row>");
        xml += "<c r=\"A" + n + "\" t=\"inlineStr\"><is><t>row " + n + "</t></is></c>";
        xml += withNumbers ? "<c r=\"C" + n + "\"><v>" + n + ".5</v></c>" : "<c><v>1</v></c>";
        xml += "</row>";
    }
    return xml;
}

}  // namespace

TEST(XlsxWorkbook, ReadsLargeSheetsAlikeInOneGoOrInTwoHalves) {
    test::TempDir dir;
    constexpr int kRows = 70000;  // about 6 MB of XML
    const std::string rows = NumberedRows(kRows, true);
    ASSERT_GT(rows.size(), 4u << 20);
    // Read in two halves; a comment makes the reader take the sheet in one go.
    for (const std::string& extra : {std::string(), std::string("<!-- <row r=\"1\"> -->")}) {
        const auto workbook = OpenParts(dir, test::MinimalWorkbook(rows + extra));
        EXPECT_EQ(workbook->rowCount(), kRows);
        EXPECT_EQ(workbook->columnCount(), 3);
        for (const int r : {1, 2, kRows / 2 - 1, kRows / 2, kRows / 2 + 1, kRows - 1, kRows}) {
            EXPECT_EQ(workbook->CellText(r, 1), "row " + std::to_string(r));
            EXPECT_EQ(workbook->CellText(r, 2), "");
            EXPECT_EQ(workbook->CellText(r, 3), std::to_string(r) + ".5");
        }
    }
    // Rows numbered by counting cannot be split: they are read in one go.
    const auto counted = OpenParts(dir, test::MinimalWorkbook(NumberedRows(kRows, false)));
    EXPECT_EQ(counted->rowCount(), kRows);
    EXPECT_EQ(counted->CellText(kRows, 1), "row " + std::to_string(kRows));
    EXPECT_EQ(counted->CellText(kRows, 2), "1");
}

TEST(XlsxWorkbook, ReportsAFaultInEitherHalfOfALargeSheet) {
    test::TempDir dir;
    const std::string rows = NumberedRows(70000, true);
    for (const size_t at : {rows.size() / 4, rows.size() * 3 / 4}) {
        std::string damaged = rows;
        damaged.insert(damaged.find("<row", at), "<row r=\"x\"/>");
        EXPECT_EQ(ErrorOfParts(dir, test::MinimalWorkbook(damaged)),
                  "Cannot read workbook " + dir.File("book.xlsx") +
                      ": the file is damaged (row number out of range)");
        damaged = rows;
        damaged.insert(damaged.find("</row>", at), "</c>");
        EXPECT_TRUE(ErrorOfParts(dir, test::MinimalWorkbook(damaged))
                        .ends_with("the file is damaged (malformed XML in "
                                   "xl/worksheets/sheet1.xml: mismatched tag, line 1)"));
    }
}

TEST(XlsxWorkbook, ReportsPartsProtectedByAPassword) {
    test::TempDir dir;
    const std::string path = dir.File("book.xlsx");
    test::WriteZip(path, test::MinimalWorkbook(R"(<row><c><v>1</v></c></row>)"));
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), 0, &error);
    ASSERT_NE(archive, nullptr);
    const zip_int64_t sheet = zip_name_locate(archive, "xl/worksheets/sheet1.xml", 0);
    ASSERT_GE(sheet, 0);
    if (zip_file_set_encryption(archive, static_cast<zip_uint64_t>(sheet), ZIP_EM_AES_256,
                                "secret") != 0) {
        zip_discard(archive);
        GTEST_SKIP() << "libzip was built without encryption";
    }
    ASSERT_EQ(zip_close(archive), 0);
    EXPECT_EQ(ErrorOf(path), "Cannot read workbook " + path + ": it is protected by a password");
}
