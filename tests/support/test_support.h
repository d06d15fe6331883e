#pragma once

#include "core/messages.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <ostream>

// Records what the code under test would have shown; ask() answers from a preset. on_show, when
// set, runs while the box would be open.
class RecordingMessages : public Messages {
public:
    void show(const QString& text) override {
        shown.append(text);
        if (on_show)
            on_show(text);
    }
    bool ask(const QString& caption, const QString& text) override {
        asked.append(caption + QStringLiteral(": ") + text);
        return answer;
    }
    QStringList shown;
    QStringList asked;
    bool answer = true;
    std::function<void(const QString&)> on_show;
};

// A temporary folder with helpers to write and read files byte for byte.
class TempFolder {
public:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;

private:
    QTemporaryDir dir_;
};

QString test_data_path(const QString& name);

// Bytes for broken files: "~" in text stands for a NUL byte; garbage is reproducible per seed.
QByteArray with_nuls(const char* text);
QByteArray garbage_bytes(int size, unsigned seed);

// Readable failure messages for Qt strings.
void PrintTo(const QString& text, std::ostream* os);
