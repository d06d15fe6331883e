#include "session/settings.h"

#include "core/number_text.h"

#include <QStringList>

#include <cmath>
#include <numbers>

namespace {

QString check_factor(QStringView text, QChar decimal_point, double top, const char* invalid,
                     const char* out_of_range, float& value) {
    double number = 0;
    if (!text_to_double(text, number, decimal_point))
        return QString::fromLatin1(invalid);
    if (number < 0 || number > top)
        return QString::fromLatin1(out_of_range);
    value = float(number);
    return {};
}

} // namespace

QString check_enhance(QStringView text, QChar decimal_point, float& value) {
    return check_factor(text, decimal_point, 1, "invalid ef", "ef must be in [0, 1]", value);
}

QString check_dispersion(QStringView text, QChar decimal_point, float& value) {
    return check_factor(text, decimal_point, 5, "invalid df", "df must be in [0, 5]", value);
}

QString check_bin_size(QStringView text, TMifitMeasure measure, int& value) {
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok)
        return QStringLiteral("invalid bin size");
    if (number < 5 || number > max_misfit(measure))
        return QStringLiteral("out of range");
    value = number;
    return {};
}

int bin_size_for_measure(int bin_size, TMifitMeasure chosen) {
    if (chosen == TMifitMeasure::SlipDir)
        return bin_size * 2;
    return bin_size >= 10 ? bin_size / 2 : bin_size;
}

bool orientation_in_range(const Tazpl& axis) {
    return axis.az >= 0 && axis.az <= 360 && axis.pl >= 0 && axis.pl <= 90;
}

bool axes_perpendicular(const Tazpl& sigma1, const Tazpl& sigma3) {
    const float cosine = dot_product3(azpl_to_vector3(sigma1), azpl_to_vector3(sigma3));
    return std::abs(cosine) <= std::sin(std::numbers::pi / 180);
}

QString check_stress_axes(const Tazpl& sigma1, const Tazpl& sigma3, double phi) {
    for (const Tazpl& axis : {sigma1, sigma3})
        if (!orientation_in_range(axis))
            return QStringLiteral("orientation %1/%2 out of range: azimuth 0..360, plunge 0..90")
                .arg(axis.az)
                .arg(axis.pl);
    if (!(phi >= 0 && phi <= 1))
        return QStringLiteral("stress ratio %1 outside 0..1").arg(phi);
    if (!axes_perpendicular(sigma1, sigma3))
        return QStringLiteral("sigma1 and sigma3 are more than 1 degree from perpendicular");
    return {};
}

QString check_density_levels(QStringView text, QChar decimal_point, std::vector<double>& levels) {
    // A comma separates levels unless it is the decimal point.
    QString separated = text.toString();
    separated.replace(u';', u' ');
    if (decimal_point != u',')
        separated.replace(u',', u' ');
    std::vector<double> typed;
    for (const QString& token : separated.split(u' ', Qt::SkipEmptyParts)) {
        double value = 0;
        if (!text_to_double(token, value, decimal_point) || !std::isfinite(value))
            return QStringLiteral("invalid contour level \"%1\"").arg(token);
        if (value <= 0 || (!typed.empty() && value <= typed.back()))
            return QStringLiteral("contour levels must be positive and increasing");
        typed.push_back(value);
    }
    levels = std::move(typed);
    return {};
}

QString density_levels_text(const std::vector<double>& levels, QChar decimal_point) {
    QStringList texts;
    for (const double level : levels) {
        QString text = QString::number(level, 'g', 15);
        text.replace(u'.', decimal_point);
        texts << text;
    }
    return texts.join(decimal_point == u',' ? QStringLiteral("; ") : QStringLiteral(", "));
}
