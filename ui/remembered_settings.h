#pragma once

// The views' density and kinematics settings, kept between runs with the window's other
// settings: the stress view's density emphasis, the fault-data view's contour layer, the
// kinematics view's layers and the contour levels of each method.

class QSettings;
struct TSessionSettings;

// Whatever a damaged or foreign file holds: a value that does not read leaves its setting alone.
void restore_view_settings(const QSettings& store, TSessionSettings& settings);
// Writes only the values that differ from those kept.
void remember_view_settings(QSettings& store, const TSessionSettings& settings);
