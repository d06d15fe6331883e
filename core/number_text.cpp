#include "core/number_text.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
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
    QChar ch;                 // exponent: its letter
    bool sign_always = false; // exponent: "E+" shows "+" as well
    int min_digits = 1;       // exponent digits
    qsizetype begin = 0;      // literal: its run of the pattern text
    qsizetype end = 0;
    int utf8_begin = 0; // literal: its run in TNumberFormat's encoded literals
    int utf8_end = 0;
};

struct Pattern {
    std::vector<Item> items;
    int int_count = 0;
    int int_mandatory = 0; // from the leftmost integer "0" to the point
    int frac_count = 0;
    int frac_mandatory = 0; // up to the rightmost fraction "0"
    bool exponent = false;
    int exponent_digits = 0; // the least shown
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
            p.exponent_digits = e.min_digits;
            p.items.push_back(e);
        } else if (!p.items.empty() && p.items.back().kind == Kind::Literal &&
                   p.items.back().end == i) {
            ++p.items.back().end; // one run keeps a surrogate pair together
        } else {
            Item literal{Kind::Literal, c};
            literal.begin = i;
            literal.end = i + 1;
            p.items.push_back(literal);
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

const char* non_finite_text(double value) {
    if (std::isnan(value))
        return "NaN";
    return value < 0 ? "-INF" : "INF";
}

// The rounded magnitude in units of the pattern's last digit, as digits without leading zeros
// ("" for zero), with the exponent of an exponent pattern. The general way, through the 15-digit
// decimal form.
std::string rounded_digits(const Pattern& p, double magnitude, int& exponent) {
    const Decimal15 d = to_decimal15(magnitude);
    const int f = p.frac_count;
    exponent = 0;
    if (!p.exponent)
        return round_at(d, -f);
    std::string n;
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
    return n;
}

constexpr std::array<double, 16> powers_of_ten = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                  1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// rounded_digits of a fixed-point pattern straight from the binary value, into the end of buf.
// Below 1e9 units, the 15-digit form is within 5e-6 units of the exact value and the product
// computed here within 1.2e-7: more than 1e-5 away from a half, all three round to the same
// integer. Closer cases, and larger values, are left to the general way (false).
bool fast_rounded_digits(const Pattern& p, double magnitude, std::array<char, 24>& buf,
                         std::string_view& n) {
    if (p.exponent || p.frac_count >= static_cast<int>(powers_of_ten.size()))
        return false;
    const double scaled = magnitude * powers_of_ten[static_cast<size_t>(p.frac_count)];
    if (!(scaled < 1e9))
        return false;
    const double whole = std::floor(scaled);
    const double rest = scaled - whole; // exact
    if (std::fabs(rest - 0.5) <= 1e-5)
        return false;
    auto units = static_cast<std::uint64_t>(whole) + (rest > 0.5 ? 1 : 0);
    char* const end = buf.data() + buf.size();
    char* first = end;
    for (; units != 0; units /= 10)
        *--first = static_cast<char>('0' + units % 10);
    n = std::string_view(first, static_cast<size_t>(end - first));
    return true;
}

// Writes the number through sink: reserve(characters besides point and literals), ascii(c),
// point() and literal(item). n and exponent as from rounded_digits.
template <typename Sink>
void put_number(const Pattern& p, std::string_view n, int exponent, bool negative, Sink& sink) {
    const int f = p.frac_count;
    const int size = static_cast<int>(n.size());
    const int int_size = std::max(size - f, 0);
    const int width = std::max(int_size, p.int_mandatory); // with the leading zeros
    const int pad = width - int_size;
    auto int_digit = [&](int i) { return i < pad ? '0' : n[static_cast<size_t>(i - pad)]; };
    auto frac_digit = [&](int j) {
        const int k = size - f + j;
        return k < 0 ? '0' : n[static_cast<size_t>(k)];
    };
    int frac_shown = f;
    while (frac_shown > p.frac_mandatory && frac_digit(frac_shown - 1) == '0')
        --frac_shown;

    // Sign, digits, and an exponent's letter, sign and up to 10 digits.
    sink.reserve(1 + width + f + (p.exponent ? 2 + std::max(p.exponent_digits, 10) : 0));
    bool minus_pending = negative && !n.empty();
    auto before_number_char = [&] {
        if (minus_pending) {
            sink.ascii('-');
            minus_pending = false;
        }
    };
    int int_index = 0;
    int frac_index = 0;
    for (const Item& item : p.items) {
        switch (item.kind) {
        case Kind::Literal:
            sink.literal(item);
            break;
        case Kind::IntDigit: {
            // Placeholders are filled from the right; the leftmost also takes any excess digits.
            const int from_right = p.int_count - 1 - int_index;
            if (int_index == 0) {
                for (int i = 0; i < width - p.int_count; ++i) {
                    before_number_char();
                    sink.ascii(int_digit(i));
                }
            }
            if (from_right < width) {
                before_number_char();
                sink.ascii(int_digit(width - 1 - from_right));
            }
            ++int_index;
            break;
        }
        case Kind::Point:
            if (frac_shown > 0) {
                before_number_char();
                sink.point();
            }
            break;
        case Kind::FracDigit:
            if (frac_index < frac_shown) {
                before_number_char();
                sink.ascii(frac_digit(frac_index));
            }
            ++frac_index;
            break;
        case Kind::Exponent: {
            sink.ascii(static_cast<char>(item.ch.unicode()));
            if (exponent < 0)
                sink.ascii('-');
            else if (item.sign_always)
                sink.ascii('+');
            std::array<char, 12> digits{};
            const auto res =
                std::to_chars(digits.data(), digits.data() + digits.size(), std::abs(exponent));
            for (auto i = res.ptr - digits.data(); i < item.min_digits; ++i)
                sink.ascii('0');
            for (const char* c = digits.data(); c != res.ptr; ++c)
                sink.ascii(*c);
            break;
        }
        }
    }
}

struct QStringSink {
    QString& out;
    QStringView pattern;
    QChar decimal_point;
    void reserve(int digits) { out.reserve(pattern.size() + digits); }
    void ascii(char c) { out.append(QLatin1Char(c)); }
    void point() { out.append(decimal_point); }
    void literal(const Item& item) {
        out.append(pattern.sliced(item.begin, item.end - item.begin));
    }
};

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
        return QString::fromLatin1(non_finite_text(value));
    const Pattern p = parse_pattern(pattern);
    if (p.int_count == 0)
        return pattern; // no digit placeholder: nothing of the value is shown
    int exponent = 0;
    const std::string n = rounded_digits(p, std::fabs(value), exponent);
    QString out;
    QStringSink sink{out, pattern, decimal_point};
    put_number(p, n, exponent, value < 0, sink);
    return out;
}

struct TNumberFormat::Parsed {
    Pattern pattern;
    QByteArray literals;      // the literal runs, UTF-8 encoded
    QByteArray point;         // the decimal point, UTF-8 encoded
    QByteArray whole_pattern; // for a pattern without digit placeholders
};

TNumberFormat::TNumberFormat(const QString& pattern, QChar decimal_point) {
    auto parsed = std::make_shared<Parsed>();
    parsed->pattern = parse_pattern(pattern);
    // Runs encoded whole, as QString::toUtf8 encodes them within a line.
    for (Item& item : parsed->pattern.items) {
        if (item.kind != Kind::Literal)
            continue;
        item.utf8_begin = static_cast<int>(parsed->literals.size());
        parsed->literals += pattern.sliced(item.begin, item.end - item.begin).toUtf8();
        item.utf8_end = static_cast<int>(parsed->literals.size());
    }
    parsed->point = QString(decimal_point).toUtf8();
    parsed->whole_pattern = pattern.toUtf8();
    parsed_ = std::move(parsed);
}

namespace {

// Writes into room made at the end of the array: one size check per number, not per byte.
struct Utf8Sink {
    QByteArray& out;
    const QByteArray& literals;
    const QByteArray& encoded_point;
    char* w = nullptr; // the write position
    void reserve(int digits) {
        const qsizetype at = out.size();
        out.resize(at + literals.size() + encoded_point.size() + digits);
        w = out.data() + at;
    }
    void finish() { out.resize(w - out.constData()); }
    void ascii(char c) { *w++ = c; }
    void put(const char* bytes, qsizetype size) {
        std::copy_n(bytes, size, w);
        w += size;
    }
    void point() { put(encoded_point.constData(), encoded_point.size()); }
    void literal(const Item& item) {
        put(literals.constData() + item.utf8_begin, item.utf8_end - item.utf8_begin);
    }
};

} // namespace

void TNumberFormat::append_utf8(QByteArray& out, double value) const {
    const Parsed& f = *parsed_;
    if (!std::isfinite(value)) {
        out.append(non_finite_text(value));
        return;
    }
    if (f.pattern.int_count == 0) {
        out.append(f.whole_pattern);
        return;
    }
    const double magnitude = std::fabs(value);
    std::array<char, 24> buf;
    std::string_view n;
    std::string general;
    int exponent = 0;
    if (!fast_rounded_digits(f.pattern, magnitude, buf, n)) {
        general = rounded_digits(f.pattern, magnitude, exponent);
        n = general;
    }
    Utf8Sink sink{out, f.literals, f.point};
    put_number(f.pattern, n, exponent, value < 0, sink);
    sink.finish();
}

QString align_right(const QString& text, int width) {
    if (text.size() >= width)
        return text;
    return QString(width - text.size(), u' ') + text;
}

namespace {

// The characters taken for the decimal point: one, or for numbers that travel between locales
// every separator a locale writes (a full stop, a comma, the Arabic separator) and the locale's.
struct TPoints {
    QChar first, second, third, fourth;
    bool has(QChar c) const { return c == first || c == second || c == third || c == fourth; }
};

// Checks the token's shape and copies it with "." as the point into out, which has room for
// the token; length receives what was written. magnitude receives the decimal position of the
// leading non-zero digit (0 when there is none), to tell overflow from underflow.
bool to_c_number(QStringView text, TPoints points, char* out, qsizetype& length,
                 long long& magnitude) {
    char* const begin = out;
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto is_digit = [&](qsizetype k) { return k < n && text[k] >= u'0' && text[k] <= u'9'; };
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            *out++ = '-'; // from_chars does not take a "+"
        ++i;
    }
    long long int_digits = 0;
    long long first_nonzero = -1; // index among the mantissa digits
    long long mantissa_digits = 0;
    while (is_digit(i)) {
        if (first_nonzero < 0 && text[i] != u'0')
            first_nonzero = mantissa_digits;
        *out++ = static_cast<char>(text[i].unicode());
        ++int_digits;
        ++mantissa_digits;
        ++i;
    }
    if (i < n && points.has(text[i])) {
        *out++ = '.';
        ++i;
        while (is_digit(i)) {
            if (first_nonzero < 0 && text[i] != u'0')
                first_nonzero = mantissa_digits;
            *out++ = static_cast<char>(text[i].unicode());
            ++mantissa_digits;
            ++i;
        }
    }
    if (mantissa_digits == 0)
        return false;
    long long exponent = 0;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        *out++ = 'e';
        ++i;
        bool negative = false;
        if (i < n && (text[i] == u'+' || text[i] == u'-')) {
            negative = text[i] == u'-';
            *out++ = static_cast<char>(text[i].unicode());
            ++i;
        }
        if (!is_digit(i))
            return false;
        while (is_digit(i)) {
            if (exponent < 1'000'000) // saturate; only the sign of the magnitude matters then
                exponent = exponent * 10 + (text[i].unicode() - u'0');
            *out++ = static_cast<char>(text[i].unicode());
            ++i;
        }
        if (negative)
            exponent = -exponent;
    }
    if (i != n)
        return false;
    length = out - begin;
    magnitude = first_nonzero < 0 ? 0 : int_digits - 1 - first_nonzero + exponent;
    return true;
}

template <typename T> bool text_to(QStringView text, T& out, TPoints points) {
    // The copy is never longer than the token; the numbers of a file fit the array.
    std::array<char, 64> small;
    std::string large;
    char* c_text = small.data();
    if (text.size() > qsizetype(small.size())) {
        large.resize(size_t(text.size()));
        c_text = large.data();
    }
    qsizetype length = 0;
    long long magnitude = 0;
    if (!to_c_number(text, points, c_text, length, magnitude))
        return false;
    T value{};
    const char* end = c_text + length;
    const auto res = std::from_chars(c_text, end, value);
    if (res.ec == std::errc::result_out_of_range) {
        if (magnitude > 0)
            return false; // overflow
        // from_chars reports underflow the same way; that is an acceptable zero.
        value = c_text[0] == '-' ? -T(0) : T(0);
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
    return text_to(text, out, TPoints{decimal_point, decimal_point, decimal_point, decimal_point});
}

bool text_to_float(QStringView text, float& out) {
    return text_to_float(text, out, locale_decimal_point());
}

bool text_to_float(QStringView text, float& out, QChar decimal_point) {
    return text_to(text, out, TPoints{decimal_point, decimal_point, decimal_point, decimal_point});
}

bool text_to_float_any_point(QStringView text, float& out, QChar locale_point) {
    return text_to(text, out, TPoints{u'.', u',', u'\u066B', locale_point});
}

QByteArray shortest_float_text(float value) {
    if (!std::isfinite(value))
        return QByteArray();
    std::array<char, 32> buffer{};
    const auto res = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return QByteArray(buffer.data(), qsizetype(res.ptr - buffer.data()));
}
