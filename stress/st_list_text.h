#pragma once

// The text of one line of the list of shown stress states.

#include "stress/st_classes.h"

#include <QString>

// position counts from 0 over all states, shown or not.
QString st_list_line(const TStressTensor& st, int position, QChar decimal_point);
