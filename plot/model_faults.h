#pragma once

// Model faults: planes whose poles lie on a 50-pixel grid of the fault-data net, each with the
// slip the stress state drives on it.

#include "faults/fd_classes.h"
#include "plot/draw_operations.h"
#include "stress/st_classes.h"

void build_model_faults(TFaultDataSet& model, const TStressTensor& st, TProjection projection,
                        const TBaseCircle& circle);
