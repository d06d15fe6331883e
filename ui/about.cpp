#include "ui/about.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace {

QFont sans(int pixels) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    return font;
}

} // namespace

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormAbout"));
    setWindowTitle(QStringLiteral("Quomtel"));
    setFixedSize(281, 173);
    setModal(false);

    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/quomtel.svg")).pixmap(64, 64));
    icon->setGeometry(20, 20, 64, 64);

    auto* name = new QLabel(QStringLiteral("Quomtel"), this);
    name->setFont(sans(19));
    name->setGeometry(100, 28, 170, 26);

    auto* version = new QLabel(QStringLiteral("version 1.10 (2013 Nov 29)"), this);
    version->setFont(sans(15));
    version->setGeometry(100, 58, 175, 22);

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setGeometry(100, 120, 80, 28);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
}

void TFormAbout::show_centred_on(const QWidget& window) {
    show(); // the frame is known once shown
    QRect frame = frameGeometry();
    frame.moveCenter(window.frameGeometry().center());
    move(frame.topLeft());
    raise();
}
