// The MIF conversion from any bytes: the reader, the region scan and the safe writing.

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
        orvane::ConvertMifToKml({folder.input(), folder.output()});
    } catch (const orvane::Error&) {
        failed = true;
    }
    folder.Check(failed);
    return 0;
}
