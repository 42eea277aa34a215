#pragma once

// What track playback reads from a drive-test log: the field names the playback dialog
// offers, the position columns it proposes, and the position of the line being played.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// The header is read as a line of at most this many characters; a longer one is cut there.
inline constexpr size_t kPlaybackHeaderCharacters = 1022;

// The first `count` characters of UTF-8 text, or all of it when it is shorter.
std::string_view FirstCharacters(std::string_view text, size_t count);

// The field names of the log's first line (cut at kPlaybackHeaderCharacters), every
// TAB-separated field in order. The file is decoded as the whole log is (UTF-8, else GBK).
// A file that cannot be read, or holds nothing, gives no names.
std::vector<std::string> ReadPlaybackHeader(const std::string& path);

// Field indexes of the position in a split line; -1 names no field.
struct PlaybackColumns {
    std::int32_t longitude = 0;
    std::int32_t latitude = 0;
    bool operator==(const PlaybackColumns&) const = default;
};

// The position columns recognised by name (IsLongitudeName, IsLatitudeName), a later match
// winning; a column that no name matches keeps its value from `previous`.
PlaybackColumns DetectPlaybackColumns(const std::vector<std::string>& names,
                                      PlaybackColumns previous);

enum class TrackPositionFault {
    None,
    NoLongitudeField,
    NoLatitudeField,
    LongitudeNotNumber,
    LatitudeNotNumber,
};

struct TrackPosition {
    double longitude = 0.0;
    double latitude = 0.0;
    TrackPositionFault fault = TrackPositionFault::None;
    bool Playable() const { return fault == TrackPositionFault::None; }
};

// The position that a line's fields give at the chosen columns, read as the system reads
// numbers. A column of -1 or past the line's last field names no field.
TrackPosition ReadTrackPosition(const std::vector<std::string>& fields, PlaybackColumns columns);

}  // namespace orvane
