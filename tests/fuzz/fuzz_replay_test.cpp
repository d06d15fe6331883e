// Replays the fuzz seeds and every input a fuzzer once found through the same entry points, so
// a fixed finding stays fixed in the ordinary (and the sanitizer) build.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

extern "C" int fuzz_fd_reader(const std::uint8_t* data, std::size_t size);
extern "C" int fuzz_ir_reader(const std::uint8_t* data, std::size_t size);
extern "C" int fuzz_cgp_reader(const std::uint8_t* data, std::size_t size);
extern "C" int fuzz_fd_plot(const std::uint8_t* data, std::size_t size);
extern "C" int fuzz_fd_plot(const std::uint8_t* data, std::size_t size);

namespace {

using Target = int (*)(const std::uint8_t*, std::size_t);

void replay(const QString& name, Target target) {
    int inputs = 0;
    for (const char* kind : {"corpus", "regressions"}) {
        const QDir folder(QStringLiteral(QUOMTEL_FUZZ_DIR "/") + QLatin1String(kind) + u'/' + name);
        for (const QString& file : folder.entryList(QDir::Files)) {
            QFile in(folder.filePath(file));
            ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << file.toStdString();
            const QByteArray bytes = in.readAll();
            QElapsedTimer clock;
            clock.start();
            target(reinterpret_cast<const std::uint8_t*>(bytes.constData()), size_t(bytes.size()));
            // The fuzzers call an input slower than a second a hang; the sanitizers get room.
            EXPECT_LT(clock.elapsed(), 5000) << kind << '/' << file.toStdString();
            ++inputs;
        }
    }
    EXPECT_GT(inputs, 0) << "no inputs for " << name.toStdString();
}

} // namespace

TEST(FuzzReplay, FaultDataReader) {
    replay(QStringLiteral("fd_reader"), fuzz_fd_reader);
}
TEST(FuzzReplay, InversionResultReader) {
    replay(QStringLiteral("ir_reader"), fuzz_ir_reader);
}
TEST(FuzzReplay, CGPReader) {
    replay(QStringLiteral("cgp_reader"), fuzz_cgp_reader);
}
TEST(FuzzReplay, FaultDataPlots) {
    replay(QStringLiteral("fd_plot"), fuzz_fd_plot);
}
