#include <gtest/gtest.h>

#include "common/Errors.h"
#include "conversions/Dt2kml.h"
#include "conversions/DtTextFile.h"
#include "conversions/DtTime.h"

using namespace orvane;

namespace {

DtTextFile Log(const std::string& records) {
    return DtTextFile(TextLines("时间\t场强\r\n" + records));
}

std::vector<std::string> Times(const DtTextFile& log, DtTimeOptions options) {
    const DtTimeline timeline(log, options);
    std::vector<std::string> times;
    for (size_t record = 0; record < log.RecordCount(); ++record) {
        times.push_back(timeline.Text(record));
    }
    return times;
}

DtTimeOptions Options(std::string date, std::optional<int> utcOffsetMinutes = std::nullopt) {
    DtTimeOptions options;
    options.date = std::move(date);
    options.utcOffsetMinutes = utcOffsetMinutes;
    return options;
}

std::string Failure(const DtTextFile& log, DtTimeOptions options) {
    try {
        DtTimeline timeline(log, options);
    } catch (const Error& error) {
        return error.what();
    }
    return "no error";
}

}  // namespace

TEST(DtTime, WritesEachFormAsXsdDateTime) {
    const DtTextFile dated = Log("2026-12-09 08:30:00\t-70\r\n2026/12/9 8:30:01.250\t-71\r\n");
    EXPECT_EQ(Times(dated, {}),
              (std::vector<std::string>{"2026-12-09T08:30:00", "2026-12-09T08:30:01.250"}));
    // A zone east of UTC moves the times back, across midnight too.
    const DtTextFile early = Log("2026-12-09 05:00:00.5\t-70\r\n2026-03-01 07:59:59\t-70\r\n");
    EXPECT_EQ(Times(early, Options("", 480)),
              (std::vector<std::string>{"2026-12-08T21:00:00.5Z", "2026-02-28T23:59:59Z"}));
    EXPECT_EQ(Times(early, Options("", -330)).front(), "2026-12-09T10:30:00.5Z");
    // Times of day on the given day; a time far earlier than the one before is the next day,
    // a little earlier stays on the same day.
    const DtTextFile ofDay = Log("23:59:59.5\t-70\r\n00:00:01\t-71\r\n00:00:00\t-72\r\n");
    EXPECT_EQ(Times(ofDay, Options("2026-12-31")),
              (std::vector<std::string>{"2026-12-31T23:59:59.5", "2027-01-01T00:00:01",
                                        "2027-01-01T00:00:00"}));
    EXPECT_EQ(ParseUtcOffset("+08:00"), 480);
    EXPECT_EQ(ParseUtcOffset("-05"), -300);
    EXPECT_FALSE(ParseUtcOffset("08:00"));
    EXPECT_FALSE(ParseDtDate("2026-02-29"));
    EXPECT_TRUE(ParseDtDate("2024-02-29"));
}

TEST(DtTime, NamesTheLineAndTextOfTheFirstValueThatIsNoTime) {
    const std::string forms =
        " (YYYY-MM-DD HH:MM:SS, YYYY/MM/DD HH:MM:SS, or HH:MM:SS with the log's date)";
    const DtTextFile log = Log("2026-12-09 08:30:00\t-70\r\n2026-13-01 08:30:01\t-71\r\n\t-72\r\n");
    EXPECT_EQ(Failure(log, {}), "'2026-13-01 08:30:01' on line 3 is not a valid time" + forms);
    // A time of day needs the day; a second has at most 59 seconds.
    EXPECT_EQ(Failure(Log("08:30:00\t-70\r\n"), {}),
              "'08:30:00' on line 2 is not a valid time" + forms);
    EXPECT_EQ(Failure(Log("08:30:60\t-70\r\n"), Options("2026-12-09")),
              "'08:30:60' on line 2 is not a valid time" + forms);
    EXPECT_EQ(Failure(Log("08:30:00\t-70\r\n"), Options("2026-12-32")),
              "'2026-12-32' is not a valid date (YYYY-MM-DD)");
}
