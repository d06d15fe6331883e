#pragma once

// Large generated inputs for the benchmarks: fault-slip data of mixed kinds, candidate stress
// states and inversion results, always the same for the same size.

#include "core/messages.h"
#include "session/session.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class NullMessages : public Messages {
public:
    void show(const QString&) override {}
    bool ask(const QString&, const QString&) override { return true; }
};

// A session of its own, with a temporary folder for the files it reads and writes.
struct SessionWorkspace {
    QTemporaryDir dir;
    EventLog log;
    NullMessages messages;
    TSession session{log, messages};

    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

// A fault-slip file of count data: F, M, L and S in turn, every sense letter, one decimal.
QByteArray mixed_fault_data(int count);

// A CGP file of states random perpendicular sigma1 and sigma3 and random ratios.
QByteArray cgp_text(int states, unsigned seed);

// An inversion result of data fault data and states fitness lines naming bench.cgp; each
// fitness is random in 0..top_fitness.
QByteArray result_text(int data, int states, unsigned seed, int top_fitness = 2000);

bool write_file(const QString& path, const QByteArray& bytes);

// The largest resident memory of the process since the last reset, in megabytes, and the reset.
double peak_memory_mb();
void reset_peak_memory();
