#include <gtest/gtest.h>

#include <zip.h>
#include <zlib.h>
#include <random>

#include "TestFiles.h"
#include "common/ParallelDeflate.h"
#include "conversions/Dt2kml.h"
#include "conversions/DtTextFile.h"
#include "conversions/Mif2kml.h"
#include "conversions/Pt2kml.h"

using namespace orvane;

namespace {

std::string Inflate(const std::string& compressed) {
    z_stream stream{};
    EXPECT_EQ(inflateInit2(&stream, -MAX_WBITS), Z_OK);
    std::string out(1 << 16, '\0');
    size_t produced = 0;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    stream.avail_in = static_cast<uInt>(compressed.size());
    int result = Z_OK;
    while (result == Z_OK) {
        if (produced == out.size()) {
            out.resize(out.size() * 2);
        }
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
        stream.avail_out = static_cast<uInt>(out.size() - produced);
        result = inflate(&stream, Z_NO_FLUSH);
        produced = out.size() - stream.avail_out;
    }
    EXPECT_EQ(result, Z_STREAM_END) << "a complete deflate stream";
    EXPECT_EQ(stream.avail_in, 0u) << "nothing after its end";
    inflateEnd(&stream);
    out.resize(produced);
    return out;
}

struct ZipEntry {
    std::string name;
    int method = -1;
    std::string bytes;
};

std::vector<ZipEntry> ReadArchive(const std::string& path) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    EXPECT_NE(archive, nullptr) << path << " is no valid zip archive";
    std::vector<ZipEntry> entries;
    if (archive == nullptr) {
        return entries;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
        ZipEntry entry{stat.name, stat.comp_method, std::string(stat.size, '\0')};
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        EXPECT_EQ(zip_fread(file, entry.bytes.data(), stat.size),
                  static_cast<zip_int64_t>(stat.size));
        zip_fclose(file);  // checks the CRC
        entries.push_back(std::move(entry));
    }
    zip_close(archive);
    return entries;
}

}  // namespace

TEST(ParallelDeflate, CompressesBlocksOnWorkersIntoOneStreamInOrder) {
    // KML-like repetition and random bytes, over several blocks, in pieces of any size.
    std::string input;
    std::mt19937 random(7);
    while (input.size() < (size_t{11} << 19)) {
        input +=
            "    <Placemark>\r\n      <name>\r\n        Point" + std::to_string(random()) + "\r\n";
        for (int k = 0; k < 40; ++k) {
            input += static_cast<char>(random());
        }
    }
    for (const unsigned workers : {1u, 3u}) {
        std::string compressed;
        ParallelDeflate deflate(
            1,
            [&](std::string_view bytes) {
                compressed += bytes;
                return true;
            },
            workers);
        for (size_t at = 0, piece = 1; at < input.size(); at += piece, piece = piece * 3 + 1) {
            deflate.Write(std::string_view(input).substr(at, piece));
        }
        ASSERT_TRUE(deflate.Finish());
        EXPECT_TRUE(Inflate(compressed) == input) << workers;
        EXPECT_LT(compressed.size(), input.size());
        EXPECT_EQ(deflate.InputSize(), input.size());
        EXPECT_EQ(deflate.Crc32(), crc32(0, reinterpret_cast<const Bytef*>(input.data()),
                                         static_cast<uInt>(input.size())));
    }
    std::string empty;
    ParallelDeflate nothing(1, [&](std::string_view bytes) {
        empty += bytes;
        return true;
    });
    ASSERT_TRUE(nothing.Finish());
    EXPECT_EQ(Inflate(empty), "");
    ParallelDeflate refused(1, [](std::string_view) { return false; });
    refused.Write("x");
    EXPECT_FALSE(refused.Finish()) << "a sink that takes nothing fails the stream";
}

namespace {

// Every landed conversion, writing to `path` in `layout`.
std::map<std::string, std::function<void(const std::string& path, KmlLayout layout)>>
Conversions() {
    static const std::vector<std::string> lines = [] {
        std::vector<std::string> all;
        for (int i = 0; i < 100'000; ++i) {  // a KML file of many deflate blocks
            all.push_back("25." + std::to_string(i) + ",113." + std::to_string(i * 7));
        }
        return all;
    }();
    static const std::vector<std::string_view> views(lines.begin(), lines.end());
    const std::string data = ORVANE_TEST_DATA;
    return {
        {"points",
         [](const std::string& path, KmlLayout layout) {
             WritePointFile(views, CoordinateFormat::LatitudeLongitude, path, layout);
         }},
        {"line",
         [](const std::string& path, KmlLayout layout) {
             WriteLineFile(views, CoordinateFormat::LatitudeLongitude, path, layout);
         }},
        {"polygon",
         [](const std::string& path, KmlLayout layout) {
             WritePolygonFile(views, CoordinateFormat::LatitudeLongitude, path, layout);
         }},
        {"mif",
         [data](const std::string& path, KmlLayout layout) {
             ConvertMifToKml({data + "/mif/regions-gbk.mif", path, layout});
         }},
        {"dt",
         [data](const std::string& path, KmlLayout layout) {
             DtConversionRequest request;
             request.dtPath = data + "/dt/route-gbk.txt";
             request.outPath = path;
             request.layout = layout;
             const DtTextFile file = DtTextFile::Read(request.dtPath);
             request.lonColumn = 1;
             request.latColumn = 2;
             request.themeColumn = 3;
             request.legend.kind = LegendKind::Grading;
             request.legend.scan = ScanThemeField(file.Values(3), DtNumberTest);
             request.legend.gradeEntries = ComputeDefaultGrading(request.legend.scan, 4);
             ConvertDtToKml(request);
         }},
    };
}

}  // namespace

// Icons of the standard layout go beside a .kml file and under files/ in the archive, whose
// doc.kml refers to them there.
TEST(KmzOutput, EveryConversionPutsTheBytesOfItsKmlFileIntoDocKml) {
    test::TempDir dir;
    size_t icons = 0;
    for (const auto& [name, convert] : Conversions()) {
        for (const KmlLayout layout : {KmlLayout::Fixed, KmlLayout::Standard}) {
            const std::string kml = dir.File(name + ".kml");
            const std::string kmz = dir.File(name + ".Kmz");  // any letter case
            convert(kml, layout);
            convert(kmz, layout);
            const std::vector<ZipEntry> entries = ReadArchive(kmz);
            ASSERT_GE(entries.size(), 1u) << name;
            EXPECT_EQ(entries[0].name, "doc.kml");
            EXPECT_EQ(entries[0].method, ZIP_CM_DEFLATE);
            std::string doc = entries[0].bytes;
            for (size_t at = doc.find("<href>files/"); at != std::string::npos;
                 at = doc.find("<href>files/", at)) {
                doc.erase(at + 6, 6);
            }
            EXPECT_TRUE(doc == test::ReadBytes(kml)) << name;
            EXPECT_EQ(entries.size() > 1, layout == KmlLayout::Standard && name == "points");
            for (size_t i = 1; i < entries.size(); ++i) {
                ASSERT_TRUE(entries[i].name.starts_with("files/")) << entries[i].name;
                EXPECT_TRUE(entries[i].bytes ==
                            test::ReadBytes(dir.File(entries[i].name.substr(6))));
                EXPECT_TRUE(entries[i].bytes.starts_with("\x89PNG\r\n\x1A\n"));
                ++icons;
            }
        }
    }
    EXPECT_EQ(icons, 1u);
    EXPECT_EQ(dir.EntryCount(), 2 * Conversions().size() + icons) << "no temporary file is left";
}

TEST(KmzOutput, ReportsAnArchiveThatCannotBeCreated) {
    test::TempDir dir;
    const std::string path = dir.File("missing/out.kmz");
    for (const auto& [name, convert] : Conversions()) {
        EXPECT_EQ(test::MessageOf([&] { convert(path, KmlLayout::Fixed); }),
                  "Cannot create file " + path)
            << name;
    }
    EXPECT_EQ(dir.EntryCount(), 0u);
}
