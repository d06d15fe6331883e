#pragma once

// What the views ask of the user: message boxes and file dialogs. The window backs them with
// real boxes; the tests inject answers so that nothing ever blocks.

#include "core/messages.h"
#include "faults/table_reader.h"
#include "output/picture_files.h"
#include "session/inversion.h"

#include <QString>

#include <optional>

class QWidget;

// A stress state as typed: sigma1 and sigma3 as trend/plunge, and the stress ratio.
struct TStressValues {
    Tazpl sigma1 = make_azpl(0, 90);
    Tazpl sigma3 = make_azpl(0, 0);
    float phi = 0.5f;
};

// What "Save All Results" writes into: a folder, and the pictures' format.
struct TSaveAllChoice {
    QString folder;
    TPictureFormat format = TPictureFormat::Svg;
};

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
    // The values of a stress state, checked as the batch tool's --stress; nothing on cancel.
    virtual std::optional<TStressValues> designate_values(const TStressValues& initial) = 0;
    virtual std::optional<TSaveAllChoice> save_all() = 0;
    // The method and settings of an inversion, the fitness counted under measure; nothing on
    // cancel. The values come as typed: the session checks them.
    virtual std::optional<TInversionSettings> invert_settings(const TInversionSettings& initial,
                                                              TMifitMeasure measure) = 0;
    // A file was opened or saved other than through these dialogs (dropped, recent, named on
    // the command line): the next dialog starts in its folder.
    virtual void file_used(const QString& path) { (void)path; }
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
    std::optional<TStressValues> designate_values(const TStressValues& initial) override;
    std::optional<TSaveAllChoice> save_all() override;
    std::optional<TInversionSettings> invert_settings(const TInversionSettings& initial,
                                                      TMifitMeasure measure) override;
    // The folder is kept in the settings: the first dialog of the next run starts there too.
    void file_used(const QString& path) override;

private:
    QString start_folder() const;

    QWidget* parent_;
};

// The filter of the picture save dialogs, metafiles first; the extension picks the format.
QString picture_filter();
