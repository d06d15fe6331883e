#include "core/number_text.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>
#include <vector>

namespace {

// |value| to 15 significant digits: digits[0] is the leading digit (0 only for zero), standing
// at the decimal position exponent.
struct Decimal15 {
    std::array<char, 15> digits{};
    int exponent = 0;
};

Decimal15 to_decimal15(double magnitude) {
    // Scientific with 14 fraction digits: "d.ddddddddddddddde+XX".
    std::array<char, 40> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), magnitude,
                                   std::chars_format::scientific, 14);
    Decimal15 d;
    d.digits[0] = buf[0];
    for (int i = 1; i < 15; ++i)
        d.digits[i] = buf[i + 1];
    const char* e = buf.data() + 17;
    if (*e == '+')
        ++e;
    std::from_chars(e, res.ptr, d.exponent);
    return d;
}

void increment(std::string& n) {
    for (auto it = n.rbegin(); it != n.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    n.insert(n.begin(), '1');
}

// The digits of |value| / 10^last rounded to an integer, halves away from zero, without leading
// zeros ("" for zero). Rounding works on the 15-digit decimal form, so 0.45 rounds like "0.45".
std::string round_at(const Decimal15& d, int last) {
    const int keep = d.exponent - last + 1;
    std::string n;
    if (keep <= 0) {
        if (keep == 0 && d.digits[0] >= '5')
            n = "1";
        return n;
    }
    n.reserve(static_cast<size_t>(keep) + 1);
    for (int i = 0; i < keep; ++i)
        n.push_back(i < 15 ? d.digits[static_cast<size_t>(i)] : '0');
    if (keep < 15 && d.digits[static_cast<size_t>(keep)] >= '5')
        increment(n);
    const size_t first = n.find_first_not_of('0');
    return first == std::string::npos ? std::string() : n.substr(first);
}

enum class Kind { Literal, IntDigit, Point, FracDigit, Exponent };

struct Item {
    Kind kind = Kind::Literal;
    QChar ch;
    bool sign_always = false; // exponent: "E+" shows "+" as well
    int min_digits = 1;       // exponent digits
};

struct Pattern {
    std::vector<Item> items;
    int int_count = 0;
    int int_mandatory = 0; // from the leftmost integer "0" to the point
    int frac_count = 0;
    int frac_mandatory = 0; // up to the rightmost fraction "0"
    bool exponent = false;
};

Pattern parse_pattern(const QString& text) {
    Pattern p;
    bool seen_point = false;
    int leftmost_int_zero = -1;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (!p.exponent && (c == u'0' || c == u'#')) {
            if (seen_point) {
                ++p.frac_count;
                if (c == u'0')
                    p.frac_mandatory = p.frac_count;
                p.items.push_back({Kind::FracDigit, c});
            } else {
                if (c == u'0' && leftmost_int_zero < 0)
                    leftmost_int_zero = p.int_count;
                ++p.int_count;
                p.items.push_back({Kind::IntDigit, c});
            }
        } else if (!seen_point && !p.exponent && c == u'.') {
            seen_point = true;
            p.items.push_back({Kind::Point, c});
        } else if (!p.exponent && (c == u'E' || c == u'e') && i + 1 < n &&
                   (text[i + 1] == u'+' || text[i + 1] == u'-')) {
            p.exponent = true;
            Item e{Kind::Exponent, c, text[i + 1] == u'+', 0};
            i += 2;
            while (i < n && text[i] == u'0') {
                ++e.min_digits;
                ++i;
            }
            --i;
            e.min_digits = std::max(e.min_digits, 1);
            p.items.push_back(e);
        } else {
            p.items.push_back({Kind::Literal, c});
        }
    }
    if (leftmost_int_zero >= 0)
        p.int_mandatory = p.int_count - leftmost_int_zero;
    // ".00" still needs a place for the integer digits of 12.5: an optional one before the point.
    if (p.int_count == 0 && seen_point) {
        for (auto it = p.items.begin(); it != p.items.end(); ++it) {
            if (it->kind == Kind::Point) {
                p.items.insert(it, Item{Kind::IntDigit, u'#'});
                break;
            }
        }
        p.int_count = 1;
    }
    return p;
}

QString non_finite_text(double value) {
    if (std::isnan(value))
        return QStringLiteral("NaN");
    return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

} // namespace

QChar locale_decimal_point() {
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? QChar(u'.') : point.front();
}

QString format_float(const QString& pattern, double value) {
    return format_float(pattern, value, locale_decimal_point());
}

QString format_float(const QString& pattern, double value, QChar decimal_point) {
    if (!std::isfinite(value))
        return non_finite_text(value);
    const Pattern p = parse_pattern(pattern);
    if (p.int_count == 0)
        return pattern; // no digit placeholder: nothing of the value is shown

    const Decimal15 d = to_decimal15(std::fabs(value));
    const int f = p.frac_count;
    std::string n; // the rounded magnitude in units of the last fraction digit
    int exponent = 0;
    if (p.exponent) {
        const int int_digits = std::max(1, p.int_mandatory);
        const int total = int_digits + f;
        if (d.digits[0] != '0') {
            int last = d.exponent - total + 1;
            n = round_at(d, last);
            if (static_cast<int>(n.size()) > total) { // 9.96 -> 10.0: one digit too many
                n.pop_back();
                ++last;
            }
            exponent = last + f;
        }
    } else {
        n = round_at(d, -f);
    }

    const size_t fu = static_cast<size_t>(f);
    std::string int_part = n.size() > fu ? n.substr(0, n.size() - fu) : std::string();
    std::string frac_part =
        n.size() >= fu ? n.substr(n.size() - fu) : std::string(fu - n.size(), '0') + n;
    if (static_cast<int>(int_part.size()) < p.int_mandatory)
        int_part.insert(0, static_cast<size_t>(p.int_mandatory) - int_part.size(), '0');
    int frac_shown = f;
    while (frac_shown > p.frac_mandatory && frac_part[static_cast<size_t>(frac_shown) - 1] == '0')
        --frac_shown;

    const int width = static_cast<int>(int_part.size());
    bool minus_pending = value < 0 && !n.empty();
    QString out;
    out.reserve(pattern.size() + width + 4);
    auto put_number_char = [&](QChar c) {
        if (minus_pending) {
            out.append(u'-');
            minus_pending = false;
        }
        out.append(c);
    };

    int int_index = 0;
    int frac_index = 0;
    for (const Item& item : p.items) {
        switch (item.kind) {
        case Kind::Literal:
            out.append(item.ch);
            break;
        case Kind::IntDigit: {
            // Placeholders are filled from the right; the leftmost also takes any excess digits.
            const int from_right = p.int_count - 1 - int_index;
            if (int_index == 0) {
                for (int i = 0; i < width - p.int_count; ++i)
                    put_number_char(QLatin1Char(int_part[static_cast<size_t>(i)]));
            }
            if (from_right < width)
                put_number_char(QLatin1Char(int_part[static_cast<size_t>(width - 1 - from_right)]));
            ++int_index;
            break;
        }
        case Kind::Point:
            if (frac_shown > 0)
                put_number_char(decimal_point);
            break;
        case Kind::FracDigit:
            if (frac_index < frac_shown)
                put_number_char(QLatin1Char(frac_part[static_cast<size_t>(frac_index)]));
            ++frac_index;
            break;
        case Kind::Exponent: {
            out.append(item.ch);
            if (exponent < 0)
                out.append(u'-');
            else if (item.sign_always)
                out.append(u'+');
            const QString digits = QString::number(std::abs(exponent));
            out.append(QString(std::max<qsizetype>(0, item.min_digits - digits.size()), u'0'));
            out.append(digits);
            break;
        }
        }
    }
    return out;
}

QString align_right(const QString& text, int width) {
    if (text.size() >= width)
        return text;
    return QString(width - text.size(), u' ') + text;
}

namespace {

// Checks the token's shape and copies it with "." as the point. magnitude receives the decimal
// position of the leading non-zero digit (0 when there is none), to tell overflow from underflow.
bool to_c_number(QStringView text, QChar decimal_point, std::string& out, long long& magnitude) {
    out.clear();
    out.reserve(static_cast<size_t>(text.size()));
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto is_digit = [&](qsizetype k) { return k < n && text[k] >= u'0' && text[k] <= u'9'; };
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            out.push_back('-'); // from_chars does not take a "+"
        ++i;
    }
    long long int_digits = 0;
    long long first_nonzero = -1; // index among the mantissa digits
    long long mantissa_digits = 0;
    while (is_digit(i)) {
        if (first_nonzero < 0 && text[i] != u'0')
            first_nonzero = mantissa_digits;
        out.push_back(static_cast<char>(text[i].unicode()));
        ++int_digits;
        ++mantissa_digits;
        ++i;
    }
    if (i < n && text[i] == decimal_point) {
        out.push_back('.');
        ++i;
        while (is_digit(i)) {
            if (first_nonzero < 0 && text[i] != u'0')
                first_nonzero = mantissa_digits;
            out.push_back(static_cast<char>(text[i].unicode()));
            ++mantissa_digits;
            ++i;
        }
    }
    if (mantissa_digits == 0)
        return false;
    long long exponent = 0;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        out.push_back('e');
        ++i;
        bool negative = false;
        if (i < n && (text[i] == u'+' || text[i] == u'-')) {
            negative = text[i] == u'-';
            out.push_back(static_cast<char>(text[i].unicode()));
            ++i;
        }
        if (!is_digit(i))
            return false;
        while (is_digit(i)) {
            if (exponent < 1'000'000) // saturate; only the sign of the magnitude matters then
                exponent = exponent * 10 + (text[i].unicode() - u'0');
            out.push_back(static_cast<char>(text[i].unicode()));
            ++i;
        }
        if (negative)
            exponent = -exponent;
    }
    if (i != n)
        return false;
    magnitude = first_nonzero < 0 ? 0 : int_digits - 1 - first_nonzero + exponent;
    return true;
}

template <typename T> bool text_to(QStringView text, T& out, QChar decimal_point) {
    std::string c_text;
    long long magnitude = 0;
    if (!to_c_number(text, decimal_point, c_text, magnitude))
        return false;
    T value{};
    const char* end = c_text.data() + c_text.size();
    const auto res = std::from_chars(c_text.data(), end, value);
    if (res.ec == std::errc::result_out_of_range) {
        if (magnitude > 0)
            return false; // overflow
        // from_chars reports underflow the same way; that is an acceptable zero.
        value = c_text.front() == '-' ? -T(0) : T(0);
    } else if (res.ec != std::errc() || res.ptr != end) {
        return false;
    }
    out = value;
    return true;
}

} // namespace

bool text_to_double(QStringView text, double& out) {
    return text_to_double(text, out, locale_decimal_point());
}

bool text_to_double(QStringView text, double& out, QChar decimal_point) {
    return text_to(text, out, decimal_point);
}

bool text_to_float(QStringView text, float& out) {
    return text_to_float(text, out, locale_decimal_point());
}

bool text_to_float(QStringView text, float& out, QChar decimal_point) {
    return text_to(text, out, decimal_point);
}
