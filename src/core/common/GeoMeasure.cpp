#include "common/GeoMeasure.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "common/Kml_baseclass.h"

namespace orvane {

namespace {

enum class Axis { Unknown, Longitude, Latitude };

struct Angle {
    double degrees = 0.0;
    Axis axis = Axis::Unknown;
};

class PositionScanner {
  public:
    explicit PositionScanner(std::string_view text) : rest_(text) {}

    bool AtEnd() {
        SkipSeparators();
        return rest_.empty();
    }

    std::optional<Angle> NextAngle() {
        SkipSeparators();
        Angle angle;
        double sign = 1.0;
        ReadHemisphere(angle.axis, sign);
        const std::optional<double> degrees = ReadNumber();
        if (!degrees) {
            return std::nullopt;
        }
        angle.degrees = *degrees;
        if (SkipMark(kDegreeMarks)) {
            if (!ReadPart(kMinuteMarks, angle.degrees, 60.0)) {
                return std::nullopt;
            }
            if (!ReadPart(kSecondMarks, angle.degrees, 3600.0)) {
                return std::nullopt;
            }
        }
        SkipSpaces();
        if (angle.axis == Axis::Unknown) {
            ReadHemisphere(angle.axis, sign);
        }
        angle.degrees *= sign;
        return angle;
    }

  private:
    static constexpr std::array<std::string_view, 4> kDegreeMarks = {"°", "º", "度", "d"};
    static constexpr std::array<std::string_view, 4> kMinuteMarks = {"'", "′", "分", "’"};
    static constexpr std::array<std::string_view, 5> kSecondMarks = {"\"", "″", "''", "秒", "”"};

    void SkipSpaces() {
        while (!rest_.empty() && (rest_.front() == ' ' || rest_.front() == '\t')) {
            rest_.remove_prefix(1);
        }
    }

    void SkipSeparators() {
        for (;;) {
            SkipSpaces();
            if (rest_.starts_with(',') || rest_.starts_with(';')) {
                rest_.remove_prefix(1);
            } else if (rest_.starts_with("，") || rest_.starts_with("；")) {
                rest_.remove_prefix(std::string_view("，").size());
            } else {
                return;
            }
        }
    }

    template <size_t N>
    bool SkipMark(const std::array<std::string_view, N>& marks) {
        SkipSpaces();
        for (const std::string_view mark : marks) {
            if (rest_.starts_with(mark)) {
                rest_.remove_prefix(mark.size());
                return true;
            }
        }
        return false;
    }

    // Minutes or seconds: a number followed by its mark; without the mark the number belongs
    // to the next angle. A part of 60 or more is no angle.
    template <size_t N>
    bool ReadPart(const std::array<std::string_view, N>& marks, double& degrees, double perDegree) {
        const std::string_view before = rest_;
        SkipSpaces();
        const std::optional<double> value = ReadNumber(false);
        if (!value || !SkipMark(marks)) {
            rest_ = before;
            return true;
        }
        if (*value < 0.0 || *value >= 60.0) {
            return false;
        }
        degrees += (degrees < 0.0 ? -*value : *value) / perDegree;
        return true;
    }

    std::optional<double> ReadNumber(bool signAllowed = true) {
        size_t length = 0;
        if (signAllowed && !rest_.empty() && (rest_[0] == '-' || rest_[0] == '+')) {
            ++length;
        }
        while (length < rest_.size() &&
               ((rest_[length] >= '0' && rest_[length] <= '9') || rest_[length] == '.')) {
            ++length;
        }
        std::string_view digits = rest_.substr(0, length);
        if (digits.starts_with('+')) {
            digits.remove_prefix(1);
        }
        double value = 0.0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error != std::errc() || end != digits.data() + digits.size()) {
            return std::nullopt;
        }
        rest_.remove_prefix(length);
        return value;
    }

    void ReadHemisphere(Axis& axis, double& sign) {
        if (rest_.empty()) {
            return;
        }
        switch (rest_.front()) {
            case 'E':
            case 'e':
                axis = Axis::Longitude;
                break;
            case 'W':
            case 'w':
                axis = Axis::Longitude;
                sign = -1.0;
                break;
            case 'N':
            case 'n':
                axis = Axis::Latitude;
                break;
            case 'S':
            case 's':
                axis = Axis::Latitude;
                sign = -1.0;
                break;
            default:
                return;
        }
        rest_.remove_prefix(1);
    }

    std::string_view rest_;
};

bool IsLongitude(double degrees) {
    return std::abs(degrees) <= 180.0;
}

bool IsLatitude(double degrees) {
    return std::abs(degrees) <= 90.0;
}

// Which of the two angles is the longitude: letters first, then ranges, then the order.
std::optional<GeoPosition> Assign(const Angle& first, const Angle& second) {
    const auto make = [](const Angle& longitude,
                         const Angle& latitude) -> std::optional<GeoPosition> {
        if (!IsLongitude(longitude.degrees) || !IsLatitude(latitude.degrees)) {
            return std::nullopt;
        }
        return GeoPosition{longitude.degrees, latitude.degrees};
    };
    if (first.axis == Axis::Latitude || second.axis == Axis::Longitude) {
        if (first.axis == Axis::Longitude || second.axis == Axis::Latitude) {
            return std::nullopt;
        }
        return make(second, first);
    }
    if (first.axis == Axis::Longitude || second.axis == Axis::Latitude) {
        return make(first, second);
    }
    if (!IsLatitude(second.degrees) && IsLatitude(first.degrees)) {
        return make(second, first);
    }
    return make(first, second);
}

}  // namespace

std::optional<GeoPosition> ParsePositionText(std::string_view text) {
    PositionScanner scanner(text);
    const std::optional<Angle> first = scanner.NextAngle();
    if (!first) {
        return std::nullopt;
    }
    const std::optional<Angle> second = scanner.NextAngle();
    if (!second || !scanner.AtEnd()) {
        return std::nullopt;
    }
    return Assign(*first, *second);
}

RulerLengths MeasureLegs(std::span<const GeoPosition> points) {
    RulerLengths lengths;
    for (size_t i = 1; i < points.size(); ++i) {
        const double leg = GeoDistance(points[i - 1].longitude, points[i - 1].latitude,
                                       points[i].longitude, points[i].latitude);
        lengths.legs.push_back(leg);
        lengths.total += leg;
    }
    return lengths;
}

std::string DistanceText(double metres) {
    char text[32];
    if (metres < 10.0) {
        std::snprintf(text, sizeof text, "%.1f m", metres);
    } else if (metres < 1000.0) {
        std::snprintf(text, sizeof text, "%.0f m", metres);
    } else {
        std::snprintf(text, sizeof text, "%.2f km", metres / 1000.0);
    }
    return text;
}

std::optional<std::size_t> NearestWithin(const ScreenPoint& click,
                                         std::span<const ScreenPoint> candidates,
                                         double tolerance) {
    std::optional<std::size_t> nearest;
    double best = tolerance;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const double distance = std::hypot(candidates[i].x - click.x, candidates[i].y - click.y);
        if (distance <= best) {
            best = distance;
            nearest = i;
        }
    }
    return nearest;
}

}  // namespace orvane
