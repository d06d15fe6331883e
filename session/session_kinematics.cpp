// The session's kinematic analysis: P, T and B axes, densities and right dihedra of what is
// loaded, kept until the data or the states change, and their pictures and files.

#include "session/session.h"

#include "core/text_file.h"
#include "output/kinematics_files.h"

void TSession::forget_kinematics(bool of_data) {
    if (of_data) {
        kinematic_axes_.reset();
        dihedra_.reset();
    }
    std::erase_if(densities_, [&](const auto& known) {
        return subject_of_stress_states(known.first.first) != of_data;
    });
}

void TSession::set_stress_density(bool on) {
    change_setting(settings.stress_density, on);
}
void TSession::set_stress_density_method(TDensityMethod method) {
    change_setting(settings.stress_density_method, method);
}
void TSession::set_kinematic_axes(bool on) {
    change_setting(settings.kinematic_axes, on);
}
void TSession::set_kinematics_underlay(TKinematicsUnderlay underlay) {
    change_setting(settings.kinematics_underlay, underlay);
}
void TSession::set_kinematics_subject(TDensitySubject subject) {
    change_setting(settings.kinematics_subject, subject);
}
void TSession::set_kinematics_method(TDensityMethod method) {
    change_setting(settings.kinematics_method, method);
}
void TSession::set_fd_contours(std::optional<TDensitySubject> subject) {
    change_setting(settings.fd_contours, subject);
}
void TSession::set_fd_contour_method(TDensityMethod method) {
    change_setting(settings.fd_contour_method, method);
}

bool TSession::set_density_levels(TDensityMethod method, QStringView text, QChar decimal_point) {
    std::vector<double> levels;
    if (!report_refusal(check_density_levels(text, decimal_point, levels)))
        return false;
    change_setting(method == TDensityMethod::Kamb ? settings.kamb_levels : settings.schmidt_levels,
                   std::move(levels));
    return true;
}

const TKinematicAxesSet& TSession::kinematic_axes() {
    if (!kinematic_axes_) {
        kinematic_axes_ = FD_loaded ? kinematic_axes_of_set(FDSet) : TKinematicAxesSet{};
        report_missing_axes(*kinematic_axes_, messages_);
    }
    return *kinematic_axes_;
}

const TAxisDensity* TSession::density(TDensitySubject subject, TDensityMethod method,
                                      const TInversionControl& control) {
    const auto key = std::make_pair(subject, method);
    // Nothing to count is told once, and remembered as a density of no axes.
    if (const auto known = densities_.find(key); known != densities_.end())
        return known->second.axes > 0 ? &known->second : nullptr;
    // Nothing loaded to count is no news.
    if (!(subject_of_stress_states(subject) ? ST_loaded : FD_loaded))
        return nullptr;
    std::vector<TWeightedAxis> axes;
    if (subject == TDensitySubject::P || subject == TDensitySubject::T) {
        const TKinematicAxesSet& set = kinematic_axes();
        axes = subject == TDensitySubject::P ? p_axes(set) : t_axes(set);
    } else {
        axes = density_axes(subject, FDSet, STSet);
    }
    if (axes.empty()) {
        TAxisDensity none;
        none.method = method;
        densities_.emplace(key, std::move(none));
        messages_.show(no_density_axes_message(subject));
        return nullptr;
    }
    TAxisDensity counted = axis_density(axes, method, control);
    if (counted.cancelled)
        return nullptr;
    return &densities_.emplace(key, std::move(counted)).first->second;
}

const TRightDihedra* TSession::right_dihedra(const TInversionControl& control) {
    if (!FD_loaded)
        return nullptr;
    if (dihedra_)
        return dihedra_->data > 0 ? &*dihedra_ : nullptr;
    const std::vector<TKinematicSlip> slips = kinematic_slips_of_set(FDSet);
    if (slips.empty()) { // told once, and remembered as the dihedra of no datum
        dihedra_ = TRightDihedra{};
        messages_.show(QStringLiteral("No datum has a slip sense: no right dihedra."));
        return nullptr;
    }
    TRightDihedra counted = ::right_dihedra(slips, control);
    if (counted.cancelled)
        return nullptr;
    dihedra_ = std::move(counted);
    return &*dihedra_;
}

bool TSession::draw_kinematics(QPainter& canvas) {
    TKinematicsLayers layers;
    layers.projection = settings.projection;
    bool whole = true;
    switch (settings.kinematics_underlay) {
    case TKinematicsUnderlay::None:
        break;
    case TKinematicsUnderlay::Density:
        layers.density = density(settings.kinematics_subject, settings.kinematics_method);
        layers.subject = settings.kinematics_subject;
        layers.levels = density_levels_of(settings, settings.kinematics_method);
        whole = layers.density != nullptr;
        break;
    case TKinematicsUnderlay::Dihedra:
        layers.dihedra = right_dihedra();
        whole = layers.dihedra != nullptr;
        break;
    }
    if (settings.kinematic_axes && FD_loaded)
        layers.axes = &kinematic_axes();
    draw_kinematics_plot(canvas, kinematics_styles, layers);
    return whole;
}

bool TSession::draw_density(QPainter& canvas, TDensitySubject subject, TDensityMethod method) {
    TKinematicsLayers layers;
    layers.projection = settings.projection;
    layers.density = density(subject, method);
    layers.subject = subject;
    layers.levels = density_levels_of(settings, method);
    draw_kinematics_plot(canvas, kinematics_styles, layers);
    return layers.density != nullptr;
}

bool TSession::draw_dihedra(QPainter& canvas) {
    TKinematicsLayers layers;
    layers.projection = settings.projection;
    layers.dihedra = right_dihedra();
    if (FD_loaded)
        layers.axes = &kinematic_axes();
    draw_kinematics_plot(canvas, kinematics_styles, layers);
    return layers.dihedra != nullptr;
}

bool TSession::draw_ST_density(QPainter& canvas) {
    const TAxisDensity* both[2] = {
        density(TDensitySubject::Sigma1, settings.stress_density_method),
        density(TDensitySubject::Sigma3, settings.stress_density_method)};
    if (!both[0] || !both[1]) {
        draw_ST_frame(canvas);
        return false;
    }
    draw_stress_density(canvas, st_styles, ST_designated && settings.color, *both[0], *both[1],
                        density_levels_of(settings, settings.stress_density_method));
    return true;
}

bool TSession::save_graph_kinematics(const QString& path, double png_scale) {
    return save_picture(path, QSize(kinematics_plot_width, kinematics_plot_height), png_scale,
                        [&](QPainter& canvas) { draw_kinematics(canvas); });
}

bool TSession::save_graph_density(const QString& path, TDensitySubject subject,
                                  TDensityMethod method, double png_scale) {
    if (path.isEmpty() || !density(subject, method))
        return path.isEmpty();
    return save_picture(path, QSize(kinematics_plot_width, kinematics_plot_height), png_scale,
                        [&](QPainter& canvas) { draw_density(canvas, subject, method); });
}

bool TSession::save_graph_dihedra(const QString& path, double png_scale) {
    if (path.isEmpty() || !right_dihedra())
        return path.isEmpty();
    return save_picture(path, QSize(kinematics_plot_width, kinematics_plot_height), png_scale,
                        [&](QPainter& canvas) { draw_dihedra(canvas); });
}

bool TSession::save_data_kinematics(const QString& path) {
    if (path.isEmpty())
        return true;
    if (!FD_loaded) {
        messages_.show(QStringLiteral("Fault Data must be loaded."));
        return false;
    }
    QString error;
    return report(write_file_atomically(path, kinematic_axes_csv(FDSet, kinematic_axes()), &error),
                  error);
}

bool TSession::save_data_density(const QString& path, TDensitySubject subject,
                                 TDensityMethod method) {
    if (path.isEmpty())
        return true;
    const TAxisDensity* counted = density(subject, method);
    if (!counted)
        return false;
    QString error;
    return report(write_file_atomically(path, density_csv(*counted), &error), error);
}

bool TSession::save_data_dihedra(const QString& path) {
    if (path.isEmpty())
        return true;
    const TRightDihedra* counted = right_dihedra();
    if (!counted)
        return false;
    QString error;
    return report(write_file_atomically(path, dihedra_csv(*counted), &error), error);
}
