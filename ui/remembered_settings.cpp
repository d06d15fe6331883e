#include "ui/remembered_settings.h"

#include "session/settings.h"

#include <QSettings>

#include <optional>

namespace {

const QString stress_density_key = QStringLiteral("View/stressDensity");
const QString axes_key = QStringLiteral("View/kinematicAxes");
const QString underlay_key = QStringLiteral("View/kinematicsUnderlay");
const QString subject_key = QStringLiteral("View/kinematicsSubject");
const QString method_key = QStringLiteral("View/kinematicsMethod");
const QString fd_contours_key = QStringLiteral("View/faultDataContours");
const QString fd_method_key = QStringLiteral("View/faultDataContourMethod");
const QString kamb_levels_key = QStringLiteral("View/kambLevels");
const QString schmidt_levels_key = QStringLiteral("View/schmidtLevels");

const QString none_name = QStringLiteral("none");

QString underlay_name(TKinematicsUnderlay underlay) {
    switch (underlay) {
    case TKinematicsUnderlay::Density:
        return QStringLiteral("density");
    case TKinematicsUnderlay::Dihedra:
        return QStringLiteral("dihedra");
    case TKinematicsUnderlay::None:
        break;
    }
    return none_name;
}

std::optional<TKinematicsUnderlay> underlay_from_name(const QString& name) {
    for (const TKinematicsUnderlay underlay :
         {TKinematicsUnderlay::None, TKinematicsUnderlay::Density, TKinematicsUnderlay::Dihedra})
        if (name == underlay_name(underlay))
            return underlay;
    return std::nullopt;
}

std::optional<bool> boolean(const QSettings& store, const QString& key) {
    const QString text = store.value(key).toString();
    if (text == QStringLiteral("true"))
        return true;
    if (text == QStringLiteral("false"))
        return false;
    return std::nullopt;
}

// Text keeps the stored form the same on every platform and locale.
void restore_levels(const QSettings& store, const QString& key, std::vector<double>& levels) {
    if (!store.contains(key))
        return;
    std::vector<double> read;
    if (check_density_levels(store.value(key).toString(), u'.', read).isEmpty())
        levels = std::move(read);
}

void write_if_changed(QSettings& store, const QString& key, const QVariant& value) {
    if (store.value(key).toString() != value.toString())
        store.setValue(key, value);
}

} // namespace

void restore_view_settings(const QSettings& store, TSessionSettings& settings) {
    if (const auto on = boolean(store, stress_density_key))
        settings.stress_density = *on;
    if (const auto on = boolean(store, axes_key))
        settings.kinematic_axes = *on;
    if (const auto underlay = underlay_from_name(store.value(underlay_key).toString()))
        settings.kinematics_underlay = *underlay;
    if (const auto subject = density_subject_from_name(store.value(subject_key).toString()))
        settings.kinematics_subject = *subject;
    if (const auto method = density_method_from_name(store.value(method_key).toString()))
        settings.kinematics_method = *method;
    const QString contours = store.value(fd_contours_key).toString();
    if (contours == none_name)
        settings.fd_contours.reset();
    else if (const auto subject = density_subject_from_name(contours);
             subject && !subject_of_stress_states(*subject))
        settings.fd_contours = *subject;
    if (const auto method = density_method_from_name(store.value(fd_method_key).toString()))
        settings.fd_contour_method = *method;
    restore_levels(store, kamb_levels_key, settings.kamb_levels);
    restore_levels(store, schmidt_levels_key, settings.schmidt_levels);
}

void remember_view_settings(QSettings& store, const TSessionSettings& settings) {
    write_if_changed(store, stress_density_key, settings.stress_density);
    write_if_changed(store, axes_key, settings.kinematic_axes);
    write_if_changed(store, underlay_key, underlay_name(settings.kinematics_underlay));
    write_if_changed(store, subject_key, density_subject_name(settings.kinematics_subject));
    write_if_changed(store, method_key, density_method_name(settings.kinematics_method));
    write_if_changed(store, fd_contours_key,
                     settings.fd_contours ? density_subject_name(*settings.fd_contours)
                                          : none_name);
    write_if_changed(store, fd_method_key, density_method_name(settings.fd_contour_method));
    write_if_changed(store, kamb_levels_key, density_levels_text(settings.kamb_levels, u'.'));
    write_if_changed(store, schmidt_levels_key, density_levels_text(settings.schmidt_levels, u'.'));
}
