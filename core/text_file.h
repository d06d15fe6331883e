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

// Every line ended by CR LF, UTF-8 without byte-order mark. The target is replaced atomically:
// a failed save leaves any previous file intact. Returns false with a reason in *error.
bool write_text_lines(const QString& path, const QStringList& lines, QString* error);

// The bytes write_text_lines writes, for writers that build them piece by piece: a line's
// UTF-8 text, then end_text_line.
void append_text_line(QByteArray& bytes, QStringView line);
inline void end_text_line(QByteArray& bytes) {
    bytes.append("\r\n", 2);
}

// Replaces the file at path with bytes, atomically as above.
bool write_file_atomically(const QString& path, const QByteArray& bytes, QString* error);
