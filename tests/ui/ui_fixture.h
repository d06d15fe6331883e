#pragma once

// A main window with recorded messages and scripted dialogs, shown offscreen.

#include "session/session.h"
#include "tests/support/test_support.h"
#include "ui/dialogs.h"
#include "ui/fd_view.h"
#include "ui/main.h"
#include "ui/text_list.h"

#include <QApplication>
#include <QStringList>
#include <QTest>

#include <memory>

class ScriptedDialogs : public FileDialogs {
public:
    QString open_file(const TFileDialogSpec& spec) override {
        opened.append(spec.title);
        return next_path;
    }
    QString save_file(const TFileDialogSpec& spec) override {
        saved.append(spec.title);
        return next_path;
    }
    std::optional<TTableOptions> import_table(const QString& name, const QString& text) override {
        imported.append(name);
        imported_text = text;
        return next_table;
    }
    QString next_path;
    QStringList opened;
    QStringList saved;
    std::optional<TStressValues> designate_values(const TStressValues& initial) override {
        designate_initial = initial;
        return next_values;
    }
    std::optional<TSaveAllChoice> save_all() override { return next_save_all; }
    std::optional<TInversionSettings> invert_settings(const TInversionSettings& initial,
                                                      TMifitMeasure measure) override {
        invert_initial = initial;
        invert_measure = measure;
        return next_inversion;
    }
    void file_used(const QString& path) override { used.append(path); }
    std::optional<TTableOptions> next_table; // nothing: the import dialog is cancelled
    std::optional<TStressValues> next_values;
    std::optional<TStressValues> designate_initial;
    std::optional<TSaveAllChoice> next_save_all;
    std::optional<TInversionSettings> next_inversion; // nothing: the invert dialog is cancelled
    std::optional<TInversionSettings> invert_initial;
    std::optional<TMifitMeasure> invert_measure;
    QStringList used;
    QStringList imported;
    QString imported_text;
};

struct UiFixture {
    TempFolder folder;
    RecordingMessages messages;
    ScriptedDialogs dialogs;
    std::unique_ptr<TFormMain> window;

    UiFixture() {
        TMainOptions options;
        options.log_path = folder.path(QStringLiteral("QMT.log"));
        options.settings_path = folder.path(QStringLiteral("settings.ini"));
        options.messages = &messages;
        options.dialogs = &dialogs;
        window = std::make_unique<TFormMain>(options);
        window->show();
        QApplication::processEvents();
    }

    TFormFD& fd() { return *window->fd_view; }
    TSession& session() { return window->session(); }

    QStringList log_lines() const {
        return QString::fromUtf8(folder.read(QStringLiteral("QMT.log")))
            .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

    QString write_fault_data(const QString& name, const QByteArray& text) {
        return folder.write(name, text);
    }
};
