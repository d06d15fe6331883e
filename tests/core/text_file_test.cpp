#include "core/text_file.h"

#include "core/string_operations.h"
#include "tests/support/sparse_file.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#ifdef Q_OS_UNIX
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
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
        // After long runs of ASCII, which are checked eight bytes at a time.
        {"0123456789abcdef\xC3\xA9", {u"0123456789abcdef\u00e9"_s}},
        {"0123456789abcdef\xC3\xA9 0123456789\xFF",
         {u"0123456789abcdef\u00c3\u00a9 0123456789\u00ff"_s}},
        {"0123456789abcdefg\xC3", {u"0123456789abcdefg\u00c3"_s}},
        {"01234567\xC3\xA9"
         "01234567\x80",
         {u"01234567\u00c3\u00a9"
          u"01234567\u20ac"_s}},
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

namespace {

// The lines of a TextLines, with their numbers, read to the end.
struct ScannedLines {
    QStringList texts;
    QStringList trimmed;
    std::vector<qint64> numbers;
};

ScannedLines scan(TextLines& lines) {
    ScannedLines out;
    while (lines.next()) {
        out.numbers.push_back(lines.line_number());
        out.trimmed << lines.trimmed_text().toString(); // before text(): each reuses the buffer
        out.texts << lines.text().toString();
    }
    return out;
}

QStringList trimmed_lines(const QStringList& lines) {
    QStringList out;
    for (const QString& line : lines)
        out << trim_control(line).toString();
    return out;
}

qsizetype nonblank(const QStringList& lines) {
    return std::count_if(lines.begin(), lines.end(),
                         [](const QString& line) { return !trim_control(line).isEmpty(); });
}

// A line at a time, the lines are those of the text decoded whole.
void expect_as_decoded_whole(const QByteArray& bytes) {
    const std::string hex = bytes.toHex(' ').toStdString();
    const QStringList expected = decode_text_lines(bytes);
    TextLines lines(bytes);
    EXPECT_EQ(lines.count_nonblank_lines(), nonblank(expected)) << hex;
    const ScannedLines got = scan(lines);
    EXPECT_EQ(got.texts, expected) << hex;
    EXPECT_EQ(got.trimmed, trimmed_lines(expected)) << hex;
    for (size_t i = 0; i < got.numbers.size(); ++i)
        EXPECT_EQ(got.numbers[i], qint64(i + 1)) << hex;
    EXPECT_EQ(lines.characters_left(), 0) << hex;

    // Passing over lines of blanks: the others, with their numbers.
    TextLines nonblank_lines(bytes);
    QStringList texts;
    std::vector<qint64> numbers;
    while (nonblank_lines.next_nonblank()) {
        texts << nonblank_lines.text().toString();
        numbers.push_back(nonblank_lines.line_number());
    }
    QStringList expected_texts;
    std::vector<qint64> expected_numbers;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        if (!trim_control(expected[i]).isEmpty()) {
            expected_texts << expected[i];
            expected_numbers.push_back(i + 1);
        }
    }
    EXPECT_EQ(texts, expected_texts) << hex;
    EXPECT_EQ(numbers, expected_numbers) << hex;
}

TEST(TextLines, LineEndsAndEncodingsAsDecodedWhole) {
    const QByteArray rows[] = {
        "",
        "\n",
        "\r",
        "a",
        "a\r\nb",
        "a\r\r\nb\n\rc\r",
        "\r\n\r\n",
        "  \t a b \t \r\n \x01\x1f\r\n\n",
        // Byte-order marks: one is dropped, a second right after it too, a third stays.
        "\xEF\xBB\xBF",
        "\xEF\xBB\xBF\xEF\xBB\xBF",
        "\xEF\xBB\xBF\xEF\xBB\xBF\xEF\xBB\xBFx\r\n\xEF\xBB\xBFy",
        "x\n\xEF\xBB\xBFy", // valid UTF-8 without a mark: a mark starting a line stays
        // UTF-8 that is not valid after a mark: replaced byte by byte, also before a line end.
        "\xEF\xBB\xBF\xE2\x82\r\n\xF0\x9F\x98\n\xC0\x80 \xED\xA0\x80",
        "\xEF\xBB\xBF\xE2\x82\xAC \xC3\xA9\r\n \xE2\x82\r\n",
        // Windows-1252, with blanks around the bytes above 127.
        "\x80 caf\xE9 \x81\r\n\x9D\x9F \t",
        QByteArray("a\0b\n\0\n", 6),
        // UTF-16 both ways, with line ends of every kind, a lone surrogate and an odd byte.
        QByteArray("\xFF\xFE"
                   "a\0\r\0\n\0b\0\r\0\r\0\n\0 \0\xE9\0\t\0",
                   22),
        QByteArray("\xFE\xFF\0a\0\n\xD8\x00\0\r\0b\0", 13),
        QByteArray("\xFF\xFE\x00\xD8\n\0x", 7),
    };
    for (const QByteArray& bytes : rows)
        expect_as_decoded_whole(bytes);
}

TEST(TextLines, RandomTextsAsDecodedWhole) {
    // Whole characters and marks as well as their bytes alone, and runs as long as the words
    // the bytes are scanned by.
    const QByteArray pieces[] = {"\r",
                                 "\n",
                                 "\r\n",
                                 " ",
                                 "\t",
                                 "a",
                                 "#",
                                 QByteArray(1, '\0'),
                                 "\xEF\xBB\xBF",
                                 "\xEF",
                                 "\xBB",
                                 "\xBF",
                                 "\xE2\x82\xAC",
                                 "\xE2",
                                 "\x82",
                                 "\xC3\xA9",
                                 "\xF0\x9F",
                                 "\xED\xA0",
                                 "\x80",
                                 "\x9D",
                                 "\xFF",
                                 "\xFE",
                                 "\x01",
                                 QByteArray("\0\n", 2),
                                 QByteArray("\r\0", 2),
                                 "        ",
                                 "\n\n\n\n\n\n\n",
                                 "\r\n\r\n\r\n\r",
                                 "0123456789",
                                 QByteArray("\t \x1f\0 \t \x01 ", 8),
                                 "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"};
    const QByteArray starts[] = {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
    std::mt19937 random(5);
    for (int i = 0; i < 6000; ++i) {
        QByteArray bytes = starts[i % std::size(starts)];
        const int n = int(random() % 40);
        for (int k = 0; k < n; ++k)
            bytes += pieces[random() % std::size(pieces)];
        expect_as_decoded_whole(bytes);
    }
}

TEST(ReadFileBytes, FileTooLargeForTheMemoryIsRefusedUnread) {
    TempFolder dir;
    const QString path = dir.path("huge.efd");
    if (!make_file_beyond_the_memory(path))
        GTEST_SKIP() << "no sparse file that large here";
    const qint64 size = QFileInfo(path).size();
    EXPECT_GT(size, readable_file_size_limit());

    QElapsedTimer timer;
    timer.start();
    const TFileReadResult bytes = read_file_bytes(path);
    EXPECT_FALSE(bytes.ok);
    EXPECT_TRUE(bytes.too_large);
    EXPECT_TRUE(bytes.bytes.isEmpty());
    EXPECT_EQ(bytes.error, file_too_large_message(path, size));
    const TTextReadResult text = read_text_lines(path);
    EXPECT_FALSE(text.ok);
    EXPECT_EQ(text.error, bytes.error);
    EXPECT_LT(timer.elapsed(), 1000);
}

TEST(ReadFileBytes, TooLargeMessage) {
    EXPECT_EQ(file_too_large_message("/data/site.efd", 4'294'967'296),
              "Cannot read file [/data/site.efd]: too large (4.3 GB) for the memory available.");
    EXPECT_EQ(file_too_large_message("a.tlv", 1'500'000),
              "Cannot read file [a.tlv]: too large (1.5 MB) for the memory available.");
    EXPECT_GT(readable_file_size_limit(), 0);
}

TEST(ReadFileBytes, WholeFileOrTheReason) {
    TempFolder dir;
    const QByteArray bytes = garbage_bytes(3 << 20, 9);
    const TFileReadResult read = read_file_bytes(dir.write("data.bin", bytes));
    EXPECT_TRUE(read.ok);
    EXPECT_EQ(read.bytes, bytes);

    QDir().mkpath(dir.path("folder"));
    const struct {
        QString path;
        QString error;
    } rows[] = {
        {dir.path("folder"), "Cannot read file [" + dir.path("folder") + "]: it is a folder."},
        {dir.path("missing"), "Cannot open file [" + dir.path("missing") + "]: "},
    };
    for (const auto& row : rows) {
        const TFileReadResult failed = read_file_bytes(row.path);
        EXPECT_FALSE(failed.ok);
        EXPECT_FALSE(failed.too_large);
        EXPECT_TRUE(failed.error.startsWith(row.error)) << failed.error.toStdString();
    }
}

#ifdef Q_OS_UNIX
// All that can be read from a descriptor, which is closed then.
QByteArray read_all(int fd) {
    QByteArray bytes;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, n);
    ::close(fd);
    return bytes;
}

// Runs work with the descriptor target (standard input or output) put on fd.
template <typename Work> void with_descriptor_on(int target, int fd, Work&& work) {
    std::fflush(stdout);
    const int saved = ::dup(target);
    ::dup2(fd, target);
    ::close(fd);
    work();
    std::fflush(stdout);
    ::dup2(saved, target);
    ::close(saved);
}

// A stream is written where it stands, never replaced: "-" and /dev/fd/N go to the descriptor
// at its position (a file standard output is sent to keeps what came before), a named pipe to
// its reader. A pipe nobody reads is refused at once rather than waited on for good.
TEST(WriteFileAtomically, StreamsAreWrittenDirectly) {
    TempFolder dir;
    const QByteArray bytes = "F 1 2 3 4 N\r\n";
    const QString out = dir.write("out.txt", "before\n");
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(out).constData(), &before), 0);
    const int appending = ::open(QFile::encodeName(out).constData(), O_WRONLY | O_APPEND);
    ASSERT_GE(appending, 0);
    EXPECT_TRUE(write_file_atomically("/dev/fd/" + QString::number(appending), bytes, nullptr));
    ::close(appending);
    EXPECT_EQ(dir.read("out.txt"), "before\n" + bytes);
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(out).constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);

    for (const QString& name : {QStringLiteral("-"), QStringLiteral("/proc/self/fd/%1")}) {
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        bool written = false;
        if (name == u"-") {
            with_descriptor_on(1, ends[1],
                               [&] { written = write_file_atomically(name, bytes, nullptr); });
        } else {
            written = write_file_atomically(name.arg(ends[1]), bytes, nullptr);
            ::close(ends[1]);
        }
        EXPECT_TRUE(written) << name.toStdString();
        EXPECT_EQ(read_all(ends[0]), bytes) << name.toStdString();
    }

    const QString fifo = dir.path("fifo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QString error;
    EXPECT_FALSE(write_file_atomically(fifo, bytes, &error));
    EXPECT_EQ(error, "Cannot write file [" + fifo + "]: no program reads from the pipe.");
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(write_file_atomically(fifo, bytes, &error)) << error.toStdString();
    fcntl(reader, F_SETFL, 0);
    EXPECT_EQ(read_all(reader), bytes);
}

// Sends the bytes into a new pipe on another thread; its reading end is returned.
int send_through_pipe(const QByteArray& bytes, std::thread& sender) {
    int ends[2];
    if (::pipe(ends) != 0)
        return -1;
    sender = std::thread([bytes, in = ends[1]] {
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n = ::write(in, bytes.constData() + done, size_t(bytes.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
        ::close(in);
    });
    return ends[0];
}

// "-" reads standard input, and /dev/fd/N the pipe a shell's <(...) hands over, to their end
// (more than a pipe holds at once); a named pipe stays refused (see ReadTextLines).
TEST(ReadFileBytes, StandardInputAndHandedOverPipes) {
    const QByteArray bytes = garbage_bytes(200'000, 3);
    for (const QString& path : {QStringLiteral("-"), QStringLiteral("/dev/fd/%1")}) {
        std::thread sender;
        const int fd = send_through_pipe(bytes, sender);
        ASSERT_GE(fd, 0);
        TFileReadResult read;
        if (path == u"-") {
            with_descriptor_on(0, fd, [&] { read = read_file_bytes(path); });
        } else {
            read = read_file_bytes(path.arg(fd));
            ::close(fd);
        }
        sender.join();
        EXPECT_TRUE(read.ok) << read.error.toStdString();
        EXPECT_EQ(read.bytes, bytes) << path.toStdString();
    }
}
#endif

} // namespace
