#pragma once

#include <QString>
#include <QStringList>

// True when the text is a decimal number: optional leading spaces, optional sign, digits,
// optional "." and digits, optional exponent. A lone "." counts; the point is always ".".
bool is_number(QStringView text);

// Removes characters of code 32 or less from both ends.
QStringView trim_control(QStringView text);

// The tokens of a text as the readers cut them: the trimmed text is cut at each delimiter, and
// the rest is trimmed again after every cut (characters of code 32 or less count as blanks), so
// a token keeps blanks standing before its delimiter. With the space as delimiter no token is
// empty. Tokens are handed out one at a time as views into the text, which must outlive this: a
// reader takes the few it needs, and a 10 MB line of junk never becomes millions of strings.
// A second delimiter, when given, cuts as the first does: the text as if it stood in its place.
class DelimitedTokens {
public:
    DelimitedTokens(QStringView text, QChar delimiter)
        : DelimitedTokens(text, delimiter, delimiter) {}
    DelimitedTokens(QStringView text, QChar delimiter, QChar other_delimiter)
        : rest_(trim_control(text)), delimiter_(delimiter), other_delimiter_(other_delimiter),
          done_(rest_.isEmpty()) {}

    // The next token; false after the last.
    bool next(QStringView& token) {
        if (done_)
            return false;
        const qsizetype at = find_delimiter();
        if (at < 0) {
            token = rest_;
            done_ = true;
        } else {
            token = rest_.first(at);
            rest_ = trim_control(rest_.sliced(at + 1));
        }
        return true;
    }

private:
    qsizetype find_delimiter() const {
        if (delimiter_ == other_delimiter_)
            return rest_.indexOf(delimiter_);
        for (qsizetype i = 0; i < rest_.size(); ++i)
            if (rest_[i] == delimiter_ || rest_[i] == other_delimiter_)
                return i;
        return -1;
    }

    QStringView rest_;
    QChar delimiter_;
    QChar other_delimiter_;
    bool done_;
};

// Every token of DelimitedTokens, as strings.
QStringList split_by_delimiter(QStringView text, QChar delimiter);

// a-z as A-Z, every other character as it is. Letters of the file formats are ASCII; Unicode
// upper-casing would read "ſ" (long s) as S.
inline QChar ascii_upper(QChar c) {
    return c >= u'a' && c <= u'z' ? QChar(char16_t(c.unicode() - u'a' + u'A')) : c;
}
