#pragma once

// What the views ask of the user: message boxes and file dialogs. The window backs them with
// real boxes; the tests inject answers so that nothing ever blocks.

#include "core/messages.h"
#include "faults/table_reader.h"

#include <QString>

#include <optional>

class QWidget;

// A file dialog's settings. The filter uses "Description|*.a;*.b|..." pairs.
struct TFileDialogSpec {
    QString title;
    QString filter;
    QString default_extension; // with the dot, or empty
    bool confirm_overwrite = false;
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // An empty path when the user cancels.
    virtual QString open_file(const TFileDialogSpec& spec) = 0;
    virtual QString save_file(const TFileDialogSpec& spec) = 0;
    // The columns and conventions of a table to import (name is its file's, text its text);
    // nothing when the user cancels.
    virtual std::optional<TTableOptions> import_table(const QString& name, const QString& text) = 0;
};

// Turns "Description|*.a;*.b|..." into Qt's ";;"-separated "Description (*.a *.b)" list.
QString qt_name_filters(const QString& filter);

class BoxMessages : public Messages {
public:
    explicit BoxMessages(QWidget* parent = nullptr) : parent_(parent) {}
    void set_parent(QWidget* parent) { parent_ = parent; }
    void show(const QString& text) override;
    bool ask(const QString& caption, const QString& text) override;

private:
    QWidget* parent_;
};

class QtFileDialogs : public FileDialogs {
public:
    explicit QtFileDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void set_parent(QWidget* parent) { parent_ = parent; }
    QString open_file(const TFileDialogSpec& spec) override;
    QString save_file(const TFileDialogSpec& spec) override;
    // Starts with the roles last chosen for a table of the same header.
    std::optional<TTableOptions> import_table(const QString& name, const QString& text) override;

private:
    QWidget* parent_;
    QString last_folder_;
};

// The filter of the picture save dialogs, metafiles first; the extension picks the format.
QString picture_filter();
