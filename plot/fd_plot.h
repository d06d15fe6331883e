#pragma once

// The fault-data stereonet: styles, layers and the axis stars. Draws on any QPainter.

#include "faults/fd_classes.h"
#include "plot/draw_operations.h"
#include "plot/fd_symbols.h"
#include "stress/axis_density.h"

#include <QImage>
#include <QPainter>

#include <array>
#include <optional>
#include <vector>

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

// White picture and the net; with labels, "N" over it.
void draw_FD_frame(QPainter& canvas, const TFDPlotStyles& styles, bool labels = false);

// Which style a set is drawn with.
enum class TFDSetRole { Loaded, Model, Theoretical };

// How the data reach the canvas. Vector: every symbol is drawn, in order, as SVG, PDF and the
// metafile need. Auto: on a plain QImage the symbols are painted last to first and those that
// later ones hide entirely are never drawn (see raster_cover.h), with the same pixels; other
// canvases get the vector route.
enum class TFDRoute { Auto, Vector };

// The style of datum fd of a set drawn in the given role; selected: it is the picked datum.
const TSlipSymbolSpec& FD_symbol_style(const TFDPlotStyles& styles, TFDSetRole role,
                                       const TFaultData& fd, bool selected);
// One datum (with at least one alternative) as draw_FD_set draws each.
void draw_FD_datum(QPainter& canvas, const TBaseCircle& circle, TProjection projection,
                   TPlotMethod plotmethod, const TSlipSymbolSpec& symb, const TFaultData& fd);

// Draws every datum of the set; the datum at index selected (if any) is drawn last, for loaded
// data with the highlight style.
void draw_FD_set(QPainter& canvas, const TFDPlotStyles& styles, TProjection projection,
                 TPlotMethod plotmethod, const TFaultDataSet& set, TFDSetRole role,
                 int selected = -1, TFDRoute route = TFDRoute::Auto);

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
    bool labels = false; // "N" over the net
    // Density contours under the data, with the net's outline over them and their legend.
    const TAxisDensity* density = nullptr;
    TDensitySubject density_subject = TDensitySubject::Poles;
    std::vector<double> density_levels; // empty: the defaults of the method
};

// Frame, model faults, axis stars, data, theoretical slip: later layers paint over earlier ones.
void draw_FD_plot(QPainter& canvas, const TFDPlotStyles& styles, const TFDPlotLayers& layers,
                  TFDRoute route = TFDRoute::Auto);
