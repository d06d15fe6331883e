#pragma once

// The text of the lines of the list of shown stress states.

#include "stress/st_classes.h"

#include <QString>
#include <QStringList>

#include <span>

// position counts from 0 over all states, shown or not.
QString st_list_line(const TStressTensor& st, int position, QChar decimal_point);

// The lines of the states shown (whose Le is at least 1), in order, each as st_list_line gives
// it: a million states are listed on both cores with their patterns read once.
QStringList st_list_lines(std::span<const TStressTensor> states, QChar decimal_point);
