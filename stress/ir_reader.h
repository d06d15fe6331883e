#pragma once

// The inversion-result reader (.tlv, .bk4) and the reader of its companion CGP file of
// candidate stress states.

#include "core/logger.h"
#include "core/messages.h"
#include "faults/fd_classes.h"
#include "stress/st_classes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// What the stress view holds of a result.
struct TStressStates {
    std::vector<TStressTensor> STSet;
    QString cgp_filename;
    int max_L = 0;            // largest fitness
    float max_Ln = 0;         // largest normalised fitness
    float min_Ln_nonzero = 1; // smallest positive normalised fitness, 1 when there is none

    void clear() { *this = TStressStates(); }
};

enum class TIROutcome {
    Loaded,          // both views may be marked loaded
    InvalidResult,   // no positive fitness
    ExceptionRaised, // the file is broken or a file could not be read
    TooLarge,        // the memory ran out: what was read has been dropped
};

struct TIRReadResult {
    TIROutcome outcome = TIROutcome::ExceptionRaised;
    bool orientation_error = false; // some orientation was out of range (logged)
    QString too_large_message;      // for TooLarge: file_too_large_message of the file read
};

// What the user sees for a failed reading; empty for Loaded.
// Sets a state's normalised fitness from the sum of all fitness (none when the sum is not
// positive) and widens the range of normalised fitness of its set.
void set_normalised_fitness(TStressTensor& st, float sum, float& max_Ln, float& min_Ln_nonzero);

QString ir_failure_message(TIROutcome outcome);
QString ir_failure_message(const TIRReadResult& result);
inline const QString exception_raised_message = QStringLiteral("Exception raised");
inline const QString invalid_result_message = QStringLiteral("Invalid Inversion Result File");

// "There is at least an error in file [path]." CR LF "See [QMT.log]."
QString ir_orientation_error_message(const QString& path);

// Reads the CGP file at path, appending one record per record to STSet. A missing file is
// reported and is no failure. Returns false when the file cannot be read or holds a malformed
// number; the records read until then stay.
bool read_CGP(const QString& path, std::vector<TStressTensor>& STSet, Messages& messages);

// The whole inversion-result file; false when it cannot be read, which the user sees as
// "Exception raised" with both views unchanged, or, for a file too large for the memory, as
// file_too_large_message: *message, when given, receives the text to show.
bool read_IR_file(const QString& path, QByteArray& bytes, QString* message = nullptr);

// Called once the fault-data section of a result has been read whole, before the CGP file is
// looked for.
using TIRFaultDataRead = std::function<void()>;

// Follows the reading of the states, on the reading thread: done of total steps, now and then
// (every few ten thousand states) and at the end. A state is two steps: its fitness line, and
// its state built once the CGP file is read.
using TIRReadProgress = std::function<void(qint64 done, qint64 total)>;

// Reads an inversion result at path into fault_data and states, both emptied first. The CGP
// file is looked for in executable_dir, then beside the result. Messages about single lines, a
// missing CGP file and a count conflict are shown on the way; the failure message of the
// outcome and the orientation-error message are the caller's to show. After a failure the data
// read so far stay, without normalised fitness; after TooLarge, fault_data only if
// fault_data_read has been called, and states are emptied.
// fault_data is not touched once fault_data_read has been called: the caller may take the data
// there, to show them while the rest is read.
// The bytes are decoded as read_text_lines decodes them, a line at a time (see TextLines).
TIRReadResult read_inversion_result(const QByteArray& bytes, const QString& path,
                                    const QString& executable_dir, TFaultDataSet& fault_data,
                                    TStressStates& states, EventLog& log, Messages& messages,
                                    const TIRFaultDataRead& fault_data_read = {},
                                    const TIRReadProgress& progress = {});
// The same from the lines of read_text_lines.
TIRReadResult read_inversion_result_lines(const QStringList& lines, const QString& path,
                                          const QString& executable_dir, TFaultDataSet& fault_data,
                                          TStressStates& states, EventLog& log, Messages& messages,
                                          const TIRFaultDataRead& fault_data_read = {},
                                          const TIRReadProgress& progress = {});
