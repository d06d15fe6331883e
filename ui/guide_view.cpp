#include "ui/guide_view.h"

#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QVBoxLayout>

QUrl user_guide_url(const QString& executable_dir) {
    const QString installed =
        QDir(executable_dir).filePath(QStringLiteral("../share/doc/quomtel/docs/user-guide.md"));
    if (QFileInfo(installed).isFile())
        return QUrl::fromLocalFile(QFileInfo(installed).canonicalFilePath());
    return QUrl(QStringLiteral("qrc:/guide/user-guide.md"));
}

TGuideView::TGuideView(const QUrl& guide, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Quomtel User Guide"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    browser = new QTextBrowser(this);
    browser->setOpenExternalLinks(true);
    browser->setSource(guide, QTextDocument::MarkdownResource);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    resize(900, 700);
}
