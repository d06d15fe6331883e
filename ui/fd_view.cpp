#include "ui/fd_view.h"

#include "core/number_text.h"
#include "core/text_file.h"
#include "faults/fd_list_text.h"
#include "faults/fd_reader.h"
#include "output/data_files.h"
#include "plot/model_faults.h"
#include "ui/compatibility.h"
#include "ui/dialogs.h"
#include "ui/fit_size.h"
#include "ui/picture_area.h"
#include "ui/picture_save.h"
#include "ui/radio_group.h"
#include "ui/st_view.h"
#include "ui/text_list.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include <cmath>

namespace {

const TFileDialogSpec open_dialog_spec{
    QStringLiteral("Open Fault-Slip Data"),
    QStringLiteral("Fault-slip data files (*.efd, *.fdt)|*.efd;*.fdt|EFD files (*.efd)|*.efd|"
                   "FDT files (*.fdt)|*.fdt|All files (*.*)|*.*"),
    QString(), false};

const TFileDialogSpec data_save_spec{QStringLiteral("Save Data"),
                                     QStringLiteral("EFD files (*.efd)|*.efd"), QString(), true};

const TFileDialogSpec picture_save_spec{QStringLiteral("Save Graphics of Fault-Slip Data"),
                                        QStringLiteral("Enhanced metafile (*.emf)|*.emf"),
                                        QStringLiteral(".emf"), true};

QFont list_font() {
    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(12);
    font.setBold(true);
    return font;
}

} // namespace

TFormFD::TFormFD(EventLog& log, Messages& messages, FileDialogs& dialogs, QWidget* parent)
    : TViewDock(QStringLiteral("Fault Data"), parent), log_(log), messages_(messages),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("FormFD"));
    build_controls();
    change_flag_FD_loaded(false);

    bmpFD = QImage(fd_plot_size, fd_plot_size, QImage::Format_RGB32);
    RadioGroupPlotMethodClick();
    RadioGroupProjectionClick();
    set_FD_plot_styles(styles);
    {
        QPainter canvas(&bmpFD);
        draw_FD_frame(canvas, styles);
    }
    ImageFD->set_picture(bmpFD);
}

QWidget* TFormFD::build_top_panel() {
    auto* panel = new QWidget;
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(radio_group(QStringLiteral("Plot Method"), QStringLiteral("&Great Circle"),
                                  QStringLiteral("&Tangent Lineation"), plot_method_items));
    layout->addWidget(radio_group(QStringLiteral("Projection"), QStringLiteral("Equal Angle (&W)"),
                                  QStringLiteral("Equal Area (&S)"), projection_items));
    plot_method_items[1]->setChecked(true);
    projection_items[1]->setChecked(true);

    auto* designation = new QGroupBox(QStringLiteral("Stress Designation"));
    auto* checks = new QGridLayout(designation);
    checks->setContentsMargins(6, 2, 6, 2);
    checks->setVerticalSpacing(0);
    CheckBoxTheoreticalSlip = new QCheckBox(QStringLiteral("T&heoretical Slip"));
    CheckBoxModelFaults = new QCheckBox(QStringLiteral("&Model Faults"));
    CheckBoxDesignatedAxes = new QCheckBox(QStringLiteral("Designated &Axes"));
    checks->addWidget(CheckBoxTheoreticalSlip, 0, 0);
    checks->addWidget(CheckBoxModelFaults, 1, 0);
    checks->addWidget(CheckBoxDesignatedAxes, 0, 1);
    for (QCheckBox* box : {CheckBoxTheoreticalSlip, CheckBoxModelFaults, CheckBoxDesignatedAxes})
        box->setChecked(true);
    layout->addWidget(designation);

    ButtonDraw = new QPushButton(QStringLiteral("&Draw"));
    ButtonDraw->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    layout->addWidget(ButtonDraw, 1);
    fix_height(*panel, 73);
    return panel;
}

void TFormFD::build_controls() {
    auto* body = new QWidget;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(build_top_panel());

    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    ImageFD = new TPictureArea;
    ImageFD->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    row->addWidget(ImageFD, 1);
    ListBox = new TTextListView(list_font(), 13);
    ListBox->setFixedWidth(353);
    row->addWidget(ListBox);
    column->addLayout(row, 1);

    StatusBar = new QStatusBar;
    StatusBar->setSizeGripEnabled(false);
    // The count widens to its text; the read-out follows the mouse and keeps one width.
    const int widths[2] = {80, 100};
    const QString widest[2] = {{}, QStringLiteral("000.0 / 00.0")};
    for (int i = 0; i < 2; ++i) {
        status_panels[i] = new TStatusPanel(widths[i], widest[i]);
        StatusBar->addWidget(status_panels[i]);
    }
    column->addWidget(StatusBar);
    body->setAutoFillBackground(true); // the main window is grey behind the views
    setWidget(body);
    body->resize(762, 501);

    ActionDraw = new QAction(QStringLiteral("&Draw"), this);
    ActionDraw->setProperty("category", QStringLiteral("Draw"));
    connect(ActionDraw, &QAction::triggered, this, [this] { ActionDrawExecute(ActionDraw); });
    connect(ButtonDraw, &QPushButton::clicked, this, [this] { ActionDrawExecute(ButtonDraw); });
    for (QRadioButton* item : plot_method_items)
        connect(item, &QRadioButton::clicked, this, &TFormFD::RadioGroupPlotMethodClick);
    for (QRadioButton* item : projection_items)
        connect(item, &QRadioButton::clicked, this, &TFormFD::RadioGroupProjectionClick);
    connect(ListBox->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!drawing_from_list_ && ListBox->selected_row() >= 0)
            ActionDrawExecute(ListBox);
    });
    connect(ImageFD, &TPictureArea::mouse_moved, this, &TFormFD::ImageFDMouseMove);
}

QString TFormFD::run_open_dialog() {
    return dialogs_.open_file(open_dialog_spec);
}

bool TFormFD::stress_designated() const {
    return st_view && st_view->ST_designated;
}

void TFormFD::read_FD(const QString& path) {
    if (path.isEmpty())
        return;
    const TTextReadResult text = read_text_lines(path);
    if (!text.ok) {
        messages_.show(text.error); // the previous data stay
        return;
    }
    change_flag_FD_loaded(false);
    const TFDReadResult result = read_fault_data_lines(text.lines, path, FDSet, log_, messages_);
    update_status_bar();
    if (result.orientation_error)
        messages_.show(orientation_error_message(path));
    change_flag_FD_loaded(true, path);
}

void TFormFD::change_flag_FD_loaded(bool value, const QString& path) {
    FD_loaded = value;
    if (value) {
        FD_loaded_filename = QFileInfo(path).fileName();
        if (stress_designated())
            calc_theoretical_slip_and_misfit(st_view->designated_ST);
    } else {
        FD_loaded_filename.clear();
        FDSet.clear_FD();
        ListBox->text_model()->clear();
    }
    update_status_bar();
}

void TFormFD::update_FD_ListBox() {
    if (!FD_loaded)
        return;
    const bool designated = stress_designated();
    const QChar point = locale_decimal_point();
    QStringList lines;
    std::vector<QColor> colours;
    lines.reserve(FDSet.count());
    colours.reserve(FDSet.FDList.size());
    for (int k = 0; k < FDSet.count(); ++k) {
        const TFaultData& datum = FDSet.FDList[size_t(k)];
        lines.append(fd_list_line(datum, k + 1, designated, point));
        colours.push_back(
            color_from_value(styles.symb[static_cast<int>(datum.datatype)].font_color));
    }
    ListBox->text_model()->set_lines(std::move(lines), std::move(colours));
    horizontal_scroll_bar_for_ListBox(*ListBox);
}

void TFormFD::update_status_bar() {
    if (FD_loaded) {
        const QString name = FD_loaded_filename.size() <= 10
                                 ? FD_loaded_filename
                                 : FD_loaded_filename.left(10) + QStringLiteral("..");
        setWindowTitle(QStringLiteral("FD [") + name + QStringLiteral("] "));
    } else {
        setWindowTitle(QStringLiteral("Fault Data"));
    }
    status_panels[0]->setText(QStringLiteral("Nfd = ") + QString::number(FDSet.count()));
}

void TFormFD::ActionDrawExecute(QObject* sender) {
    if (sender != ListBox) {
        drawing_from_list_ = true;
        ListBox->clearSelection();
        drawing_from_list_ = false;
    }
    const TFDPlotLayers layers = plot_layers();
    {
        QPainter canvas(&bmpFD);
        draw_FD_plot(canvas, styles, layers);
    }
    ImageFD->set_picture(bmpFD);
    update_status_bar();
}

void TFormFD::calc_theoretical_slip_and_misfit(const TStressTensor& st) {
    const TMifitMeasure measure = compat_view ? compat_view->misfitmeasure : TMifitMeasure::SlipDir;
    ::calc_theoretical_slip_and_misfit(FDSet, TheoreticalFDSet, st, measure);
    update_FD_ListBox();
    if (compat_view) {
        compat_view->update_misfit();
        compat_view->ActionDrawMohrExecute();
    }
}

TFDPlotLayers TFormFD::plot_layers() {
    TFDPlotLayers layers;
    layers.projection = projection;
    layers.plotmethod = plotmethod;
    if (stress_designated() && CheckBoxModelFaults->isChecked()) {
        build_model_faults(ModelFDSet, st_view->designated_ST, projection, styles.basecircle);
        layers.model_faults = &ModelFDSet;
    }
    if (stress_designated() && CheckBoxDesignatedAxes->isChecked())
        layers.designated_axes =
            TPrincipalAxisOrientations{st_view->designated_ST.ax[0], st_view->designated_ST.ax[1],
                                       st_view->designated_ST.ax[2]};
    if (FD_loaded) {
        layers.loaded = &FDSet;
        layers.selected = ListBox->selected_row();
        if (stress_designated() && CheckBoxTheoreticalSlip->isChecked())
            layers.theoretical = &TheoreticalFDSet;
    }
    return layers;
}

QString TFormFD::run_data_save_dialog() {
    return dialogs_.save_file(data_save_spec);
}

QString TFormFD::run_picture_save_dialog() {
    return dialogs_.save_file(TFileDialogSpec{QStringLiteral("Save Graphics of Fault-Slip Data"),
                                              picture_filter(), QStringLiteral(".emf"), true});
}

void TFormFD::save_data_misfit(const QString& path) {
    if (path.isEmpty())
        return;
    QString error;
    if (!::save_data_misfit(path, FDSet, FD_loaded_filename, st_view->designated_ST,
                            compat_view ? compat_view->misfitmeasure : TMifitMeasure::SlipDir,
                            &error))
        messages_.show(error);
}

void TFormFD::save_data_theoretical(const QString& path) {
    if (path.isEmpty())
        return;
    QString error;
    if (!::save_data_theoretical(path, TheoreticalFDSet, FD_loaded_filename, st_view->designated_ST,
                                 &error))
        messages_.show(error);
}

void TFormFD::save_graph_FD(const QString& path) {
    // The same layers as on the screen, with the selected datum still highlighted; the
    // bitmap and the screen are left alone.
    save_picture(
        path, QSize(fd_plot_size, fd_plot_size),
        [&](QPainter& canvas) { draw_FD_plot(canvas, styles, plot_layers()); }, messages_);
}

void TFormFD::RadioGroupPlotMethodClick() {
    plotmethod = plot_method_items[0]->isChecked() ? TPlotMethod::GCA : TPlotMethod::TLD;
}

void TFormFD::RadioGroupProjectionClick() {
    projection = projection_items[0]->isChecked() ? TProjection::EAngle : TProjection::EArea;
}

void TFormFD::ImageFDMouseMove(QPoint pos) {
    // The picture is shown at the area's smaller side, but never larger than the plot.
    const int m = std::min({ImageFD->width(), ImageFD->height(), fd_plot_size});
    if (m <= 0)
        return;
    const float s = float(fd_plot_size) / float(m);
    const QPoint p(int(std::nearbyint(pos.x() * s)), int(std::nearbyint(pos.y() * s)));
    const TBaseCircle& net = styles.basecircle;
    const qint64 dx = p.x() - net.C.x(), dy = p.y() - net.C.y();
    if (dx * dx + dy * dy >= qint64(net.R) * net.R)
        return;
    const Tazpl azpl = point_to_azpl(p, projection, net);
    status_panels[1]->setText(format_float(QStringLiteral("0.0"), azpl.az) + QStringLiteral(" / ") +
                              format_float(QStringLiteral("0.0"), azpl.pl));
}
