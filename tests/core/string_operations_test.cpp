#include "core/string_operations.h"

#include <gtest/gtest.h>

namespace {

TEST(IsNumber, AcceptsAndRejects) {
    const char* numbers[] = {"0",  "  120", "-10", "+3",   "1.5",     "1.",
                             ".5", ".",     "-.",  "1E-5", "2.5e+10", ".e5"};
    const char* others[] = {"",    "   ", "-", "e5",    "1e",  "1e+",  "1,5",
                            "12 ", "1 2", "F", "1.2.3", "\t1", "0x10", "nan"};
    for (const char* t : numbers)
        EXPECT_TRUE(is_number(QString::fromLatin1(t))) << '"' << t << '"';
    for (const char* t : others)
        EXPECT_FALSE(is_number(QString::fromLatin1(t))) << '"' << t << '"';
}

TEST(SplitByDelimiter, Examples) {
    struct Case {
        const char16_t* text;
        char16_t delimiter;
        QStringList expected;
    };
    const Case cases[] = {
        {u"  120 30  200 N \r\n", u' ', {"120", "30", "200", "N"}},
        {u"a\t b", u' ', {"a\t", "b"}}, // a TAB only counts as a blank at the ends
        {u" \t ", u' ', {}},
        {u"a,,b", u',', {"a", "", "b"}},
        {u"a, b ,c", u',', {"a", "b ", "c"}}, // only the rest after a cut is trimmed
        {u"a,", u',', {"a", ""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(split_by_delimiter(QStringView(c.text), QChar(c.delimiter)), c.expected);
}

} // namespace
