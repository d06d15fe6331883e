#include "batch/batch_run.h"

#include <QGuiApplication>
#include <QTextStream>

#include <csignal>
#include <cstdio>

namespace {

// Standard error carries the messages of the run; Qt's own notes (a missing runtime folder and
// the like) would read as such, so only its critical messages pass.
void critical_only(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

// Past a file-size limit (ulimit -f) the system kills the writer without a word; ignored, the
// write fails instead and the run reports the file it could not write and exits 1.
void survive_file_size_limit() {
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

} // namespace

int main(int argc, char** argv) {
    survive_file_size_limit();
    qInstallMessageHandler(critical_only);
    // Fonts need a platform, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Quomtel"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return batch_main(QGuiApplication::arguments(), out, err);
}
