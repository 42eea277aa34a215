#include "conversions/TrackPlayback.h"

#include <optional>

#include "common/Encoding.h"
#include "common/Errors.h"
#include "common/Kml_baseclass.h"
#include "common/Memory.h"
#include "common/TextFile.h"
#include "conversions/DtTextFile.h"

namespace orvane {

namespace {

constexpr bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The file's first line as UTF-8. The encoding is decided on the whole file, as when the log
// is loaded for playing, so that the names agree with the header the grid shows.
std::string FirstLineText(std::string_view bytes) {
    if (const std::optional<size_t> offset = Utf8ContentOffset(bytes)) {
        return std::string(LineCursor(bytes.substr(*offset)).Next().value_or(""));
    }
    if (HasUtf16ByteOrderMark(bytes)) {
        const std::string text = DecodeUtf16(bytes);
        return std::string(LineCursor(text).Next().value_or(""));
    }
    // No GB18030 trail byte is a CR or LF, so the line ends where the raw bytes say.
    return DecodeGb18030(LineCursor(bytes).Next().value_or(""));
}

const std::string* FieldAt(const std::vector<std::string>& fields, std::int32_t column) {
    if (column < 0 || static_cast<size_t>(column) >= fields.size()) {
        return nullptr;
    }
    return &fields[static_cast<size_t>(column)];
}

}  // namespace

std::string_view FirstCharacters(std::string_view text, size_t count) {
    size_t end = 0;
    for (size_t taken = 0; end < text.size() && taken < count; ++taken) {
        ++end;
        while (end < text.size() && IsContinuationByte(text[end])) {
            ++end;
        }
    }
    return text.substr(0, end);
}

std::vector<std::string> ReadPlaybackHeader(const std::string& path) {
    std::string line;
    try {
        const LoadedFile file(path);
        line = FirstLineText(file.bytes());
    } catch (const Error&) {
        return {};
    }
    std::vector<std::string> names;
    SplitTabFields(FirstCharacters(line, kPlaybackHeaderCharacters), names);
    return names;
}

PlaybackColumns DetectPlaybackColumns(const std::vector<std::string>& names,
                                      PlaybackColumns previous) {
    PlaybackColumns columns = previous;
    for (size_t index = 0; index < names.size(); ++index) {
        if (IsLongitudeName(names[index])) {
            columns.longitude = static_cast<std::int32_t>(index);
        }
        if (IsLatitudeName(names[index])) {
            columns.latitude = static_cast<std::int32_t>(index);
        }
    }
    return columns;
}

TrackPosition ReadTrackPosition(const std::vector<std::string>& fields, PlaybackColumns columns) {
    TrackPosition position;
    const std::string* longitude = FieldAt(fields, columns.longitude);
    if (longitude == nullptr) {
        position.fault = TrackPositionFault::NoLongitudeField;
        return position;
    }
    const std::string* latitude = FieldAt(fields, columns.latitude);
    if (latitude == nullptr) {
        position.fault = TrackPositionFault::NoLatitudeField;
        return position;
    }
    const std::optional<double> x = TryParseNumber(*longitude);
    if (!x) {
        position.fault = TrackPositionFault::LongitudeNotNumber;
        return position;
    }
    const std::optional<double> y = TryParseNumber(*latitude);
    if (!y) {
        position.fault = TrackPositionFault::LatitudeNotNumber;
        return position;
    }
    position.longitude = *x;
    position.latitude = *y;
    return position;
}

}  // namespace orvane
