#include "core/text_file.h"

#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;

namespace {

TEST(DecodeTextLines, LineEndsAndEncodings) {
    const std::pair<QByteArray, QStringList> cases[] = {
        {"a\nb\n", {"a", "b"}},
        {"a\rb\rc", {"a", "b", "c"}},
        {"a\r\r\nb\nc\r\nd", {"a", "", "b", "c", "d"}},
        {"\n\na\t b\n\n", {"", "", "a\t b", ""}},
        {"", {}},
        {QByteArray("a\0b", 3), {u"a\0b"_s}},
        {"\xEF\xBB\xBF\xC3\xA9\r\nx", {u"\u00e9"_s, "x"}},
        {QByteArray("\xFF\xFE"
                    "a\0\xE9\0\r\0\n\0b\0",
                    12),
         {u"a\u00e9"_s, "b"}},
        {QByteArray("\xFE\xFF\0a\0\xE9\0\n\x20\xAC", 10), {u"a\u00e9"_s, u"\u20ac"_s}},
        {"\xE2\x82\xAC 5", {u"\u20ac 5"_s}},
        // Not UTF-8: Windows-1252, keeping the bytes it leaves undefined.
        {"caf\xE9 \x80\x81\x9D\x9F", {u"caf\u00e9 \u20ac\u0081\u009d\u0178"_s}},
        {"ok\xC3", {u"ok\u00c3"_s}},                 // cut sequence
        {"\xED\xA0\x80", {u"\u00ed\u00a0\u20ac"_s}}, // encoded surrogate
    };
    for (const auto& [bytes, expected] : cases)
        EXPECT_EQ(decode_text_lines(bytes), expected) << bytes.toHex(' ').toStdString();
}

TEST(ReadTextLines, FileAndFailures) {
    TempFolder dir;
    const TTextReadResult r = read_text_lines(dir.write("data.fdt", "120 30\r\n# c\r\n"));
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.lines, QStringList({"120 30", "# c"}));

    QDir().mkpath(dir.path("folder"));
    // A pipe would block the reading for ever.
    ASSERT_EQ(mkfifo(QFile::encodeName(dir.path("pipe.fdt")).constData(), 0600), 0);
    for (const QString& path :
         {dir.path("missing.fdt"), dir.path("folder"), dir.path("pipe.fdt")}) {
        const TTextReadResult failed = read_text_lines(path);
        EXPECT_FALSE(failed.ok);
        EXPECT_TRUE(failed.error.contains(path)) << failed.error.toStdString();
    }
}

TEST(WriteTextLines, CrLfAfterEveryLineUtf8WithoutBom) {
    TempFolder dir;
    const QString path = dir.write("out.txt", "a longer old content\r\n");
    ASSERT_TRUE(write_text_lines(path, {"a b", "", u"\u00e9\u20ac"_s}, nullptr));
    EXPECT_EQ(dir.read("out.txt"), QByteArray("a b\r\n\r\n\xC3\xA9\xE2\x82\xAC\r\n"));
    EXPECT_EQ(QDir(dir.path("")).entryList(QDir::Files), QStringList({"out.txt"}));
}

TEST(WriteTextLines, UnwritableTargetsFail) {
    TempFolder dir;
    const QString path = dir.write("plain", "x") + "/below_a_file.txt";
    QString error;
    EXPECT_FALSE(write_text_lines(path, {"line"}, &error));
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
}

#ifdef Q_OS_UNIX
// A file-size limit makes the write itself fail, even for root, whom permissions do not stop.
TEST(WriteTextLines, FailedWriteKeepsOldFile) {
    TempFolder dir;
    const QString path = dir.write("old.txt", "old\r\n");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool ok = write_text_lines(path, QStringList(2000, QString(100, u'x')), &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, old_handler);

    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_EQ(dir.read("old.txt"), QByteArray("old\r\n"));
    EXPECT_EQ(QDir(dir.path("")).entryList(QDir::Files), QStringList({"old.txt"}));
}
#endif

} // namespace
