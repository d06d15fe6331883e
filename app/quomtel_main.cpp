#include "ui/main.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quomtel"));
    TFormMain window;
    window.show();
    return QApplication::exec();
}
