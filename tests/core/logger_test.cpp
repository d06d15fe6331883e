#include "core/logger.h"

#include "tests/support/test_support.h"

#include <QDir>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(EventLog, ResetTruncatesAndAppendAddsCrLfLines) {
    TempFolder dir;
    EventLog log(dir.write("QMT.log", "old\r\n"));
    ASSERT_TRUE(log.reset_log());
    EXPECT_EQ(dir.read("QMT.log"), QByteArray());
    ASSERT_TRUE(log.append_log("first"));
    ASSERT_TRUE(log.append_log(QString(QChar(0xE9))));
    EXPECT_EQ(dir.read("QMT.log"), QByteArray("first\r\n\xC3\xA9\r\n"));

    EventLog broken(dir.path("QMT.log/x"));
    EXPECT_FALSE(broken.reset_log());
    EXPECT_FALSE(broken.append_log("x"));
}

// A program run from its build folder logs beside itself; an installed one (in ~/.local/bin,
// say, which is writable) logs with the user's data, as does one whose folder is no folder.
TEST(DefaultLogPath, BesideABuiltProgramElseUserData) {
    TempFolder dir;
    QDir().mkpath(dir.path("build/bin"));
    dir.write("build/CMakeCache.txt", "");
    QDir().mkpath(dir.path("local/bin"));
    EXPECT_EQ(default_log_path(dir.path("build/bin")),
              QDir(dir.path("build/bin")).filePath("QMT.log"));

    QStandardPaths::setTestModeEnabled(true);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    for (const QString& folder : {dir.path("local/bin"), dir.write("not_a_folder", "x"), QString()})
        EXPECT_EQ(default_log_path(folder), QDir(data).filePath("QMT.log")) << folder.toStdString();
    QStandardPaths::setTestModeEnabled(false);
    EXPECT_TRUE(QDir(data).exists());
}

TEST(LogTimeText, TimeLeftOutAtMidnight) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QDate date(2024, 3, 5);
    const QString midnight = log_time_text(QDateTime(date, QTime(0, 0)));
    const QString later = log_time_text(QDateTime(date, QTime(0, 0, 0, 1)));
    QLocale::setDefault(saved);
    EXPECT_EQ(midnight, "05.03.24");
    EXPECT_TRUE(later.startsWith("05.03.24 00:00:00")) << later.toStdString();
}

TEST(CheckAzpl, InRangeWritesNothing) {
    TempFolder dir;
    EventLog log(dir.path("QMT.log"));
    for (const Tazpl a : {Tazpl{360, 90}, Tazpl{0, 0}, Tazpl{-0.0f, 45}})
        EXPECT_FALSE(check_azpl(a, "read_FD", "f.fdt", 1, log)) << a.az << " " << a.pl;
    EXPECT_FALSE(QFile::exists(log.path()));
}

TEST(CheckAzpl, OutOfRangeLogsOneLine) {
    struct Case {
        Tazpl azpl;
        const char* file;
        int line;
        const char* tail; // after "[routine=read_FD]"
    };
    const Case cases[] = {
        {{-0.5f, 10}, "/d/a.fdt", 7, " [file=/d/a.fdt] [line=7]"},
        {{-0.5f, 10}, "", -1, ""},
        {{360.5f, 10}, "", 0, " [line=0]"},
        {{10, 90.5f}, "b.fdt", -1, " [file=b.fdt]"},
        {{10, -1}, "", -1, ""},
        {{NAN, 10}, "", -1, ""},
        {{10, NAN}, "", -1, ""},
    };
    for (const Case& c : cases) {
        TempFolder dir;
        EventLog log(dir.path("QMT.log"));
        EXPECT_TRUE(check_azpl(c.azpl, "read_FD", c.file, c.line, log)) << c.tail;
        EXPECT_EQ(dir.read("QMT.log"),
                  QByteArray("ERROR: Input azpl is out of range. [routine=read_FD]") + c.tail +
                      "\r\n");
    }
}

} // namespace
