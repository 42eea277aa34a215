#include <gtest/gtest.h>

#include "TestFiles.h"
#include "conversions/Bs2kml.h"
#include "conversions/Cqt2kml.h"
#include "conversions/Dt2kml.h"
#include "conversions/Mif2kml.h"
#include "conversions/Pt2kml.h"
#include "workbooks/WorksheetSource.h"

using namespace orvane;

namespace {

TEST(Conversions, AMissingInputStopsEveryConversionAlikeAndWritesNothing) {
    const test::TempDir dir;
    const std::string missing = dir.File("missing");
    const std::string out = dir.File("out.kml");
    int started = 0;
    ConversionObserver observer;
    observer.started = [&] { ++started; };

    EXPECT_EQ(test::MessageOf([&] {
                  ConvertMifToKml({missing, out}, observer);
              }),
              "Cannot open file " + missing);
    DtConversionRequest dt;
    dt.dtPath = missing;
    dt.outPath = out;
    dt.legend.kind = LegendKind::Classification;
    EXPECT_EQ(test::MessageOf([&] { ConvertDtToKml(dt, observer); }),
              "Cannot open file " + missing);

    // A table conversion without an open workbook says so, whatever the table.
    WorksheetSource closed;
    BsConversionRequest bs;
    bs.source = &closed;
    bs.siteNameColumn = bs.lonColumn = bs.latColumn = bs.azimuthColumn = 1;
    bs.outPath = out;
    EXPECT_EQ(test::MessageOf([&] { ConvertBsToKml(bs, observer); }), "Cannot open file ");
    CqtConversionRequest cqt;
    cqt.source = nullptr;
    cqt.nameColumn = cqt.lonColumn = cqt.latColumn = cqt.themeColumn = 1;
    cqt.outPath = out;
    cqt.legend.kind = LegendKind::Classification;
    EXPECT_EQ(test::MessageOf([&] { ConvertCqtToKml(cqt, observer); }), "Cannot open file ");

    EXPECT_EQ(dir.EntryCount(), 0u);
    EXPECT_EQ(started, 1) << "only the drive test, which reads its log after starting";
}

TEST(Conversions, SummariesCountWhatWasReadAndWritten) {
    const test::TempDir dir;
    const std::string_view lines[] = {"25.1,113.2", "25.2,113.3", "25.3,113.4"};
    PtConversionRequest points;
    points.lines = lines;
    points.outPath = dir.File("points.kml");
    ConversionSummary summary = ConvertPtToKml(points);
    EXPECT_EQ(summary.recordsRead, 3);
    EXPECT_EQ(summary.featuresWritten, 3);
    EXPECT_EQ(summary.outputPath, points.outPath);
    points.geometry = PtGeometry::Polygon;
    EXPECT_EQ(ConvertPtToKml(points).featuresWritten, 1);

    test::WriteBytes(dir.File("in.mif"),
                     "Version 300\nData\nRegion 2\n3\n1 2\n3 4\n5 6\n3\n1 2\n3 4\n5 6\nPoint 1 2\n"
                     "Region 1\n3\n1 2\n3 4\n5 6\n");
    summary = ConvertMifToKml({dir.File("in.mif"), dir.File("regions.kml")});
    EXPECT_EQ(summary.recordsRead, 2);
    EXPECT_EQ(summary.featuresWritten, 3);
    EXPECT_EQ(ImportedRowsMessage(summary), "导出完成,共导入3行数据.");
}

}  // namespace
