#pragma once

// The compatibility view: the misfit histogram on the left and the Mohr diagram on the right of
// the designated stress state, with the bin size and the misfit measure above them.

#include "plot/misfit_histogram.h"
#include "plot/mohr_plot.h"
#include "stress/compatibility.h"
#include "ui/view_dock.h"

#include <QImage>

class FileDialogs;
class Messages;
class QRadioButton;
class TEditBox;
class TFormFD;
class TFormST;
class TPictureArea;

// Paints the histogram chart at whatever size it is given.
class TChartWidget : public QWidget {
public:
    TChartWidget(const TMisfitHistogram& chart, QWidget* parent = nullptr)
        : QWidget(parent), chart_(chart) {}

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const TMisfitHistogram& chart_;
};

class TFormCompatibility : public TViewDock {
    Q_OBJECT
public:
    TFormCompatibility(TFormFD& fd_view, TFormST& st_view, Messages& messages, FileDialogs& dialogs,
                       QWidget* parent = nullptr);

    TMifitMeasure misfitmeasure = TMifitMeasure::SlipDir;
    int misfit_bin_size = 10;
    int max_misfit = 180;
    QImage bmpMohr;
    TMohrPlotStyles mohr_styles;
    TMisfitHistogram chart;

    TEditBox* EditMisfitBinSize = nullptr;
    QRadioButton* measure_items[2] = {};
    TChartWidget* ChartMisfit = nullptr;
    TPictureArea* ImageMohr = nullptr;

    void update_misfit();
    void ActionDrawMohrExecute();
    bool ActionChangeMisfitBinSizeExecute();
    void RadioGroupMisfitMeasureClick();

    QString run_picture_save_dialog();
    // The histogram at its size on the screen, and the Mohr diagram, as enhanced metafiles.
    void save_graph_misfit(const QString& path);
    void save_graph_Mohr(const QString& path);

protected:
    // The chart takes half of the client width, the Mohr picture the rest.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_controls();

    TFormFD& fd_view_;
    TFormST& st_view_;
    Messages& messages_;
    FileDialogs& dialogs_;
};
