#include "ui/dialogs.h"

#include "ui/table_import.h"

#include <QCryptographicHash>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
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

QString QtFileDialogs::open_file(const TFileDialogSpec& spec) {
    const QString path = QFileDialog::getOpenFileName(parent_, spec.title, last_folder_,
                                                      qt_name_filters(spec.filter));
    if (!path.isEmpty())
        last_folder_ = QFileInfo(path).absolutePath();
    return path;
}

QString QtFileDialogs::save_file(const TFileDialogSpec& spec) {
    QFileDialog dialog(parent_, spec.title, last_folder_, qt_name_filters(spec.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (!spec.default_extension.isEmpty())
        dialog.setDefaultSuffix(
            spec.default_extension.mid(spec.default_extension.startsWith(u'.')));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !spec.confirm_overwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    last_folder_ = dialog.directory().absolutePath();
    return dialog.selectedFiles().constFirst();
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
