#include "core/text_file.h"

#include "core/huge_pages.h"
#include "core/output_file.h"
#include "core/string_operations.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <type_traits>

#if defined(Q_OS_UNIX)
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr QByteArrayView utf8_bom("\xEF\xBB\xBF");

// Strict UTF-8: no overlong forms, no surrogates, nothing beyond U+10FFFF, no cut sequence.
bool is_valid_utf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        // ASCII eight bytes at a time: most files are nothing else.
        while (i + 8 <= n) {
            std::uint64_t eight;
            std::memcpy(&eight, p + i, 8);
            if (eight & 0x8080808080808080u)
                break;
            i += 8;
        }
        if (i >= n)
            break;
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int follow = 0;
        unsigned char low = 0x80; // allowed range of the first continuation byte
        unsigned char high = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            follow = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            follow = 2;
            if (b == 0xE0)
                low = 0xA0;
            else if (b == 0xED)
                high = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            follow = 3;
            if (b == 0xF0)
                low = 0x90;
            else if (b == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (i + follow >= n)
            return false;
        if (p[i + 1] < low || p[i + 1] > high)
            return false;
        for (int k = 2; k <= follow; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
        }
        i += follow + 1;
    }
    return true;
}

// Windows-1252 for 0x80-0x9F; the five bytes it leaves undefined keep their own code so that
// no byte of a file in an unknown code page is lost. Every other byte is Latin-1.
constexpr std::array<char16_t, 32> cp1252_high = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QChar cp1252_char(unsigned char b) {
    return (b >= 0x80 && b <= 0x9F) ? QChar(cp1252_high[b - 0x80]) : QChar(b);
}

QString decode_cp1252(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes)
        *out++ = cp1252_char(static_cast<unsigned char>(c));
    return text;
}

QString decode_utf16(QByteArrayView bytes, QStringConverter::Encoding encoding) {
    // A second byte-order mark after ours is text, not a mark.
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless |
                                         QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

QString decode_text(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(QByteArrayView(bytes).sliced(3));
    if (bytes.startsWith("\xFF\xFE"))
        return decode_utf16(QByteArrayView(bytes).sliced(2), QStringConverter::Utf16LE);
    if (bytes.startsWith("\xFE\xFF"))
        return decode_utf16(QByteArrayView(bytes).sliced(2), QStringConverter::Utf16BE);
    if (is_valid_utf8(bytes))
        return QString::fromUtf8(bytes);
    return decode_cp1252(bytes);
}

QStringList split_lines(const QString& text) {
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.sliced(start, i - start));
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.sliced(start));
    return lines;
}

template <typename Char> bool is_line_end(Char c) {
    return c == Char('\r') || c == Char('\n');
}

// The first CR or LF from begin on, or end.
template <typename Char> qsizetype find_line_end(const Char* text, qsizetype begin, qsizetype end) {
    while (begin < end && !is_line_end(text[begin]))
        ++begin;
    return begin;
}

// Where the next line begins after the line end at (or the end of the text).
template <typename Char> qsizetype after_line_end(const Char* text, qsizetype at, qsizetype end) {
    if (at >= end)
        return end;
    return text[at] == Char('\r') && at + 1 < end && text[at + 1] == Char('\n') ? at + 2 : at + 1;
}

// Bytes are scanned eight at a time where the order of the bytes in a word allows: a large
// file of blank lines, or one long line, is then read at the speed of the memory.
constexpr bool scan_words = std::endian::native == std::endian::little;
constexpr std::uint64_t each_byte = 0x0101010101010101u;
constexpr std::uint64_t high_bits = 0x8080808080808080u;
constexpr std::uint64_t low_bits = ~high_bits;

std::uint64_t load_word(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// The high bit of every byte of the word that is 0, and of no other.
std::uint64_t zero_bytes(std::uint64_t word) {
    return ~(((word & low_bits) + low_bits) | word | low_bits);
}

std::uint64_t line_end_bytes(std::uint64_t word) {
    return zero_bytes(word ^ (each_byte * '\r')) | zero_bytes(word ^ (each_byte * '\n'));
}

// Whether a byte of the word is above 32: a character, in UTF-8 and Windows-1252 alike.
bool any_above_32(std::uint64_t word) {
    return (((word & low_bits) + each_byte * (127 - 32)) | word) & high_bits;
}

// The first CR or LF from begin on, or end; ascii tells whether the bytes before it are.
qsizetype find_line_end(const char* text, qsizetype begin, qsizetype end, bool& ascii) {
    std::uint64_t seen = 0;
    qsizetype i = begin;
    if constexpr (scan_words) {
        for (; i + 8 <= end; i += 8) {
            const std::uint64_t word = load_word(text + i);
            if (const std::uint64_t ends = line_end_bytes(word)) {
                const int before = std::countr_zero(ends) / 8;
                seen |= before == 0 ? 0 : word & (~std::uint64_t(0) >> (64 - 8 * before));
                ascii = !(seen & high_bits);
                return i + before;
            }
            seen |= word;
        }
    }
    for (; i < end && text[i] != '\r' && text[i] != '\n'; ++i)
        seen |= static_cast<unsigned char>(text[i]);
    ascii = !(seen & high_bits);
    return i;
}

#if defined(Q_OS_LINUX)
// MemAvailable of /proc/meminfo: the memory free plus what the system can reclaim at once.
std::optional<qint64> memory_available() {
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray text = meminfo.read(4096);
    const qsizetype at = text.indexOf("MemAvailable:");
    if (at < 0)
        return std::nullopt;
    bool ok = false;
    const qint64 kb = text.mid(at + 13, text.indexOf('\n', at) - at - 13)
                          .trimmed()
                          .split(' ')
                          .value(0)
                          .toLongLong(&ok);
    return ok ? std::optional<qint64>(kb * 1024) : std::nullopt;
}

// Field k of /proc/self/statm (0: the address space, 5: the data segment) in bytes, 0 when
// unknown.
qint64 process_pages(int k) {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(k).toLongLong() * sysconf(_SC_PAGESIZE);
}
#else
std::optional<qint64> memory_available() {
    return std::nullopt;
}

qint64 process_pages(int) {
    return 0;
}
#endif

// The whole file in one array of its size, without the doubling of a growing one; a file that
// grows meanwhile is read to its end all the same.
QByteArray read_whole(QFile& file, qint64 size) {
    QByteArray bytes(size, Qt::Uninitialized);
    advise_huge_pages(bytes.constData(), size_t(size));
    qint64 done = 0;
    while (done < size) {
        const qint64 n = file.read(bytes.data() + done, size - done);
        if (n <= 0)
            break;
        done += n;
    }
    bytes.truncate(done);
    if (done == size && file.error() == QFileDevice::NoError)
        bytes += file.readAll();
    return bytes;
}

// The descriptor of standard input, or of a pipe a shell handed over (<(...)), that the path
// names; -1 for a path to be opened, a regular file behind such a name included. A named pipe is
// opened as any device is, and refused: nobody may ever write to it.
int stream_to_read(const QString& path) {
    const int fd = named_descriptor(path, true);
#if defined(Q_OS_UNIX)
    struct stat s {};
    if (fd >= 0 && !is_standard_stream(path) && ::fstat(fd, &s) == 0 && S_ISREG(s.st_mode))
        return -1;
#endif
    return fd;
}

// The bytes of a stream as they come, up to the size a file may have; its size is not known
// before. A terminal is refused: the reading would wait for somebody typing.
TFileReadResult read_stream(QFile& file, const QString& path) {
    TFileReadResult result;
#if defined(Q_OS_UNIX)
    if (isatty(file.handle())) {
        result.error = QStringLiteral("Cannot read file [%1]: it is a terminal; send the data "
                                      "through a pipe or from a file.")
                           .arg(path);
        return result;
    }
#endif
    const qint64 limit = readable_file_size_limit();
    constexpr qsizetype chunk = qsizetype(1) << 16;
    QByteArray& bytes = result.bytes;
    try {
        for (;;) {
            const qsizetype at = bytes.size();
            if (bytes.capacity() < at + chunk)
                bytes.reserve(std::max(2 * bytes.capacity(), at + chunk));
            bytes.resize(at + chunk);
            const qint64 n = file.read(bytes.data() + at, chunk);
            bytes.resize(at + std::max<qint64>(n, 0));
            if (n <= 0)
                break;
            if (bytes.size() > limit) {
                result.error = file_too_large_message(path, bytes.size());
                result.too_large = true;
                bytes = QByteArray();
                return result;
            }
        }
    } catch (const std::bad_alloc&) {
        result.error = file_too_large_message(path, bytes.size());
        result.too_large = true;
        bytes = QByteArray();
        return result;
    }
    if (file.error() != QFileDevice::NoError) {
        result.error = QStringLiteral("Cannot read file [%1]: %2").arg(path, file.errorString());
        bytes = QByteArray();
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace

QStringList decode_text_lines(const QByteArray& bytes) {
    return split_lines(decode_text(bytes));
}

TTextReadResult read_text_lines(const QString& path) {
    TTextReadResult result;
    TFileReadResult file = read_file_bytes(path);
    if (!file.ok) {
        result.error = file.error;
        return result;
    }
    try {
        result.lines = decode_text_lines(file.bytes);
    } catch (const std::bad_alloc&) {
        result.lines.clear();
        result.error = file_too_large_message(path, file.bytes.size());
        return result;
    }
    result.ok = true;
    return result;
}

qint64 readable_file_size_limit() {
    // A line may take the whole text and is decoded into a string of twice its bytes.
    qint64 limit = std::numeric_limits<qsizetype>::max() / 4;
#if defined(Q_OS_UNIX)
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page_size = sysconf(_SC_PAGESIZE);
    if (pages > 0 && page_size > 0)
        limit = std::min<qint64>(limit, qint64(pages) * page_size);
    // What the system can give without taking memory from elsewhere.
    if (const std::optional<qint64> available = memory_available())
        limit = std::min(limit, *available);
    // What the limits of this process leave beside what it uses already.
    const std::array<std::pair<int, qint64>, 2> limits = {std::pair{RLIMIT_AS, process_pages(0)},
                                                          std::pair{RLIMIT_DATA, process_pages(5)}};
    for (const auto& [resource, used] : limits) {
        rlimit r{};
        if (getrlimit(resource, &r) == 0 && r.rlim_cur != RLIM_INFINITY) {
            const auto allowed =
                qint64(std::min<rlim_t>(r.rlim_cur, rlim_t(std::numeric_limits<qint64>::max())));
            limit = std::min(limit, std::max<qint64>(allowed - used, 0));
        }
    }
#endif
    return limit;
}

QString file_too_large_message(const QString& path, qint64 size) {
    return QStringLiteral("Cannot read file [%1]: too large (%2) for the memory available.")
        .arg(path, QLocale::c().formattedDataSize(size, 1, QLocale::DataSizeSIFormat));
}

TFileReadResult read_file_bytes(const QString& path) {
    TFileReadResult result;
    if (const int fd = stream_to_read(path); fd >= 0) {
        QFile in;
        if (!in.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            result.error = QStringLiteral("Cannot open file [%1]: %2").arg(path, in.errorString());
            return result;
        }
        return read_stream(in, path);
    }
    if (QFileInfo(path).isDir()) {
        result.error = QStringLiteral("Cannot read file [%1]: it is a folder.").arg(path);
        return result;
    }
    // A device would block the reading or fill the memory.
    if (QFileInfo info(path); info.exists() && !info.isFile()) {
        result.error = QStringLiteral("Cannot read file [%1]: it is not a regular file.").arg(path);
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("Cannot open file [%1]: %2").arg(path, file.errorString());
        return result;
    }
    // Refused before a byte is read: an allocation beyond the memory would not fail here but
    // have the system end the program once the pages are touched.
    const qint64 size = file.size();
    if (size > readable_file_size_limit()) {
        result.error = file_too_large_message(path, size);
        result.too_large = true;
        return result;
    }
    try {
        result.bytes = read_whole(file, size);
    } catch (const std::bad_alloc&) {
        result.bytes = QByteArray();
        result.error = file_too_large_message(path, size);
        result.too_large = true;
        return result;
    }
    if (file.error() != QFileDevice::NoError) {
        result.bytes = QByteArray();
        result.error = QStringLiteral("Cannot read file [%1]: %2").arg(path, file.errorString());
        return result;
    }
    result.ok = true;
    return result;
}

TextLines::TextLines(QByteArray bytes) : bytes_(std::move(bytes)) {
    const QByteArrayView view(bytes_);
    if (view.startsWith(utf8_bom)) {
        // The text after the mark is decoded as a whole text would be, which drops one more.
        at_ = view.sliced(3).startsWith(utf8_bom) ? 6 : 3;
    } else if (view.startsWith("\xFF\xFE") || view.startsWith("\xFE\xFF")) {
        decoded_ =
            decode_utf16(view.sliced(2), view.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                                     : QStringConverter::Utf16BE);
        bytes_ = QByteArray();
        encoding_ = Encoding::Decoded;
    } else if (!is_valid_utf8(bytes_)) {
        encoding_ = Encoding::Cp1252;
    }
    end_ = encoding_ == Encoding::Decoded ? decoded_.size() : bytes_.size();
}

bool TextLines::next() {
    if (at_ >= end_)
        return false; // a line end at the very end starts no further line
    line_begin_ = at_;
    if (encoding_ == Encoding::Decoded) {
        const QChar* text = decoded_.constData();
        line_end_ = find_line_end(text, at_, end_);
        at_ = after_line_end(text, line_end_, end_);
    } else {
        const char* text = bytes_.constData();
        line_end_ = find_line_end(text, at_, end_, line_ascii_);
        at_ = after_line_end(text, line_end_, end_);
    }
    ++line_number_;
    return true;
}

namespace {

// From the line beginning at begin, the beginning of the first line holding a character above
// code 32, or end; lines counts the lines passed over.
template <typename Char>
qsizetype skip_blank_lines(const Char* text, qsizetype begin, qsizetype end, qint64& lines) {
    qsizetype line = begin;
    for (qsizetype i = begin; i < end; ++i) {
        const auto c = static_cast<std::make_unsigned_t<Char>>(text[i]);
        if (c > 32)
            return line;
        if (c == '\r' || c == '\n') {
            line = after_line_end(text, i, end);
            i = line - 1;
            ++lines;
        }
    }
    return end;
}

// The same eight bytes at a time while there is neither a character nor a CR.
qsizetype skip_blank_lines(const char* text, qsizetype begin, qsizetype end, qint64& lines) {
    qsizetype line = begin;
    qsizetype i = begin;
    while (i < end) {
        if (scan_words && i + 8 <= end) {
            const std::uint64_t word = load_word(text + i);
            if (!any_above_32(word) && !zero_bytes(word ^ (each_byte * '\r'))) {
                if (const std::uint64_t ends = zero_bytes(word ^ (each_byte * '\n'))) {
                    lines += std::popcount(ends);
                    line = i + (63 - std::countl_zero(ends)) / 8 + 1;
                }
                i += 8;
                continue;
            }
        }
        const auto c = static_cast<unsigned char>(text[i]);
        if (c > 32)
            return line;
        if (c == '\r' || c == '\n') {
            line = i = after_line_end(text, i, end);
            ++lines;
        } else {
            ++i;
        }
    }
    return end;
}

} // namespace

bool TextLines::next_nonblank() {
    if (encoding_ == Encoding::Decoded)
        at_ = skip_blank_lines(reinterpret_cast<const char16_t*>(decoded_.constData()), at_, end_,
                               line_number_);
    else
        at_ = skip_blank_lines(bytes_.constData(), at_, end_, line_number_);
    return next();
}

QStringView TextLines::text() {
    if (encoding_ == Encoding::Decoded)
        return QStringView(decoded_).sliced(line_begin_, line_end_ - line_begin_);
    return decode(line_begin_, line_end_);
}

QStringView TextLines::trimmed_text() {
    if (encoding_ == Encoding::Decoded)
        return trim_control(text());
    // A character of code 32 or less is one byte of the same value in UTF-8 and Windows-1252,
    // and no such byte is part of another character.
    const char* bytes = bytes_.constData();
    const auto* text = reinterpret_cast<const unsigned char*>(bytes);
    qsizetype begin = line_begin_;
    qsizetype end = line_end_;
    if constexpr (scan_words) {
        while (begin + 8 <= end && !any_above_32(load_word(bytes + begin)))
            begin += 8;
    }
    while (begin < end && text[begin] <= 32)
        ++begin;
    if constexpr (scan_words) {
        while (end - 8 >= begin && !any_above_32(load_word(bytes + end - 8)))
            end -= 8;
    }
    while (end > begin && text[end - 1] <= 32)
        --end;
    return decode(begin, end);
}

QStringView TextLines::decode(qsizetype begin, qsizetype end) {
    const char* bytes = bytes_.constData() + begin;
    const qsizetype n = end - begin;
    if (line_ascii_ || encoding_ == Encoding::Cp1252) {
        buffer_.resize(n);
        QChar* out = buffer_.data();
        if (line_ascii_) {
            for (qsizetype i = 0; i < n; ++i)
                out[i] = QLatin1Char(bytes[i]);
        } else {
            for (qsizetype i = 0; i < n; ++i)
                out[i] = cp1252_char(static_cast<unsigned char>(bytes[i]));
        }
        return QStringView(buffer_.constData(), n);
    }
    // Stateless, and a mark kept as a character: each line decodes as it does within the text,
    // where only a mark at the very beginning is dropped.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                    QStringConverter::Flag::ConvertInitialBom);
    buffer_.resize(utf8.requiredSpace(n));
    const QChar* written = utf8.appendToBuffer(buffer_.data(), QByteArrayView(bytes, n));
    return QStringView(buffer_.constData(), written - buffer_.constData());
}

namespace {

template <typename Char>
qsizetype count_nonblank(const Char* text, qsizetype begin, qsizetype end) {
    qsizetype count = 0;
    bool nonblank = false;
    for (qsizetype i = begin; i < end; ++i) {
        const auto c = static_cast<std::make_unsigned_t<Char>>(text[i]);
        if (c == '\r' || c == '\n') {
            count += nonblank;
            nonblank = false;
        } else {
            nonblank |= c > 32;
        }
    }
    return count + nonblank;
}

qsizetype count_nonblank(const char* text, qsizetype begin, qsizetype end) {
    qsizetype count = 0;
    qint64 blank_lines = 0;
    bool ascii = true;
    for (qsizetype i = skip_blank_lines(text, begin, end, blank_lines); i < end;
         i = skip_blank_lines(text, i, end, blank_lines)) {
        ++count;
        i = after_line_end(text, find_line_end(text, i, end, ascii), end);
    }
    return count;
}

} // namespace

qsizetype TextLines::count_nonblank_lines() const {
    if (encoding_ == Encoding::Decoded)
        return count_nonblank(reinterpret_cast<const char16_t*>(decoded_.constData()), at_, end_);
    return count_nonblank(bytes_.constData(), at_, end_);
}

bool write_file_atomically(const QString& path, const QByteArray& bytes, QString* error) {
    auto fail = [&](const QString& reason) {
        if (error)
            *error = QStringLiteral("Cannot write file [%1]: %2").arg(path, reason);
        return false;
    };
    // A folder is refused, a stream written directly (a rename would put a plain file in place
    // of a device node, which root may write to), a file replaced once the bytes are complete.
    TOutputFile file(path);
    QString reason;
    if (!file.open(reason))
        return fail(reason);
    // A write stopped short by a full disk takes the rest again, to learn why.
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 n = file.device().write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            reason = file.device().errorString();
            file.cancel();
            return fail(reason);
        }
        done += n;
    }
    if (!file.commit(reason))
        return fail(reason);
    if (error)
        error->clear();
    return true;
}

void append_text_line(QByteArray& bytes, QStringView line) {
    bytes += line.toUtf8();
    end_text_line(bytes);
}

bool write_text_lines(const QString& path, const QStringList& lines, QString* error) {
    QByteArray bytes;
    for (const QString& line : lines)
        append_text_line(bytes, line);
    return write_file_atomically(path, bytes, error);
}
