#pragma once

// The stress-state plot painted onto a plain raster image from the last tadpole back to the
// first. A pixel takes the colour of the first tadpole part that reaches it and keeps it, which
// is the colour the last part drawn over it leaves when painting in list order; a tadpole hidden
// under later ones costs a look at a few flags. Vector devices keep the per-symbol drawing.

#include "plot/st_plot.h"

// The tadpoles of draw_stress_states after its frame, the seed just reset: every pixel, the seed
// left behind and the progress calls are those of drawing each tadpole in turn. Returns false,
// having drawn nothing and called nothing, when the canvas is not a plain raster image, the
// styles are not opaque solid ones, or a head or tail is too large to keep as a stamp.
// threads: 0 for one per core (at most 4); the picture is the same for any number. Once stop is
// requested the nets are left as far as they are drawn.
bool draw_tadpoles_on_raster(QPainter& canvas, const TSTPlotStyles& styles,
                             const TSTDrawSettings& settings, std::span<const TStressTensor> STSet,
                             const TSTProgress& progress = {}, int threads = 0,
                             std::stop_token stop = {});
