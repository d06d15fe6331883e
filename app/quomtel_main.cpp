#include "app/screenshots.h"
#include "ui/main.h"

#include <QApplication>
#include <QIcon>
#include <QStringList>
#include <QTextStream>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quomtel"));
    // Desktops find the entry and icon by this name; the icon built in stands in for a theme's.
    QApplication::setDesktopFileName(QStringLiteral("quomtel"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("quomtel"), QIcon(QStringLiteral(":/icons/quomtel.svg"))));
    TFormMain window;
    window.show();
    QStringList files = QApplication::arguments().mid(1);
    // `--screenshots DIR` (for `make screenshots`, not for users): the documentation's pictures.
    QString screenshot_folder;
    if (files.size() >= 2 && files.constFirst() == QStringLiteral("--screenshots")) {
        screenshot_folder = files.at(1);
        files = files.mid(2);
    }
    // Files named on the command line open in order, routed like a drop.
    for (const QString& file : files)
        window.open_file(file);
    if (screenshot_folder.isEmpty())
        return QApplication::exec();

    TScreenshotOptions options;
    options.folder = screenshot_folder;
    TScreenshotDriver driver(window, options);
    QObject::connect(&driver, &TScreenshotDriver::finished, &app, [&](const QString& error) {
        QTextStream out(error.isEmpty() ? stdout : stderr);
        for (const QString& path : driver.written())
            out << path << '\n';
        if (!error.isEmpty())
            out << "quomtel --screenshots: " << error << '\n';
        QCoreApplication::exit(error.isEmpty() ? 0 : 1);
    });
    driver.start();
    return QApplication::exec();
}
