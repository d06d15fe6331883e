#include "ui/about.h"

#include "core/version.h"
#include "ui/fit_size.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

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
    setModal(false);

    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/quomtel.svg")).pixmap(64, 64));
    icon->setGeometry(20, 20, 64, 64);

    auto* name = new QLabel(QStringLiteral("Quomtel"), this);
    name->setFont(sans(19));
    name->setGeometry(100, 28, std::max(170, name->sizeHint().width()), 26);

    auto* version = new QLabel(
        QStringLiteral("version %1 (%2)").arg(quomtel_version, quomtel_release_date), this);
    version->setFont(sans(15));
    // Where Arial is missing, its stand-in may be wider than the 175 pixels the line has.
    version->setGeometry(100, 58, std::max(175, version->sizeHint().width()), 22);

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    const QSize needed = close->sizeHint();
    close->setGeometry(100, 120, grown_size(*close, 80, needed.width()),
                       grown_size(*close, 28, needed.height()));
    // 281 x 173, or as much more as the texts need.
    setFixedSize(std::max({281, name->geometry().right() + 7, version->geometry().right() + 7}),
                 std::max(173, close->geometry().bottom() + 26));
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
