// The points conversion from any bytes: the text file read as the command line reads it,
// every coordinate layout and geometry, and the safe writing.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "ConversionFolder.h"
#include "common/Errors.h"
#include "common/TextFile.h"
#include "conversions/Pt2kml.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static orvane::fuzz::ConversionFolder folder;
    folder.Prepare(data, size);
    const std::uint32_t options = orvane::fuzz::OptionsOf(data, size);
    const auto format = static_cast<orvane::CoordinateFormat>(options % 3);
    bool failed = false;
    try {
        const orvane::TextLines text = orvane::ReadTextLines(folder.input());
        std::vector<std::string_view> lines;
        for (size_t i = 0; i < text.size(); ++i) {
            lines.push_back(text[i]);
        }
        switch (options / 3 % 3) {
            case 0:
                orvane::WritePointFile(lines, format, folder.output());
                break;
            case 1:
                orvane::WriteLineFile(lines, format, folder.output());
                break;
            default:
                orvane::WritePolygonFile(lines, format, folder.output());
                break;
        }
    } catch (const orvane::Error&) {
        failed = true;
    }
    folder.Check(failed);
    return 0;
}
