#pragma once

// The conventions in which field tables write a fault: dip direction or strike (right- or
// left-hand rule, or with a dip quadrant), quadrant bearings, slip as trend and plunge, as a
// rake (Aki & Richards) or as a pitch, and the sense as a letter or a word. Each turns into the
// plane, lineation and sense of our line format; angles in degrees, evaluated in double.

#include "faults/fd_classes.h"

#include <QString>
#include <QStringView>

#include <optional>

enum class TStrikeRule { Right, Left };

// Letters and digits only, lower case: the form in which header names and words are compared
// ("Dip_Direction" and "dip direction" are one name).
QString squeezed_name(QStringView text);

// The value that table, pairs of a squeezed word and a value, gives for text.
template <class Table>
auto word_value(const Table& table, QStringView text)
    -> std::optional<typename Table::value_type::second_type> {
    const QString name = squeezed_name(text);
    for (const auto& [word, value] : table)
        if (name == word)
            return value;
    return std::nullopt;
}

// A number of a table cell: optional sign, digits with a decimal point (or, when decimal_comma,
// a comma in its place), optional exponent; finite. Blanks around it are ignored.
std::optional<double> table_number(QStringView text, bool decimal_comma = false);

// A bearing: a number of degrees, or a quadrant bearing such as "N30E" (30), "S20W" (200) or
// "N80W" (280). Nothing for anything else.
std::optional<double> bearing_from_text(QStringView text, bool decimal_comma = false);

// A compass direction written in letters: N, NE, E, SE, S, SW, W, NW (any case) as an azimuth.
std::optional<double> compass_azimuth(QStringView letters);

// A number followed by compass letters, with or without a space between: "45SE", "30 N".
struct TAngleWithDirection {
    double angle = 0;
    std::optional<double> direction; // the azimuth of the letters, if any
};
std::optional<TAngleWithDirection> angle_with_direction(QStringView text,
                                                        bool decimal_comma = false);

// The dip direction of a plane given by its strike: 90° clockwise of the strike by the
// right-hand rule, counter-clockwise by the left-hand rule; with a dip quadrant, the side of
// the strike line the quadrant lies on (nothing when the quadrant lies along the strike).
double dip_direction_by_rule(double strike, TStrikeRule rule);
std::optional<double> dip_direction_toward(double strike, double quadrant_azimuth);

// The slip of a rake (Aki & Richards): measured in the plane from the strike of the right-hand
// rule, positive up-dip, −180..180; the hanging wall moves along
// cos(rake)·strike − sin(rake)·down-dip. The lineation is that line in the lower hemisphere;
// the sense is N or R when the dip-slip part is at least the strike-slip part, else S or D.
struct TSlipFromRake {
    Tazpl lineation;
    TSense sense = TSense::U;
};
TSlipFromRake slip_from_rake(double dip_direction, double dip, double rake);

// The lineation of a pitch: the angle in the plane from the end of the strike line nearest
// the given azimuth, toward the dip. Nothing when the azimuth is across the strike line.
std::optional<Tazpl> lineation_from_pitch(double dip_direction, double dip, double pitch,
                                          double strike_end_azimuth);

// A sense as the line format's letters (N R S D H U, any case) or as a word: normal,
// reverse, thrust, dextral, right-lateral, sinistral, left-lateral, unknown. Case, spaces,
// hyphens and underscores are ignored.
std::optional<TSense> sense_from_text(QStringView text);

// A kind of datum as the line format's letters F, M, L, S (any case) or as a word: fault,
// mechanism (focal mechanism), lineation, striation sense.
std::optional<TDataType> datatype_from_text(QStringView text);

// The angle in degrees between a lineation and the plane it should lie on.
double angle_off_plane(const Tazpl& plane, const Tazpl& lineation);

// The lineation moved onto the plane along the shortest way, in the lower hemisphere.
Tazpl project_onto_plane(const Tazpl& plane, const Tazpl& lineation);
