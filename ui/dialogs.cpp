#include "ui/dialogs.h"

#include "ui/invert_dialog.h"
#include "ui/table_import.h"
#include "ui/value_dialogs.h"

#include <QCryptographicHash>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSettings>
#include <QStringList>

QString qt_name_filters(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        // Qt reads the patterns from the parentheses, separated by spaces.
        QString description = parts[i];
        const qsizetype open = description.lastIndexOf(u'(');
        if (open > 0)
            description = description.left(open).trimmed();
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& p : patterns)
            if (p == QStringLiteral("*.*"))
                p = QStringLiteral("*"); // files without a dot too
        filters.append(description + QStringLiteral(" (") + patterns.join(u' ') + u')');
    }
    return filters.join(QStringLiteral(";;"));
}

void BoxMessages::show(const QString& text) {
    QMessageBox::information(parent_, QStringLiteral("Quomtel"), message_box_text(text));
}

bool BoxMessages::ask(const QString& caption, const QString& text) {
    return QMessageBox::question(parent_, caption, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

namespace {

const QString last_folder_key = QStringLiteral("Dialogs/lastFolder");

// The extension of a filter such as "PNG image (*.png)": ".png"; empty for "*" or "*.*".
QString filter_extension(const QString& filter) {
    const qsizetype at = filter.indexOf(QStringLiteral("(*."));
    if (at < 0)
        return QString();
    const qsizetype end = filter.indexOf(QRegularExpression(QStringLiteral("[ )]")), at + 3);
    const QString extension = filter.mid(at + 3, end - at - 3);
    return extension == QStringLiteral("*") ? QString() : extension;
}

} // namespace

QString QtFileDialogs::start_folder() const {
    const QString folder = QSettings().value(last_folder_key).toString();
    return QFileInfo(folder).isDir() ? folder : QString();
}

void QtFileDialogs::file_used(const QString& path) {
    if (!path.isEmpty())
        QSettings().setValue(last_folder_key, QFileInfo(path).absolutePath());
}

QString QtFileDialogs::open_file(const TFileDialogSpec& spec) {
    const QString path = QFileDialog::getOpenFileName(parent_, spec.title, start_folder(),
                                                      qt_name_filters(spec.filter));
    file_used(path);
    return path;
}

QString QtFileDialogs::save_file(const TFileDialogSpec& spec) {
    QFileDialog dialog(parent_, spec.title, start_folder(), qt_name_filters(spec.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (!spec.default_extension.isEmpty())
        dialog.setDefaultSuffix(
            spec.default_extension.mid(spec.default_extension.startsWith(u'.')));
    // A name without extension gets the one of the format chosen in the filter.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
        if (const QString extension = filter_extension(f); !extension.isEmpty())
            dialog.setDefaultSuffix(extension);
    });
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !spec.confirm_overwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    const QString path = dialog.selectedFiles().constFirst();
    file_used(path);
    return path;
}

std::optional<TStressValues> QtFileDialogs::designate_values(const TStressValues& initial) {
    TDesignateDialog dialog(initial, parent_);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.values();
}

std::optional<TSaveAllChoice> QtFileDialogs::save_all() {
    TSaveAllDialog dialog(start_folder(), parent_);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const TSaveAllChoice choice = dialog.choice();
    QSettings().setValue(last_folder_key, choice.folder);
    return choice;
}

std::optional<TInversionSettings> QtFileDialogs::invert_settings(const TInversionSettings& initial,
                                                                 TMifitMeasure measure) {
    TInvertDialog dialog(initial, measure, parent_);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.settings();
}

namespace {

// The settings key of a header: its names, case and punctuation aside.
QString header_key(const QString& text) {
    const TTable table = split_table(text);
    if (!table.layout.header)
        return QString();
    QStringList names;
    for (const QString& name : table.layout.names)
        names.append(name.toLower().simplified());
    const QByteArray hash =
        QCryptographicHash::hash(names.join(u'\x1f').toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("TableColumns/") + QString::fromLatin1(hash.toHex());
}

} // namespace

std::optional<TTableOptions> QtFileDialogs::import_table(const QString& name, const QString& text) {
    const QString key = header_key(text);
    QSettings settings;
    TTableOptions initial;
    // A damaged or foreign value is no list of roles and is ignored.
    if (!key.isEmpty())
        initial.columns = roles_from_list(settings.value(key).toString());
    TTableImportDialog dialog(name, text, initial, parent_);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const TTableOptions chosen = dialog.options();
    if (!key.isEmpty() && chosen.columns) {
        QStringList roles;
        for (const TColumnRole role : *chosen.columns)
            roles.append(role_name(role));
        settings.setValue(key, roles.join(u','));
    }
    return chosen;
}

QString picture_filter() {
    return QStringLiteral("Enhanced metafile (*.emf)|*.emf|SVG picture (*.svg)|*.svg|"
                          "PDF document (*.pdf)|*.pdf|PNG image (*.png)|*.png");
}
