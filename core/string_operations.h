#pragma once

#include <QString>
#include <QStringList>

// True when the text is a decimal number: optional leading spaces, optional sign, digits,
// optional "." and digits, optional exponent. A lone "." counts; the point is always ".".
bool is_number(QStringView text);

// Cuts the trimmed text at each delimiter, trimming the rest again after every cut (characters
// of code 32 or less count as blanks). With the space as delimiter no token is empty.
QStringList split_by_delimiter(QStringView text, QChar delimiter);

// Removes characters of code 32 or less from both ends.
QStringView trim_control(QStringView text);
