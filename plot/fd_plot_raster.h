#pragma once

// The raster route of the fault-data plot (TFDRoute::Auto on a QImage). Symbols are painted
// last to first under a TRasterCover: a symbol that those drawn after it hide entirely is never
// rasterised, and one that shows is drawn by the same routine as on the vector route. The
// picture is the vector route's pixel for pixel, and so are the pen and brush left on the canvas.

#include "plot/fd_plot.h"

// A raster canvas (TRasterCover::applies) and styles whose pens and brushes are opaque or absent.
bool FD_raster_route_applies(const QPainter& canvas, const TFDPlotStyles& styles);

// What draw_FD_set draws, and what draw_FD_plot draws after the frame.
void draw_FD_set_raster(QPainter& canvas, const TFDPlotStyles& styles, TProjection projection,
                        TPlotMethod plotmethod, const TFaultDataSet& set, TFDSetRole role,
                        int selected);
void draw_FD_layers_raster(QPainter& canvas, const TFDPlotStyles& styles,
                           const TFDPlotLayers& layers);
