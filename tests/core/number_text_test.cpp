#include "core/number_text.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

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

} // namespace
