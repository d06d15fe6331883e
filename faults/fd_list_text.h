#pragma once

// The text of one line of the fault data list: number, misfit, kind, alternatives, stresses.

#include "faults/fd_classes.h"

#include <QString>

// k counts from 1. With a designated stress state the line also shows the representative
// misfit and the normal and shear stress of the representative alternative.
QString fd_list_line(const TFaultData& datum, int k, bool designated);
// The same with a given decimal point, for building many lines.
QString fd_list_line(const TFaultData& datum, int k, bool designated, QChar decimal_point);
