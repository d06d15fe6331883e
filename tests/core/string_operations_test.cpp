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
        {u",a", u',', {"", "a"}},
        {u"\u0001120\t30  200\u001f", u' ', {"120\t30", "200"}}, // control characters are blanks
        {u"1 5 x y", u' ', {"1", "5", "x", "y"}},
        {u"\u00a0a b", u' ', {"\u00a0a", "b"}}, // a no-break space is no blank
    };
    for (const Case& c : cases) {
        EXPECT_EQ(split_by_delimiter(QStringView(c.text), QChar(c.delimiter)), c.expected);
        // The readers take the tokens one by one: the same tokens, then nothing more.
        DelimitedTokens tokens(QStringView(c.text), QChar(c.delimiter));
        QStringView token;
        for (const QString& expected : c.expected) {
            ASSERT_TRUE(tokens.next(token));
            EXPECT_EQ(token, expected);
        }
        EXPECT_FALSE(tokens.next(token));
        EXPECT_FALSE(tokens.next(token));
    }
}

// A second delimiter cuts as the first: the tab of a data file separates as a space does.
TEST(DelimitedTokens, SecondDelimiter) {
    const struct {
        const char16_t* text;
        QStringList expected;
    } rows[] = {
        {u"F\t120 \t 30\t\t200 N", {"F", "120", "30", "200", "N"}},
        {u"\t a\u0001\tb ", {"a\u0001", "b"}}, // other blanks stay before a delimiter
        {u"a\t", {"a"}},
        {u"\t\t", {}},
        {u"a,b\tc", {"a,b", "c"}},
    };
    for (const auto& row : rows) {
        DelimitedTokens tokens(QStringView(row.text), u' ', u'\t');
        QStringList got;
        for (QStringView token; tokens.next(token);)
            got << token.toString();
        EXPECT_EQ(got, row.expected);
        // As the same text with the tabs made spaces.
        EXPECT_EQ(got, split_by_delimiter(QString::fromUtf16(row.text).replace(u'\t', u' '), u' '));
    }
}

// The readers keep the tokens of a line as views: no token is copied.
TEST(DelimitedTokens, TokensAreViewsIntoTheText) {
    const QString line = QStringLiteral("  F 120 x");
    DelimitedTokens tokens(line, u' ');
    QStringView first, second;
    ASSERT_TRUE(tokens.next(first) && tokens.next(second));
    EXPECT_EQ(first.data(), line.data() + 2);
    EXPECT_EQ(second, QStringLiteral("120"));
    EXPECT_EQ(second.data(), line.data() + 4);
}

TEST(AsciiUpper, OnlyAsciiLetters) {
    for (char16_t c = u'a'; c <= u'z'; ++c)
        EXPECT_EQ(ascii_upper(QChar(c)), QChar(char16_t(c - u'a' + u'A')));
    // Long s and dotless i, which Unicode upper-cases to S and I, stay as they are.
    for (char16_t c : {u'A', u'Z', u'1', u'@', u'[', u'`', u'{', u'\u017f', u'\u0131', u'\u00e9',
                       u'\u00df', u'\uff53'})
        EXPECT_EQ(ascii_upper(QChar(c)), QChar(c)) << int(c);
}

} // namespace
