#include <map>

#include "CommandFiles.h"
#include "CommandLine.h"
#include "Commands.h"
#include "common/Errors.h"
#include "common/TextFile.h"
#include "conversions/Pt2kml.h"

namespace orvane::cli {

namespace {

PtGeometry GeometryOf(const Arguments& arguments) {
    static const std::map<std::string, PtGeometry> kGeometries = {
        {"point", PtGeometry::Point}, {"line", PtGeometry::Line}, {"polygon", PtGeometry::Polygon}};
    const std::string name = arguments.Value("--geometry").value_or("point");
    const auto found = kGeometries.find(name);
    if (found == kGeometries.end()) {
        throw UsageError("--geometry takes point, line or polygon");
    }
    return found->second;
}

}  // namespace

int RunPoints(const std::vector<std::string>& words) {
    const Arguments arguments(words, {"--format", "--geometry", kLayoutOption, kDigitsOption}, {});
    arguments.ExpectPositional(2);
    PtConversionRequest request{.lines = {},
                                .format = static_cast<CoordinateFormat>(
                                    arguments.IntegerValue("--format", 0, 2).value_or(0)),
                                .geometry = GeometryOf(arguments),
                                .outPath = arguments.positional()[1],
                                .layout = LayoutOf(arguments),
                                .digits = DigitsOf(arguments)};
    const std::string input = InputPath(arguments.positional()[0]);
    const std::string& output = request.outPath;
    CheckOutputPath(output, {input});

    ReadingInput(input, output, [&] {
        const TextLines text = ReadTextLines(input);
        std::vector<std::string_view> lines;
        lines.reserve(text.size());
        for (size_t i = 0; i < text.size(); ++i) {
            lines.push_back(text[i]);
        }
        if (lines.empty()) {
            throw Error("请填入要转换的坐标串！");
        }
        request.lines = lines;
        ConvertPtToKml(request);
    });
    PrintLine("完成！");
    return kSuccess;
}

}  // namespace orvane::cli
