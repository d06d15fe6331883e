#include "faults/table_conventions.h"

#include <array>
#include <charconv>
#include <cmath>
#include <numbers>

namespace {

constexpr double degree = std::numbers::pi / 180;

struct Vector {
    double x = 0, y = 0, z = 0; // east, north, up
};

Vector operator+(Vector a, Vector b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vector operator*(double s, Vector a) {
    return {s * a.x, s * a.y, s * a.z};
}
double dot(Vector a, Vector b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

double azimuth_in_range(double az) {
    const double a = std::fmod(az, 360.0);
    return a < 0 ? a + 360 : a + 0.0; // never -0
}

// A line of the given trend and downward plunge.
Vector line_vector(double trend, double plunge) {
    return {std::cos(plunge * degree) * std::sin(trend * degree),
            std::cos(plunge * degree) * std::cos(trend * degree), -std::sin(plunge * degree)};
}

// The lower-hemisphere trend and plunge of a line.
Tazpl lower_azpl(Vector v) {
    // Rounding leaves a horizontal slip (rake ±180) a hair above or below the horizon; it is
    // then written with the trend it moves toward.
    if (std::abs(v.z) < 1e-12)
        v.z = 0;
    if (v.z > 0)
        v = -1 * v;
    const double horizontal = std::hypot(v.x, v.y);
    const double plunge = std::atan2(-v.z, horizontal) / degree + 0.0; // never -0
    const double trend = horizontal > 0 ? azimuth_in_range(std::atan2(v.x, v.y) / degree) : 0;
    return make_azpl(float(trend), float(plunge));
}

Vector plane_normal(double dip_direction, double dip) {
    return line_vector(dip_direction + 180, 90 - dip); // the pole, downward
}

// The strike of the right-hand rule and the down-dip direction, in the plane.
Vector strike_vector(double dip_direction) {
    return line_vector(dip_direction - 90, 0);
}
Vector down_dip_vector(double dip_direction, double dip) {
    return line_vector(dip_direction, dip);
}

// Smallest angle between two azimuths, 0..180.
double azimuth_gap(double a, double b) {
    const double d = azimuth_in_range(a - b);
    return d > 180 ? 360 - d : d;
}

} // namespace

QString squeezed_name(QStringView text) {
    QString out;
    for (const QChar c : text)
        if (c.isLetterOrNumber())
            out += c.toLower();
    return out;
}

std::optional<double> table_number(QStringView text, bool decimal_comma) {
    const QStringView t = text.trimmed();
    if (t.isEmpty() || t.size() > 64)
        return std::nullopt;
    char ascii[64] = {};
    qsizetype n = 0;
    for (const QChar c : t) {
        if (c == u'.' || (decimal_comma && c == u','))
            ascii[n++] = '.';
        else if ((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'e' || c == u'E')
            ascii[n++] = char(c.unicode());
        else
            return std::nullopt; // "inf", "1,5" in a comma-separated file
    }
    const char* first = ascii + (ascii[0] == '+' ? 1 : 0);
    if (first != ascii && n > 1 && ascii[1] == '-')
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(first, ascii + n, value);
    if (error != std::errc() || end != ascii + n || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> compass_azimuth(QStringView letters) {
    static constexpr std::array<std::pair<const char16_t*, double>, 8> points{{
        {u"n", 0},
        {u"ne", 45},
        {u"e", 90},
        {u"se", 135},
        {u"s", 180},
        {u"sw", 225},
        {u"w", 270},
        {u"nw", 315},
    }};
    const QString name = letters.trimmed().toString().toLower();
    for (const auto& [text, azimuth] : points)
        if (name == QStringView(text))
            return azimuth;
    return std::nullopt;
}

std::optional<double> bearing_from_text(QStringView text, bool decimal_comma) {
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    if (const std::optional<double> number = table_number(t, decimal_comma))
        return number;
    // N30E: from north or south, that many degrees toward east or west.
    const QChar from = t.front().toUpper(), toward = t.back().toUpper();
    if ((from != u'N' && from != u'S') || (toward != u'E' && toward != u'W') || t.size() < 3)
        return std::nullopt;
    const std::optional<double> angle =
        table_number(t.sliced(1, t.size() - 2).trimmed(), decimal_comma);
    if (!angle || *angle < 0 || *angle > 90)
        return std::nullopt;
    const double a = *angle;
    if (from == u'N')
        return toward == u'E' ? a : azimuth_in_range(360 - a);
    return toward == u'E' ? 180 - a : 180 + a;
}

std::optional<TAngleWithDirection> angle_with_direction(QStringView text, bool decimal_comma) {
    const QStringView t = text.trimmed();
    qsizetype split = t.size();
    while (split > 0 && t[split - 1].isLetter())
        --split;
    const std::optional<double> angle = table_number(t.first(split).trimmed(), decimal_comma);
    if (!angle)
        return std::nullopt;
    TAngleWithDirection out;
    out.angle = *angle;
    if (split < t.size()) {
        out.direction = compass_azimuth(t.sliced(split));
        if (!out.direction)
            return std::nullopt;
    }
    return out;
}

double dip_direction_by_rule(double strike, TStrikeRule rule) {
    return azimuth_in_range(strike + (rule == TStrikeRule::Right ? 90 : -90));
}

std::optional<double> dip_direction_toward(double strike, double quadrant_azimuth) {
    const double right = azimuth_in_range(strike + 90);
    const double gap = azimuth_gap(right, quadrant_azimuth);
    if (gap < 90)
        return right;
    if (gap > 90)
        return azimuth_in_range(strike - 90);
    return std::nullopt;
}

TSlipFromRake slip_from_rake(double dip_direction, double dip, double rake) {
    const double c = std::cos(rake * degree), s = std::sin(rake * degree);
    const Vector slip = c * strike_vector(dip_direction) + -s * down_dip_vector(dip_direction, dip);
    TSlipFromRake out;
    out.lineation = lower_azpl(slip);
    // At 45° the two parts are equal; sin and cos differ there in the last bit.
    if (std::abs(s) >= std::abs(c) - 1e-12)
        out.sense = s < 0 ? TSense::N : TSense::R;
    else
        out.sense = c > 0 ? TSense::S : TSense::D;
    return out;
}

std::optional<Tazpl> lineation_from_pitch(double dip_direction, double dip, double pitch,
                                          double strike_end_azimuth) {
    const double strike = dip_direction - 90;
    const double gap = azimuth_gap(strike, strike_end_azimuth);
    if (gap == 90)
        return std::nullopt;
    const double end = gap < 90 ? strike : strike + 180;
    const Vector along = line_vector(end, 0);
    const Vector down = down_dip_vector(dip_direction, dip);
    return lower_azpl(std::cos(pitch * degree) * along + std::sin(pitch * degree) * down);
}

std::optional<TSense> sense_from_text(QStringView text) {
    static const std::array<std::pair<QString, TSense>, 14> words{{
        {QStringLiteral("n"), TSense::N},
        {QStringLiteral("r"), TSense::R},
        {QStringLiteral("s"), TSense::S},
        {QStringLiteral("d"), TSense::D},
        {QStringLiteral("h"), TSense::H},
        {QStringLiteral("u"), TSense::U},
        {QStringLiteral("normal"), TSense::N},
        {QStringLiteral("reverse"), TSense::R},
        {QStringLiteral("thrust"), TSense::R},
        {QStringLiteral("dextral"), TSense::D},
        {QStringLiteral("rightlateral"), TSense::D},
        {QStringLiteral("sinistral"), TSense::S},
        {QStringLiteral("leftlateral"), TSense::S},
        {QStringLiteral("unknown"), TSense::U},
    }};
    return word_value(words, text);
}

std::optional<TDataType> datatype_from_text(QStringView text) {
    static const std::array<std::pair<QString, TDataType>, 9> words{{
        {QStringLiteral("f"), TDataType::Ful},
        {QStringLiteral("m"), TDataType::Mec},
        {QStringLiteral("l"), TDataType::Lin},
        {QStringLiteral("s"), TDataType::Sen},
        {QStringLiteral("fault"), TDataType::Ful},
        {QStringLiteral("mechanism"), TDataType::Mec},
        {QStringLiteral("focalmechanism"), TDataType::Mec},
        {QStringLiteral("lineation"), TDataType::Lin},
        {QStringLiteral("sense"), TDataType::Sen},
    }};
    return word_value(words, text);
}

double angle_off_plane(const Tazpl& plane, const Tazpl& lineation) {
    const Vector n = plane_normal(plane.az, plane.pl);
    const Vector l = line_vector(lineation.az, lineation.pl);
    const double sine = std::min(1.0, std::abs(dot(n, l)));
    return std::asin(sine) / degree;
}

Tazpl project_onto_plane(const Tazpl& plane, const Tazpl& lineation) {
    const Vector n = plane_normal(plane.az, plane.pl);
    const Vector l = line_vector(lineation.az, lineation.pl);
    return lower_azpl(l + -dot(n, l) * n);
}
