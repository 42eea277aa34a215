#include "legend/ThematicLegend.h"

#include <algorithm>
#include <cmath>

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

// The distinct values met so far in the order met, with an open-addressing index that
// finds a value ignoring letter case; a field of a million distinct values stays fast.
struct ThemeFieldScanner::DistinctSet {
    std::vector<std::string> values;
    std::vector<std::int64_t> counts;  // of each value, letter case folded
    std::vector<std::uint32_t> slots = std::vector<std::uint32_t>(64, kEmpty);

    static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;

    static std::uint64_t FoldedHash(std::string_view text) {
        std::uint64_t hash = 14695981039346656037ull;
        for (const char c : text) {
            hash = (hash ^ FoldCase(c)) * 1099511628211ull;
        }
        return hash ^ (hash >> 29);
    }

    // True when the value was new.
    bool Insert(std::string_view value) {
        const size_t mask = slots.size() - 1;
        for (size_t slot = FoldedHash(value) & mask;; slot = (slot + 1) & mask) {
            const std::uint32_t index = slots[slot];
            if (index == kEmpty) {
                slots[slot] = static_cast<std::uint32_t>(values.size());
                values.emplace_back(value);
                counts.push_back(1);
                if (values.size() * 2 > slots.size()) {
                    Grow();
                }
                return true;
            }
            const std::string& known = values[index];
            if (known.size() == value.size() && CompareIgnoringCase(known, value) == 0) {
                ++counts[index];
                return false;
            }
        }
    }

    void Grow() {
        slots.assign(slots.size() * 2, kEmpty);
        const size_t mask = slots.size() - 1;
        for (size_t index = 0; index < values.size(); ++index) {
            size_t slot = FoldedHash(values[index]) & mask;
            while (slots[slot] != kEmpty) {
                slot = (slot + 1) & mask;
            }
            slots[slot] = static_cast<std::uint32_t>(index);
        }
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
    std::vector<std::uint32_t> order(distinct_->values.size());
    for (std::uint32_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [this](std::uint32_t a, std::uint32_t b) {
        return CompareIgnoringCase(distinct_->values[a], distinct_->values[b]) < 0;
    });
    scan.distinctValues.reserve(order.size());
    scan.valueCounts.reserve(order.size());
    for (const std::uint32_t index : order) {
        scan.distinctValues.push_back(std::move(distinct_->values[index]));
        scan.valueCounts.push_back(distinct_->counts[index]);
    }
    *distinct_ = DistinctSet();
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
    if (!std::isfinite(hundredths)) {
        return value;  // beyond about 1.8E306 no value has hundredths to round
    }
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
    // Values that span more than the largest double (minimum near -1.8E308, maximum near
    // +1.8E308) weigh the two ends instead, so that no bound overflows.
    const bool spanOverflows = !std::isfinite(step);
    const auto bound = [&](int i) {
        if (spanOverflows) {
            return scan.minimum / count * (count - i) + scan.maximum / count * i;
        }
        return scan.minimum + i * step;
    };
    std::vector<LegendEntry> entries;
    entries.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        LegendEntry entry;
        entry.color = PaletteColor(static_cast<size_t>(i));
        entry.left = FormatNumber(RoundToHundredths(bound(i)));
        entry.right = FormatNumber(RoundToHundredths(bound(i + 1)));
        entries.push_back(std::move(entry));
    }
    // Rounding may move an outer bound inside the data: it then moves out by a hundredth,
    // so that every value of the scan has a colour.
    if (ParseNumber(entries.front().left) > scan.minimum) {
        entries.front().left =
            FormatNumber(RoundToHundredths(RoundToHundredths(scan.minimum) - 0.01));
    }
    if (ParseNumber(entries.back().right) < scan.maximum) {
        entries.back().right =
            FormatNumber(RoundToHundredths(RoundToHundredths(scan.maximum) + 0.01));
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
    if (ranges.empty()) {
        return NoEntry;
    }
    // The outermost ranges are closed at their outer ends: the first range under 右值 holds
    // its left bound, the last range under 左值 its right bound.
    if (mode == BoundaryMode::RightInclusive && value == ranges.front().left) {
        return 0;
    }
    for (size_t i = 0; i < ranges.size(); ++i) {
        if (RangeHolds(ranges[i], mode, value)) {
            return static_cast<int>(i);
        }
    }
    if (mode == BoundaryMode::LeftInclusive && value == ranges.back().right) {
        return static_cast<int>(ranges.size() - 1);
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
