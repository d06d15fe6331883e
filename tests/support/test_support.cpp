#include "tests/support/test_support.h"

#include <QFile>

#include <random>

QString TempFolder::write(const QString& name, const QByteArray& bytes) const {
    const QString p = path(name);
    QFile f(p);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return p;
}

QByteArray TempFolder::read(const QString& name) const {
    QFile f(path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString test_data_path(const QString& name) {
    return QStringLiteral(QUOMTEL_TEST_DATA_DIR "/") + name;
}

void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

QByteArray with_nuls(const char* text) {
    return QByteArray(text).replace('~', '\0');
}

QByteArray garbage_bytes(int size, unsigned seed) {
    std::mt19937 random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& c : bytes)
        c = char(random());
    return bytes;
}
