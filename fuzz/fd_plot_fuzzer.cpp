// Reads arbitrary bytes as a fault-slip data file and draws what was read: the stereonet in
// both projections and both methods, with theoretical slip, the Mohr diagram and the misfit
// histogram of a fixed stress state. Odd numbers that pass the reader end up as pixels here.

#include "fuzz/fuzz_support.h"
#include "plot/fd_plot.h"
#include "plot/misfit_histogram.h"
#include "plot/mohr_plot.h"
#include "stress/compatibility.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv); // fonts for the plots' texts
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFaultDataSet set = read_fault_data_bytes(data, size);

    static const TStressTensor st =
        stress_tensor_from_axes(make_azpl(110, 5), make_azpl(200, 80), 0.4f);
    static QImage picture(fd_plot_size, fd_plot_size, QImage::Format_RGB32);
    TFaultDataSet theoretical;
    calc_theoretical_slip_and_misfit(set, theoretical, st, TMifitMeasure::SlipDir);

    QPainter canvas(&picture);
    TFDPlotStyles styles;
    set_FD_plot_styles(styles);
    for (TProjection projection : {TProjection::EArea, TProjection::EAngle}) {
        for (TPlotMethod method : {TPlotMethod::GCA, TPlotMethod::TLD}) {
            TFDPlotLayers layers;
            layers.projection = projection;
            layers.plotmethod = method;
            layers.loaded = &set;
            layers.selected = set.count() - 1;
            layers.theoretical = &theoretical;
            draw_FD_plot(canvas, styles, layers);
        }
    }
    TMohrPlotStyles mohr;
    init_Mohr_style(mohr);
    draw_Mohr_diagram(canvas, mohr, &set, &st, 180);
    TMisfitHistogram histogram;
    set_misfit_axis_range(histogram, TMifitMeasure::SlipDir);
    fill_misfit_histogram(histogram, set, 180, 10);
    draw_misfit_histogram(canvas, QRect(0, 0, 500, 500), histogram);
    return 0;
}
