#include "ui/compatibility.h"

#include "session/session.h"
#include "ui/dialogs.h"
#include "ui/edit_box.h"
#include "ui/fit_size.h"
#include "ui/picture_area.h"
#include "ui/radio_group.h"

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
    session_.draw_histogram(painter, rect());
}

TFormCompatibility::TFormCompatibility(TSession& session, FileDialogs& dialogs, QWidget* parent)
    : TViewDock(QStringLiteral("Compatibility"), parent), session_(session), dialogs_(dialogs) {
    setObjectName(QStringLiteral("FormCompatibility"));
    build_controls();
    show_settings();
    bmpMohr = QImage(mohr_plot_size, mohr_plot_size, QImage::Format_RGB32);
    {
        QPainter canvas(&bmpMohr);
        session_.draw_Mohr(canvas); // the frame: no designation yet
    }
    ImageMohr->set_picture(bmpMohr);
    connect(&session_, &TSession::settings_changed, this, &TFormCompatibility::show_settings);
    connect(&session_, &TSession::histogram_changed, ChartMisfit, qOverload<>(&QWidget::update));
    connect(&session_, &TSession::analysis_changed, this,
            &TFormCompatibility::ActionDrawMohrExecute);
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
    measure_items[0]->setToolTip(QStringLiteral(
        "Misfit as the angle between the measured slip and the one the stress state predicts, "
        "0 to 180°"));
    measure_items[1]->setToolTip(QStringLiteral(
        "Misfit as the angular distance to the Fry arc, 0 to 90°: how far the datum is from "
        "being explained by any stress ratio"));
    EditMisfitBinSize->setToolTip(
        QStringLiteral("Width of a histogram bar in degrees; Enter draws"));
    const QSize needed = measure->minimumSizeHint();
    measure->setGeometry(24, std::max(40, EditMisfitBinSize->geometry().bottom() + 3),
                         grown_size(*measure, 153, needed.width()),
                         grown_size(*measure, 57, needed.height()));
    panel->setFixedHeight(std::max(110, measure->geometry().bottom() + 1 + 13));
    column->addWidget(panel);

    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    ChartMisfit = new TChartWidget(session_);
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
        session_.update_misfit();
        EditMisfitBinSize->selectAll();
    });
    for (QRadioButton* item : measure_items)
        connect(item, &QRadioButton::clicked, this,
                &TFormCompatibility::RadioGroupMisfitMeasureClick);
}

void TFormCompatibility::show_settings() {
    const TSessionSettings& settings = session_.settings;
    measure_items[settings.misfitmeasure == TMifitMeasure::SlipDir ? 0 : 1]->setChecked(true);
    if (settings.misfit_bin_size != shown_bin_size_) {
        shown_bin_size_ = settings.misfit_bin_size;
        EditMisfitBinSize->setText(QString::number(shown_bin_size_));
    }
}

void TFormCompatibility::ActionDrawMohrExecute() {
    {
        QPainter canvas(&bmpMohr);
        session_.draw_Mohr(canvas);
    }
    ImageMohr->set_picture(bmpMohr);
}

bool TFormCompatibility::ActionChangeMisfitBinSizeExecute() {
    if (session_.set_bin_size(EditMisfitBinSize->text()))
        return true;
    shown_bin_size_ = session_.settings.misfit_bin_size;
    EditMisfitBinSize->setText(QString::number(shown_bin_size_)); // the previous value stays
    EditMisfitBinSize->selectAll();
    return false;
}

void TFormCompatibility::RadioGroupMisfitMeasureClick() {
    session_.set_measure(measure_items[0]->isChecked() ? TMifitMeasure::SlipDir
                                                       : TMifitMeasure::DistFry);
}

QString TFormCompatibility::run_picture_save_dialog() {
    return dialogs_.save_file(TFileDialogSpec{QStringLiteral("Save Graphics"), picture_filter(),
                                              QStringLiteral(".emf"), true});
}

QSize TFormCompatibility::histogram_size() const {
    return ChartMisfit->size().expandedTo(QSize(1, 1));
}

void TFormCompatibility::save_graph_misfit(const QString& path) {
    session_.save_graph_misfit(path, histogram_size());
}

void TFormCompatibility::save_graph_Mohr(const QString& path) {
    session_.save_graph_Mohr(path);
}

bool TFormCompatibility::eventFilter(QObject* watched, QEvent* event) {
    if (watched == widget() && event->type() == QEvent::Resize)
        ChartMisfit->setFixedWidth(
            int(std::nearbyint(static_cast<QResizeEvent*>(event)->size().width() / 2.0)));
    return TViewDock::eventFilter(watched, event);
}
