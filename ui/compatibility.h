#pragma once

// The compatibility view: the misfit histogram on the left and the Mohr diagram on the right of
// the designated stress state, with the bin size and the misfit measure above them.

#include "ui/view_dock.h"

#include <QImage>

class FileDialogs;
class QRadioButton;
class TEditBox;
class TPictureArea;
class TSession;

// Paints the session's histogram at whatever size it is given.
class TChartWidget : public QWidget {
public:
    TChartWidget(TSession& session, QWidget* parent = nullptr)
        : QWidget(parent), session_(session) {}

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TSession& session_;
};

class TFormCompatibility : public TViewDock {
    Q_OBJECT
public:
    TFormCompatibility(TSession& session, FileDialogs& dialogs, QWidget* parent = nullptr);

    QImage bmpMohr;

    TEditBox* EditMisfitBinSize = nullptr;
    QRadioButton* measure_items[2] = {};
    TChartWidget* ChartMisfit = nullptr;
    TPictureArea* ImageMohr = nullptr;

    void ActionDrawMohrExecute();
    bool ActionChangeMisfitBinSizeExecute();
    void RadioGroupMisfitMeasureClick();

    QString run_picture_save_dialog();
    // The histogram at its size on the screen, and the Mohr diagram, as enhanced metafiles.
    void save_graph_misfit(const QString& path);
    void save_graph_Mohr(const QString& path);
    // The histogram's size on the screen, which its pictures take.
    QSize histogram_size() const;

protected:
    // The chart takes half of the client width, the Mohr picture the rest.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_controls();
    // The measure's buttons and the bin size as the settings are; a box being typed in keeps
    // its text unless the bin size itself changed.
    void show_settings();

    TSession& session_;
    FileDialogs& dialogs_;
    int shown_bin_size_ = 0;
};
