#pragma once

// The user guide inside the program, with its pictures: the installed copy when there is one
// (a packager's edits show), else the copy built into the program. No browser needed.

#include <QDialog>
#include <QUrl>

class QTextBrowser;

// The guide to show: share/doc/quomtel/docs/user-guide.md beside the program's bin folder, or
// the built-in one.
QUrl user_guide_url(const QString& executable_dir);

class TGuideView : public QDialog {
    Q_OBJECT
public:
    TGuideView(const QUrl& guide, QWidget* parent = nullptr);
    QTextBrowser* browser = nullptr;
};
