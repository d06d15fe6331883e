#include "core/logger.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

bool EventLog::reset_log() {
    if (path_.isEmpty())
        return false;
    QFile file(path_);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

bool EventLog::append_log(const QString& text) {
    // Opened and closed for every line, so the log is complete even if the program dies.
    if (path_.isEmpty()) {
        if (keep_)
            kept_.append(text);
        return keep_;
    }
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray bytes = (text + QStringLiteral("\r\n")).toUtf8();
    return file.write(bytes) == bytes.size() && file.flush();
}

bool is_build_folder(const QString& executable_dir) {
    // The programs are built into build/bin beside the build's cache.
    return !executable_dir.isEmpty() &&
           QFileInfo::exists(QDir(executable_dir).filePath(QStringLiteral("../CMakeCache.txt")));
}

QString default_log_path(const QString& executable_dir) {
    if (is_build_folder(executable_dir)) {
        // Trying the file itself is the only reliable test: folder flags miss read-only
        // mounts and access lists. Appending leaves an existing log as it is.
        const QString beside = QDir(executable_dir).filePath(log_file_name);
        QFile probe(beside);
        if (probe.open(QIODevice::WriteOnly | QIODevice::Append))
            return beside;
    }
    // An installed program keeps its log with the user's data, never among the programs.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    QDir().mkpath(folder);
    return QDir(folder).filePath(log_file_name);
}

QString log_time_text(const QDateTime& now) {
    const QLocale locale;
    const QString date = locale.toString(now.date(), QLocale::ShortFormat);
    if (now.time() == QTime(0, 0))
        return date;
    return date + u' ' + locale.toString(now.time(), QLocale::LongFormat);
}

bool check_azpl(const Tazpl& azpl, const QString& routine, const QString& file, int line,
                EventLog& log) {
    // Written as negated in-range tests so that a NaN is out of range.
    const bool out_of_range =
        !(azpl.az <= 360) || !(azpl.az >= 0) || !(azpl.pl <= 90) || !(azpl.pl >= 0);
    if (!out_of_range)
        return false;
    QString message =
        QStringLiteral("ERROR: Input azpl is out of range. [routine=") + routine + u']';
    if (!file.isEmpty())
        message += QStringLiteral(" [file=") + file + u']';
    if (line != -1)
        message += QStringLiteral(" [line=") + QString::number(line) + u']';
    log.append_log(message);
    return true;
}
