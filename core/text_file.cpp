#include "core/text_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <array>

namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing beyond U+10FFFF, no cut sequence.
bool is_valid_utf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
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

QString decode_cp1252(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = (b >= 0x80 && b <= 0x9F) ? QChar(cp1252_high[b - 0x80]) : QChar(b);
    }
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

} // namespace

QStringList decode_text_lines(const QByteArray& bytes) {
    return split_lines(decode_text(bytes));
}

TTextReadResult read_text_lines(const QString& path) {
    TTextReadResult result;
    if (QFileInfo(path).isDir()) {
        result.error = QStringLiteral("Cannot read file [%1]: it is a folder.").arg(path);
        return result;
    }
    // A device or pipe would block the reading or fill the memory.
    if (QFileInfo info(path); info.exists() && !info.isFile()) {
        result.error = QStringLiteral("Cannot read file [%1]: it is not a regular file.").arg(path);
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("Cannot open file [%1]: %2").arg(path, file.errorString());
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = QStringLiteral("Cannot read file [%1]: %2").arg(path, file.errorString());
        return result;
    }
    result.lines = decode_text_lines(bytes);
    result.ok = true;
    return result;
}

bool write_file_atomically(const QString& path, const QByteArray& bytes, QString* error) {
    auto fail = [&](const QString& reason) {
        if (error)
            *error = QStringLiteral("Cannot write file [%1]: %2").arg(path, reason);
        return false;
    };
    // A folder, device or pipe is no file to replace: the rename below would put a plain file
    // in place of a device node (root may write to /dev) and report success.
    if (const QFileInfo info(path); info.exists() && !info.isFile())
        return fail(info.isDir() ? QStringLiteral("it is a folder.")
                                 : QStringLiteral("it is not a regular file."));
    // The bytes go to a temporary file beside the target, which replaces the target only once
    // it is complete; writing in place would destroy the old file on a failure.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    // Unbuffered: a buffered file is written out only by commit(), which then renames a
    // truncated file into place when the disk fills, and reports success.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(file.errorString());
    // A write stopped short by a full disk takes the rest again, to learn why.
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return fail(reason);
        }
        done += n;
    }
    if (!file.commit())
        return fail(file.errorString());
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
