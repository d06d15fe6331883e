#include "fuzz/fuzz_support.h"

#include "faults/fd_list_text.h"
#include "faults/fd_reader.h"
#include "stress/compatibility.h"
#include "stress/st_classes.h"
#include "stress/st_list_text.h"
#include "stress/st_statistics.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

const QString& scratch_folder() {
    static QTemporaryDir* dir = [] {
        const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                       : QDir::tempPath();
        auto* made = new QTemporaryDir(base + QStringLiteral("/quomtel-fuzz-XXXXXX"));
        if (!made->isValid())
            std::abort();
        std::atexit([] { delete dir; });
        return made;
    }();
    static const QString path = dir->path();
    return path;
}

void write_scratch_file(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
}

TFaultDataSet read_fault_data_bytes(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    EventLog log; // no path: nothing is written
    SilentMessages messages;
    TFaultDataSet set;
    read_fault_data_bytes(bytes, QStringLiteral("fuzz.efd"), set, log, messages);
    return set;
}

void exercise_fault_data(TFaultDataSet& data, const std::vector<TStressTensor>& states) {
    for (int k = 0; k < data.count(); ++k)
        (void)fd_list_line(data.FDList[k], k + 1, false, u'.');
    if (states.empty())
        return;
    // The best and the worst state, as a user would designate them.
    for (const TStressTensor* st : {&states.back(), &states.front()}) {
        for (TMifitMeasure measure : {TMifitMeasure::SlipDir, TMifitMeasure::DistFry}) {
            TFaultDataSet theoretical;
            calc_theoretical_slip_and_misfit(data, theoretical, *st, measure);
            for (int k = 0; k < data.count(); ++k)
                (void)fd_list_line(data.FDList[k], k + 1, true, u'.');
        }
    }
    for (int k = 0; k < static_cast<int>(states.size()) && k < 64; ++k)
        (void)st_list_line(states[k], k + 1, u'.');
    (void)stress_statistics_lines(states);
}
