#pragma once

// Fault data from field tables: CSV, TSV, semicolon- or blank-separated text with an optional
// header row, in any of the conventions of faults/table_conventions. Every row becomes the
// datum its equivalent line of a fault-slip file would give.

#include "core/logger.h"
#include "faults/fd_classes.h"
#include "faults/table_conventions.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

enum class TColumnRole {
    Skip,
    Kind,
    DipDir,
    Strike,
    Dip,
    Quadrant,
    Trend,
    Plunge,
    Rake,
    Pitch,
    PitchDir,
    Sense
};

// The role a header name stands for; case, blanks and punctuation are ignored ("Dip Dir.",
// "dip_direction", "DD" and "azimuth" are all the dip direction).
std::optional<TColumnRole> role_from_header(QStringView name);
// The short names of the roles, as options and the import dialog write them: kind, dipdir,
// strike, dip, quadrant, trend, plunge, rake, pitch, pitchdir, sense, skip.
QString role_name(TColumnRole role);
std::optional<TColumnRole> role_from_name(QStringView name);
// "dipdir,dip,trend,plunge,sense" as roles; nothing when a name is unknown.
std::optional<std::vector<TColumnRole>> roles_from_list(QStringView list);

struct TTableOptions {
    std::optional<QChar> delimiter; // else detected: '\t', ';', ',' or ' ' (runs of blanks)
    std::optional<bool> header;     // else detected: a first row without numbers
    TStrikeRule strike_rule = TStrikeRule::Right;
    double lineation_tolerance = 10; // degrees; farther off its plane, a row is skipped
    std::optional<std::vector<TColumnRole>> columns; // by position, in place of the header's
};

// How a table is laid out, as detected (or as the options say).
struct TTableLayout {
    QChar delimiter;            // '\t', ';', ',' or ' ' (runs of blanks)
    bool decimal_comma = false; // a comma may stand for the decimal point
    bool header = false;        // the first row names the columns
    int header_line = 0;        // its 1-based line number
    QStringList names;          // the header's cells
    std::vector<TColumnRole> roles;
};

// One data row: its 1-based line number and its cells.
struct TTableRow {
    int line = 0;
    QStringList cells;
};

struct TTable {
    TTableLayout layout;
    std::vector<TTableRow> rows;
};

// Cuts the text into rows: blank lines and lines starting with "#" are left out, quoted cells
// ("a, b" and "say ""so""") are taken whole. The delimiter and the header are detected unless
// given.
TTable split_table(QStringView text, std::optional<QChar> delimiter = {},
                   std::optional<bool> header = {});
// The roles of the columns: the options' list, else the header's names. Empty when neither
// says what the plane and the slip are.
std::vector<TColumnRole> table_roles(const TTableLayout& layout, const TTableOptions& options);
// True when the roles give a plane and a slip.
bool roles_complete(const std::vector<TColumnRole>& roles);

// One row as a datum, or the reason it is not one ("row 4, column dip: ..."). projected is set
// when the lineation was moved onto its plane.
struct TRowDatum {
    std::optional<TFaultData> datum;
    QString problem;
    bool projected = false;
};
TRowDatum row_to_datum(const TTableRow& row, const TTableLayout& layout,
                       const std::vector<TColumnRole>& roles, const TTableOptions& options);

// The datum as a line of the fault-slip format, with one decimal: what the row stands for.
// A file of such lines reads back where the decimal point is the one written.
QString datum_line(const TFaultData& datum, QChar decimal_point = u'.');

struct TTableReadResult {
    bool columns_known = false; // false: nothing was read
    int rows = 0;               // data rows of the table
    int skipped = 0;
    int projected = 0;
    bool orientation_error = false; // some orientation was out of range (logged)
    QStringList problems;           // one per skipped row, in row order
};

// Reads every row of the table into set, which is emptied first (unless the columns cannot be
// told, when it is left as it was). Out-of-range orientations are logged as for data files.
TTableReadResult read_fault_data_table(QStringView text, const QString& path,
                                       const TTableOptions& options, TFaultDataSet& set,
                                       EventLog& log);

// What the user is told after a reading: the problems, then "N rows read, M skipped" when any
// row was skipped and how many lineations were projected. Empty when all went well.
QString table_report(const TTableReadResult& result, const TTableOptions& options);

// "Cannot tell the columns of [path]: name them in the header or " + remedy.
QString columns_unknown_message(const QString& path, const QString& remedy);
