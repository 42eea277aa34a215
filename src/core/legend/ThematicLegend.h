#pragma once

// The thematic legend: how the value of a theme field picks the colour of a feature, either
// one colour per distinct value (classification) or one colour per value range (grading).

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

enum class LegendKind { Classification, Grading };

// The codes are the item positions of the boundary radio group; any other code (no item
// selected) puts no value in any range.
enum class BoundaryMode : int { LeftInclusive = 0, RightInclusive = 1, BothInclusive = 2 };

// One legend row. Colours are colour numbers (0x00BBGGRR) as decimal text; bounds are texts
// as the user typed them, parsed only when the legend is used.
struct LegendEntry {
    std::string color;
    std::string value;  // classification only
    std::string left;   // grading only
    std::string right;  // grading only

    bool operator==(const LegendEntry&) const = default;
};

inline constexpr int NoEntry = -9999;
inline constexpr size_t MaxClassCount = 16;
inline constexpr int MinGradeCount = 2;
inline constexpr int MaxGradeCount = 100;
inline constexpr int DefaultGradeCount = 4;
inline constexpr double InitialMinimum = 2147483647.0;
inline constexpr double InitialMaximum = -2147483647.0;

inline constexpr std::array<std::int32_t, 27> DefaultPalette = {
    65280,    16711680, 65535,   255,      16776960, 16711935, 8454143,  8453888, 16777088,
    16744576, 8388863,  4227327, 12632256, 0,        128,      32896,    32768,   8421376,
    8388608,  8388736,  4227200, 4210688,  16744448, 8404992,  16711744, 16512,   8421504,
};

// Decimal text of palette colour i mod 27.
std::string PaletteColor(size_t index);

// The two sources' tests of whether a theme value counts as a number.
using NumberTest = bool (*)(std::string_view value);
// Drive-test logs: the value parses and is not -999999 (a text that does not parse counts
// as -999999).
bool DtNumberTest(std::string_view value);
// CQT worksheets: the trimmed text is the general number text of its own value, so 1.5
// passes and 1.50, +1 and 007 do not.
bool CqtNumberTest(std::string_view value);

// The text order of theme values: byte order with ASCII letters compared in one case, so
// that 10 sorts before 9 and abc equals ABC. Ordering and matching both use it.
int CompareIgnoringCase(std::string_view a, std::string_view b);

struct ThemeFieldScan {
    std::vector<std::string> distinctValues;  // text order, each value once in its first form
    // How often each distinct value occurs (letter case folded), when the scan read them all.
    std::vector<std::int64_t> valueCounts;
    bool canClassify = true;
    bool canGrade = true;
    double minimum = InitialMinimum;
    double maximum = InitialMaximum;
};

// Takes theme values one by one in record order; Add answers false once neither kind of
// legend is possible any more, so that the caller can stop reading.
class ThemeFieldScanner {
  public:
    explicit ThemeFieldScanner(NumberTest test);
    ~ThemeFieldScanner();
    ThemeFieldScanner(const ThemeFieldScanner&) = delete;
    ThemeFieldScanner& operator=(const ThemeFieldScanner&) = delete;

    bool Add(std::string_view value);
    // The scan of the values added; call once.
    ThemeFieldScan Finish();

  private:
    struct DistinctSet;
    NumberTest test_;
    ThemeFieldScan scan_;
    std::unique_ptr<DistinctSet> distinct_;
};

template <typename Values>
ThemeFieldScan ScanThemeField(const Values& values, NumberTest test) {
    ThemeFieldScanner scanner(test);
    for (const auto& value : values) {
        if (!scanner.Add(std::string_view(value))) {
            break;
        }
    }
    return scanner.Finish();
}

std::vector<LegendEntry> FillClassification(const ThemeFieldScan& scan);
// gradeCount is held within 2 to 100.
std::vector<LegendEntry> ComputeDefaultGrading(const ThemeFieldScan& scan, int gradeCount);

// Two-decimal rounding of the default grading (ties to even).
double RoundToHundredths(double value);

// Position of the value in the scan's distinct values, ignoring letter case; -1 if absent.
int FindClassEntry(const ThemeFieldScan& scan, std::string_view value);

struct GradeRange {
    double left = 0;
    double right = 0;
};

bool RangeHolds(const GradeRange& range, BoundaryMode mode, double value);
// The first range that holds the value, or NoEntry.
int FindGradeEntry(std::span<const GradeRange> ranges, BoundaryMode mode, double value);
// Throws "'%s' is not a valid floating point value" for a value that is no number.
int FindGradeEntry(std::span<const GradeRange> ranges, BoundaryMode mode, std::string_view value);

struct ThematicLegend {
    LegendKind kind = LegendKind::Grading;
    std::vector<LegendEntry> classEntries;
    std::vector<LegendEntry> gradeEntries;
    int gradeCount = DefaultGradeCount;
    BoundaryMode boundaryMode = BoundaryMode::LeftInclusive;
    ThemeFieldScan scan;
};

// The colour texts of the entries of the legend's kind, in entry order: style i is entry i.
std::vector<std::string> LegendColors(const ThematicLegend& legend);
// The grading bounds as numbers; throws "'%s' is not a valid floating point value".
std::vector<GradeRange> LegendRanges(const ThematicLegend& legend);

}  // namespace orvane
