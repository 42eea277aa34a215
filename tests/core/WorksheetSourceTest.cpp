#include <gtest/gtest.h>

#include "TestFiles.h"
#include "common/Errors.h"
#include "workbooks/WorksheetSource.h"

using namespace orvane;

namespace {

const std::string kData = std::string(ORVANE_TEST_DATA) + "/workbooks/";
using Texts = std::vector<std::string>;

}  // namespace

TEST(WorksheetSource, NamesColumnsByLettersAndHeaders) {
    WorksheetSource source;
    source.OpenWorkbook(kData + "types.xlsx");
    EXPECT_TRUE(source.isOpen());
    EXPECT_EQ(source.path(), kData + "types.xlsx");
    EXPECT_EQ(source.currentSheet(), 0);
    EXPECT_EQ(source.rowCount(), 5);
    EXPECT_EQ(source.columnCount(), 6);
    EXPECT_EQ(source.columnEntries(),
              (Texts{"A:站名", "B:经度", "C:纬度", "D:CI", "E:方向角", "F:CI"}));
    // Two columns headed CI stay apart.
    EXPECT_EQ(source.ColumnOf("D:CI"), 4);
    EXPECT_EQ(source.ColumnOf("F:CI"), 6);
    EXPECT_EQ(source.ColumnOf("CI"), 0);
    EXPECT_EQ(source.ColumnOf(""), 0);
    EXPECT_EQ(source.CellText(2, source.ColumnOf("B:经度")), "113.068899");
    EXPECT_EQ(WorksheetSource::FirstDataRow, 2);
}

TEST(WorksheetSource, LoadsTheShapeOfTheChosenSheet) {
    WorksheetSource source;
    source.OpenWorkbook(kData + "types.xls");
    source.SelectSheet(2);  // used range C3:E6, nothing in row 1
    EXPECT_EQ(source.rowCount(), 6);
    EXPECT_EQ(source.columnCount(), 5);
    EXPECT_EQ(source.columnEntries(), (Texts{"A:", "B:", "C:", "D:", "E:"}));
    source.SelectSheet(3);
    EXPECT_EQ(source.columnEntries(), (Texts{"A:"}));
    source.SelectSheet(4);
    ASSERT_EQ(source.columnEntries().size(), 256u);
    EXPECT_EQ(source.columnEntries()[26], "AA:H27");
    EXPECT_EQ(source.columnEntries()[51], "AZ:H52");
    EXPECT_EQ(source.columnEntries()[52], "BA:H53");
    EXPECT_EQ(source.columnEntries()[255], "IV:H256");
    // A bound entry of another sheet is not found on this one.
    EXPECT_EQ(source.ColumnOf("B:经度"), 0);
    EXPECT_THROW(source.SelectSheet(5), Error);
    EXPECT_EQ(source.currentSheet(), 4);
    EXPECT_EQ(source.columnCount(), 256);
}

TEST(WorksheetSource, KeepsTheOpenWorkbookWhenAnotherCannotBeOpened) {
    test::TempDir dir;
    test::WriteBytes(dir.File("notes.xls"), "plain text\n");
    WorksheetSource source;
    source.OpenWorkbook(kData + "types.xlsx");
    source.SelectSheet(1);
    for (const std::string& bad : {dir.File("notes.xls"), dir.File("missing.xlsx")}) {
        try {
            source.OpenWorkbook(bad);
            FAIL() << bad;
        } catch (const Error& error) {
            EXPECT_NE(std::string(error.what()).find(bad), std::string::npos) << error.what();
        }
        EXPECT_EQ(source.path(), kData + "types.xlsx");
        EXPECT_EQ(source.sheetNames().size(), 5u);
        EXPECT_EQ(source.currentSheet(), 1);
        EXPECT_EQ(source.columnEntries(), (Texts{"A:kind", "B:value"}));
        EXPECT_EQ(source.CellText(2, 2), "2024-03-01");
    }
    // Opening another workbook replaces everything.
    source.OpenWorkbook(kData + "table-gbk.txt");
    EXPECT_EQ(source.path(), kData + "table-gbk.txt");
    EXPECT_EQ(source.sheetNames(), (Texts{"table-gbk"}));
    EXPECT_EQ(source.columnEntries(), (Texts{"A:站名", "B:经度", "C:纬度"}));
}

TEST(WorksheetSource, IsEmptyBeforeOpeningAndAfterClosing) {
    WorksheetSource source;
    EXPECT_FALSE(source.isOpen());
    EXPECT_TRUE(source.sheetNames().empty());
    EXPECT_TRUE(source.columnEntries().empty());
    EXPECT_EQ(source.CellText(1, 1), "");
    EXPECT_THROW(source.SelectSheet(0), Error);
    source.OpenWorkbook(kData + "xlwt.xls");
    source.CloseWorkbook();
    EXPECT_FALSE(source.isOpen());
    EXPECT_EQ(source.path(), "");
    EXPECT_EQ(source.rowCount(), 0);
    EXPECT_TRUE(source.columnEntries().empty());
    EXPECT_EQ(source.ColumnOf("A:站名"), 0);
}

TEST(FillColumnChoices, OffersTheColumnsNotBoundByTheOtherChoices) {
    const Texts entries{"A:站名", "B:经度", "C:纬度", "D:方向角", "E:CI"};
    // Longitude and latitude bound; the site-name list opens.
    EXPECT_EQ(FillColumnChoices(entries, {"", "B:经度", "C:纬度", ""}, 0),
              (Texts{"A:站名", "D:方向角", "E:CI"}));
    // The opening choice loses its own selection, so its column is offered again.
    EXPECT_EQ(FillColumnChoices(entries, {"", "B:经度", "C:纬度", ""}, 1),
              (Texts{"A:站名", "B:经度", "D:方向角", "E:CI"}));
    EXPECT_EQ(FillColumnChoices(entries, {"", "", "", ""}, 3), entries);
    // An entry of another sheet removes nothing.
    EXPECT_EQ(FillColumnChoices(entries, {"B:Lon", "", "", "A:站名"}, 2),
              (Texts{"B:经度", "C:纬度", "D:方向角", "E:CI"}));
    EXPECT_TRUE(FillColumnChoices({}, {"A:x", "", "", ""}, 1).empty());
}
