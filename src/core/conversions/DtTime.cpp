#include "conversions/DtTime.h"

#include <algorithm>

#include "common/Kml_baseclass.h"
#include "conversions/Dt2kml.h"
#include "conversions/DtTextFile.h"

namespace orvane {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr int kHalfDay = 43200;  // seconds
constexpr int kMaxFractionDigits = 9;
constexpr std::uint32_t kPowersOfTen[] = {1,      10,      100,      1000,      10000,
                                          100000, 1000000, 10000000, 100000000, 1000000000};

// Days since 0001-01-01 of a day of the Gregorian calendar, and back (the calendar's era
// arithmetic: a 400-year era is 146097 days).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 306;
}

struct CivilDay {
    std::int64_t year;
    unsigned month;
    unsigned day;
};

CivilDay CivilFromDays(std::int64_t days) {
    days += 306;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
    const unsigned day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const unsigned month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    return {static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

bool IsLeapYear(std::int64_t year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

unsigned DaysInMonth(std::int64_t year, unsigned month) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Reads a value from its start.
class TimeText {
  public:
    explicit TimeText(std::string_view text) : rest_(text) {}

    bool AtEnd() const { return rest_.empty(); }
    bool Take(char c) {
        if (rest_.empty() || rest_.front() != c) {
            return false;
        }
        rest_.remove_prefix(1);
        return true;
    }
    // Some blanks.
    bool TakeBlanks() {
        const size_t count = std::min(rest_.find_first_not_of(' '), rest_.size());
        rest_.remove_prefix(count);
        return count > 0;
    }
    // From `least` to `most` digits: their number and its count of digits.
    std::optional<int> Number(size_t least, size_t most, size_t* count = nullptr) {
        int value = 0;
        size_t digits = 0;
        while (digits < most && digits < rest_.size() && rest_[digits] >= '0' &&
               rest_[digits] <= '9') {
            value = value * 10 + (rest_[digits] - '0');
            ++digits;
        }
        if (digits < least) {
            return std::nullopt;
        }
        rest_.remove_prefix(digits);
        if (count != nullptr) {
            *count = digits;
        }
        return value;
    }

  private:
    std::string_view rest_;
};

// "YYYY-MM-DD" with the separator given; month and day of one or two digits.
std::optional<std::int64_t> ReadDate(TimeText& text, char separator) {
    const auto year = text.Number(4, 4);
    if (!year || !text.Take(separator)) {
        return std::nullopt;
    }
    const auto month = text.Number(1, 2);
    if (!month || *month < 1 || *month > 12 || !text.Take(separator)) {
        return std::nullopt;
    }
    const auto day = text.Number(1, 2);
    if (!day || *day < 1 || static_cast<unsigned>(*day) > DaysInMonth(*year, *month)) {
        return std::nullopt;
    }
    return DaysFromCivil(*year, static_cast<unsigned>(*month), static_cast<unsigned>(*day));
}

struct TimeOfDay {
    int seconds = 0;
    std::uint32_t nanoseconds = 0;
    std::uint8_t fractionDigits = 0;
};

// "HH:MM:SS" with an optional fraction ".f" of up to nine digits; the hour may have one digit.
std::optional<TimeOfDay> ReadTimeOfDay(TimeText& text) {
    const auto hour = text.Number(1, 2);
    if (!hour || *hour > 23 || !text.Take(':')) {
        return std::nullopt;
    }
    const auto minute = text.Number(2, 2);
    if (!minute || *minute > 59 || !text.Take(':')) {
        return std::nullopt;
    }
    const auto second = text.Number(2, 2);
    if (!second || *second > 59) {
        return std::nullopt;
    }
    TimeOfDay time{.seconds = (*hour * 60 + *minute) * 60 + *second};
    if (text.Take('.')) {
        size_t digits = 0;
        const auto fraction = text.Number(1, kMaxFractionDigits, &digits);
        if (!fraction) {
            return std::nullopt;
        }
        time.fractionDigits = static_cast<std::uint8_t>(digits);
        time.nanoseconds =
            static_cast<std::uint32_t>(*fraction) * kPowersOfTen[kMaxFractionDigits - digits];
    }
    return time;
}

// A value as it stands in the log: its day when it carries one, and its time of day.
struct TimeValue {
    std::optional<std::int64_t> day;
    TimeOfDay time;
};

std::optional<TimeValue> ReadTimeValue(std::string_view field) {
    const std::string_view trimmed = Trim(field);
    TimeValue value;
    // A date begins with four digits and a separator; a time of day has its colon sooner.
    TimeText text(trimmed);
    if (trimmed.size() > 4 && (trimmed[4] == '-' || trimmed[4] == '/')) {
        value.day = ReadDate(text, trimmed[4]);
        if (!value.day || !text.TakeBlanks()) {
            return std::nullopt;
        }
    }
    const auto time = ReadTimeOfDay(text);
    if (!time || !text.AtEnd()) {
        return std::nullopt;
    }
    value.time = *time;
    return value;
}

void AppendDigits(std::string& out, std::int64_t value, int width) {
    char digits[20];
    int count = 0;
    auto rest = static_cast<std::uint64_t>(value < 0 ? -value : value);
    do {
        digits[count++] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (value < 0) {
        out += '-';
    }
    out.append(static_cast<size_t>(std::max(0, width - count)), '0');
    while (count > 0) {
        out += digits[--count];
    }
}

std::string Substituted(std::string_view pattern, std::string_view text, std::size_t line) {
    std::string message(pattern);
    if (const size_t at = message.find("%s"); at != std::string::npos) {
        message.replace(at, 2, text);
        if (const size_t number = message.find("%d", at + text.size());
            number != std::string::npos) {
            message.replace(number, 2, std::to_string(line));
        }
    }
    return message;
}

}  // namespace

Error InvalidTimeError(std::string_view text, std::size_t line) {
    return Error(Substituted(kInvalidTimeMessage, text, line));
}

std::optional<std::int64_t> ParseDtDate(std::string_view text) {
    TimeText reader(text);
    const auto day = ReadDate(reader, '-');
    return day && reader.AtEnd() ? day : std::nullopt;
}

std::optional<int> ParseUtcOffset(std::string_view text) {
    TimeText reader(text);
    const int sign = reader.Take('-') ? -1 : (reader.Take('+') ? 1 : 0);
    const auto hours = reader.Number(2, 2);
    if (sign == 0 || !hours) {
        return std::nullopt;
    }
    int minutes = 0;
    if (reader.Take(':')) {
        const auto given = reader.Number(2, 2);
        if (!given || *given > 59) {
            return std::nullopt;
        }
        minutes = *given;
    }
    if (!reader.AtEnd()) {
        return std::nullopt;
    }
    return sign * (*hours * 60 + minutes);
}

void AppendXsdDateTime(std::string& out, DtTime time, std::optional<int> utcOffsetMinutes) {
    std::int64_t seconds = time.seconds - std::int64_t{utcOffsetMinutes.value_or(0)} * 60;
    std::int64_t days = seconds / kSecondsPerDay;
    std::int64_t ofDay = seconds % kSecondsPerDay;
    if (ofDay < 0) {
        ofDay += kSecondsPerDay;
        --days;
    }
    const CivilDay civil = CivilFromDays(days);
    AppendDigits(out, civil.year, 4);
    out += '-';
    AppendDigits(out, civil.month, 2);
    out += '-';
    AppendDigits(out, civil.day, 2);
    out += 'T';
    AppendDigits(out, ofDay / 3600, 2);
    out += ':';
    AppendDigits(out, ofDay / 60 % 60, 2);
    out += ':';
    AppendDigits(out, ofDay % 60, 2);
    if (time.fractionDigits > 0) {
        out += '.';
        AppendDigits(out, time.nanoseconds / kPowersOfTen[kMaxFractionDigits - time.fractionDigits],
                     time.fractionDigits);
    }
    if (utcOffsetMinutes) {
        out += 'Z';
    }
}

DtTimeline::DtTimeline(const DtTextFile& file, const DtTimeOptions& options)
    : file_(file),
      column_(static_cast<size_t>(std::max(options.column, 0))),
      utcOffsetMinutes_(options.utcOffsetMinutes) {
    if (!options.date.empty()) {
        day_ = ParseDtDate(options.date);
        if (!day_) {
            throw Error(Substituted(kInvalidDateMessage, options.date, 0));
        }
    }
    std::optional<int> lastTimeOfDay;
    for (size_t record = 0; record < file.RecordCount(); ++record) {
        const std::string_view field = file.Field(record, column_);
        const auto value = ReadTimeValue(field);
        if (!value || (!value->day && !day_)) {
            throw InvalidTimeError(field, record + 2);
        }
        if (value->day) {
            continue;
        }
        if (lastTimeOfDay && value->time.seconds < *lastTimeOfDay - kHalfDay) {
            nextDays_.push_back(record);
        }
        lastTimeOfDay = value->time.seconds;
    }
}

DtTime DtTimeline::At(std::size_t record) const {
    const TimeValue value = *ReadTimeValue(file_.Field(record, column_));
    std::int64_t day = 0;
    if (value.day) {
        day = *value.day;
    } else {
        const auto passed = std::upper_bound(nextDays_.begin(), nextDays_.end(), record);
        day = *day_ + (passed - nextDays_.begin());
    }
    return {.seconds = day * kSecondsPerDay + value.time.seconds,
            .nanoseconds = value.time.nanoseconds,
            .fractionDigits = value.time.fractionDigits};
}

void DtTimeline::AppendText(std::string& out, DtTime time) const {
    AppendXsdDateTime(out, time, utcOffsetMinutes_);
}

std::string DtTimeline::Text(std::size_t record) const {
    std::string text;
    AppendText(text, At(record));
    return text;
}

}  // namespace orvane
