#include "legend/ThematicLegend.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <unordered_set>

#include "common/Kml_baseclass.h"

namespace orvane {

namespace {

constexpr unsigned char FoldCase(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

constexpr double kNoNumber = -999999.0;

}  // namespace

std::string PaletteColor(size_t index) {
    return std::to_string(DefaultPalette[index % DefaultPalette.size()]);
}

bool DtNumberTest(std::string_view value) {
    const double number = TryParseNumber(value).value_or(kNoNumber);
    // Only a number close to the marker can share its general number text.
    if (std::fabs(number - kNoNumber) >= 1.0) {
        return true;
    }
    return FormatNumber(number) != "-999999";
}

bool CqtNumberTest(std::string_view value) {
    return Trim(value) == FormatNumber(TryParseNumber(value).value_or(kNoNumber));
}

int CompareIgnoringCase(std::string_view a, std::string_view b) {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const unsigned char x = FoldCase(a[i]);
        const unsigned char y = FoldCase(b[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

// The distinct values met so far, looked up ignoring letter case. The values live in a
// deque so that the views in the set stay valid while it grows.
struct ThemeFieldScanner::DistinctSet {
    struct FoldedHash {
        size_t operator()(std::string_view text) const {
            std::uint64_t hash = 14695981039346656037ull;
            for (const char c : text) {
                hash = (hash ^ FoldCase(c)) * 1099511628211ull;
            }
            return static_cast<size_t>(hash);
        }
    };
    struct FoldedEqual {
        bool operator()(std::string_view a, std::string_view b) const {
            return a.size() == b.size() && CompareIgnoringCase(a, b) == 0;
        }
    };

    std::deque<std::string> values;
    std::unordered_set<std::string_view, FoldedHash, FoldedEqual> index;

    // True when the value was new.
    bool Insert(std::string_view value) {
        if (index.contains(value)) {
            return false;
        }
        index.insert(values.emplace_back(value));
        return true;
    }
};

ThemeFieldScanner::ThemeFieldScanner(NumberTest test)
    : test_(test), distinct_(std::make_unique<DistinctSet>()) {}

ThemeFieldScanner::~ThemeFieldScanner() = default;

bool ThemeFieldScanner::Add(std::string_view value) {
    if (distinct_->Insert(value) && distinct_->values.size() > MaxClassCount) {
        scan_.canClassify = false;
    }
    if (scan_.canGrade && !test_(value)) {
        scan_.canGrade = false;
    }
    return scan_.canClassify || scan_.canGrade;
}

ThemeFieldScan ThemeFieldScanner::Finish() {
    ThemeFieldScan scan = scan_;
    distinct_->index.clear();
    scan.distinctValues.assign(std::make_move_iterator(distinct_->values.begin()),
                               std::make_move_iterator(distinct_->values.end()));
    distinct_->values.clear();
    std::sort(
        scan.distinctValues.begin(), scan.distinctValues.end(),
        [](const std::string& a, const std::string& b) { return CompareIgnoringCase(a, b) < 0; });
    if (scan.canGrade) {
        for (const std::string& value : scan.distinctValues) {
            const double number = ParseNumber(value);
            if (number < scan.minimum) {
                scan.minimum = number;
            }
            if (number > scan.maximum) {
                scan.maximum = number;
            }
        }
    }
    return scan;
}

std::vector<LegendEntry> FillClassification(const ThemeFieldScan& scan) {
    std::vector<LegendEntry> entries;
    entries.reserve(scan.distinctValues.size());
    for (size_t i = 0; i < scan.distinctValues.size(); ++i) {
        LegendEntry entry;
        entry.color = PaletteColor(i);
        entry.value = scan.distinctValues[i];
        entries.push_back(std::move(entry));
    }
    return entries;
}

double RoundToHundredths(double value) {
    const double hundredths = value / 0.01;
    double whole = std::floor(hundredths);
    const double fraction = hundredths - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) {
        whole += 1.0;
    }
    return whole * 0.01;
}

std::vector<LegendEntry> ComputeDefaultGrading(const ThemeFieldScan& scan, int gradeCount) {
    const int count = std::clamp(gradeCount, MinGradeCount, MaxGradeCount);
    const double step = (scan.maximum - scan.minimum) / count;
    std::vector<LegendEntry> entries;
    entries.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        LegendEntry entry;
        entry.color = PaletteColor(static_cast<size_t>(i));
        entry.left = FormatNumber(RoundToHundredths(scan.minimum + i * step));
        entry.right = FormatNumber(RoundToHundredths(scan.minimum + (i + 1) * step));
        entries.push_back(std::move(entry));
    }
    return entries;
}

int FindClassEntry(const ThemeFieldScan& scan, std::string_view value) {
    const auto& values = scan.distinctValues;
    const auto found = std::lower_bound(
        values.begin(), values.end(), value,
        [](const std::string& a, std::string_view b) { return CompareIgnoringCase(a, b) < 0; });
    if (found == values.end() || CompareIgnoringCase(*found, value) != 0) {
        return -1;
    }
    return static_cast<int>(found - values.begin());
}

bool RangeHolds(const GradeRange& range, BoundaryMode mode, double value) {
    switch (mode) {
        case BoundaryMode::LeftInclusive:
            return range.left <= value && value < range.right;
        case BoundaryMode::RightInclusive:
            return range.left < value && value <= range.right;
        case BoundaryMode::BothInclusive:
            return range.left <= value && value <= range.right;
    }
    return false;
}

int FindGradeEntry(std::span<const GradeRange> ranges, BoundaryMode mode, double value) {
    for (size_t i = 0; i < ranges.size(); ++i) {
        if (RangeHolds(ranges[i], mode, value)) {
            return static_cast<int>(i);
        }
    }
    return NoEntry;
}

int FindGradeEntry(std::span<const GradeRange> ranges, BoundaryMode mode, std::string_view value) {
    return FindGradeEntry(ranges, mode, ParseNumber(value));
}

std::vector<std::string> LegendColors(const ThematicLegend& legend) {
    const auto& entries =
        legend.kind == LegendKind::Classification ? legend.classEntries : legend.gradeEntries;
    std::vector<std::string> colors;
    colors.reserve(entries.size());
    for (const LegendEntry& entry : entries) {
        colors.push_back(entry.color);
    }
    return colors;
}

std::vector<GradeRange> LegendRanges(const ThematicLegend& legend) {
    std::vector<GradeRange> ranges;
    ranges.reserve(legend.gradeEntries.size());
    for (const LegendEntry& entry : legend.gradeEntries) {
        ranges.push_back({ParseNumber(entry.left), ParseNumber(entry.right)});
    }
    return ranges;
}

}  // namespace orvane
