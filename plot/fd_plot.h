#pragma once

// The fault-data stereonet: styles, layers and the axis stars. Draws on any QPainter.

#include "faults/fd_classes.h"
#include "plot/draw_operations.h"
#include "plot/fd_symbols.h"

#include <QImage>
#include <QPainter>

#include <array>
#include <optional>

enum class TPlotMethod { GCA, TLD };

// The net and the seven symbol styles of the plot.
struct TFDPlotStyles {
    TBaseCircle basecircle;
    std::array<TSlipSymbolSpec, 4> symb; // indexed by TDataType
    TSlipSymbolSpec symb_highlight;
    TSlipSymbolSpec symb_model;
    TSlipSymbolSpec symb_theoretical;
};

// The styles every fault-data plot starts with.
void set_FD_plot_styles(TFDPlotStyles& styles);

inline constexpr int fd_plot_size = 1000;

// White picture and the net.
void draw_FD_frame(QPainter& canvas, const TFDPlotStyles& styles);

// Which style a set is drawn with.
enum class TFDSetRole { Loaded, Model, Theoretical };

// Draws every datum of the set; for loaded data, the datum at index selected (if any) is drawn
// last, with the highlight style.
void draw_FD_set(QPainter& canvas, const TFDPlotStyles& styles, TProjection projection,
                 TPlotMethod plotmethod, const TFaultDataSet& set, TFDSetRole role,
                 int selected = -1);

// Principal axes sigma1, sigma2, sigma3, in this order.
using TPrincipalAxisOrientations = std::array<Tazpl, 3>;

// Sky-blue stars: three spikes for sigma1, four for sigma2, five for sigma3.
void draw_designated_axes(QPainter& canvas, const TFDPlotStyles& styles, TProjection projection,
                          const TPrincipalAxisOrientations& axes);

// 11 points of a star around (0, 0).
std::array<QPoint, 11> make_star3();
std::array<QPoint, 11> make_star4();
std::array<QPoint, 11> make_star5();

// What one redraw shows; absent layers are left out.
struct TFDPlotLayers {
    TProjection projection = TProjection::EArea;
    TPlotMethod plotmethod = TPlotMethod::TLD;
    const TFaultDataSet* model_faults = nullptr;
    std::optional<TPrincipalAxisOrientations> designated_axes;
    const TFaultDataSet* loaded = nullptr;
    int selected = -1;
    const TFaultDataSet* theoretical = nullptr;
};

// Frame, model faults, axis stars, data, theoretical slip: later layers paint over earlier ones.
void draw_FD_plot(QPainter& canvas, const TFDPlotStyles& styles, const TFDPlotLayers& layers);
