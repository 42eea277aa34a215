#include <gtest/gtest.h>

#include <sys/stat.h>

#include "TestFiles.h"
#include "common/Errors.h"
#include "kml/KmlIcons.h"
#include "kml/Tkmldocument.h"

using namespace orvane;

namespace {

std::string Lines(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

const std::string kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
const std::string kKmlStart = "<kml xmlns=\"http://earth.google.com/kml/2.1\" >";

// The document's lines between the "Document" tags.
std::string Body(const TKMLDocument& document) {
    const std::string text = document.ToText();
    const std::string start = "  <Document>\r\n";
    const size_t begin = text.find(start) + start.size();
    const size_t end = text.rfind("  </Document>\r\n");
    return text.substr(begin, end - begin);
}

}  // namespace

TEST(KmlDocument, WritesAnEmptyDocumentInFiveLines) {
    TKMLDocument document;
    EXPECT_EQ(document.NodeCount(), 2u);
    EXPECT_EQ(kHeader.size(), 38u);
    EXPECT_EQ(document.ToText(),
              Lines({kHeader, kKmlStart, "  <Document>", "  </Document>", "</kml>"}));
}

TEST(KmlDocument, LaysOutTagsTextsAndIndentation) {
    TKMLDocument document;
    TKMLNode& placemark = document.AddNode(document.DocumentNode(), "Placemark");
    document.SetText(document.AddNode(placemark, "name"), "A");
    EXPECT_EQ(document.ToText(),
              Lines({kHeader, kKmlStart, "  <Document>", "    <Placemark>", "      <name>",
                     "        A", "      </name>", "    </Placemark>", "  </Document>", "</kml>"}));
    EXPECT_EQ(placemark.Level, 4);
    EXPECT_EQ(placemark.ParentIndex, 1);
}

TEST(KmlDocument, WritesAttributesWithASpaceOnEachSide) {
    TKMLDocument document;
    TKMLNode& style = document.AddNode(document.DocumentNode(), "Style");
    document.SetAttributes(style, "id=\"OUTLINE_RED\"");
    EXPECT_EQ(Body(document), Lines({"    <Style id=\"OUTLINE_RED\" >", "    </Style>"}));
}

TEST(KmlDocument, WritesTextsAsGivenWithCrLfForEveryLineFeed) {
    TKMLDocument document;
    TKMLNode& node = document.AddNode(document.DocumentNode(), "description");
    document.SetText(node, "a & b <c>\nsecond");
    EXPECT_EQ(Body(document),
              Lines({"    <description>", "      a & b <c>", "second", "    </description>"}));
}

TEST(KmlDocument, KeepsChildrenUnderTheirParentInTheOrderAdded) {
    TKMLDocument document;
    TKMLNode& first = document.AddNode(document.DocumentNode(), "Folder");
    TKMLNode& second = document.AddNode(document.DocumentNode(), "Folder");
    document.AddNode(second, "b");
    document.AddNode(first, "a1");
    document.AddNode(first, "a2");
    EXPECT_EQ(Body(document),
              Lines({"    <Folder>", "      <a1>", "      </a1>", "      <a2>", "      </a2>",
                     "    </Folder>", "    <Folder>", "      <b>", "      </b>", "    </Folder>"}));
    EXPECT_EQ(first.FirstChildIndex, 5);
    EXPECT_EQ(document.Node(5).NextSiblingIndex, 6);
    EXPECT_EQ(first.LastChildIndex, 6);
}

TEST(KmlDocument, WritesAMillionSiblingsWithoutDeepRecursion) {
    TKMLDocument document;
    for (int i = 0; i < 1'000'000; ++i) {
        document.AddNode(document.DocumentNode(), "p");
    }
    const std::string text = document.ToText();
    EXPECT_EQ(text.size(),
              kHeader.size() + kKmlStart.size() + 14 + 15 + 8 + 4 + 1'000'000 * (9 + 10));
}

TEST(KmlDocument, SavesByReplacingTheWholeFile) {
    test::TempDir dir;
    const std::string path = dir.File("out.kml");
    test::WriteBytes(path, std::string(10000, 'x'));
    TKMLDocument document;
    document.OpenFile(path);
    document.SaveAndClose();
    EXPECT_TRUE(document.Saved());
    EXPECT_EQ(test::ReadBytes(path), document.ToText());
    EXPECT_EQ(dir.EntryCount(), 1u) << "no temporary file is left behind";
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IRGRP, 0u) << "a saved file has the usual permissions";
}

TEST(KmlDocument, ReportsASaveThatFailedAndCreatesNothing) {
    test::TempDir dir;
    for (const std::string& path :
         {dir.File("missing/out.kml"), std::string(), dir.path().string()}) {
        TKMLDocument document;
        document.OpenFile(path);
        document.SaveAndClose();  // raises nothing
        EXPECT_FALSE(document.Saved()) << path;
    }
    EXPECT_EQ(dir.EntryCount(), 0u);
}

TEST(KmlDocument, LeavesAnExistingFileAloneUntilSaved) {
    test::TempDir dir;
    const std::string path = dir.File("out.kml");
    test::WriteBytes(path, "old");
    {
        TKMLDocument document;
        document.OpenFile(path);
        document.AddOutlineStyles();
    }  // destroyed without saving, as when a conversion stops
    EXPECT_EQ(test::ReadBytes(path), "old");
    EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(KmlColorText, PutsTheColourNumberInKmlOrder) {
    EXPECT_EQ(KmlColorText(255), "ff0000FF");
    EXPECT_EQ(KmlColorText(65280), "ff00FF00");
    EXPECT_EQ(KmlColorText(16711680), "ffFF0000");
    EXPECT_EQ(KmlColorText(0), "ff000000");
    EXPECT_EQ(KmlColorText(16777216), "ff1000000");
    EXPECT_EQ(KmlColorText(-1), "ffFFFFFFFF");
}

TEST(StyleBuilders, DeclareOutlineStyles) {
    TKMLDocument document;
    document.AddOutlineStyles();
    const std::string body = Body(document);
    EXPECT_EQ(
        body.substr(0, body.find("    <Style id=\"OUTLINE_GREEN\" >")),
        Lines({"    <Style id=\"OUTLINE_RED\" >", "      <LineStyle>", "        <color>",
               "          ff0000ff", "        </color>", "        <width>", "          2",
               "        </width>", "      </LineStyle>", "      <PolyStyle>", "        <fill>",
               "          0", "        </fill>", "      </PolyStyle>", "    </Style>"}));
    for (const char* colour : {"ff00ff00", "ff00ffff", "ffff0000", "ffffff00"}) {
        EXPECT_NE(body.find(colour), std::string::npos);
    }
    EXPECT_EQ(document.NodeCount(), 2u + 5 * 6);
}

TEST(StyleBuilders, DeclareIconStyles) {
    TKMLDocument document;
    document.AddBsStyle();
    document.AddPtStyle();
    const std::string icon = "          http://maps.google.com/mapfiles/kml/pal3/icon52.png";
    const auto style = [&](std::string_view id, std::string_view scale) {
        return Lines({std::string("    <Style id=\"") + std::string(id) + "\" >",
                      "      <IconStyle>", "        <scale>", "          " + std::string(scale),
                      "        </scale>", "        <Icon>", "          <href>", "  " + icon,
                      "          </href>", "        </Icon>", "      </IconStyle>",
                      "    </Style>"});
    };
    EXPECT_EQ(Body(document), style("BS_STYLE", "0.5") + style("Pt_STYLE", "1"));
}

TEST(StyleBuilders, NumberLineAndPointStylesByLegendEntry) {
    TKMLDocument document;
    const std::int32_t colours[] = {255, 65280};
    document.AddLineStyles(colours, 3);
    EXPECT_EQ(Body(document), Lines({"    <Style id=\"LINESTYLE0\" >",
                                     "      <LineStyle>",
                                     "        <color>",
                                     "          ff0000FF",
                                     "        </color>",
                                     "        <width>",
                                     "          3",
                                     "        </width>",
                                     "      </LineStyle>",
                                     "    </Style>",
                                     "    <Style id=\"LINESTYLE1\" >",
                                     "      <LineStyle>",
                                     "        <color>",
                                     "          ff00FF00",
                                     "        </color>",
                                     "        <width>",
                                     "          3",
                                     "        </width>",
                                     "      </LineStyle>",
                                     "    </Style>"}));

    TKMLDocument points;
    const std::int32_t red[] = {255};
    points.AddPointStyles(red);
    EXPECT_EQ(Body(points),
              Lines({"    <Style id=\"POINTSTYLE0\" >",
                     "      <IconStyle>",
                     "        <color>",
                     "          ff0000FF",
                     "        </color>",
                     "        <scale>",
                     "          0.5",
                     "        </scale>",
                     "        <Icon>",
                     "          <href>",
                     "            http://maps.google.com/mapfiles/kml/shapes/square.png",
                     "          </href>",
                     "        </Icon>",
                     "      </IconStyle>",
                     "      <LabelStyle>",
                     "        <color>",
                     "          40ffffff",
                     "        </color>",
                     "      </LabelStyle>",
                     "    </Style>"}));

    TKMLDocument none;
    none.AddLineStyles({}, 3);
    EXPECT_EQ(none.NodeCount(), 2u);
}

TEST(PlacemarkBuilders, BuildAPointWithDescriptionAndEmptyStyle) {
    TKMLDocument document;
    TPointPlacemark point;
    point.Name = "站点";
    point.Coordinates = "113.1,25.7,0 ";
    document.AddPointPlacemark(point);
    EXPECT_EQ(Body(document),
              Lines({"    <Placemark>", "      <name>", "        站点", "      </name>",
                     "      <description>", "        <![CDATA[<TABLE BORDER=1></TABLE> ]]>",
                     "      </description>", "      <styleUrl>", "      </styleUrl>",
                     "      <Point>", "        <coordinates>", "          113.1,25.7,0 ",
                     "        </coordinates>", "      </Point>", "    </Placemark>"}));
}

TEST(PlacemarkBuilders, BuildLinesAndPolygons) {
    TKMLDocument document;
    TLinePlacemark line;
    line.Name = "Line1";
    line.Coordinates = "1,2,0 3,4,0 ";
    document.AddLinePlacemark(line);
    line.StyleUrl = "#LINESTYLE0";
    document.AddLinePlacemark(line);
    TPolygonPlacemark polygon;
    polygon.Name = "Polygon1";
    polygon.StyleUrl = "#OUTLINE_RED";
    polygon.Coordinates = "1,2,0 1,2,0 ";
    document.AddPolygonPlacemark(polygon);
    EXPECT_EQ(Body(document), Lines({"    <Placemark>",
                                     "      <name>",
                                     "        Line1",
                                     "      </name>",
                                     "      <LineString>",
                                     "        <coordinates>",
                                     "          1,2,0 3,4,0 ",
                                     "        </coordinates>",
                                     "      </LineString>",
                                     "    </Placemark>",
                                     "    <Placemark>",
                                     "      <name>",
                                     "        Line1",
                                     "      </name>",
                                     "      <styleUrl>",
                                     "        #LINESTYLE0",
                                     "      </styleUrl>",
                                     "      <LineString>",
                                     "        <coordinates>",
                                     "          1,2,0 3,4,0 ",
                                     "        </coordinates>",
                                     "      </LineString>",
                                     "    </Placemark>",
                                     "    <Placemark>",
                                     "      <name>",
                                     "        Polygon1",
                                     "      </name>",
                                     "      <styleUrl>",
                                     "        #OUTLINE_RED",
                                     "      </styleUrl>",
                                     "      <Polygon>",
                                     "        <outerBoundaryIs>",
                                     "          <LinearRing>",
                                     "            <coordinates>",
                                     "              1,2,0 1,2,0 ",
                                     "            </coordinates>",
                                     "          </LinearRing>",
                                     "        </outerBoundaryIs>",
                                     "      </Polygon>",
                                     "    </Placemark>"}));
}

TEST(PlacemarkBuilders, EscapeMarkupInNamesStylesAndCoordinates) {
    TKMLDocument document;
    TPolygonPlacemark polygon;
    polygon.Name = "A&B <1>";
    polygon.StyleUrl = "#x<y";
    polygon.Coordinates = "1&2";
    document.AddPolygonPlacemark(polygon);
    TPointPlacemark point;
    point.Name = "C&D";
    point.Description = "<TR><TD>a</TD></TR>";  // table markup stays markup
    document.AddPointPlacemark(point);
    const std::string body = Body(document);
    EXPECT_NE(body.find("        A&amp;B &lt;1&gt;\r\n"), std::string::npos);
    EXPECT_NE(body.find("        #x&lt;y\r\n"), std::string::npos);
    EXPECT_NE(body.find("              1&amp;2\r\n"), std::string::npos);
    EXPECT_NE(body.find("        C&amp;D\r\n"), std::string::npos);
    EXPECT_NE(body.find("<![CDATA[<TABLE BORDER=1><TR><TD>a</TD></TR></TABLE> ]]>"),
              std::string::npos);
}

TEST(SiteFolder, ColoursSectorsByQuadrant) {
    TKMLDocument document;
    TSitePlacemark site;
    site.Name = "Site";
    site.Coordinates = "113,25,0 ";
    site.Longitude = 113;
    site.Latitude = 25;
    site.Azimuths = {0, 120, 240, 359, 90, -1, 400, -30};
    document.AddSiteFolder(site, 2);
    std::vector<std::string> styles;
    const std::string body = Body(document);
    for (size_t p = body.find("#OUTLINE_"); p != std::string::npos;
         p = body.find("#OUTLINE_", p + 1)) {
        styles.push_back(body.substr(p + 9, body.find('\r', p) - p - 9));
    }
    EXPECT_EQ(styles, (std::vector<std::string>{"RED", "GREEN", "YELLOW", "BLUE", "GREEN", "AQUA",
                                                "RED", "RED"}));
    EXPECT_NE(body.find("        #BS_STYLE\r\n"), std::string::npos);
}

TEST(SiteFolder, WritesTheFolderLayout) {
    TKMLDocument document;
    TSitePlacemark site;
    site.Name = "S";
    site.Description = "<TR><TD>x</TD></TR>";
    site.Coordinates = "113,25,0 ";
    site.Longitude = 113;
    site.Latitude = 25;
    site.Azimuths = {-1};
    document.AddSiteFolder(site, 2);
    const std::string body = Body(document);
    const std::string expectedStart =
        Lines({"    <Folder>",
               "      <name>",
               "        S",
               "      </name>",
               "      <Placemark>",
               "        <name>",
               "          S",
               "        </name>",
               "        <description>",
               "          <![CDATA[<TABLE BORDER=1><TR><TD>x</TD></TR></TABLE> ]]>",
               "        </description>",
               "        <styleUrl>",
               "          #BS_STYLE",
               "        </styleUrl>",
               "        <Point>",
               "          <coordinates>",
               "            113,25,0 ",
               "          </coordinates>",
               "        </Point>",
               "      </Placemark>",
               "      <Placemark>",
               "        <styleUrl>",
               "          #OUTLINE_AQUA",
               "        </styleUrl>",
               "        <Polygon>",
               "          <outerBoundaryIs>",
               "            <LinearRing>",
               "              <coordinates>"});
    EXPECT_EQ(body.substr(0, expectedStart.size()), expectedStart);
}

TEST(SiteFolder, WritesOnlyTheSiteWithoutSectors) {
    TKMLDocument document;
    document.AddSiteFolder(TSitePlacemark{}, 2);
    EXPECT_EQ(document.NodeCount(), 2u + 2 + 6);
}

// ---- Written as it is built ------------------------------------------------------------

namespace {
void AddPoints(TKMLDocument& document, int count, int first = 0) {
    TPointPlacemark point;
    point.StyleUrl = "#Pt_STYLE";
    point.Coordinates = "113.123456,25.123456,0 ";
    for (int i = first; i < first + count; ++i) {
        point.Name = "Point" + std::to_string(i);
        document.AddPointPlacemark(point);
    }
}
}  // namespace

TEST(KmlStreaming, WritesAMillionPlacemarksInBoundedMemory) {
    test::TempDir dir;
    const std::string path = dir.File("out.kml");
    TKMLDocument document;
    document.OpenFile(path);
    document.AddPtStyle();
    size_t most = 0;
    for (int step = 0; step < 100; ++step) {
        AddPoints(document, 10'000, step * 10'000);
        most = std::max(most, document.HeldBytes());
    }
    EXPECT_LT(most, size_t{16} << 20) << "the document holds what it wrote";
    document.SaveAndClose();
    ASSERT_TRUE(document.Saved());

    TKMLDocument one;
    one.AddPtStyle();
    AddPoints(one, 1);
    TKMLDocument styleOnly;
    styleOnly.AddPtStyle();
    const size_t perPoint = one.ToText().size() - styleOnly.ToText().size();
    const std::string written = test::ReadBytes(path);
    size_t longerNames = 0;  // than "Point0", the one measured
    for (int i = 0; i < 1'000'000; ++i) {
        longerNames += std::to_string(i).size() - 1;
    }
    EXPECT_EQ(written.size(), styleOnly.ToText().size() + 1'000'000 * perPoint + longerNames);
    EXPECT_TRUE(written.ends_with("    </Placemark>\r\n  </Document>\r\n</kml>\r\n"));
    EXPECT_NE(written.find("        Point999999\r\n"), std::string::npos);
}

TEST(KmlStreaming, WritesTheSameBytesWhereverTheFileIsOpenedAndKeepsAddNodeElementsOpen) {
    test::TempDir dir;
    const auto build = [](TKMLDocument& document, const std::string& openAt,
                          const std::string& path) {
        if (openAt == "first") {
            document.OpenFile(path);
        }
        document.AddOutlineStyles();
        AddPoints(document, 200'000);  // more than is kept before it goes to the file
        if (openAt == "late") {
            document.OpenFile(path);
        }
        // Elements the caller adds may still grow: the placemark after them waits for them.
        TKMLNode& folder = document.AddNode(document.DocumentNode(), "Folder");
        AddPoints(document, 1);
        document.SetText(document.AddNode(folder, "name"), "F");
    };
    TKMLDocument inMemory;
    build(inMemory, "never", "");
    const std::string expected = inMemory.ToText();
    EXPECT_NE(expected.find("    <Folder>\r\n      <name>\r\n        F\r\n      </name>\r\n"
                            "    </Folder>\r\n    <Placemark>\r\n      <name>\r\n        Point0"),
              std::string::npos);
    for (const std::string openAt : {"first", "late"}) {
        TKMLDocument document;
        build(document, openAt, dir.File(openAt + ".kml"));
        document.SaveAndClose();
        EXPECT_TRUE(document.Saved());
        EXPECT_TRUE(test::ReadBytes(dir.File(openAt + ".kml")) == expected) << openAt;
    }
}

TEST(KmlStreaming, LeavesThePreviousFileWhenStoppedAndIgnoresLeftoverTemporaryFiles) {
    test::TempDir dir;
    const std::string leftover = dir.File(".out.kml.AbCdEf.orvane-tmp");  // from a killed run
    test::WriteBytes(leftover, "half");
    for (const std::string name : {"out.kml", "out.kmz"}) {
        test::WriteBytes(dir.File(name), "previous");
        {
            TKMLDocument document;
            document.OpenFile(dir.File(name));
            AddPoints(document, 100'000);  // megabytes already in the temporary file
        }                                  // stopped: destroyed without saving
        EXPECT_EQ(test::ReadBytes(dir.File(name)), "previous") << name;
        TKMLDocument document;
        document.OpenFile(dir.File(name));
        AddPoints(document, 10);
        document.SaveAndClose();
        EXPECT_TRUE(document.Saved()) << name;
    }
    EXPECT_EQ(test::ReadBytes(leftover), "half");
    EXPECT_EQ(dir.EntryCount(), 3u) << "no temporary file of this run is left";
}

// ---- The standard layout ---------------------------------------------------------------

TEST(StandardLayout, WritesKml22WithInlineTextsAndNoEmptyStyleReference) {
    TKMLDocument document(KmlLayout::Standard);
    EXPECT_EQ(document.ToText(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n  <Document>\n  </Document>\n"
              "</kml>\n");
    document.AddOutlineStyles();
    TPointPlacemark point;
    point.Name = "A&B";
    point.Coordinates = " 113.1,25.7,0  ";
    point.Description = "<TR><TD>x</TD></TR>";
    document.AddPointPlacemark(point);
    TPolygonPlacemark polygon;
    polygon.Name = "Polygon1";
    polygon.StyleUrl = "#OUTLINE_RED";
    polygon.Coordinates = "1,2,0  3,4,0 \t1,2,0 ";
    document.AddPolygonPlacemark(polygon);
    const std::string text = document.ToText();
    const std::string body = text.substr(text.find("  <Document>\n") + 13);
    EXPECT_EQ(body.substr(0, body.find("    <Style id=\"OUTLINE_GREEN\">")),
              "    <Style id=\"OUTLINE_RED\">\n"
              "      <LineStyle>\n"
              "        <color>ff0000ff</color>\n"
              "        <width>2</width>\n"
              "      </LineStyle>\n"
              "      <PolyStyle>\n"
              "        <fill>0</fill>\n"
              "      </PolyStyle>\n"
              "    </Style>\n");
    EXPECT_EQ(body.substr(body.find("    <Placemark>")),
              "    <Placemark>\n"
              "      <name>A&amp;B</name>\n"
              "      <description><![CDATA[<TABLE BORDER=1><TR><TD>x</TD></TR></TABLE> ]]>"
              "</description>\n"
              "      <Point>\n"
              "        <coordinates>113.1,25.7,0</coordinates>\n"
              "      </Point>\n"
              "    </Placemark>\n"
              "    <Placemark>\n"
              "      <name>Polygon1</name>\n"
              "      <styleUrl>#OUTLINE_RED</styleUrl>\n"
              "      <Polygon>\n"
              "        <outerBoundaryIs>\n"
              "          <LinearRing>\n"
              "            <coordinates>1,2,0 3,4,0 1,2,0</coordinates>\n"
              "          </LinearRing>\n"
              "        </outerBoundaryIs>\n"
              "      </Polygon>\n"
              "    </Placemark>\n"
              "  </Document>\n"
              "</kml>\n");
    EXPECT_EQ(text.find('\r'), std::string::npos);
}

// ---- Data, folders, icons and precision for GIS programs -------------------------------

TEST(StandardLayout, WritesTypedSchemasAndDataWithoutEmptyValues) {
    const KmlSchema schema{"Row",
                           {{"名称", KmlFieldType::String},
                            {"a\"b", KmlFieldType::Double},
                            {"CI", KmlFieldType::Int}}};
    TPointPlacemark point;
    point.Name = "P";
    point.Schema = &schema;
    point.Data = {"A&B", "", "7"};
    point.Coordinates = "1,2,0";
    TKMLDocument fixed;
    fixed.AddSchema(schema);
    fixed.AddPointPlacemark(point);
    EXPECT_EQ(fixed.ToText().find("Schema"), std::string::npos) << "the fixed layout has no data";

    TKMLDocument document(KmlLayout::Standard);
    document.AddSchema(schema);
    document.AddPointPlacemark(point);
    const std::string text = document.ToText();
    EXPECT_NE(text.find("    <Schema name=\"Row\" id=\"Row\">\n"
                        "      <SimpleField name=\"名称\" type=\"string\"></SimpleField>\n"
                        "      <SimpleField name=\"a&quot;b\" type=\"double\"></SimpleField>\n"
                        "      <SimpleField name=\"CI\" type=\"int\"></SimpleField>\n"
                        "    </Schema>\n"),
              std::string::npos);
    EXPECT_NE(text.find("      <ExtendedData>\n"
                        "        <SchemaData schemaUrl=\"#Row\">\n"
                        "          <SimpleData name=\"名称\">A&amp;B</SimpleData>\n"
                        "          <SimpleData name=\"CI\">7</SimpleData>\n"
                        "        </SchemaData>\n"
                        "      </ExtendedData>\n"
                        "      <Point>\n"),
              std::string::npos);
}

TEST(KmlFieldTypeScan, ChoosesTheNarrowestTypeOfTheValues) {
    const auto typeOf = [](std::initializer_list<std::string_view> values) {
        KmlFieldTypeScan scan;
        for (const std::string_view value : values) {
            scan.Add(value);
        }
        return scan.Type();
    };
    EXPECT_EQ(typeOf({"-1", "", "120"}), KmlFieldType::Int);
    EXPECT_EQ(typeOf({"3", "113.6042", "1e-3"}), KmlFieldType::Double);
    EXPECT_EQ(typeOf({"3", "GSM900"}), KmlFieldType::String);
    EXPECT_EQ(typeOf({"007"}), KmlFieldType::String) << "a code keeps its zeros";
    EXPECT_EQ(typeOf({"-0.25", "12."}), KmlFieldType::Double);
    EXPECT_EQ(typeOf({"-.5"}), KmlFieldType::String);
    EXPECT_EQ(typeOf({"3000000000"}), KmlFieldType::Double);
    EXPECT_EQ(typeOf({}), KmlFieldType::String);
}

TEST(StandardLayout, StreamsAFolderOfAnyNumberOfPlacemarks) {
    test::TempDir dir;
    TKMLDocument document(KmlLayout::Standard);
    document.OpenFile(dir.File("out.kml"));
    document.AddPtStyle();
    document.BeginFolder("基站");
    size_t most = 0;
    for (int step = 0; step < 20; ++step) {
        AddPoints(document, 10'000, step * 10'000);
        most = std::max(most, document.HeldBytes());
    }
    document.EndFolder();
    AddPoints(document, 1);
    document.SaveAndClose();
    ASSERT_TRUE(document.Saved());
    EXPECT_LT(most, size_t{16} << 20);
    const std::string text = test::ReadBytes(dir.File("out.kml"));
    EXPECT_NE(text.find("    <Folder>\n      <name>基站</name>\n      <Placemark>\n"
                        "        <name>Point0</name>\n"),
              std::string::npos);
    EXPECT_NE(text.find("        <name>Point199999</name>\n"), std::string::npos);
    EXPECT_NE(text.find("    </Folder>\n    <Placemark>\n      <name>Point0</name>\n"),
              std::string::npos);
    EXPECT_TRUE(text.ends_with("    </Placemark>\n  </Document>\n</kml>\n"));
}

TEST(StandardLayout, ResolvesEveryLegendStyleInTwentyFourBitsAndWritesItsIcons) {
    test::TempDir dir;
    TKMLDocument document(KmlLayout::Standard);
    document.OpenFile(dir.File("out.kml"));
    const std::int32_t colours[] = {16777471};  // above 24 bits
    document.AddPointStyles(colours);
    document.AddLineStyles(colours, 3);
    document.SaveAndClose();
    ASSERT_TRUE(document.Saved());
    const std::string text = test::ReadBytes(dir.File("out.kml"));
    EXPECT_EQ(text.find("ff10000FF"), std::string::npos);
    for (const std::string id :
         {"POINTSTYLE-9999", "POINTSTYLE-1", "LINESTYLE-9999", "LINESTYLE-1"}) {
        const size_t style = text.find("<Style id=\"" + id + "\">");
        ASSERT_NE(style, std::string::npos) << id;
        EXPECT_EQ(text.find("<color>ff808080</color>", style), text.find("<color>", style)) << id;
    }
    EXPECT_NE(text.find("<href>orvane-square.png</href>"), std::string::npos);
    EXPECT_EQ(test::ReadBytes(dir.File("orvane-square.png")), KmlIconPng(KmlIcon::Square));
    EXPECT_TRUE(KmlIconPng(KmlIcon::Site).starts_with("\x89PNG\r\n\x1A\n"));
    EXPECT_EQ(dir.EntryCount(), 2u);
}

TEST(KmlDocument, RoundsCoordinatesInEitherLayout) {
    TPolygonPlacemark polygon;
    polygon.Coordinates = " 113.123456789,25.5,0  abc,-0.00001,0 1e2,7.25,0 ";
    for (const KmlLayout layout : {KmlLayout::Fixed, KmlLayout::Standard}) {
        TKMLDocument document(layout);
        document.SetCoordinateDigits(3);
        document.AddPolygonPlacemark(polygon);
        const std::string expected = layout == KmlLayout::Fixed
                                         ? " 113.123,25.5,0  abc,0,0 100,7.25,0 "
                                         : "113.123,25.5,0 abc,0,0 100,7.25,0";
        EXPECT_NE(document.ToText().find(expected), std::string::npos) << document.ToText();
    }
}
