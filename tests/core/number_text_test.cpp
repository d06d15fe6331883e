#include "core/number_text.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <iomanip>
#include <limits>
#include <random>
#include <vector>

namespace {

TEST(FormatFloat, Patterns) {
    struct Case {
        const char* pattern;
        double value;
        const char* expected;
    };
    const Case cases[] = {
        // Patterns of the program; the integer part grows beyond the pattern.
        {"000", 7.5, "008"},
        {"000", 359.6, "360"},
        {"0.0000", 5e-5, "0.0001"},
        {"##0", 1234, "1234"},
        {"##0.0", 0.05, "0.1"},
        {"/##0.0", 12.34, "/12.3"},
        {" #0.000", 0.5, " 0.500"},
        {" #####0.0", 1234567.8, " 1234567.8"},
        {"0.##", 1, "1"},
        // Halves away from zero, judged on the 15-digit form (0.45 and 1.005 are a bit below in
        // binary).
        {"0", 2.5, "3"},
        {"0", -2.5, "-3"},
        {"0.0", 0.45, "0.5"},
        {"0.00", 1.005, "1.01"},
        {"0.0", 9.96, "10.0"},
        // The sign stands right before the first digit; a zero result has none.
        {" ##0.0", -12.34, " -12.3"},
        {"000", -7, "-007"},
        {"0.0", -0.04, "0.0"},
        {"0.0E-0", 0.0123, "1.2E-2"},
        {"0.0E-0", 5, "5.0E0"},
        {"0.0E-0", 0, "0.0E0"},
        {"0.0E-0", -4.56e-4, "-4.6E-4"},
        {"0.0E-0", 9.96, "1.0E1"},
        {"0.0E+00", 5, "5.0E+00"},
        {"0", 123456789012345678.0, "123456789012346000"},
        {"0.0", 1e15 + 0.25, "1000000000000000.0"},
        {"0.0", NAN, "NaN"},
        {"0.0", -INFINITY, "-INF"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(format_float(QString::fromLatin1(c.pattern), c.value, u'.').toStdString(),
                  c.expected)
            << '"' << c.pattern << "\" " << c.value;
    }
}

TEST(FormatFloat, LocaleSeparator) {
    EXPECT_EQ(format_float(" #0.000", -2.5, u','), " -2,500");
    EXPECT_EQ(format_float("0.0E-0", 0.0123, u','), "1,2E-2");
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(locale_decimal_point(), QChar(u','));
    EXPECT_EQ(format_float("##0.00", 1234.567), "1234,57"); // no group separator
    QLocale::setDefault(saved);
}

// The writers' pre-parsed patterns round straight from the binary value where that is safe; the
// text must still be format_float's, byte for byte, for any value.
TEST(NumberFormat, AgreesWithFormatFloat) {
    const QString patterns[] = {
        // Those of the result files.
        " ##0.0", "##0.0", "/##0.0", "0.0000", " 0.0000", " #0.000", " 0.000", " #####0.0",
        // And every other shape: padding, optional fraction digits, no integer placeholder,
        // exponents, no placeholder at all, text beyond ASCII around the number.
        "000", "0.##", ".00", "#", "0.0E-0", "0.0E+00", "x", QStringLiteral(u"±0.0° "),
        QStringLiteral(u"\U0001F600 0.000")};
    const QChar points[] = {u'.', u',', QChar(0x066B)};

    std::vector<double> values = {0.0,
                                  -0.0,
                                  0.05,
                                  0.45,
                                  -0.45,
                                  1.005,
                                  2.5,
                                  -2.5,
                                  9.96,
                                  9.9995,
                                  359.95,
                                  359.96,
                                  5e-5,
                                  4.9999e-5,
                                  1e9,
                                  1e9 - 0.05,
                                  999999999.95,
                                  1e15 + 0.25,
                                  123456789012345678.0,
                                  1e-300,
                                  DBL_MIN,
                                  DBL_MAX,
                                  -DBL_MAX,
                                  NAN,
                                  INFINITY,
                                  -INFINITY};
    // 0.05 steps around the circle, as doubles and as the single precision fields hold them.
    for (int k = -7300; k <= 7300; ++k) {
        values.push_back(k * 0.05);
        values.push_back(static_cast<float>(k * 0.05));
    }
    // Halves of the last digit of 0 to 5 fraction digits: on them, a few steps to either side,
    // and in single precision.
    for (double scale = 1; scale <= 1e5; scale *= 10) {
        for (double units : {0.0, 1.0, 4.0, 9.0, 99.0, 3599.0, 123456.0, 99999999.0, 999999999.0}) {
            double v = (units + 0.5) / scale;
            values.push_back(static_cast<float>(v));
            for (int step = 0; step < 3; ++step) {
                values.push_back(v);
                values.push_back(-v);
                v = std::nextafter(v, 0.0);
            }
            v = (units + 0.5) / scale;
            for (int step = 0; step < 3; ++step)
                values.push_back(v = std::nextafter(v, INFINITY));
        }
    }
    std::mt19937_64 rng(20240611);
    std::uniform_real_distribution<double> uniform(-400, 400), unit(0, 1), exponent(-8, 20);
    std::uniform_int_distribution<int> digits(0, 5);
    std::uniform_int_distribution<long long> units(0, 2'000'000'000);
    for (int i = 0; i < 3000; ++i) {
        values.push_back(uniform(rng));
        values.push_back(static_cast<float>(uniform(rng)));
        values.push_back(std::pow(10.0, exponent(rng)) * (unit(rng) < 0.5 ? -1 : 1));
        // Near a half of the last digit, up to and beyond where the 15-digit form decides.
        const double offset = (unit(rng) - 0.5) * std::pow(10.0, -3 - 5 * unit(rng));
        values.push_back((static_cast<double>(units(rng)) + 0.5 + offset) /
                         std::pow(10.0, digits(rng)));
    }

    int disagreements = 0;
    for (const QString& pattern : patterns) {
        for (size_t i = 0; i < values.size(); ++i) {
            const QChar point = points[i % std::size(points)];
            const double value = values[i];
            QByteArray fast = "|";
            TNumberFormat(pattern, point).append_utf8(fast, value);
            const QByteArray general = "|" + format_float(pattern, value, point).toUtf8();
            if (fast != general && ++disagreements <= 10)
                ADD_FAILURE() << '"' << pattern.toStdString() << "\" " << std::setprecision(17)
                              << value << ": " << fast.toStdString()
                              << " != " << general.toStdString();
        }
    }
    EXPECT_EQ(disagreements, 0);
}

TEST(NumberFormat, AppendsToWhatIsThere) {
    const TNumberFormat angle(" ##0.0", u',');
    QByteArray line = "F";
    for (double v : {120.0, 30.04, -0.04, 359.96})
        angle.append_utf8(line, v);
    EXPECT_EQ(line, "F 120,0 30,0 0,0 360,0");
}

TEST(TextToNumber, WholeTokensOnly) {
    const std::pair<const char*, double> good[] = {{"+2", 2}, {"-0", 0},         {".5", 0.5},
                                                   {"5.", 5}, {"2.5E-2", 0.025}, {"1e-400", 0}};
    for (const auto& [text, expected] : good) {
        double out = -99;
        EXPECT_TRUE(text_to_double(QString::fromLatin1(text), out, u'.')) << text;
        EXPECT_EQ(out, expected) << text;
    }
    const char* bad[] = {"",    ".",   "-",   "1.5x",  " 1",     "1 ",      "1e",  "e5",
                         "nan", "inf", "1,5", "1e999", "-1e999", "1,000.5", "\xb2"};
    for (const char* text : bad) {
        double out = 42;
        EXPECT_FALSE(text_to_double(QString::fromLatin1(text), out, u'.')) << text;
        EXPECT_EQ(out, 42) << text;
    }
}

// Tokens of any length, around the length up to which they are converted without a string.
TEST(TextToNumber, LongTokens) {
    const auto digits = [](int n, char c) { return QString(n, QChar(c)); };
    const struct {
        QString text;
        bool read;
        double value;
    } rows[] = {
        {"1" + digits(62, '0') + ".5", true, 1e62},
        {"1" + digits(63, '0'), true, 1e63},
        {"1" + digits(64, '0'), true, 1e64},
        {"-1" + digits(69, '0') + "e-70", true, -0.1},
        {"0." + digits(80, '0') + "1", true, 1e-81},
        {"-0." + digits(400, '0') + "1", true, -0.0}, // too small: a zero of its sign
        {digits(70, '0') + "x", false, 0},
        {"1" + digits(400, '0'), false, 0}, // beyond the range
        {"." + digits(70, '5') + "e", false, 0},
    };
    for (const auto& row : rows) {
        double out = 42;
        EXPECT_EQ(text_to_double(row.text, out, u'.'), row.read) << row.text.size();
        if (row.read) {
            EXPECT_DOUBLE_EQ(out, row.value) << row.text.size();
            EXPECT_EQ(std::signbit(out), std::signbit(row.value)) << row.text.size();
        } else {
            EXPECT_EQ(out, 42);
        }
    }
    float single = 0;
    EXPECT_FALSE(text_to_float("1" + digits(70, '0'), single, u'.'));
    EXPECT_TRUE(text_to_float("-0." + digits(70, '0') + "1", single, u'.'));
    EXPECT_TRUE(single == 0 && std::signbit(single));
}

TEST(TextToNumber, SinglePrecisionRangeAndLocale) {
    float out = 0;
    EXPECT_TRUE(text_to_float(u"3.4028234e38", out, u'.')); // rounds to FLT_MAX
    EXPECT_EQ(out, FLT_MAX);
    EXPECT_TRUE(text_to_float(u"1e-40", out, u'.'));
    EXPECT_GT(out, 0.0f);
    EXPECT_FALSE(text_to_float(u"1e39", out, u'.'));
    EXPECT_FALSE(text_to_float(u"-4e38", out, u'.'));

    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    double d = 0;
    const bool comma = text_to_double(u"-2,25e1", d);
    const bool point = text_to_float(u"2.25", out); // a German group separator, not a point
    QLocale::setDefault(saved);
    EXPECT_TRUE(comma);
    EXPECT_EQ(d, -22.5);
    EXPECT_FALSE(point);
}

// Numbers of files read under any locale: every separator a locale writes is the point, and
// there is only one in a token (no group separators in these files).
TEST(TextToNumber, FileNumbersTakeTheSeparatorOfAnyLocale) {
    const struct {
        const char16_t* text;
        QChar locale_point;
        bool read;
        float value;
    } rows[] = {
        {u"102.5", u',', true, 102.5f},  {u"102,5", u'.', true, 102.5f},
        {u"-0,25e1", u'.', true, -2.5f}, {u"7\u066B5", u'.', true, 7.5f},
        {u"7;5", u';', true, 7.5f},      {u"5,", u'.', true, 5},
        {u"1.234,5", u',', false, 0},    {u"1,234.5", u'.', false, 0},
        {u"1,2,3", u',', false, 0},      {u"7;5", u'.', false, 0},
        {u",", u',', false, 0},
    };
    for (const auto& row : rows) {
        float out = 42;
        const QStringView text(row.text);
        EXPECT_EQ(text_to_float_any_point(text, out, row.locale_point), row.read)
            << text.toString().toStdString();
        EXPECT_EQ(out, row.read ? row.value : 42) << text.toString().toStdString();
    }
    EXPECT_EQ(shortest_float_text(0.1f), "0.1");
    EXPECT_EQ(shortest_float_text(1e-7f), "1e-07");
    EXPECT_EQ(shortest_float_text(std::numeric_limits<float>::infinity()), "");
}

} // namespace
