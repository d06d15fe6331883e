#include "output/data_files.h"
#include "output/emf_recorder.h"
#include "output/picture_files.h"
#include "output/stress_tensor_file.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using Save = std::function<bool(const QString& path, QString* error)>;

struct Writer {
    const char* name;
    Save save;
};

// Every writer of the program, each with something real to write.
std::vector<Writer> writers() {
    static const struct Analysed {
        TFaultDataSet data, theoretical;
        TStressTensor st = stress_tensor_from_axes({0, 90}, {270, 0}, 0.5f);
        TStressStates states;
        Analysed() {
            TSlipData sd;
            sd.Pazpl = make_azpl(90, 45);
            sd.Lazpl = make_azpl(90, 45);
            sd.sense = TSense::N;
            compose_slip_data_vectors(sd);
            data.FDList.push_back(TFaultData{TDataType::Ful, {sd}, -1, 0});
            calc_theoretical_slip_and_misfit(data, theoretical, st, TMifitMeasure::SlipDir);
            states.STSet.push_back(st);
            states.STSet.back().Le = 2;
            states.max_L = 3;
        }
    } a;
    const auto picture = [](TPictureFormat format) {
        return [format](const QString& path, QString* error) {
            return write_picture_as(
                path, format, QSize(200, 100), 1.0,
                [](QPainter& p) { p.drawEllipse(QRect(10, 10, 80, 80)); }, error);
        };
    };
    return {
        {"misfit",
         [](const QString& path, QString* error) {
             return save_data_misfit(path, a.data, "site.efd", a.st, TMifitMeasure::SlipDir, error);
         }},
        {"theoretical",
         [](const QString& path, QString* error) {
             return save_data_theoretical(path, a.theoretical, "site.efd", a.st, error);
         }},
        {"stress tensor",
         [](const QString& path, QString* error) {
             return save_data_stress_tensor(path, a.states, "site.tlv", 0.8f, error);
         }},
        {"emf recorder",
         [](const QString& path, QString* error) {
             TEmfRecorder recorder(100, 100);
             {
                 QPainter p(&recorder);
                 p.drawLine(0, 0, 99, 99);
             }
             return recorder.save(path, error);
         }},
        {"emf picture", picture(TPictureFormat::Emf)},
        {"svg picture", picture(TPictureFormat::Svg)},
        {"pdf picture", picture(TPictureFormat::Pdf)},
        {"png picture", picture(TPictureFormat::Png)},
    };
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot |
                                  QDir::Hidden);
}

// The failure is reported as such, naming the path, with a reason.
void expect_reported(bool saved, const QString& error, const QString& path, const char* writer) {
    EXPECT_FALSE(saved) << writer;
    const QString start = QStringLiteral("Cannot write file [") + path + QStringLiteral("]: ");
    EXPECT_TRUE(error.startsWith(start) && error.size() > start.size())
        << writer << ": " << error.toStdString();
}

mode_t file_type(const QString& path) {
    struct stat s {};
    return ::stat(QFile::encodeName(path).constData(), &s) == 0 ? s.st_mode & S_IFMT : 0;
}

// A folder, a device and a pipe are no files to replace: a rename over them would turn a
// device node into a plain file (root may write to /dev) and report success.
TEST(FailingSaves, TargetsThatAreNoFiles) {
    TempFolder folder;
    const QString dir = folder.path(QStringLiteral("dir"));
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString pipe = folder.path(QStringLiteral("pipe.txt"));
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString full = QStringLiteral("/dev/full");
    ASSERT_EQ(file_type(full), mode_t(S_IFCHR));
    const struct {
        QString path;
        mode_t type;
    } targets[] = {{dir, S_IFDIR}, {pipe, S_IFIFO}, {full, S_IFCHR}};
    for (const Writer& w : writers()) {
        for (const auto& t : targets) {
            // /dev/full comes last, and only once the pipe has stayed a pipe.
            if (t.path == full && file_type(pipe) != S_IFIFO)
                break;
            QString error;
            expect_reported(w.save(t.path, &error), error, t.path, w.name);
            EXPECT_EQ(file_type(t.path), t.type) << w.name << " replaced " << t.path.toStdString();
        }
    }
    EXPECT_TRUE(entries(dir).isEmpty());
    EXPECT_EQ(entries(folder.path(QString())), QStringList({"dir", "pipe.txt"}));
}

// The write itself fails as on a full disk: a file-size limit stops it whoever runs the test.
// A small file is written out only when it is committed, and a toolkit that loses that
// failure would rename the truncated file over the previous one.
TEST(FailingSaves, WriteThatRunsOutOfSpaceKeepsThePreviousFile) {
    TempFolder folder;
    const QByteArray previous = "previous contents\r\n";
    const QString path = folder.write(QStringLiteral("out.txt"), previous);
    for (const Writer& w : writers()) {
        rlimit saved{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 8;
        const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        QString error;
        const bool ok = w.save(path, &error);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, old_handler);
        expect_reported(ok, error, path, w.name);
        EXPECT_EQ(folder.read(QStringLiteral("out.txt")), previous) << w.name;
        EXPECT_EQ(entries(folder.path(QString())), QStringList("out.txt")) << w.name;
    }
}

// The temporary file is written, but it cannot take the name: the commit fails.
TEST(FailingSaves, CommitFailureIsReported) {
    TempFolder folder;
    const QString path = folder.path(QString(300, u'x') + QStringLiteral(".txt"));
    for (const Writer& w : writers()) {
        QString error;
        expect_reported(w.save(path, &error), error, path, w.name);
    }
    EXPECT_TRUE(entries(folder.path(QString())).isEmpty());
}

TEST(FailingSaves, ReadOnlyFolderKeepsThePreviousFile) {
    TempFolder folder;
    const QString dir = folder.path(QStringLiteral("ro"));
    ASSERT_TRUE(QDir().mkpath(dir));
    const QByteArray previous = "previous contents\r\n";
    const QString path = folder.write(QStringLiteral("ro/out.txt"), previous);
    ASSERT_EQ(chmod(QFile::encodeName(dir).constData(), 0555), 0);
    QFile probe(dir + QStringLiteral("/probe"));
    const bool writable = probe.open(QIODevice::WriteOnly);
    if (writable) {
        probe.remove();
        chmod(QFile::encodeName(dir).constData(), 0755);
        GTEST_SKIP() << "the folder stays writable for this user (root): permissions cannot "
                        "make a save fail";
    }
    for (const Writer& w : writers()) {
        QString error;
        expect_reported(w.save(path, &error), error, path, w.name);
        EXPECT_EQ(folder.read(QStringLiteral("ro/out.txt")), previous) << w.name;
    }
    EXPECT_EQ(entries(dir), QStringList("out.txt"));
    chmod(QFile::encodeName(dir).constData(), 0755);
}

} // namespace
