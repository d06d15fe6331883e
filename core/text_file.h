#pragma once

// Whole-file text reading and atomic writing.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

struct TTextReadResult {
    bool ok = false;
    QString error; // a user-readable reason when !ok
    QStringList lines;
};

// Decodes by byte-order mark (UTF-8, UTF-16 LE/BE); without one, valid UTF-8 is UTF-8 and
// anything else Windows-1252, so no byte is lost. Splits at CR LF, LF or CR; a line end at the
// very end does not start another line.
TTextReadResult read_text_lines(const QString& path);
QStringList decode_text_lines(const QByteArray& bytes);

// The largest file the readers take into memory whole: what a string can hold, the memory
// installed, and what the memory available and the limits of this process leave, where the
// system tells (Unix, Linux).
qint64 readable_file_size_limit();

// "Cannot read file [path]: too large (size) for the memory available.", the size in bytes
// shown as "4.3 GB".
QString file_too_large_message(const QString& path, qint64 size);

struct TFileReadResult {
    bool ok = false;
    QString error;          // a user-readable reason when !ok
    bool too_large = false; // the reason is file_too_large_message
    QByteArray bytes;
};

// The bytes of a regular file, refused with file_too_large_message when it is beyond
// readable_file_size_limit() or the memory runs out while it is read; the reasons are those of
// read_text_lines. "-" and /dev/stdin are standard input, and /dev/fd/N a descriptor (a pipe a
// shell hands over with <(...)): read to their end, within the same limit. A terminal is
// refused, and so are named pipes and other devices, which might never end.
TFileReadResult read_file_bytes(const QString& path);

// The lines of a file's bytes, decoded and split exactly as decode_text_lines does it, handed
// out one at a time: no string is made per line. A text in UTF-16 is decoded once, at the
// start; any other is decoded a line at a time into one buffer, so that the reading needs the
// bytes, a line and what it makes of them. Not copyable: the line handed out points into it.
class TextLines {
public:
    explicit TextLines(QByteArray bytes);
    TextLines(const TextLines&) = delete;
    TextLines& operator=(const TextLines&) = delete;

    // Moves to the next line; false after the last.
    bool next();
    // Moves to the next line that holds a character above code 32, passing over lines of
    // blanks at the speed of a search, but counting them; false after the last.
    bool next_nonblank();
    // The current line, valid until any other call.
    QStringView text();
    // trim_control(text()), the blanks cut before the decoding; valid as text() is.
    QStringView trimmed_text();
    // Of the current line, from 1.
    qint64 line_number() const { return line_number_; }

    // Bytes, or for UTF-16 characters, of the lines not read yet.
    qsizetype characters_left() const { return end_ - at_; }
    // How many of the lines not read yet hold a character above code 32, without reading them:
    // a bound for what a reader may make of them.
    qsizetype count_nonblank_lines() const;

private:
    enum class Encoding { Utf8, Cp1252, Decoded };
    QStringView decode(qsizetype begin, qsizetype end);

    QByteArray bytes_; // the file's bytes; empty once decoded whole
    QString decoded_;  // the whole text, for UTF-16
    Encoding encoding_ = Encoding::Utf8;
    qsizetype at_ = 0;  // where the next line begins: in bytes_, or in decoded_
    qsizetype end_ = 0; // where the text ends
    qsizetype line_begin_ = 0;
    qsizetype line_end_ = 0;
    bool line_ascii_ = true;
    qint64 line_number_ = 0;
    QString buffer_; // the current line decoded
};

// Every line ended by CR LF, UTF-8 without byte-order mark. The target is replaced atomically:
// a failed save leaves any previous file intact. Returns false with a reason in *error.
bool write_text_lines(const QString& path, const QStringList& lines, QString* error);

// The bytes write_text_lines writes, for writers that build them piece by piece: a line's
// UTF-8 text, then end_text_line.
void append_text_line(QByteArray& bytes, QStringView line);
inline void end_text_line(QByteArray& bytes) {
    bytes.append("\r\n", 2);
}

// Replaces the file at path with bytes, atomically as above; a stream ("-" for standard output,
// /dev/stdout, a pipe, a device) is written directly (see TOutputFile).
bool write_file_atomically(const QString& path, const QByteArray& bytes, QString* error);
