#include "ui/window_arguments.h"

#include "core/version.h"

TWindowArguments parse_window_arguments(const QStringList& arguments) {
    TWindowArguments out;
    bool options = true;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (!options || !a.startsWith(u'-') || a == QStringLiteral("-")) {
            out.files.append(a);
        } else if (a == QStringLiteral("--")) {
            options = false;
        } else if (a == QStringLiteral("-h") || a == QStringLiteral("--help")) {
            out.files.clear();
            out.kind = TWindowArguments::Kind::Help;
            out.text = QStringLiteral(
                "Usage: quomtel [options] [files]\n"
                "Fault-slip analysis: fault data and stress states on stereonets, misfits,\n"
                "Mohr diagram. Files (.efd .fdt .tlv .bk4, tables .csv .tsv) open in order.\n"
                "\n"
                "Options:\n"
                "  -h, --help  Prints these options.\n"
                "  --version   Prints the version.\n"
                "  --          Ends the options: what follows are files.\n"
                "\n"
                "quomtel-batch does the same work without a window; see quomtel-batch --help.\n");
            return out;
        } else if (a == QStringLiteral("--version")) {
            out.files.clear();
            out.kind = TWindowArguments::Kind::Version;
            out.text = QStringLiteral("quomtel %1\n").arg(quomtel_version);
            return out;
        } else if (a == QStringLiteral("--screenshots") && i + 1 < arguments.size()) {
            out.screenshot_folder = arguments[++i];
        } else {
            out.files.clear();
            out.kind = TWindowArguments::Kind::UsageError;
            out.text = QStringLiteral("quomtel: unknown option '%1'\n"
                                      "Try 'quomtel --help' for more information.\n")
                           .arg(a);
            return out;
        }
    }
    return out;
}
