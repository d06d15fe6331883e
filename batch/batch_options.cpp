#include "batch/batch_options.h"

#include "batch/batch_inversion.h"
#include "batch/batch_kinematics.h"
#include "core/number_text.h"
#include "core/output_file.h"
#include "core/version.h"
#include "output/picture_files.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>

#include <climits>
#include <cmath>

namespace {

// Command lines are written for scripts: the decimal point is always '.'.
bool to_number(const QString& text, double& out) {
    return text_to_double(text.trimmed(), out, u'.') && std::isfinite(out);
}

struct Failure {
    QString reason;
};

QString choice(const QCommandLineParser& parser, const QString& name, const QStringList& allowed) {
    const QString value = parser.value(name);
    if (!allowed.contains(value))
        throw Failure{QStringLiteral("--%1 must be %2, not '%3'")
                          .arg(name, allowed.join(QStringLiteral(" or ")), value)};
    return value;
}

int positive_integer(const QString& text, const QString& name) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 1)
        throw Failure{QStringLiteral("--%1 must be an integer from 1 to %2, not '%3'")
                          .arg(name, QString::number(INT_MAX), text)};
    return value;
}

std::optional<bool> on_off(const QCommandLineParser& parser, const QString& name) {
    if (!parser.isSet(name))
        return std::nullopt;
    return choice(parser, name, {QStringLiteral("on"), QStringLiteral("off")}) ==
           QStringLiteral("on");
}

} // namespace

QString parse_stress_designation(const QString& text, Tazpl& sigma1, Tazpl& sigma3, float& phi) {
    const QStringList parts = text.split(u',');
    const QString malformed =
        QStringLiteral("--stress must be AZ1/PL1,AZ3/PL3,PHI or best, not '%1'").arg(text);
    if (parts.size() != 3)
        return malformed;
    Tazpl axes[2];
    for (int i = 0; i < 2; ++i) {
        const QStringList azpl = parts[i].split(u'/');
        double az = 0, pl = 0;
        if (azpl.size() != 2 || !to_number(azpl[0], az) || !to_number(azpl[1], pl))
            return malformed;
        axes[i] = make_azpl(float(az), float(pl));
        if (!orientation_in_range(axes[i]))
            return QStringLiteral("orientation %1 out of range: azimuth 0..360, plunge 0..90")
                .arg(parts[i]);
    }
    double ratio = 0;
    if (!to_number(parts[2], ratio))
        return malformed;
    if (ratio < 0 || ratio > 1)
        return QStringLiteral("stress ratio %1 outside 0..1").arg(parts[2]);
    if (!axes_perpendicular(axes[0], axes[1]))
        return QStringLiteral("sigma1 and sigma3 are more than 1 degree from perpendicular");
    sigma1 = axes[0];
    sigma3 = axes[1];
    phi = float(ratio);
    return {};
}

namespace {

const QString batch_description =
    QStringLiteral("Fault-slip analysis without windows: reads, designates, writes, plots.");

// Every option, once: the parser, the help and the manual page are made from it.
QList<QCommandLineOption> batch_option_table() {
    const auto value_option = [](const char* name, const char* description, const char* value) {
        return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(description),
                                  QString::fromLatin1(value));
    };
    const auto flag = [](const char* name, const char* description) {
        return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(description));
    };
    QCommandLineOption man_page(QStringLiteral("man-page"),
                                QStringLiteral("Prints the manual page (for the build)."));
    man_page.setFlags(QCommandLineOption::HiddenFromHelp);
    return {
        QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                           QStringLiteral("Prints these options.")),
        flag("version", "Prints the version."),
        value_option("fault-data", "Reads fault-slip data or a table (.csv, .tsv).", "FILE"),
        flag("table", "Reads --fault-data as a table, any extension."),
        value_option("columns", "Table columns in order: dipdir, dip, rake...", "ROLE,..."),
        value_option("strike-rule", "Strike by the right or left-hand rule (right).", "R"),
        value_option("lineation-tolerance", "Off-plane lineations projected up to (10).", "DEG"),
        value_option("inversion-result", "Reads an inversion result (.tlv, .bk4).", "FILE"),
        value_option("invert", "Inverts the fault data into stress states.", "grid|linear"),
        value_option("grid-step", "Grid: spacing g, 1..30 degrees (5).", "DEG"),
        value_option("ratio-step", "Grid: stress-ratio step r, 0.01..0.5 (0.1).", "R"),
        value_option("tolerance", "Grid: misfit tolerance t, 1..90 degrees (20).", "T"),
        value_option("bootstrap", "Linear: bootstrap resamples, 0..100000 (1000).", "B"),
        value_option("seed", "Linear: seed of the resamples (1).", "N"),
        value_option("stress", "Designates sigma1, sigma3, ratio; or best.", "AZ/PL,AZ/PL,PHI"),
        value_option("measure", "Misfit measure: slip or fry (slip).", "M"),
        value_option("bin-size", "Misfit bin size in degrees (10).", "N"),
        value_option("enhance", "Enhance factor ef, 0..1 (0.8).", "EF"),
        value_option("dispersion", "Dispersion factor df, 0..5 (1.0).", "DF"),
        value_option("emphasis", "Emphasize number, size or density (size).", "E"),
        value_option("tails", "Tadpole tails: on or off (on).", "on|off"),
        value_option("colour", "Colour, else grey: on or off (on).", "on|off"),
        value_option("plot-method", "great-circle or tangent-lineation (the latter).", "M"),
        value_option("projection", "equal-area or equal-angle (equal-area).", "P"),
        value_option("theoretical-slip", "Theoretical slip layer: on or off.", "on|off"),
        value_option("model-faults", "Model faults layer: on or off.", "on|off"),
        value_option("designated-axes", "Designated axes layer: on or off (on).", "on|off"),
        value_option("labels", "Labels on the pictures: on or off (on).", "on|off"),
        value_option("write-result", "Writes the stress states as .tlv and .cgp.", "FILE"),
        value_option("write-misfit", "Writes misfits, normal and shear stresses.", "FILE"),
        value_option("write-theoretical", "Writes the theoretical slip data.", "FILE"),
        value_option("write-stress-tensor", "Writes the plotted stress states.", "FILE"),
        value_option("write-fault-data", "Writes the fault data as a fault-slip file.", "FILE"),
        value_option("write-table", "Writes data and misfits as CSV (or .json).", "FILE"),
        flag("statistics", "Prints the statistics of the stress states."),
        flag("json", "Prints the statistics as one JSON object."),
        flag("list-fault-data", "Prints the fault data list."),
        value_option("plot-fault-data", "Draws the fault data: .emf .svg .pdf .png", "FILE"),
        value_option("plot-stress", "Draws the stress states.", "FILE"),
        value_option("plot-mohr", "Draws the Mohr diagram.", "FILE"),
        value_option("plot-histogram", "Draws the misfit histogram.", "FILE"),
        value_option("contours", "Contours under the fault data: none, poles...", "S"),
        value_option("density", "Density of: poles lineations p t sigma1 sigma3", "S"),
        value_option("density-method", "kamb, or schmidt for 1 % area (sigma: schmidt).", "M"),
        value_option("density-levels", "Contour levels, e.g. 2,4,6 (the method's).", "L,..."),
        value_option("write-kinematics", "Writes the P, T and B axes per datum (CSV).", "FILE"),
        value_option("plot-kinematics", "Draws the P and T axes (over --density).", "FILE"),
        value_option("write-density", "Writes the density per net node (CSV).", "FILE"),
        value_option("plot-density", "Draws the density contours.", "FILE"),
        value_option("write-dihedra", "Writes the right dihedra per net node (CSV).", "FILE"),
        value_option("plot-dihedra", "Draws the right dihedra and P and T axes.", "FILE"),
        value_option("format", "Picture format for a stream: emf svg pdf png.", "F"),
        value_option("png-scale", "Scale of PNG pictures, 0..8 (1).", "S"),
        value_option("decimal-point", "Decimal point of files: locale or . (locale).", "locale|."),
        value_option("max-symbols", "Most stress symbols, else no output (10000000).", "N"),
        flag("strict", "Messages about the input fail the run."),
        flag("quiet", "Only problems on standard error."),
        man_page,
    };
}

// roff text: backslashes doubled, hyphens as minus signs, no line starting with a dot.
QString roff(QString text) {
    text.replace(u'\\', QStringLiteral("\\\\"));
    text.replace(u'-', QStringLiteral("\\-"));
    if (text.startsWith(u'.') || text.startsWith(u'\''))
        text.prepend(QStringLiteral("\\&"));
    return text;
}

} // namespace

QString batch_man_page() {
    QString page;
    QTextStream out(&page);
    out << ".TH QUOMTEL\\-BATCH 1 \"" << quomtel_release_date << "\" \"Quomtel " << quomtel_version
        << "\" \"User Commands\"\n"
        << ".SH NAME\nquomtel\\-batch \\- " << roff(batch_description) << '\n'
        << ".SH SYNOPSIS\n.B quomtel\\-batch\n[\\fIoptions\\fR]\n"
        << ".SH DESCRIPTION\n"
        << roff(QStringLiteral(
               "Reads fault-slip data, field tables and inversion results, designates a stress "
               "state, writes the result files and draws the pictures of the window, for "
               "scripts. What the window would show in a message box goes to standard error. "
               "A FILE of - is standard input for --fault-data and standard output for every "
               "output; a picture written there needs --format."))
        << "\n.SH OPTIONS\n";
    for (const QCommandLineOption& option : batch_option_table()) {
        if (option.flags() & QCommandLineOption::HiddenFromHelp)
            continue;
        QStringList names;
        for (const QString& name : option.names())
            names << roff((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
        out << ".TP\n.B " << names.join(QStringLiteral(", "));
        if (!option.valueName().isEmpty())
            out << " \\fI" << roff(option.valueName()) << "\\fR";
        out << '\n' << roff(option.description()) << '\n';
    }
    out << ".SH EXIT STATUS\n0 when every output was written; 1 when a file could not be read or "
           "written or the input was refused; 2 for a wrong command line or a stress picture "
           "beyond \\-\\-max\\-symbols.\n"
        << ".SH SEE ALSO\n.BR quomtel (1);\nthe user guide, "
           "share/doc/quomtel/docs/user\\-guide.md\n";
    out.flush();
    return page;
}

TBatchParse parse_batch_arguments(const QStringList& arguments) {
    TBatchParse result;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        batch_description +
        QStringLiteral("\nA FILE of - is standard input for --fault-data and standard output "
                       "for the outputs."));
    parser.addOptions(batch_option_table());

    if (!parser.parse(arguments)) {
        result.text = parser.errorText();
        return result;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        result.kind = TBatchParse::Kind::Help;
        result.text = parser.helpText();
        return result;
    }
    if (parser.isSet(QStringLiteral("man-page"))) {
        result.kind = TBatchParse::Kind::Help;
        result.text = batch_man_page();
        return result;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        result.kind = TBatchParse::Kind::Version;
        result.text = batch_program_name + u' ' + quomtel_version;
        return result;
    }

    TBatchOptions& o = result.options;
    const auto text = [&](const char* name) { return parser.value(QString::fromLatin1(name)); };
    const auto is_set = [&](const char* name) { return parser.isSet(QString::fromLatin1(name)); };
    try {
        if (!parser.positionalArguments().isEmpty())
            throw Failure{QStringLiteral("unexpected argument '%1'")
                              .arg(parser.positionalArguments().constFirst())};
        o.fault_data = text("fault-data");
        o.inversion_result = text("inversion-result");
        const QString suffix = QFileInfo(o.fault_data).suffix().toLower();
        o.fault_data_table =
            is_set("table") || suffix == QStringLiteral("csv") || suffix == QStringLiteral("tsv");
        if (is_set("columns")) {
            o.table.columns = roles_from_list(text("columns"));
            if (!o.table.columns)
                throw Failure{QStringLiteral("--columns takes kind, dipdir, strike, dip, quadrant, "
                                             "trend, plunge, rake, pitch, pitchdir, sense or skip, "
                                             "separated by commas")};
        }
        if (is_set("strike-rule")) {
            if (text("strike-rule") == QStringLiteral("right"))
                o.table.strike_rule = TStrikeRule::Right;
            else if (text("strike-rule") == QStringLiteral("left"))
                o.table.strike_rule = TStrikeRule::Left;
            else
                throw Failure{QStringLiteral("--strike-rule takes right or left")};
        }
        if (is_set("lineation-tolerance")) {
            double degrees = 0;
            if (!to_number(text("lineation-tolerance"), degrees) || degrees < 0 || degrees > 90)
                throw Failure{QStringLiteral("--lineation-tolerance takes degrees in [0, 90]")};
            o.table.lineation_tolerance = degrees;
        }
        for (const char* option : {"table", "columns", "strike-rule", "lineation-tolerance"})
            if (is_set(option) && !o.fault_data_table)
                throw Failure{QStringLiteral("--%1 needs a table given with --fault-data")
                                  .arg(QLatin1String(option))};

        if (const QString problem = parse_inversion_options(parser, o); !problem.isEmpty())
            throw Failure{problem};
        if (is_set("stress")) {
            if (text("stress") == QStringLiteral("best")) {
                if (o.inversion_result.isEmpty() && !o.invert)
                    throw Failure{
                        QStringLiteral("--stress best needs --inversion-result or --invert")};
                o.stress = TBatchStress::Best;
            } else {
                const QString problem =
                    parse_stress_designation(text("stress"), o.sigma1, o.sigma3, o.phi);
                if (!problem.isEmpty())
                    throw Failure{QStringLiteral("--stress: ") + problem};
                o.stress = TBatchStress::Axes;
            }
        }

        TSessionSettings& settings = o.settings;
        if (is_set("measure"))
            settings.misfitmeasure =
                choice(parser, QStringLiteral("measure"),
                       {QStringLiteral("slip"), QStringLiteral("fry")}) == QStringLiteral("slip")
                    ? TMifitMeasure::SlipDir
                    : TMifitMeasure::DistFry;
        // As the boxes of the window take their texts; scripts write '.' for the decimal point
        // and may pad the factors.
        const auto check = [&](const char* name, const auto& take) {
            if (!is_set(name))
                return;
            const QString problem = take(text(name));
            if (!problem.isEmpty()) // named, as a script's author needs it
                throw Failure{QStringLiteral("--%1: %2").arg(QLatin1String(name), problem)};
        };
        check("bin-size", [&](const QString& value) {
            return check_bin_size(value, settings.misfitmeasure, settings.misfit_bin_size);
        });
        check("enhance", [&](const QString& value) {
            return check_enhance(value.trimmed(), u'.', settings.ef);
        });
        check("dispersion", [&](const QString& value) {
            return check_dispersion(value.trimmed(), u'.', settings.df);
        });

        if (is_set("emphasis")) {
            const QString emphasis = choice(
                parser, QStringLiteral("emphasis"),
                {QStringLiteral("number"), QStringLiteral("size"), QStringLiteral("density")});
            settings.stress_density = emphasis == QStringLiteral("density");
            if (!settings.stress_density)
                settings.emphasis =
                    emphasis == QStringLiteral("number") ? TEmphasis::Num : TEmphasis::Siz;
        }
        settings.tadpole_tail = on_off(parser, QStringLiteral("tails")).value_or(true);
        settings.color = on_off(parser, QStringLiteral("colour")).value_or(true);
        if (is_set("plot-method"))
            settings.plotmethod =
                choice(parser, QStringLiteral("plot-method"),
                       {QStringLiteral("great-circle"), QStringLiteral("tangent-lineation")}) ==
                        QStringLiteral("great-circle")
                    ? TPlotMethod::GCA
                    : TPlotMethod::TLD;
        if (is_set("projection"))
            settings.projection =
                choice(parser, QStringLiteral("projection"),
                       {QStringLiteral("equal-area"), QStringLiteral("equal-angle")}) ==
                        QStringLiteral("equal-area")
                    ? TProjection::EArea
                    : TProjection::EAngle;
        o.theoretical_slip = on_off(parser, QStringLiteral("theoretical-slip"));
        o.model_faults = on_off(parser, QStringLiteral("model-faults"));
        o.designated_axes = on_off(parser, QStringLiteral("designated-axes"));
        settings.plot_labels = on_off(parser, QStringLiteral("labels")).value_or(true);

        o.write_misfit = text("write-misfit");
        o.write_theoretical = text("write-theoretical");
        o.write_stress_tensor = text("write-stress-tensor");
        o.write_fault_data = text("write-fault-data");
        o.write_table = text("write-table");
        o.statistics = is_set("statistics");
        o.json = is_set("json");
        if (o.json && !o.statistics)
            throw Failure{QStringLiteral("--json needs --statistics")};
        o.list_fault_data = is_set("list-fault-data");
        o.strict = is_set("strict");
        o.quiet = is_set("quiet");
        o.plot_fault_data = text("plot-fault-data");
        o.plot_stress = text("plot-stress");
        o.plot_mohr = text("plot-mohr");
        o.plot_histogram = text("plot-histogram");
        if (is_set("format")) {
            const QStringList formats{QStringLiteral("emf"), QStringLiteral("svg"),
                                      QStringLiteral("pdf"), QStringLiteral("png")};
            const TPictureFormat by_index[] = {TPictureFormat::Emf, TPictureFormat::Svg,
                                               TPictureFormat::Pdf, TPictureFormat::Png};
            settings.picture_format =
                by_index[formats.indexOf(choice(parser, QStringLiteral("format"), formats))];
        }
        // A name's extension tells the format; a stream's name ("-", /dev/stdout) has none.
        for (const char* name : {"plot-fault-data", "plot-stress", "plot-mohr", "plot-histogram",
                                 "plot-kinematics", "plot-density", "plot-dihedra"}) {
            const QString path = text(name);
            if (path.isEmpty() || picture_format_of(path) || settings.picture_format)
                continue;
            if (is_standard_stream(path))
                throw Failure{QStringLiteral("--%1: a picture written to standard output needs "
                                             "--format emf, svg, pdf or png")
                                  .arg(QLatin1String(name))};
            throw Failure{QStringLiteral("--%1: cannot tell the picture format of '%2': use "
                                         ".emf, .svg, .pdf or .png, or --format")
                              .arg(QLatin1String(name), path)};
        }
        if (is_set("decimal-point")) {
            if (choice(parser, QStringLiteral("decimal-point"),
                       {QStringLiteral("locale"), QStringLiteral(".")}) == QStringLiteral("."))
                settings.decimal_point = u'.';
        }
        if (is_standard_stream(o.fault_data) && is_standard_stream(o.inversion_result))
            throw Failure{QStringLiteral("--fault-data and --inversion-result cannot both read "
                                         "standard input")};
        if (is_set("png-scale")) {
            double scale = 0;
            if (!to_number(text("png-scale"), scale) || scale <= 0 || scale > 8)
                throw Failure{QStringLiteral("--png-scale must be a number above 0, at most 8")};
            o.png_scale = scale;
        }
        if (is_set("max-symbols"))
            o.max_symbols = positive_integer(text("max-symbols"), QStringLiteral("max-symbols"));

        // The menu's conditions, known before anything is read: a failed read ends the run.
        const bool fault_data = !o.fault_data.isEmpty() || !o.inversion_result.isEmpty();
        const bool result_loaded = !o.inversion_result.isEmpty() || o.invert;
        o.write_result = text("write-result");
        if (o.write_result == QStringLiteral("-")) // two files, one of them named after the other
            throw Failure{QStringLiteral("--write-result needs a file name, not '-'")};
        if (o.invert && !fault_data)
            throw Failure{QStringLiteral("Fault Data must be loaded.")};
        const bool designated = o.stress != TBatchStress::None;
        if ((!o.write_misfit.isEmpty() || !o.write_theoretical.isEmpty()) &&
            !(fault_data && designated))
            throw Failure{QStringLiteral(
                "Fault Data must be loaded AND\r\nStress State must be designated.")};
        if ((!o.write_stress_tensor.isEmpty() || !o.write_result.isEmpty() || o.statistics) &&
            !result_loaded)
            throw Failure{QStringLiteral("Stress Tensor must be loaded.")};
        if ((o.list_fault_data || !o.write_fault_data.isEmpty() || !o.write_table.isEmpty()) &&
            !fault_data)
            throw Failure{QStringLiteral("Fault Data must be loaded.")};

        if (const QString problem = parse_kinematics_options(parser, o, fault_data, result_loaded);
            !problem.isEmpty())
            throw Failure{problem};

        const bool output = kinematics_output(o) || !o.write_result.isEmpty() ||
                            !o.write_misfit.isEmpty() || !o.write_theoretical.isEmpty() ||
                            !o.write_stress_tensor.isEmpty() || !o.write_fault_data.isEmpty() ||
                            !o.write_table.isEmpty() || o.statistics || o.list_fault_data ||
                            !o.plot_fault_data.isEmpty() || !o.plot_stress.isEmpty() ||
                            !o.plot_mohr.isEmpty() || !o.plot_histogram.isEmpty();
        if (!output && !fault_data)
            throw Failure{QStringLiteral("nothing to do: give a file to read or an output")};
    } catch (const Failure& failure) {
        result.text = failure.reason;
        return result;
    }
    result.kind = TBatchParse::Kind::Run;
    return result;
}
