#pragma once

// Numbers to text by format patterns, and text to numbers, with the locale's decimal separator.
//
// Patterns: "0" is a mandatory digit, "#" an optional one, "." the decimal point, "E-0"/"E+0"
// an exponent; every other character is copied. Values are rounded to the pattern's last digit,
// halves away from zero, from their shortest 15-digit decimal form.

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringView>

#include <memory>

// The decimal separator of the current default locale.
QChar locale_decimal_point();

QString format_float(const QString& pattern, double value);
QString format_float(const QString& pattern, double value, QChar decimal_point);

// A pattern parsed once, for writers that format many numbers by the same few patterns.
// Appends exactly the UTF-8 encoding of format_float(pattern, value, decimal_point); most values
// are rounded without their 15-digit form, and nothing is allocated for them.
class TNumberFormat {
public:
    TNumberFormat(const QString& pattern, QChar decimal_point);
    void append_utf8(QByteArray& out, double value) const;

private:
    struct Parsed;
    std::shared_ptr<const Parsed> parsed_;
};

// "%Ns": right-aligns text in at least width columns; never cuts it.
QString align_right(const QString& text, int width);

// Whole-token conversion: optional sign, digits with the locale's decimal separator, optional
// exponent. Fails on anything else, and on values beyond the range of the target type.
bool text_to_double(QStringView text, double& out);
bool text_to_double(QStringView text, double& out, QChar decimal_point);
bool text_to_float(QStringView text, float& out);
bool text_to_float(QStringView text, float& out, QChar decimal_point);
// The same for a number of a fault-slip or result file, which may have been written under any
// locale: a full stop, a comma, the Arabic decimal separator and the locale's own (locale_point)
// all count as the decimal point. A token there never holds a thousands separator.
bool text_to_float_any_point(QStringView text, float& out, QChar locale_point);

// The shortest text that reads back as the same single, with a full stop ("" when not finite):
// for files other programs read.
QByteArray shortest_float_text(float value);
