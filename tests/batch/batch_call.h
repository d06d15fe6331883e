#pragma once

#include "batch/batch_run.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

// The batch tool called in-process as a script would call it: its exit status and what it
// printed on each stream.
struct BatchRun {
    int status = -1;
    QString out;
    QString err;
};

inline BatchRun run(QStringList arguments) {
    BatchRun r;
    arguments.prepend(QStringLiteral("quomtel-batch"));
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.status = batch_main(arguments, out, err);
    return r;
}
