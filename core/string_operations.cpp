#include "core/string_operations.h"

namespace {

bool is_blank(QChar c) {
    return c.unicode() <= 32;
}

bool is_digit(QChar c) {
    return c >= u'0' && c <= u'9';
}

} // namespace

QStringView trim_control(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && is_blank(text[begin]))
        ++begin;
    while (end > begin && is_blank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

bool is_number(QStringView text) {
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text[i] == u' ')
        ++i;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    // The mantissa needs at least a digit or the point, so "." passes but "e5" does not.
    const qsizetype mantissa_start = i;
    while (i < n && is_digit(text[i]))
        ++i;
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && is_digit(text[i]))
            ++i;
    }
    if (i == mantissa_start)
        return false;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        const qsizetype exponent_start = i;
        while (i < n && is_digit(text[i]))
            ++i;
        if (i == exponent_start)
            return false;
    }
    return i == n;
}

QStringList split_by_delimiter(QStringView text, QChar delimiter) {
    QStringList tokens;
    DelimitedTokens cut(text, delimiter);
    for (QStringView token; cut.next(token);)
        tokens.append(token.toString());
    return tokens;
}
