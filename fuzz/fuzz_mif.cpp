// The MIF conversion from any bytes: the reader, the region scan and the safe writing; inputs
// of odd size also in the standard layout (regions nested into polygons with holes).

#include <cstddef>
#include <cstdint>

#include "ConversionFolder.h"
#include "common/Errors.h"
#include "conversions/Mif2kml.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static orvane::fuzz::ConversionFolder folder("input.mif");
    folder.Prepare(data, size);
    bool failed = false;
    try {
        const auto layout = size % 2 == 1 ? orvane::KmlLayout::Standard : orvane::KmlLayout::Fixed;
        orvane::ConvertMifToKml({folder.input(), folder.output(), layout});
    } catch (const orvane::Error&) {
        failed = true;
    }
    folder.Check(failed);
    return 0;
}
