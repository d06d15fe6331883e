#include "ui/compatibility.h"

#include "core/messages.h"
#include "ui/dialogs.h"
#include "ui/edit_box.h"
#include "ui/fd_view.h"
#include "ui/fit_size.h"
#include "ui/picture_area.h"
#include "ui/picture_save.h"
#include "ui/radio_group.h"
#include "ui/st_view.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QResizeEvent>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

void TChartWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    draw_misfit_histogram(painter, rect(), chart_);
}

TFormCompatibility::TFormCompatibility(TFormFD& fd_view, TFormST& st_view, Messages& messages,
                                       FileDialogs& dialogs, QWidget* parent)
    : TViewDock(QStringLiteral("Compatibility"), parent), fd_view_(fd_view), st_view_(st_view),
      messages_(messages), dialogs_(dialogs) {
    setObjectName(QStringLiteral("FormCompatibility"));
    build_controls();
    misfit_bin_size = 10;
    EditMisfitBinSize->setText(QStringLiteral("10"));
    bmpMohr = QImage(mohr_plot_size, mohr_plot_size, QImage::Format_RGB32);
    measure_items[0]->setChecked(true);
    RadioGroupMisfitMeasureClick();
    init_Mohr_style(mohr_styles);
    {
        QPainter canvas(&bmpMohr);
        draw_Mohr_frame(canvas, mohr_styles);
    }
    ImageMohr->set_picture(bmpMohr);
}

void TFormCompatibility::build_controls() {
    auto* body = new QWidget;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* panel = new QWidget;
    auto* label = new QLabel(QStringLiteral("misift bin size [deg]"), panel);
    label->move(24, 20);
    label->adjustSize();
    // The box stands at 136 unless the label's font needs more room.
    EditMisfitBinSize = new TEditBox(panel);
    EditMisfitBinSize->setGeometry(std::max(136, label->x() + label->width() + 6), 16,
                                   edit_box_width(*EditMisfitBinSize, 41, QStringLiteral("000")),
                                   EditMisfitBinSize->sizeHint().height());
    // The measure's box and the panel grow only with a font larger than the layout's.
    QWidget* measure =
        radio_group(QStringLiteral("Misfit Measure"), QStringLiteral("&Slip direction"),
                    QStringLiteral("&Distance to Fry arc"), measure_items, panel);
    const QSize needed = measure->minimumSizeHint();
    measure->setGeometry(24, std::max(40, EditMisfitBinSize->geometry().bottom() + 3),
                         grown_size(*measure, 153, needed.width()),
                         grown_size(*measure, 57, needed.height()));
    panel->setFixedHeight(std::max(110, measure->geometry().bottom() + 1 + 13));
    column->addWidget(panel);

    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    ChartMisfit = new TChartWidget(chart);
    ChartMisfit->setFixedWidth(406);
    row->addWidget(ChartMisfit);
    ImageMohr = new TPictureArea;
    ImageMohr->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    row->addWidget(ImageMohr, 1);
    column->addLayout(row, 1);
    auto* bar = new QStatusBar;
    bar->setSizeGripEnabled(false);
    column->addWidget(bar);
    body->setAutoFillBackground(true); // the main window is grey behind the views
    setWidget(body);
    body->installEventFilter(this); // the chart follows the client width

    connect(EditMisfitBinSize, &TEditBox::enter_pressed, this, [this] {
        ActionChangeMisfitBinSizeExecute();
        update_misfit();
        EditMisfitBinSize->selectAll();
    });
    for (QRadioButton* item : measure_items)
        connect(item, &QRadioButton::clicked, this,
                &TFormCompatibility::RadioGroupMisfitMeasureClick);
}

void TFormCompatibility::update_misfit() {
    fill_misfit_histogram(chart, fd_view_.FDSet, max_misfit, misfit_bin_size);
    ChartMisfit->update();
}

void TFormCompatibility::ActionDrawMohrExecute() {
    const bool both = fd_view_.FD_loaded && st_view_.ST_designated;
    {
        QPainter canvas(&bmpMohr);
        draw_Mohr_diagram(canvas, mohr_styles, both ? &fd_view_.FDSet : nullptr,
                          both ? &st_view_.designated_ST : nullptr, max_misfit);
    }
    ImageMohr->set_picture(bmpMohr);
}

bool TFormCompatibility::ActionChangeMisfitBinSizeExecute() {
    bool ok = false;
    const int value = EditMisfitBinSize->text().toInt(&ok);
    const char* problem =
        !ok ? "invalid bin size" : (value < 5 || value > max_misfit ? "out of range" : nullptr);
    if (problem) {
        messages_.show(QString::fromLatin1(problem));
        EditMisfitBinSize->setText(QString::number(misfit_bin_size));
        EditMisfitBinSize->selectAll();
        return false;
    }
    misfit_bin_size = value;
    return true;
}

void TFormCompatibility::RadioGroupMisfitMeasureClick() {
    const TMifitMeasure chosen =
        measure_items[0]->isChecked() ? TMifitMeasure::SlipDir : TMifitMeasure::DistFry;
    max_misfit = chosen == TMifitMeasure::SlipDir ? 180 : 90;
    set_misfit_axis_range(chart, chosen);
    ChartMisfit->update();
    if (chosen == misfitmeasure)
        return;
    misfitmeasure = chosen;
    if (!st_view_.ST_designated)
        return; // the next analysis uses the new measure
    // A valid bin of one range doubles or halves into a valid bin of the other.
    int bin = misfit_bin_size;
    if (chosen == TMifitMeasure::SlipDir)
        bin *= 2;
    else if (bin >= 10)
        bin /= 2;
    if (bin != misfit_bin_size) {
        misfit_bin_size = bin;
        EditMisfitBinSize->setText(QString::number(bin));
        ActionChangeMisfitBinSizeExecute();
    }
    fd_view_.calc_theoretical_slip_and_misfit(st_view_.designated_ST);
}

QString TFormCompatibility::run_picture_save_dialog() {
    return dialogs_.save_file(TFileDialogSpec{QStringLiteral("Save Graphics"), picture_filter(),
                                              QStringLiteral(".emf"), true});
}

void TFormCompatibility::save_graph_misfit(const QString& path) {
    const QSize size = ChartMisfit->size().expandedTo(QSize(1, 1));
    save_picture(
        path, size,
        [&](QPainter& canvas) { draw_misfit_histogram(canvas, QRect(QPoint(0, 0), size), chart); },
        messages_);
}

void TFormCompatibility::save_graph_Mohr(const QString& path) {
    const bool both = fd_view_.FD_loaded && st_view_.ST_designated;
    save_picture(
        path, QSize(mohr_plot_size, mohr_plot_size),
        [&](QPainter& canvas) {
            draw_Mohr_diagram(canvas, mohr_styles, both ? &fd_view_.FDSet : nullptr,
                              both ? &st_view_.designated_ST : nullptr, max_misfit);
        },
        messages_);
}

bool TFormCompatibility::eventFilter(QObject* watched, QEvent* event) {
    if (watched == widget() && event->type() == QEvent::Resize)
        ChartMisfit->setFixedWidth(
            int(std::nearbyint(static_cast<QResizeEvent*>(event)->size().width() / 2.0)));
    return TViewDock::eventFilter(watched, event);
}
