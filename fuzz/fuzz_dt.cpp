// The drive-test log from any bytes: the reader, the header and column detection, the theme
// scan, the legends (classes or grades, every boundary mode, 2 to 9 grades), the track
// conversion over the log read before or read again, and the safe writing.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ConversionFolder.h"
#include "common/Errors.h"
#include "conversions/Dt2kml.h"
#include "conversions/DtTextFile.h"

namespace {

orvane::ThematicLegend LegendFor(const orvane::DtTextFile& log, size_t theme,
                                 std::uint32_t options) {
    orvane::ThematicLegend legend;
    legend.scan = orvane::ScanThemeField(log.Values(theme), orvane::DtNumberTest);
    legend.kind = (options & 1) != 0 && legend.scan.canClassify ? orvane::LegendKind::Classification
                                                                : orvane::LegendKind::Grading;
    legend.boundaryMode = static_cast<orvane::BoundaryMode>(options / 2 % 4);
    legend.gradeCount = 2 + static_cast<int>(options / 8 % 8);
    legend.classEntries = orvane::FillClassification(legend.scan);
    legend.gradeEntries = orvane::ComputeDefaultGrading(legend.scan, legend.gradeCount);
    return legend;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static orvane::fuzz::ConversionFolder folder;
    folder.Prepare(data, size);
    const std::uint32_t options = orvane::fuzz::OptionsOf(data, size);
    bool failed = false;
    try {
        const orvane::DtTextFile log = orvane::DtTextFile::Read(folder.input());
        const std::vector<std::string> names = log.HeaderNames();
        const orvane::PositionColumns detected = orvane::DetectPositionColumns(names);
        orvane::DtConversionRequest request;
        request.dtPath = folder.input();
        request.outPath = folder.output();
        request.lonColumn = static_cast<int>(detected.longitude);
        request.latColumn = static_cast<int>(detected.latitude);
        // Mostly a named field, sometimes one past the header.
        request.themeColumn = static_cast<int>(options / 64 % (names.size() + 1));
        request.legend = LegendFor(log, static_cast<size_t>(request.themeColumn), options);
        request.lineWidth = 1 + static_cast<int>(options / 1024 % 10);
        request.breakDistance = 1 + static_cast<int>(options / 16384 % 200);
        if ((options & (1u << 24)) != 0) {
            request.log = &log;
        }
        orvane::ConvertDtToKml(request);
    } catch (const orvane::Error&) {
        failed = true;
    }
    folder.Check(failed);
    return 0;
}
