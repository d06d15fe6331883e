#pragma once

// What the fuzz targets share: a sink that swallows messages, a scratch folder for the files a
// reader insists on opening itself, and the analysis run on whatever was read, so that its
// arithmetic meets the odd numbers too.

#include "core/messages.h"
#include "faults/fd_classes.h"
#include "stress/st_classes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <vector>

class SilentMessages : public Messages {
public:
    void show(const QString&) override {}
    bool ask(const QString&, const QString&) override { return true; }
};

// A folder that lives as long as the process, in memory where the system offers it.
const QString& scratch_folder();
// Writes bytes to the file at path, replacing it.
void write_scratch_file(const QString& path, const QByteArray& bytes);

// The fault-slip data the reader makes of the bytes as the contents of a data file.
TFaultDataSet read_fault_data_bytes(const std::uint8_t* data, std::size_t size);

// Lists, analyses under both measures and summarises what a reader produced.
void exercise_fault_data(TFaultDataSet& data, const std::vector<TStressTensor>& states);
