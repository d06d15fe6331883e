#ifndef QUOMTEL_TEST_APP
#define QUOMTEL_TEST_APP QCoreApplication
#endif

#include <QCoreApplication>
#include <QTemporaryDir>
#if __has_include(<QApplication>)
#include <QApplication>
#endif
#if __has_include(<QGuiApplication>)
#include <QGuiApplication>
#endif

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// The offscreen platform warns about every window operation it cannot carry out.
void quiet_platform_messages(QtMsgType type, const QMessageLogContext& context,
                             const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(quiet_platform_messages);
    // A private runtime folder keeps Qt quiet when the tests run outside tools/run_tests.sh.
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QUOMTEL_TEST_APP app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
