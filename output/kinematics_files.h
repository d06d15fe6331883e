#pragma once

// The kinematic analysis as text for other programs: a header line naming the columns, then
// comma-separated rows with a full stop as the decimal point, whatever the locale. Numbers are
// the shortest texts that read back as the values computed.

#include "faults/fd_classes.h"
#include "stress/axis_density.h"
#include "stress/kinematic_axes.h"
#include "stress/right_dihedra.h"

#include <QByteArray>
#include <QString>

// One row per datum: number,kind,P_trend,P_plunge,T_trend,T_plunge,B_trend,B_plunge; the axes
// of a datum without them are empty.
QByteArray kinematic_axes_csv(const TFaultDataSet& set, const TKinematicAxesSet& axes);
// One row per node of the net grid: trend,plunge,value (multiples of sigma or percent).
QByteArray density_csv(const TAxisDensity& density);
// One row per node of the net grid: trend,plunge,percent.
QByteArray dihedra_csv(const TRightDihedra& dihedra);
