#include "ui/fd_view.h"

#include "core/number_text.h"
#include "faults/fd_list_text.h"
#include "session/session.h"
#include "ui/density_controls.h"
#include "ui/dialogs.h"
#include "ui/fit_size.h"
#include "ui/picture_area.h"
#include "ui/radio_group.h"
#include "ui/text_list.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
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

QFont list_font() {
    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(12);
    font.setBold(true);
    return font;
}

} // namespace

TFormFD::TFormFD(TSession& session, FileDialogs& dialogs, QWidget* parent)
    : TViewDock(QStringLiteral("Fault Data"), parent), session_(session), dialogs_(dialogs) {
    setObjectName(QStringLiteral("FormFD"));
    build_controls();
    show_settings();
    update_status_bar();

    bmpFD = QImage(fd_plot_size, fd_plot_size, QImage::Format_RGB32);
    {
        QPainter canvas(&bmpFD);
        session_.draw_FD(canvas); // the frame: nothing loaded yet
    }
    drawn_contours_ = contours_wanted();
    ImageFD->set_picture(bmpFD);

    connect(&session_, &TSession::fault_data_changed, this, &TFormFD::fault_data_changed);
    connect(&session_, &TSession::analysis_changed, this, &TFormFD::update_FD_ListBox);
    connect(&session_, &TSession::settings_changed, this, &TFormFD::show_settings);
    connect(&session_, &TSession::designation_changed, this, &TFormFD::designation_changed);
}

QWidget* TFormFD::build_top_panel() {
    auto* panel = new QWidget;
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(radio_group(QStringLiteral("Plot Method"), QStringLiteral("&Great Circle"),
                                  QStringLiteral("&Tangent Lineation"), plot_method_items));
    layout->addWidget(radio_group(QStringLiteral("Projection"), QStringLiteral("Equal Angle (&W)"),
                                  QStringLiteral("Equal Area (&S)"), projection_items));

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
    layout->addWidget(designation);
    layout->addWidget(build_contour_panel());

    ButtonDraw = new QPushButton(QStringLiteral("&Draw"));
    ButtonDraw->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    layout->addWidget(ButtonDraw, 1);
    plot_method_items[0]->setToolTip(
        QStringLiteral("Each plane as its great circle, with an arrow for the slip"));
    plot_method_items[1]->setToolTip(QStringLiteral(
        "Each datum as its pole with a short line along the slip (tangent lineation)"));
    projection_items[0]->setToolTip(QStringLiteral("Equal-angle (Wulff) lower-hemisphere net"));
    projection_items[1]->setToolTip(QStringLiteral("Equal-area (Schmidt) lower-hemisphere net"));
    CheckBoxTheoreticalSlip->setToolTip(
        QStringLiteral("The slip the designated stress state predicts on each plane, in green"));
    CheckBoxModelFaults->setToolTip(
        QStringLiteral("The faults the designated stress state would make, for comparison"));
    CheckBoxDesignatedAxes->setToolTip(
        QStringLiteral("The principal axes of the designated stress state, as stars"));
    ButtonDraw->setToolTip(QStringLiteral("Draws the fault data with these settings"));
    fix_height(*panel, 73);
    return panel;
}

QWidget* TFormFD::build_contour_panel() {
    auto* box = new QGroupBox(QStringLiteral("Contours"));
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setVerticalSpacing(1);
    grid->setHorizontalSpacing(3);
    ComboContours = new QComboBox;
    ComboContours->addItem(QStringLiteral("None"));
    constexpr TDensitySubject subjects[] = {TDensitySubject::Poles, TDensitySubject::Lineations,
                                            TDensitySubject::P, TDensitySubject::T};
    add_density_subjects(*ComboContours, subjects);
    ComboContourMethod = new QComboBox;
    add_density_methods(*ComboContourMethod);
    EditContourLevels =
        new TLevelsEdit(session_, [this] { return session_.settings.fd_contour_method; });
    EditContourLevels->setFixedWidth(
        edit_box_width(*EditContourLevels, 60, QStringLiteral("2, 4, 6")));
    grid->addWidget(ComboContours, 0, 0);
    grid->addWidget(ComboContourMethod, 1, 0);
    grid->addWidget(EditContourLevels, 1, 1);
    ComboContours->setToolTip(QStringLiteral(
        "Density contours under the data: of the poles of the planes, the slip lineations, or "
        "the P or T axes of the data with a slip sense"));
    connect(ComboContours, &QComboBox::currentIndexChanged, this,
            [this] { session_.set_fd_contours(chosen_subject(*ComboContours)); });
    connect(ComboContourMethod, &QComboBox::currentIndexChanged, this, [this] {
        EditContourLevels->commit(); // levels typed for the method left behind
        session_.set_fd_contour_method(chosen_method(*ComboContourMethod));
    });
    return box;
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
        status_panels[i] = new TStatusPanel(widths[i], widest[i],
                                            i == 0 ? QStringLiteral("Nfd = 00000") : QString());
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
    connect(CheckBoxTheoreticalSlip, &QCheckBox::toggled, &session_,
            &TSession::set_theoretical_slip);
    connect(CheckBoxModelFaults, &QCheckBox::toggled, &session_, &TSession::set_model_faults);
    connect(CheckBoxDesignatedAxes, &QCheckBox::toggled, &session_, &TSession::set_designated_axes);
}

void TFormFD::show_settings() {
    const TSessionSettings& settings = session_.settings;
    set_checked_quietly(plot_method_items[settings.plotmethod == TPlotMethod::GCA ? 0 : 1], true);
    set_checked_quietly(projection_items[settings.projection == TProjection::EAngle ? 0 : 1], true);
    set_checked_quietly(CheckBoxTheoreticalSlip, settings.theoretical_slip);
    set_checked_quietly(CheckBoxModelFaults, settings.model_faults);
    set_checked_quietly(CheckBoxDesignatedAxes, settings.designated_axes);
    select_quietly(*ComboContours,
                   settings.fd_contours ? std::optional(int(*settings.fd_contours)) : std::nullopt);
    select_quietly(*ComboContourMethod, int(settings.fd_contour_method));
    EditContourLevels->show_levels();
    // The method and levels matter once there is something to contour.
    ComboContourMethod->setEnabled(settings.fd_contours.has_value());
    EditContourLevels->setEnabled(settings.fd_contours.has_value());
    // The contours follow their controls at once; the other settings wait for "Draw".
    if (!bmpFD.isNull() && contours_wanted() != drawn_contours_)
        ActionDrawExecute(ListBox);
}

TFormFD::TContours TFormFD::contours_wanted() const {
    const TSessionSettings& settings = session_.settings;
    TContours contours{settings.fd_contours, settings.fd_contour_method, {}};
    if (contours.subject)
        contours.levels = density_levels_of(settings, settings.fd_contour_method);
    else
        contours.method = TDensityMethod::Kamb; // no layer: the method makes no difference
    return contours;
}

QString TFormFD::run_open_dialog() {
    return dialogs_.open_file(open_dialog_spec);
}

void TFormFD::fault_data_changed() {
    if (session_.FD_loaded)
        update_FD_ListBox();
    else
        ListBox->text_model()->clear();
    update_status_bar();
}

void TFormFD::designation_changed() {
    // The three clicks end with the data drawn under the new state.
    if (session_.ST_designated)
        ActionDrawExecute(&session_);
}

void TFormFD::update_FD_ListBox() {
    if (!session_.FD_loaded)
        return;
    const TFaultDataSet& FDSet = session_.FDSet;
    const bool designated = session_.ST_designated;
    const QChar point = locale_decimal_point();
    QStringList lines;
    std::vector<QColor> colours;
    lines.reserve(FDSet.count());
    colours.reserve(FDSet.FDList.size());
    for (int k = 0; k < FDSet.count(); ++k) {
        const TFaultData& datum = FDSet.FDList[size_t(k)];
        lines.append(fd_list_line(datum, k + 1, designated, point));
        colours.push_back(
            color_from_value(session_.fd_styles.symb[static_cast<int>(datum.datatype)].font_color));
    }
    ListBox->text_model()->set_lines(std::move(lines), std::move(colours));
    horizontal_scroll_bar_for_ListBox(*ListBox);
}

void TFormFD::update_status_bar() {
    if (session_.FD_loaded) {
        const QString& file = session_.FD_loaded_filename;
        const QString name = file.size() <= 10 ? file : file.left(10) + QStringLiteral("..");
        setWindowTitle(QStringLiteral("FD [") + name + QStringLiteral("] "));
    } else {
        setWindowTitle(QStringLiteral("Fault Data"));
    }
    status_panels[0]->setText(QStringLiteral("Nfd = ") + QString::number(session_.FDSet.count()));
}

void TFormFD::ActionDrawExecute(QObject* sender) {
    if (sender != ListBox) {
        drawing_from_list_ = true;
        ListBox->clearSelection();
        drawing_from_list_ = false;
    }
    {
        QPainter canvas(&bmpFD);
        session_.draw_FD(canvas, ListBox->selected_row());
    }
    drawn_projection_ = session_.settings.projection;
    drawn_contours_ = contours_wanted();
    ImageFD->set_picture(bmpFD);
    update_status_bar();
}

QString TFormFD::run_data_save_dialog() {
    return dialogs_.save_file(data_save_spec);
}

QString TFormFD::run_picture_save_dialog() {
    return dialogs_.save_file(TFileDialogSpec{QStringLiteral("Save Graphics of Fault-Slip Data"),
                                              picture_filter(), QStringLiteral(".emf"), true});
}

void TFormFD::save_graph_FD(const QString& path) {
    // The bitmap and the screen are left alone.
    session_.save_graph_FD(path, 1, ListBox->selected_row());
}

void TFormFD::RadioGroupPlotMethodClick() {
    session_.set_plot_method(plot_method_items[0]->isChecked() ? TPlotMethod::GCA
                                                               : TPlotMethod::TLD);
}

void TFormFD::RadioGroupProjectionClick() {
    session_.set_projection(projection_items[0]->isChecked() ? TProjection::EAngle
                                                             : TProjection::EArea);
}

void TFormFD::ImageFDMouseMove(QPoint p) {
    const TBaseCircle& net = session_.fd_styles.basecircle;
    if (!inside_net(p, net))
        return;
    // The picture shown, not the radio buttons: they take effect at the next drawing.
    const Tazpl azpl = point_to_azpl(p, drawn_projection_, net);
    status_panels[1]->setText(format_float(QStringLiteral("0.0"), azpl.az) + QStringLiteral(" / ") +
                              format_float(QStringLiteral("0.0"), azpl.pl));
}
