#include <gtest/gtest.h>

#include <filesystem>

#include "TestFiles.h"
#include "common/Errors.h"
#include "legend/Colcfg.h"

using namespace orvane;

namespace {
using Texts = std::vector<std::string>;

LegendEntry Grade(std::string color, std::string left, std::string right) {
    LegendEntry entry;
    entry.color = std::move(color);
    entry.left = std::move(left);
    entry.right = std::move(right);
    return entry;
}

ColourScheme FourGrades(std::string name) {
    return {std::move(name),
            {Grade("65280", "0", "0.25"), Grade("16711680", "0.25", "0.5"),
             Grade("65535", "0.5", "0.75"), Grade("255", "0.75", "1")}};
}

class ColcfgFile : public ::testing::Test {
  protected:
    test::TempDir dir;
    const std::string path = dir.File("ColCfg.col");
};
}  // namespace

TEST_F(ColcfgFile, SavingToAnAbsentFileWritesOneSchemeUnderTheGb2312Declaration) {
    SaveScheme(path, FourGrades("Level"), SchemeLayout::Indented);
    const std::string bytes = test::ReadBytes(path);
    EXPECT_TRUE(bytes.starts_with("<?xml version=\"1.0\" encoding=\"GB2312\"?>")) << bytes;
    EXPECT_NE(bytes.find("<ORVANE_Config_File>\n  <ColorConfig Name=\"Level\" ItemCount=\"4\">\n"
                         "    <STYLE Name=\"1\">\n      <Color>65280</Color>\n"),
              std::string::npos)
        << bytes;
    EXPECT_NE(bytes.find("<STYLE Name=\"4\">"), std::string::npos);
    EXPECT_EQ(ListSchemeNames(path), Texts{"Level"});

    std::vector<LegendEntry> rows;
    ASSERT_TRUE(LoadScheme(path, "Level", rows));
    EXPECT_EQ(rows, FourGrades("Level").entries);
}

TEST_F(ColcfgFile, ReplacingASchemeMovesItToTheEnd) {
    SaveScheme(path, FourGrades("Level"), SchemeLayout::Indented);
    SaveScheme(path, FourGrades("Speed"), SchemeLayout::Indented);
    ColourScheme level = FourGrades("Level");
    level.entries.pop_back();
    SaveScheme(path, level, SchemeLayout::Indented);
    EXPECT_EQ(ListSchemeNames(path), (Texts{"Speed", "Level"}));

    // Names are compared exactly, letter case included.
    SaveScheme(path, FourGrades("level"), SchemeLayout::Indented);
    EXPECT_EQ(ListSchemeNames(path), (Texts{"Speed", "Level", "level"}));
    std::vector<LegendEntry> rows;
    ASSERT_TRUE(LoadScheme(path, "Level", rows));
    EXPECT_EQ(rows.size(), 3u);
    EXPECT_FALSE(LoadScheme(path, "LEVEL", rows));
    EXPECT_EQ(rows.size(), 3u);
}

TEST_F(ColcfgFile, AChineseNameAndABlankBoundSurviveInGbk) {
    ColourScheme scheme = FourGrades("场强€😀");
    scheme.entries[1].left = "";
    scheme.entries[2].right = " ";
    SaveScheme(path, scheme, SchemeLayout::Indented);

    const std::string bytes = test::ReadBytes(path);
    EXPECT_NE(bytes.find("\xB3\xA1\xC7\xBF\x80&#128512;"), std::string::npos);  // GBK + reference
    EXPECT_NE(bytes.find("<LeftValue />"), std::string::npos);
    EXPECT_EQ(ListSchemeNames(path), Texts{"场强€😀"});

    std::vector<LegendEntry> rows(4, Grade("x", "x", "x"));
    ASSERT_TRUE(LoadScheme(path, "场强€😀", rows));
    EXPECT_EQ(rows, scheme.entries);
}

TEST_F(ColcfgFile, ReadsTheLayoutWithoutWhitespaceAndOtherDeclaredEncodings) {
    SaveScheme(path, FourGrades("Level"), SchemeLayout::Compact);
    const std::string compact = test::ReadBytes(path);
    EXPECT_NE(compact.find("<ORVANE_Config_File><ColorConfig Name=\"Level\" ItemCount=\"4\">"
                           "<STYLE Name=\"1\"><Color>65280</Color><LeftValue>0</LeftValue>"),
              std::string::npos)
        << compact;
    std::vector<LegendEntry> rows;
    ASSERT_TRUE(LoadScheme(path, "Level", rows));
    EXPECT_EQ(rows, FourGrades("Level").entries);

    // A file in UTF-8 says so; the root's name is not tested.
    test::WriteBytes(path,
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Root>\n"
                     "<ColorConfig Name=\"速度\" ItemCount=\"2\">"
                     "<STYLE Name=\"1\"><Color>1</Color><Extra>9</Extra><LeftValue>0</LeftValue>"
                     "<RightValue>5</RightValue></STYLE></ColorConfig></Root>");
    EXPECT_EQ(ListSchemeNames(path), Texts{"速度"});
    rows = {Grade("a", "b", "c"), Grade("d", "e", "f"), Grade("g", "h", "i")};
    ASSERT_TRUE(LoadScheme(path, "速度", rows));
    // Two rows; the cells the scheme lacks keep their text.
    EXPECT_EQ(rows, (std::vector<LegendEntry>{Grade("1", "0", "5"), Grade("d", "e", "f")}));
}

TEST_F(ColcfgFile, ClampsTheItemCountAndRejectsOneThatIsNoInteger) {
    test::WriteBytes(path,
                     "<?xml version=\"1.0\" encoding=\"GB2312\"?><ORVANE_Config_File>"
                     "<ColorConfig Name=\"one\" ItemCount=\"1\"><STYLE Name=\"1\"><Color>7</Color>"
                     "</STYLE><STYLE Name=\"2\"><Color>8</Color></STYLE><STYLE Name=\"3\">"
                     "<Color>9</Color></STYLE></ColorConfig>"
                     "<ColorConfig Name=\"many\" ItemCount=\"500\"/>"
                     "<ColorConfig Name=\"bad\" ItemCount=\"4.5\"/></ORVANE_Config_File>");
    std::vector<LegendEntry> rows;
    ASSERT_TRUE(LoadScheme(path, "one", rows));
    EXPECT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].color, "8");
    ASSERT_TRUE(LoadScheme(path, "many", rows));
    EXPECT_EQ(rows.size(), 100u);

    const std::vector<LegendEntry> before = rows;
    EXPECT_EQ(test::MessageOf([&] { LoadScheme(path, "bad", rows); }),
              "'4.5' is not a valid integer value");
    EXPECT_EQ(rows, before);
}

TEST_F(ColcfgFile, SchemeRowsForTheCommandLineAreCheckedAndNamed) {
    SaveScheme(path, FourGrades("Level"), SchemeLayout::Compact);
    const auto rows = ReadSchemeRows(path, "Level");
    ASSERT_TRUE(rows);
    EXPECT_EQ(*rows, FourGrades("Level").entries);
    EXPECT_FALSE(ReadSchemeRows(path, "level"));

    // More rows announced than given, a colour that is no integer, a count that is none.
    ColourScheme faulty = FourGrades("Faulty");
    faulty.entries[1].color = "1.5";
    SaveScheme(path, faulty, SchemeLayout::Compact);
    std::string bytes = test::ReadBytes(path);
    bytes.replace(bytes.find("ItemCount=\"4\""), 13, "ItemCount=\"6\"");
    test::WriteBytes(path, bytes);
    EXPECT_EQ(test::MessageOf([&] { ReadSchemeRows(path, "Level"); }),
              "Colour scheme 'Level', row 5: '' is not a valid floating point value");
    EXPECT_EQ(test::MessageOf([&] { ReadSchemeRows(path, "Faulty"); }),
              "Colour scheme 'Faulty', row 2: '1.5' is not a valid integer value");
    bytes.replace(bytes.find("ItemCount=\"4\""), 13, "ItemCount=\"x\"");
    test::WriteBytes(path, bytes);
    EXPECT_EQ(test::MessageOf([&] { ReadSchemeRows(path, "Faulty"); }),
              "Colour scheme 'Faulty': 'x' is not a valid integer value");
}

TEST_F(ColcfgFile, ASaveThatWouldNotReadBackLeavesTheFileAsItWas) {
    // Found by fuzzing: an attribute name holding bytes of no character (read as U+FFFD,
    // which GBK lacks and a name cannot hold as a reference).
    const std::string bytes =
        "<?xml version=\"1.0\" encoding=\"GB2312\"?><ORVANE_Config_File>"
        "<ColorConfig Name=\"A\" Item\xFF\xFF=\"4\"/></ORVANE_Config_File>";
    test::WriteBytes(path, bytes);
    EXPECT_EQ(test::MessageOf([&] { SaveScheme(path, FourGrades("B"), SchemeLayout::Compact); }),
              "Cannot create file " + path +
                  ": its element or attribute names hold characters that GB2312 cannot store");
    EXPECT_EQ(test::ReadBytes(path), bytes);
    EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST_F(ColcfgFile, AMalformedFileIsReportedAndLeftAsItWas) {
    const std::string broken = "<?xml version=\"1.0\"?><ORVANE_Config_File><ColorConfig Name=\"a\"";
    test::WriteBytes(path, broken);
    const std::string listed = test::MessageOf([&] { ListSchemeNames(path); });
    EXPECT_TRUE(listed.starts_with("The XML file " + path + " is not well-formed")) << listed;
    std::vector<LegendEntry> rows(4);
    EXPECT_NE(test::MessageOf([&] { LoadScheme(path, "a", rows); }), "no error");
    EXPECT_EQ(rows.size(), 4u);
    EXPECT_NE(test::MessageOf([&] { SaveScheme(path, FourGrades("a"), SchemeLayout::Indented); }),
              "no error");
    EXPECT_EQ(test::ReadBytes(path), broken);
}

TEST_F(ColcfgFile, AnAbsentFileCannotBeListedOrLoaded) {
    std::vector<LegendEntry> rows(4);
    EXPECT_EQ(test::MessageOf([&] { ListSchemeNames(path); }), "Cannot open file " + path);
    EXPECT_EQ(test::MessageOf([&] { LoadScheme(path, "Level", rows); }),
              "Cannot open file " + path);
    EXPECT_EQ(rows.size(), 4u);
}

TEST_F(ColcfgFile, AFileThatCannotBeWrittenIsReportedAndNotCreated) {
    const std::string blocked = dir.File("plain") + "/ColCfg.col";
    test::WriteBytes(dir.File("plain"), "a file where a folder should be");
    EXPECT_EQ(test::MessageOf([&] { SaveScheme(blocked, FourGrades("a"), SchemeLayout::Compact); }),
              "Cannot create file " + blocked);
}

TEST(ColcfgLocation, BesideTheExecutableWhenWritableElseInTheDataFolder) {
    test::TempDir dir;
    EXPECT_EQ(ColourConfigPath(dir.path().string(), "/data"), (dir.path() / "ColCfg.col").string());
    EXPECT_EQ(ColourConfigPath(dir.File("absent"), "/data/orvane"), "/data/orvane/ColCfg.col");
    EXPECT_TRUE(DefaultColourConfigPath().ends_with("/ColCfg.col"));

    // An installed program keeps it in the data folder even where it could write beside itself.
    std::filesystem::create_directories(dir.path() / "prefix" / "bin");
    EXPECT_EQ(ColourConfigPath(dir.File("prefix/bin"), "/data"), dir.File("prefix/bin/ColCfg.col"));
    std::filesystem::create_directories(dir.path() / "prefix" / "share" / "orvane");
    EXPECT_EQ(ColourConfigPath(dir.File("prefix/bin"), "/data"), "/data/ColCfg.col");
}

TEST(ColcfgLocation, SavingCreatesTheMissingDataFolder) {
    test::TempDir dir;
    const std::string path = dir.File("data/orvane") + "/ColCfg.col";
    SaveScheme(path, FourGrades("Level"), SchemeLayout::Compact);
    EXPECT_EQ(ListSchemeNames(path), Texts{"Level"});
}
