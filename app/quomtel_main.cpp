#include "app/screenshots.h"
#include "ui/main.h"
#include "ui/window_arguments.h"

#include <QApplication>
#include <QIcon>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char** argv) {
    // --help and --version print without a window, so without a display too.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const TWindowArguments parsed = parse_window_arguments(arguments);
    if (parsed.kind != TWindowArguments::Kind::Run) {
        QTextStream out(parsed.kind == TWindowArguments::Kind::UsageError ? stderr : stdout);
        out << parsed.text;
        return parsed.kind == TWindowArguments::Kind::UsageError ? 2 : 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quomtel"));
    // Desktops find the entry and icon by this name; the icon built in stands in for a theme's.
    QApplication::setDesktopFileName(QStringLiteral("quomtel"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("quomtel"), QIcon(QStringLiteral(":/icons/quomtel.svg"))));
    // The documentation's pictures show the window as it first starts, whatever this user set,
    // and leave the user's settings alone.
    QTemporaryDir fresh_settings;
    TMainOptions main_options;
    if (!parsed.screenshot_folder.isEmpty())
        main_options.settings_path = fresh_settings.filePath(QStringLiteral("screenshots.conf"));
    TFormMain window(main_options);
    window.show();
    // Files named on the command line open in order, routed like a drop.
    for (const QString& file : parsed.files)
        window.open_file(file);
    // `--screenshots DIR` (for `make screenshots`, not for users): the documentation's pictures.
    const QString screenshot_folder = parsed.screenshot_folder;
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
