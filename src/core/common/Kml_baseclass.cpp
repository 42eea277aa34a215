#include "common/Kml_baseclass.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include "common/Errors.h"

namespace orvane {

// ---- Number text -------------------------------------------------------------------------

namespace {

constexpr int kSignificantDigits = 15;

// The decimal digits (without trailing zeros) and exponent of |value| rounded to 15
// significant digits: value = 0.d1d2d3... x 10^(exponent + 1).
struct DecimalDigits {
    char digits[24];
    int count = 0;
    int exponent = 0;
};

// Reads std::to_chars scientific output "d.ddde+XX" (without a sign) into digits.
void ReadScientific(const char* first, const char* last, DecimalDigits& d) {
    d.count = 0;
    const char* p = first;
    for (; p != last && *p != 'e'; ++p) {
        if (*p != '.') {
            d.digits[d.count++] = *p;
        }
    }
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), last, exponent);
    d.exponent = exponent;
    while (d.count > 1 && d.digits[d.count - 1] == '0') {
        --d.count;
    }
}

// Rounds digits beyond the 15th away, half up, carrying into a new leading digit if needed.
void RoundDigitsTo15(DecimalDigits& d) {
    const bool roundUp = d.digits[kSignificantDigits] >= '5';
    d.count = kSignificantDigits;
    if (roundUp) {
        int i = kSignificantDigits - 1;
        while (i >= 0 && d.digits[i] == '9') {
            d.digits[i--] = '0';
        }
        if (i < 0) {
            d.digits[0] = '1';
            d.count = 1;
            ++d.exponent;
        } else {
            ++d.digits[i];
        }
    }
    while (d.count > 1 && d.digits[d.count - 1] == '0') {
        --d.count;
    }
}

DecimalDigits RoundTo15Digits(double magnitude) {
    DecimalDigits d;
    char buffer[40];
    // Start from the shortest text that reads back as the same double (fast). With at most
    // 15 digits it is the rounded value itself. With more, rounding its digits gives the
    // same result as rounding the exact value, except when the shortest text is itself
    // the midpoint (16 digits ending in 5): no other 16-digit text lies nearer the value,
    // so no midpoint can separate the two. Subnormal numbers have too few bits for this.
    if (magnitude >= std::numeric_limits<double>::min()) {
        const auto shortest =
            std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific);
        ReadScientific(buffer, shortest.ptr, d);
        if (d.count <= kSignificantDigits) {
            return d;
        }
        const bool midpoint =
            d.count == kSignificantDigits + 1 && d.digits[kSignificantDigits] == '5';
        if (!midpoint) {
            RoundDigitsTo15(d);
            return d;
        }
    }
    const auto rounded = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                       std::chars_format::scientific, kSignificantDigits - 1);
    ReadScientific(buffer, rounded.ptr, d);
    return d;
}

void AppendFixed(std::string& out, const DecimalDigits& d) {
    if (d.exponent < 0) {
        out += "0.";
        out.append(static_cast<size_t>(-d.exponent - 1), '0');
        out.append(d.digits, static_cast<size_t>(d.count));
        return;
    }
    const int integerDigits = d.exponent + 1;
    if (d.count <= integerDigits) {
        out.append(d.digits, static_cast<size_t>(d.count));
        out.append(static_cast<size_t>(integerDigits - d.count), '0');
        return;
    }
    out.append(d.digits, static_cast<size_t>(integerDigits));
    out += '.';
    out.append(d.digits + integerDigits, static_cast<size_t>(d.count - integerDigits));
}

void AppendScientific(std::string& out, const DecimalDigits& d) {
    out += d.digits[0];
    if (d.count > 1) {
        out += '.';
        out.append(d.digits + 1, static_cast<size_t>(d.count - 1));
    }
    out += 'E';
    char buffer[8];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, d.exponent).ptr;
    out.append(buffer, end);
}

// Fixed-notation text of 1E-4 <= magnitude < 1E15, the range of every coordinate, by exact
// integer arithmetic: magnitude = mantissa x 2^exponent, so magnitude x 10^decimals is
// computed without error and rounded to the nearest integer of 15 digits (ties to even, as
// correct rounding does). False where that integer would not have 15 digits (a rounding
// carry into a new digit, or a magnitude outside the range); the general path writes those.
// Writes the two digits of 0 <= value < 100 at `to`.
inline void WritePair(char* to, std::uint32_t value) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    std::memcpy(to, kPairs + value * 2, 2);
}

// Writes the eight digits of 0 <= value < 10^8 at `to`.
inline void WriteEightDigits(char* to, std::uint32_t value) {
    const std::uint32_t high = value / 10000;
    const std::uint32_t low = value % 10000;
    WritePair(to, high / 100);
    WritePair(to + 2, high % 100);
    WritePair(to + 4, low / 100);
    WritePair(to + 6, low % 100);
}

bool AppendFixedExactly(std::string& out, double magnitude) {
    static constexpr double kPowers[] = {1e-4, 1e-3, 1e-2, 1e-1, 1e0,  1e1, 1e2,
                                         1e3,  1e4,  1e5,  1e6,  1e7,  1e8, 1e9,
                                         1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    static constexpr std::uint64_t kScales[] = {1,
                                                10,
                                                100,
                                                1'000,
                                                10'000,
                                                100'000,
                                                1'000'000,
                                                10'000'000,
                                                100'000'000,
                                                1'000'000'000,
                                                10'000'000'000,
                                                100'000'000'000,
                                                1'000'000'000'000,
                                                10'000'000'000'000,
                                                100'000'000'000'000,
                                                1'000'000'000'000'000,
                                                10'000'000'000'000'000,
                                                100'000'000'000'000'000,
                                                1'000'000'000'000'000'000};
    static constexpr std::uint64_t kLowest15Digits = 100'000'000'000'000;
    if (!(magnitude >= 1e-4 && magnitude < 1e15)) {
        return false;
    }
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const int binaryExponent = static_cast<int>(bits >> 52) - 1023;  // -14 ... 49
    // Integer digits (-3 for 0.0001...0.001, 1 for 1...10): the binary exponent tells it to
    // within one (1233 / 4096 is just above log10(2)), one comparison settles it.
    int integerDigits = ((binaryExponent * 1233) >> 12) + 1;
    if (integerDigits < -3) {
        integerDigits = -3;
    }
    if (magnitude >= kPowers[integerDigits + 4]) {
        ++integerDigits;
    }
    const int shift = 52 - binaryExponent;  // from 3 (below 1E15) to 66 (1E-4)
    const std::uint64_t mantissa =
        (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const unsigned __int128 scaled =
        static_cast<unsigned __int128>(mantissa) * kScales[kSignificantDigits - integerDigits];
    std::uint64_t rounded = static_cast<std::uint64_t>(scaled >> shift);
    const unsigned __int128 remainder = scaled & ((static_cast<unsigned __int128>(1) << shift) - 1);
    const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
    if (remainder > half || (remainder == half && (rounded & 1) != 0)) {
        ++rounded;
    }
    // The powers below 1 are not exact doubles: a magnitude next to one of them may have been
    // given one digit too many or too few, which shows here.
    if (rounded < kLowest15Digits || rounded >= 10 * kLowest15Digits) {
        return false;
    }
    // The 15 digits: the first seven, then eight.
    char digits[16];
    const auto first = static_cast<std::uint32_t>(rounded / 100'000'000);
    digits[0] = static_cast<char>('0' + first / 1'000'000);
    WritePair(digits + 1, first / 10'000 % 100);
    WritePair(digits + 3, first / 100 % 100);
    WritePair(digits + 5, first % 100);
    WriteEightDigits(digits + 7, static_cast<std::uint32_t>(rounded % 100'000'000));
    int count = kSignificantDigits;
    while (digits[count - 1] == '0') {
        --count;
    }
    // The text laid out around them.
    char text[40];
    char* p = text;
    if (integerDigits <= 0) {
        std::memcpy(p, "0.000", 5);
        p += 2 - integerDigits;
        std::memcpy(p, digits, 16);
        p += count;
    } else {
        std::memcpy(p, digits, 16);
        p += integerDigits;
        if (count > integerDigits) {
            std::memmove(p + 1, p, static_cast<size_t>(count - integerDigits));
            *p = '.';
            p += 1 + count - integerDigits;
        }
    }
    out.append(text, static_cast<size_t>(p - text));
    return true;
}

}  // namespace

void AppendNumber(std::string& out, double value) {
    if (std::isnan(value)) {
        out += "NAN";
        return;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "-INF" : "INF";
        return;
    }
    if (value == 0) {
        out += '0';
        return;
    }
    if (value < 0) {
        out += '-';
        value = -value;
    }
    if (AppendFixedExactly(out, value)) {
        return;
    }
    const DecimalDigits d = RoundTo15Digits(value);
    if (d.exponent >= -4 && d.exponent < 15) {
        AppendFixed(out, d);
    } else {
        AppendScientific(out, d);
    }
}

void AppendRoundedNumber(std::string& out, double value, int digits) {
    if (!(std::abs(value) < 1e15)) {
        AppendNumber(out, value);
        return;
    }
    char text[48];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, digits);
    std::string_view rounded(text, static_cast<size_t>(result.ptr - text));
    while (rounded.ends_with('0')) {
        rounded.remove_suffix(1);
    }
    if (rounded.ends_with('.')) {
        rounded.remove_suffix(1);
    }
    out += rounded == "-0" ? std::string_view("0") : rounded;
}

std::string FormatNumber(double value) {
    std::string s;
    AppendNumber(s, value);
    return s;
}

namespace {

constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

size_t SkipSpaces(std::string_view text, size_t i) {
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    return i;
}

size_t SkipDigits(std::string_view text, size_t i) {
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
    }
    return i;
}

}  // namespace

std::optional<double> TryParseNumber(std::string_view text) {
    size_t i = SkipSpaces(text, 0);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const size_t mantissaBegin = i;
    i = SkipDigits(text, i);
    const bool hasIntegerDigits = i > mantissaBegin;
    bool hasPoint = false;
    size_t fractionDigits = 0;
    if (i < text.size() && text[i] == '.') {
        hasPoint = true;
        const size_t fractionBegin = ++i;
        i = SkipDigits(text, i);
        fractionDigits = i - fractionBegin;
    }
    if (!hasIntegerDigits && !hasPoint) {
        return std::nullopt;
    }
    const size_t mantissaEnd = i;
    size_t exponentEnd = i;  // the end of what from_chars reads
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        const size_t exponentDigitsBegin = j;
        j = SkipDigits(text, j);
        if (j > exponentDigitsBegin) {
            exponentEnd = j;
        }
        i = j;
    }
    if (SkipSpaces(text, i) != text.size()) {
        return std::nullopt;
    }
    if (!hasIntegerDigits && fractionDigits == 0) {
        return negative ? -0.0 : 0.0;  // a lone "." reads as 0
    }
    double value = 0;
    const char* first = text.data() + mantissaBegin;
    const char* last = text.data() + (exponentEnd > mantissaEnd ? exponentEnd : mantissaEnd);
    auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Underflow reads as 0; overflow is no number.
        const std::string_view exponentPart(text.data() + mantissaEnd, exponentEnd - mantissaEnd);
        if (exponentPart.size() > 1 && exponentPart[1] == '-') {
            value = 0;
        } else {
            return std::nullopt;
        }
    } else if (ec != std::errc() || ptr != last) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

double ParseNumber(std::string_view text) {
    if (auto value = TryParseNumber(text)) {
        return *value;
    }
    throw InvalidFloatError(text);
}

double ParseNumber(std::string_view text, double defaultValue) {
    return TryParseNumber(text).value_or(defaultValue);
}

std::optional<std::int32_t> TryParseInteger(std::string_view text) {
    size_t i = SkipSpaces(text, 0);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size()) {
        return std::nullopt;
    }
    std::uint64_t magnitude = 0;
    const char* last = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data() + i, last, magnitude, base);
    if (ec != std::errc() || ptr != last) {
        return std::nullopt;
    }
    const std::uint64_t limit = negative ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1;
    if (magnitude > limit) {
        return std::nullopt;
    }
    const auto signedValue = static_cast<std::int64_t>(magnitude);
    return static_cast<std::int32_t>(negative ? -signedValue : signedValue);
}

std::int32_t ParseInteger(std::string_view text) {
    if (auto value = TryParseInteger(text)) {
        return *value;
    }
    throw InvalidIntegerError(text);
}

// ---- Geometry ----------------------------------------------------------------------------

void AppendCoordinate(std::string& out, double longitude, double latitude, int digits) {
    if (digits > 0) {
        AppendRoundedNumber(out, longitude, digits);
        out += ',';
        AppendRoundedNumber(out, latitude, digits);
    } else {
        AppendNumber(out, longitude);
        out += ',';
        AppendNumber(out, latitude);
    }
    out += std::string_view(",0 ");
}

SectorShape MakeSectorShape(std::int32_t azimuth, double widthDegrees, double radiusDegrees) {
    constexpr double kDegreesToRadians = std::numbers::pi / 180;
    SectorShape shape;
    shape.fullCircle = azimuth == -1 || widthDegrees >= 360;
    double start = 0;
    double end = 360;
    if (!shape.fullCircle) {
        start = azimuth - widthDegrees * 0.5;
        end = azimuth + widthDegrees * 0.5;
    }
    // Half-degree steps are exact in binary, so counting steps gives the same bearings as
    // adding 0.5 repeatedly, bound included.
    for (int step = 0;; ++step) {
        const double bearing = start + step * 0.5;
        if (bearing > end) {
            break;
        }
        const double t = (450 - bearing) * kDegreesToRadians;
        shape.offsets.emplace_back(std::cos(t) * radiusDegrees, std::sin(t) * radiusDegrees);
    }
    return shape;
}

void AppendSectorRing(std::string& out, double longitude, double latitude, const SectorShape& shape,
                      double longitudeScale, int digits) {
    std::string centre;
    if (!shape.fullCircle) {
        AppendCoordinate(centre, longitude, latitude, digits);
        out += centre;
    }
    if (longitudeScale == 1) {
        for (const auto& [dx, dy] : shape.offsets) {
            AppendCoordinate(out, longitude + dx, latitude + dy, digits);
        }
    } else {
        for (const auto& [dx, dy] : shape.offsets) {
            AppendCoordinate(out, longitude + dx * longitudeScale, latitude + dy, digits);
        }
    }
    out += centre;
}

void AppendSectorRing(std::string& out, double longitude, double latitude, std::int32_t azimuth,
                      double radiusSeconds, int digits) {
    constexpr double kWidth = 45;
    AppendSectorRing(out, longitude, latitude,
                     MakeSectorShape(azimuth, kWidth, radiusSeconds * (1.0 / 3600)), 1, digits);
}

std::string SectorRing(double longitude, double latitude, std::int32_t azimuth,
                       double radiusSeconds) {
    std::string ring;
    AppendSectorRing(ring, longitude, latitude, azimuth, radiusSeconds);
    return ring;
}

double GeoDistance(double longitude1, double latitude1, double longitude2, double latitude2) {
    if (longitude1 == longitude2 && latitude1 == latitude2) {
        return 0;
    }
    constexpr double kDegreesToRadians = std::numbers::pi / 180;
    constexpr double a = 6378245;
    constexpr double b = 6356752.31424518;
    constexpr double f = (a - b) / a;
    const double l1 = longitude1 * kDegreesToRadians;
    const double p1 = latitude1 * kDegreesToRadians;
    const double l2 = longitude2 * kDegreesToRadians;
    const double p2 = latitude2 * kDegreesToRadians;
    const double sinP1 = std::sin(p1);
    const double sinP2 = std::sin(p2);
    const double cosSigma = std::cos(p1) * std::cos(p2) * std::cos(l2 - l1) + sinP1 * sinP2;
    // Points so close that the central angle rounds to 0 are the same point to the formula,
    // which would otherwise divide by 1 - cos(sigma) = 0.
    if (cosSigma >= 1) {
        return 0;
    }
    const double sigma = std::acos(std::max(cosSigma, -1.0));
    const double sinSigma = std::sin(sigma);
    const double cosOfSigma = std::cos(sigma);
    if (1 - cosOfSigma == 0) {
        return 0;
    }
    const double sum = sinP1 + sinP2;
    const double difference = sinP1 - sinP2;
    const double p =
        1 + cosOfSigma == 0 ? 0 : (3 * sinSigma - sigma) * sum * sum / (1 + cosOfSigma);
    const double q = (3 * sinSigma + sigma) * difference * difference / (1 - cosOfSigma);
    return a * sigma + a * f * 0.25 * (p - q);
}

// ---- Text tools --------------------------------------------------------------------------

std::string_view Trim(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsTrimmable(text[begin])) {
        ++begin;
    }
    while (end > begin && IsTrimmable(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

std::string_view CutToken(std::string_view& text, char separator) {
    const size_t p = text.find(separator);
    if (p == std::string_view::npos) {
        const std::string_view token = text;
        text = {};
        return token;
    }
    const std::string_view token = text.substr(0, p);
    text.remove_prefix(p + 1);
    return token;
}

std::string CutToken(std::string& text, char separator) {
    const size_t p = text.find(separator);
    if (p == std::string::npos) {
        std::string token = std::move(text);
        text.clear();
        return token;
    }
    std::string token = text.substr(0, p);
    text.erase(0, p + 1);
    return token;
}

std::string_view CutTrimmedToken(std::string_view& text, char separator) {
    text = Trim(text);
    return CutToken(text, separator);
}

std::string CutTrimmedToken(std::string& text, char separator) {
    std::string_view view = Trim(text);
    const std::string token(CutToken(view, separator));
    text = std::string(view);
    return token;
}

void SplitTabFields(std::string_view line, std::vector<std::string>& fields) {
    while (!line.empty()) {
        fields.emplace_back(CutToken(line, '\t'));
    }
}

std::string ColumnLetters(std::int32_t column) {
    // Letters as base 26 without a zero digit: A..Z, AA..ZZ, AAA..XFD (the last .xlsx
    // column). Past ZZ the old two-letter rule would have written characters after 'Z'.
    std::string letters;
    for (std::int64_t rest = std::int64_t{column} + 1; rest > 0; rest = (rest - 1) / 26) {
        letters.insert(letters.begin(), static_cast<char>('A' + (rest - 1) % 26));
    }
    return letters;
}

void IsNumberKey(char32_t& key) {
    const bool allowed =
        (key >= U'0' && key <= U'9') || key == U'+' || key == U'-' || key == U'.' || key == 8;
    if (!allowed) {
        key = 0;
    }
}

namespace {
// True when the first occurrence of c in the text is its last character.
bool FirstIsLast(std::string_view text, char c) {
    const size_t p = text.find(c);
    return p != std::string_view::npos && p + 1 == text.size();
}
}  // namespace

void CheckNumberCell(NumberCellTable& table, int column, int row, std::string_view text) {
    if (text.empty() || FirstIsLast(text, '+') || FirstIsLast(text, '-')) {
        return;
    }
    if (!TryParseNumber(text)) {
        table.SetCellText(column, row, "0");
    }
}

}  // namespace orvane
