#pragma once

// The time field of a drive-test log, written as xsd:dateTime so that a globe's time slider
// can replay the drive. A value is "YYYY-MM-DD HH:MM:SS", "YYYY/MM/DD HH:MM:SS", or a time of
// day "HH:MM:SS" on a day given apart; seconds may carry a fraction, which is kept as
// written.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Errors.h"

namespace orvane {

class DtTextFile;
struct DtTimeOptions;

// A local time: seconds since 0001-01-01 00:00:00 and the fraction of its second.
struct DtTime {
    std::int64_t seconds = 0;
    std::uint32_t nanoseconds = 0;
    std::uint8_t fractionDigits = 0;  // as written, 0 to 9

    auto operator<=>(const DtTime& other) const {
        if (seconds != other.seconds) {
            return seconds <=> other.seconds;
        }
        return nanoseconds <=> other.nanoseconds;
    }
    bool operator==(const DtTime& other) const { return (*this <=> other) == 0; }
};

// "%s" the value as it stands, "%d" its line of the log.
inline constexpr std::string_view kInvalidTimeMessage =
    "'%s' on line %d is not a valid time (YYYY-MM-DD HH:MM:SS, YYYY/MM/DD HH:MM:SS, or "
    "HH:MM:SS with the log's date)";
inline constexpr std::string_view kInvalidDateMessage = "'%s' is not a valid date (YYYY-MM-DD)";

[[nodiscard]] Error InvalidTimeError(std::string_view text, std::size_t line);

// "YYYY-MM-DD" as days since 0001-01-01; unset for any other text or a day that does not
// exist.
std::optional<std::int64_t> ParseDtDate(std::string_view text);
// "+HH:MM" or "-HH:MM" (or "+HH") as minutes east of UTC; unset for any other text.
std::optional<int> ParseUtcOffset(std::string_view text);

// A time as xsd:dateTime, "2026-12-09T08:30:00.25": local with no zone, or with an offset in
// minutes east of UTC turned into UTC and marked "Z".
void AppendXsdDateTime(std::string& out, DtTime time, std::optional<int> utcOffsetMinutes);

// The times of a log's records. Reading it checks every value at once, so that a bad one
// stops a conversion before anything is written, and finds where times of day pass
// midnight: a time of day more than twelve hours earlier than the one before begins the next
// day.
class DtTimeline {
  public:
    // Throws kInvalidTimeMessage for the first value that is no time (a time of day without
    // a date included), kInvalidDateMessage for a date that is none.
    DtTimeline(const DtTextFile& file, const DtTimeOptions& options);

    DtTime At(std::size_t record) const;
    void AppendText(std::string& out, DtTime time) const;
    std::string Text(std::size_t record) const;

  private:
    const DtTextFile& file_;
    std::size_t column_;
    std::optional<std::int64_t> day_;  // of times of day
    std::optional<int> utcOffsetMinutes_;
    std::vector<std::size_t> nextDays_;  // the records where a new day begins
};

}  // namespace orvane
