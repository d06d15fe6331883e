#include "ui/main.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quomtel"));
    TFormMain window;
    window.show();
    // Files named on the command line open in order, routed like a drop.
    const QStringList files = QApplication::arguments().mid(1);
    for (const QString& file : files)
        window.open_file(file);
    return QApplication::exec();
}
