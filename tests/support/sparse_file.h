#pragma once

// A file larger than the memory of the machine, which costs neither disk nor time: sparse.

#include <QFile>
#include <QString>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#endif

// Makes the file at path larger than the memory installed, which no reader can take whole
// whatever the memory available does meanwhile; false where that cannot be done.
inline bool make_file_beyond_the_memory(const QString& path) {
#if defined(Q_OS_UNIX)
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page_size = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || page_size <= 0)
        return false;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.resize(qint64(pages) * page_size + (qint64(1) << 30));
#else
    (void)path;
    return false;
#endif
}
