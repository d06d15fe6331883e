#include "batch/batch_kinematics.h"

#include "session/session.h"

#include <QCommandLineParser>

namespace {

struct Refusal {
    QString reason;
};

QString value(const QCommandLineParser& parser, const char* name) {
    return parser.value(QString::fromLatin1(name));
}
bool is_set(const QCommandLineParser& parser, const char* name) {
    return parser.isSet(QString::fromLatin1(name));
}

TDensitySubject subject_option(const QCommandLineParser& parser, const char* name,
                               const char* allowed) {
    const std::optional<TDensitySubject> subject =
        density_subject_from_name(value(parser, name).trimmed());
    if (!subject)
        throw Refusal{QStringLiteral("--%1 must be %2, not '%3'")
                          .arg(QLatin1String(name), QLatin1String(allowed), value(parser, name))};
    return *subject;
}

} // namespace

QString parse_kinematics_options(const QCommandLineParser& parser, TBatchOptions& options,
                                 bool fault_data, bool result_loaded) {
    TSessionSettings& settings = options.settings;
    try {
        if (is_set(parser, "density"))
            options.density =
                subject_option(parser, "density", "poles, lineations, p, t, sigma1 or sigma3");
        if (is_set(parser, "contours")) {
            if (value(parser, "contours").trimmed() != QStringLiteral("none")) {
                settings.fd_contours =
                    subject_option(parser, "contours", "none, poles, lineations, p or t");
                if (subject_of_stress_states(*settings.fd_contours))
                    throw Refusal{QStringLiteral("--contours must be none, poles, lineations, p "
                                                 "or t")};
            }
        }
        // Kamb for the data; 1 % area for the stress states, whose N is the sum of fitness.
        std::optional<TDensityMethod> method;
        if (is_set(parser, "density-method")) {
            method = density_method_from_name(value(parser, "density-method").trimmed());
            if (!method)
                throw Refusal{QStringLiteral("--density-method must be kamb or schmidt, not '%1'")
                                  .arg(value(parser, "density-method"))};
        }
        const bool of_states = options.density && subject_of_stress_states(*options.density);
        settings.kinematics_method =
            method.value_or(of_states ? TDensityMethod::Schmidt : TDensityMethod::Kamb);
        settings.fd_contour_method = method.value_or(TDensityMethod::Kamb);
        settings.stress_density_method = method.value_or(TDensityMethod::Schmidt);
        if (is_set(parser, "density-levels")) {
            // The levels of the method of --density (or --density-method), wherever it is drawn.
            std::vector<double>& levels = settings.kinematics_method == TDensityMethod::Kamb
                                              ? settings.kamb_levels
                                              : settings.schmidt_levels;
            const QString problem =
                check_density_levels(value(parser, "density-levels"), u'.', levels);
            if (!problem.isEmpty())
                throw Refusal{QStringLiteral("--density-levels: ") + problem};
        }

        options.write_kinematics = value(parser, "write-kinematics");
        options.plot_kinematics = value(parser, "plot-kinematics");
        options.write_density = value(parser, "write-density");
        options.plot_density = value(parser, "plot-density");
        options.write_dihedra = value(parser, "write-dihedra");
        options.plot_dihedra = value(parser, "plot-dihedra");
        for (const char* name : {"write-density", "plot-density"})
            if (is_set(parser, name) && !options.density)
                throw Refusal{QStringLiteral("--%1 needs --density").arg(QLatin1String(name))};
        const bool of_data = !options.write_kinematics.isEmpty() ||
                             !options.plot_kinematics.isEmpty() ||
                             !options.write_dihedra.isEmpty() || !options.plot_dihedra.isEmpty() ||
                             settings.fd_contours || (options.density && !of_states);
        if (of_data && !fault_data)
            throw Refusal{QStringLiteral("Fault Data must be loaded.")};
        if ((of_states || settings.stress_density) && !result_loaded)
            throw Refusal{QStringLiteral("Stress Tensor must be loaded.")};
        if (options.density && !options.plot_kinematics.isEmpty())
            settings.kinematics_underlay = TKinematicsUnderlay::Density;
        if (options.density)
            settings.kinematics_subject = *options.density;
    } catch (const Refusal& refusal) {
        return refusal.reason;
    }
    return {};
}

bool kinematics_output(const TBatchOptions& options) {
    return !options.write_kinematics.isEmpty() || !options.plot_kinematics.isEmpty() ||
           !options.write_density.isEmpty() || !options.plot_density.isEmpty() ||
           !options.write_dihedra.isEmpty() || !options.plot_dihedra.isEmpty();
}

bool write_kinematics_outputs(TSession& session, const TBatchOptions& options) {
    const double scale = options.png_scale;
    const TSessionSettings& settings = session.settings;
    bool ok = true;
    // Every output is tried, whatever failed before.
    ok &= session.save_data_kinematics(options.write_kinematics);
    ok &= session.save_graph_kinematics(options.plot_kinematics, scale);
    if (options.density) {
        ok &= session.save_data_density(options.write_density, *options.density,
                                        settings.kinematics_method);
        ok &= session.save_graph_density(options.plot_density, *options.density,
                                         settings.kinematics_method, scale);
    }
    ok &= session.save_data_dihedra(options.write_dihedra);
    ok &= session.save_graph_dihedra(options.plot_dihedra, scale);
    return ok;
}
