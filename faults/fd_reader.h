#pragma once

// The fault-slip data reader (.efd, .fdt) and the fault-datum line format, which the
// inversion-result reader shares.

#include "core/logger.h"
#include "core/messages.h"
#include "core/number_text.h"
#include "faults/fd_classes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

struct TFDLineNotes;

// Where a datum line is read from: the file path and 1-based line numbers for messages and
// the log, and whether an orientation of this file has failed the range check already (the
// log gets one such line per file). With notes, what would be shown or logged is noted there
// instead, to be passed on in file order later: the part of a file read on another thread.
struct TFDLineContext {
    QString path;
    EventLog* log = nullptr;
    Messages* messages = nullptr;
    bool orientation_error = false;
    // The locale's, looked up once per file; a full stop and a comma count as well, so that a
    // file written under any locale reads here.
    QChar decimal_point = locale_decimal_point();
    TFDLineNotes* notes = nullptr;
};

// Prepares, classifies and reads one line. Returns no datum for skipped lines; reports
// "invalid data at line #k" for lines that do not convert.
std::optional<TFaultData> read_fault_datum_line(QStringView line, int line_number,
                                                TFDLineContext& context);

// How a line of the fault-data section of an inversion result ended.
enum class TIRDatumStatus {
    Read,         // datum holds the datum
    InvalidData,  // a number did not convert; "invalid data at line #k" has been shown
    TooFewTokens, // blank, or a token the datum needs is absent: the section is broken
};

// Reads one line of the fault-data section of an inversion result. Unlike a data file, every
// line is a datum: no comment or blank lines, no five-token minimum, tabs do not separate, and
// the type letter may be lower case, any other first character meaning a full datum.
TIRDatumStatus read_ir_fault_datum_line(QStringView line, int line_number, TFDLineContext& context,
                                        TFaultData& datum);

struct TFDReadResult {
    bool read = false;              // false: the file could not be read; the set is unchanged
    QString error;                  // why, when !read
    bool orientation_error = false; // some orientation was out of range (logged)
};

// Reads every datum line of the text into set, which is emptied first.
TFDReadResult read_fault_data_lines(const QStringList& lines, const QString& path,
                                    TFaultDataSet& set, EventLog& log, Messages& messages);
// The same from the bytes of a file, decoded as read_text_lines decodes them. A large text is
// read in two halves at once; the messages and the log get what the lines give in file order.
TFDReadResult read_fault_data_bytes(QByteArray bytes, const QString& path, TFaultDataSet& set,
                                    EventLog& log, Messages& messages);
// Reads the file; when it cannot be read, set is left as it was. A file too large for the
// memory is one that cannot be read (see read_file_bytes), also when the memory runs out while
// its data are made.
TFDReadResult read_fault_data_file(const QString& path, TFaultDataSet& set, EventLog& log,
                                   Messages& messages);

// "There is at least an error in file [path]." CR LF "See [QMT.log]."
QString orientation_error_message(const QString& path);
