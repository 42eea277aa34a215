#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>

#include "common/Errors.h"
#include "common/Kml_baseclass.h"

using namespace orvane;

TEST(FormatNumber, WritesTheExamplesOfGeneralNumberText) {
    EXPECT_EQ(FormatNumber(113.068899), "113.068899");
    EXPECT_EQ(FormatNumber(113.0), "113");
    EXPECT_EQ(FormatNumber(25.027777777777778), "25.0277777777778");
    EXPECT_EQ(FormatNumber(0.0001), "0.0001");
    EXPECT_EQ(FormatNumber(0.00001), "1E-5");
    EXPECT_EQ(FormatNumber(1.5e20), "1.5E20");
    EXPECT_EQ(FormatNumber(0), "0");
    EXPECT_EQ(FormatNumber(-0.0), "0");
    EXPECT_EQ(FormatNumber(-2.5), "-2.5");
    EXPECT_EQ(FormatNumber(0.5), "0.5");
}

TEST(FormatNumber, SwitchesNotationAtTheBoundaries) {
    EXPECT_EQ(FormatNumber(0.00012345), "0.00012345");
    EXPECT_EQ(FormatNumber(0.000099999), "9.9999E-5");
    EXPECT_EQ(FormatNumber(-0.00001), "-1E-5");
    EXPECT_EQ(FormatNumber(999999999999999.0), "999999999999999");
    EXPECT_EQ(FormatNumber(1e15), "1E15");
    EXPECT_EQ(FormatNumber(-1e15), "-1E15");
    EXPECT_EQ(FormatNumber(123456789012345678.0), "1.23456789012346E17");
    EXPECT_EQ(FormatNumber(1e100), "1E100");
    EXPECT_EQ(FormatNumber(2.5e-300), "2.5E-300");
    EXPECT_EQ(FormatNumber(5e-324), "4.94065645841247E-324");
}

TEST(FormatNumber, RoundsTo15SignificantDigits) {
    // Rounding can carry into a new digit and so into the other notation.
    EXPECT_EQ(FormatNumber(9.9999999999999995), "10");
    EXPECT_EQ(FormatNumber(0.99999999999999999), "1");
    EXPECT_EQ(FormatNumber(999999999999999.9), "1E15");
    EXPECT_EQ(FormatNumber(0.000099999999999999999), "0.0001");
    EXPECT_EQ(FormatNumber(0.1 + 0.2), "0.3");
    EXPECT_EQ(FormatNumber(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(FormatNumber(-2.0 / 3), "-0.666666666666667");
    EXPECT_EQ(FormatNumber(112.98936990465707), "112.989369904657");
    EXPECT_EQ(FormatNumber(100.0 / 3600), "0.0277777777777778");
}

// The text must equal what a correctly rounded "%.14E" gives, laid out by the rules.
std::string ReferenceText(double value) {
    if (value == 0) {
        return "0";
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14E", std::fabs(value));
    std::string digits;
    const char* p = buffer;
    for (; *p != 'E'; ++p) {
        if (*p != '.') {
            digits += *p;
        }
    }
    const int exponent = std::atoi(p + 1);
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    std::string text = value < 0 ? "-" : "";
    if (exponent >= -4 && exponent < 15) {
        if (exponent < 0) {
            text += "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
        } else if (digits.size() <= static_cast<size_t>(exponent) + 1) {
            text += digits + std::string(exponent + 1 - digits.size(), '0');
        } else {
            text += digits.substr(0, exponent + 1) + "." + digits.substr(exponent + 1);
        }
    } else {
        text += digits[0];
        if (digits.size() > 1) {
            text += '.';
            text.append(digits, 1);
        }
        text += 'E';
        text += std::to_string(exponent);
    }
    return text;
}

TEST(FormatNumber, AgreesWithCorrectRoundingAcrossMagnitudes) {
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    for (int exponent = -20; exponent <= 20; ++exponent) {
        for (int k = 0; k < 2000; ++k) {
            const double value = mantissa(random) * std::pow(10.0, exponent) * (k % 2 ? -1 : 1);
            ASSERT_EQ(FormatNumber(value), ReferenceText(value)) << value;
        }
    }
    // Coordinates with few digits and their neighbours.
    for (int k = 0; k < 20000; ++k) {
        const double value = std::round(mantissa(random) * 1e6) / 1e4;
        ASSERT_EQ(FormatNumber(value), ReferenceText(value));
        const double next = std::nextafter(value, 1e9);
        ASSERT_EQ(FormatNumber(next), ReferenceText(next));
    }
}

TEST(FormatNumber, AgreesWithCorrectRoundingForArbitraryDoubles) {
    std::mt19937_64 random(99);
    for (int k = 0; k < 200000; ++k) {
        const std::uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value)) {
            ASSERT_EQ(FormatNumber(value), ReferenceText(value)) << bits;
        }
    }
}

TEST(FormatNumber, RoundsExactTiesToEvenAndAgreesAcrossCoordinates) {
    // 117 + 1/8192 and 117 + 3/8192 are doubles that end exactly half way at digit 16.
    EXPECT_EQ(FormatNumber(117.0001220703125), "117.000122070312");
    EXPECT_EQ(FormatNumber(117.0003662109375), "117.000366210938");
    EXPECT_EQ(FormatNumber(-0.0001220703125), "-0.0001220703125");
    for (int k = 1; k < 8192 * 4; k += 2) {
        const double tie = 100 + k / 8192.0;
        ASSERT_EQ(FormatNumber(tie), ReferenceText(tie)) << k;
    }
    // Coordinates computed by the wedge geometry, and their neighbours.
    std::mt19937_64 random(2024);
    std::uniform_real_distribution<double> coordinate(-180.0, 180.0);
    for (int k = 0; k < 200000; ++k) {
        const double value = coordinate(random) / (k % 7 == 0 ? 1000 : 1);
        ASSERT_EQ(FormatNumber(value), ReferenceText(value)) << value;
        const double next = std::nextafter(value, 1e9);
        ASSERT_EQ(FormatNumber(next), ReferenceText(next)) << next;
    }
}

TEST(FormatNumber, WritesNonFiniteValues) {
    EXPECT_EQ(FormatNumber(std::nan("")), "NAN");
    EXPECT_EQ(FormatNumber(INFINITY), "INF");
    EXPECT_EQ(FormatNumber(-INFINITY), "-INF");
}

TEST(ParseNumber, AcceptsTheNumberForms) {
    EXPECT_EQ(ParseNumber("113.068899"), 113.068899);
    EXPECT_EQ(ParseNumber("  -2.5  "), -2.5);
    EXPECT_EQ(ParseNumber("+7"), 7);
    EXPECT_EQ(ParseNumber("1.5e3"), 1500);
    EXPECT_EQ(ParseNumber("1.5E-3"), 0.0015);
    EXPECT_EQ(ParseNumber("1e"), 1);  // an exponent without digits
    EXPECT_EQ(ParseNumber("2E+"), 2);
    EXPECT_EQ(ParseNumber("."), 0);
    EXPECT_EQ(ParseNumber(".5"), 0.5);
    EXPECT_EQ(ParseNumber("5."), 5);
    EXPECT_EQ(ParseNumber("1e-400"), 0);
}

TEST(ParseNumber, RejectsEverythingElse) {
    for (const char* text : {"", " ", "abc", "1,5", "\t1", "1\t", "1 2", "e5", "+", "-", "1e5x",
                             "--1", "1.2.3", "0x10", "1e999", "NAN", "INF"}) {
        EXPECT_FALSE(TryParseNumber(text).has_value()) << '"' << text << '"';
    }
    EXPECT_EQ(ParseNumber("abc", 0), 0);
    EXPECT_EQ(ParseNumber("", -1), -1);
    try {
        ParseNumber("12a");
        FAIL();
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "'12a' is not a valid floating point value");
    }
}

TEST(ParseInteger, ReadsDecimalAndHexadecimal) {
    EXPECT_EQ(ParseInteger("120"), 120);
    EXPECT_EQ(ParseInteger("  -30"), -30);
    EXPECT_EQ(ParseInteger("+5"), 5);
    EXPECT_EQ(ParseInteger("$FF"), 255);
    EXPECT_EQ(ParseInteger("0x10"), 16);
    EXPECT_EQ(ParseInteger("0Xff"), 255);
    EXPECT_EQ(ParseInteger("2147483647"), 2147483647);
    EXPECT_EQ(ParseInteger("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ParseInteger("-$10"), -16);
}

TEST(ParseInteger, RejectsTextsThatAreNoInteger) {
    for (const char* text : {"", " ", "1 ", "1.0", "2147483648", "-2147483649", "$", "0x",
                             "$FFFFFFFF", "abc", "1e3", "99999999999999999999", "- 1"}) {
        EXPECT_FALSE(TryParseInteger(text).has_value()) << '"' << text << '"';
    }
    try {
        ParseInteger(" 4 ");
        FAIL();
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "' 4 ' is not a valid integer value");
    }
}
