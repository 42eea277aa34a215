// The colour configuration file from any bytes: listing, loading into a table, reading rows
// for the command line, and saving a scheme into it. A save that fails leaves the file as
// it was; one that succeeds lists the saved scheme last.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "ConversionFolder.h"
#include "common/Errors.h"
#include "legend/Colcfg.h"

namespace {

void ReadSchemes(const std::string& path) {
    const std::vector<std::string> names = orvane::ListSchemeNames(path);
    for (size_t i = 0; i < names.size() && i < 4; ++i) {
        std::vector<orvane::LegendEntry> rows(4);
        orvane::LoadScheme(path, names[i], rows);
        try {
            orvane::ReadSchemeRows(path, names[i]);
        } catch (const orvane::Error&) {
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static orvane::fuzz::ConversionFolder folder("ColCfg.col", "ColCfg.col");
    folder.Prepare(data, size);
    const std::string before(reinterpret_cast<const char*>(data), size);
    try {
        ReadSchemes(folder.input());
    } catch (const orvane::Error&) {
    }
    const std::uint32_t options = orvane::fuzz::OptionsOf(data, size);
    orvane::ColourScheme scheme{"fuzz", {{"255", "", "0", "1"}, {"65280", "", "1", "2"}}};
    bool saved = true;
    try {
        orvane::SaveScheme(
            folder.input(), scheme,
            (options & 1) != 0 ? orvane::SchemeLayout::Indented : orvane::SchemeLayout::Compact);
    } catch (const orvane::Error&) {
        saved = false;
    }
    if (saved) {
        // What was saved reads back, whatever the file held before.
        const std::vector<std::string> names = orvane::ListSchemeNames(folder.input());
        if (names.empty() || names.back() != "fuzz") {
            std::abort();
        }
    }
    folder.Check(!saved, before);
    return 0;
}
