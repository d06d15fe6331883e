#include "ui/kinematics_view.h"

#include "core/number_text.h"
#include "session/session.h"
#include "ui/axes_table_model.h"
#include "ui/density_controls.h"
#include "ui/dialogs.h"
#include "ui/fit_size.h"
#include "ui/picture_area.h"
#include "ui/radio_group.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr TDensitySubject all_subjects[] = {TDensitySubject::Poles,  TDensitySubject::Lineations,
                                            TDensitySubject::P,      TDensitySubject::T,
                                            TDensitySubject::Sigma1, TDensitySubject::Sigma3};

} // namespace

TFormKinematics::TFormKinematics(TSession& session, FileDialogs& dialogs, QWidget* parent)
    : TViewDock(QStringLiteral("Kinematics"), parent), session_(session), dialogs_(dialogs) {
    setObjectName(QStringLiteral("FormKinematics"));
    build_controls();
    show_settings();

    bmpKinematics = QImage(kinematics_plot_width, kinematics_plot_height, QImage::Format_RGB32);
    bmpKinematics.fill(Qt::white);
    ImageKinematics->set_picture(bmpKinematics);

    connect(&session_, &TSession::fault_data_changed, this, &TFormKinematics::fault_data_changed);
    connect(&session_, &TSession::states_changed, this, &TFormKinematics::states_changed);
    connect(&session_, &TSession::settings_changed, this, &TFormKinematics::show_settings);
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool shown) {
        if (shown)
            redraw_when_shown();
    });
}

QWidget* TFormKinematics::build_top_panel() {
    auto* panel = new QWidget;
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(4, 2, 4, 2);

    auto* layers = new QGroupBox(QStringLiteral("Layers"));
    auto* layers_grid = new QVBoxLayout(layers);
    layers_grid->setContentsMargins(6, 2, 6, 2);
    layers_grid->setSpacing(1);
    CheckBoxAxes = new QCheckBox(QStringLiteral("&P/T Axes"));
    ComboUnderlay = new QComboBox;
    ComboUnderlay->addItem(QStringLiteral("None"), int(TKinematicsUnderlay::None));
    ComboUnderlay->addItem(QStringLiteral("Density"), int(TKinematicsUnderlay::Density));
    ComboUnderlay->addItem(QStringLiteral("Right dihedra"), int(TKinematicsUnderlay::Dihedra));
    layers_grid->addWidget(CheckBoxAxes);
    layers_grid->addWidget(ComboUnderlay);
    layout->addWidget(layers);

    GroupDensity = new QGroupBox(QStringLiteral("Density"));
    auto* grid = new QGridLayout(GroupDensity);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setVerticalSpacing(1);
    ComboSubject = new QComboBox;
    add_density_subjects(*ComboSubject, all_subjects);
    ComboMethod = new QComboBox;
    add_density_methods(*ComboMethod);
    EditLevels = new TLevelsEdit(session_, [this] { return session_.settings.kinematics_method; });
    EditLevels->setFixedWidth(edit_box_width(*EditLevels, 110, QStringLiteral("2, 4, 6, 8, 10")));
    auto* levels_label = new QLabel(QStringLiteral("&Levels"));
    levels_label->setBuddy(EditLevels);
    grid->addWidget(ComboSubject, 0, 0);
    grid->addWidget(ComboMethod, 1, 0);
    grid->addWidget(levels_label, 0, 1);
    grid->addWidget(EditLevels, 1, 1);
    layout->addWidget(GroupDensity);
    layout->addStretch(1);

    CheckBoxAxes->setToolTip(QStringLiteral(
        "The P axis (open circle) and T axis (filled circle) of each datum with a slip sense"));
    ComboUnderlay->setToolTip(QStringLiteral(
        "Under the axes: nothing, the density contours chosen beside, or the right dihedra "
        "(Angelier & Mechler 1977): for each direction, the percentage of the data whose "
        "compressional dihedron holds it; sigma1 lies in the 100 % area"));
    ComboSubject->setToolTip(QStringLiteral(
        "What the density counts: poles of the planes, slip lineations, P or T axes of the "
        "data, or the sigma1 or sigma3 axes of the stress states weighted by fitness"));
    fix_height(*panel, 73);
    return panel;
}

void TFormKinematics::build_controls() {
    auto* body = new QWidget;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(build_top_panel());

    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    ImageKinematics = new TPictureArea;
    ImageKinematics->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    row->addWidget(ImageKinematics, 1);
    axes_model = new TAxesTableModel(this);
    TableAxes = new QTableView;
    TableAxes->setModel(axes_model);
    TableAxes->setToolTip(
        QStringLiteral("The P, T and B axes of each datum with a slip sense, as trend/plunge"));
    TableAxes->verticalHeader()->hide();
    // Fixed row heights and column widths: a list of 10^5 rows is never measured whole.
    TableAxes->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    TableAxes->verticalHeader()->setDefaultSectionSize(TableAxes->fontMetrics().height() + 2);
    TableAxes->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    const QFontMetrics metrics = TableAxes->fontMetrics();
    const int digits = metrics.horizontalAdvance(QStringLiteral("000/00")) + 10;
    const int widths[5] = {metrics.horizontalAdvance(QStringLiteral("00000")) + 10,
                           metrics.horizontalAdvance(QStringLiteral("Kind")) + 10, digits, digits,
                           digits};
    int total = 0;
    for (int c = 0; c < 5; ++c) {
        TableAxes->setColumnWidth(c, widths[c]);
        total += widths[c];
    }
    TableAxes->setSelectionBehavior(QAbstractItemView::SelectRows);
    TableAxes->setFixedWidth(total + TableAxes->verticalScrollBar()->sizeHint().width() +
                             2 * TableAxes->frameWidth());
    row->addWidget(TableAxes);
    column->addLayout(row, 1);

    auto* bar = new QStatusBar;
    bar->setSizeGripEnabled(false);
    status_panels[0] = new TStatusPanel(100, QString(), QStringLiteral("with axes = 00000"));
    status_panels[1] = new TStatusPanel(100, QStringLiteral("000.0 / 00.0"));
    bar->addWidget(status_panels[0]);
    bar->addWidget(status_panels[1]);
    column->addWidget(bar);
    body->setAutoFillBackground(true); // the main window is grey behind the views
    setWidget(body);

    connect(CheckBoxAxes, &QCheckBox::toggled, &session_, &TSession::set_kinematic_axes);
    connect(ComboUnderlay, &QComboBox::currentIndexChanged, this, [this] {
        session_.set_kinematics_underlay(
            static_cast<TKinematicsUnderlay>(ComboUnderlay->currentData().toInt()));
    });
    connect(ComboSubject, &QComboBox::currentIndexChanged, this,
            [this] { session_.set_kinematics_subject(*chosen_subject(*ComboSubject)); });
    connect(ComboMethod, &QComboBox::currentIndexChanged, this, [this] {
        EditLevels->commit(); // levels typed for the method left behind
        session_.set_kinematics_method(chosen_method(*ComboMethod));
    });
    connect(ImageKinematics, &TPictureArea::mouse_moved, this, &TFormKinematics::mouse_moved);
}

void TFormKinematics::show_settings() {
    const TSessionSettings& settings = session_.settings;
    set_checked_quietly(CheckBoxAxes, settings.kinematic_axes);
    select_quietly(*ComboUnderlay, int(settings.kinematics_underlay));
    select_quietly(*ComboSubject, int(settings.kinematics_subject));
    select_quietly(*ComboMethod, int(settings.kinematics_method));
    EditLevels->show_levels();
    GroupDensity->setEnabled(settings.kinematics_underlay == TKinematicsUnderlay::Density);
    if (drawn_ && *drawn_ != wanted())
        drawn_.reset();
    redraw_when_shown();
}

TFormKinematics::TDrawn TFormKinematics::wanted() const {
    const TSessionSettings& s = session_.settings;
    return {s.projection,         s.kinematic_axes,    s.kinematics_underlay,
            s.kinematics_subject, s.kinematics_method, density_levels_of(s, s.kinematics_method)};
}

void TFormKinematics::fault_data_changed() {
    drawn_.reset();
    list_stale_ = true;
    redraw_when_shown();
}

void TFormKinematics::states_changed() {
    // Only a density of the states' axes shows them.
    const TSessionSettings& s = session_.settings;
    if (s.kinematics_underlay == TKinematicsUnderlay::Density &&
        subject_of_stress_states(s.kinematics_subject))
        drawn_.reset();
    redraw_when_shown();
}

void TFormKinematics::redraw_when_shown() {
    // Behind another tab the view waits: nothing is computed, nor reported, for a view not seen.
    if (access_keys_live() && isVisible() && (!drawn_ || list_stale_))
        redraw();
}

void TFormKinematics::redraw() {
    if (list_stale_)
        update_axes_list();
    if (drawn_)
        return;
    {
        QPainter canvas(&bmpKinematics);
        session_.draw_kinematics(canvas);
    }
    drawn_ = wanted();
    ImageKinematics->set_picture(bmpKinematics);
}

void TFormKinematics::update_axes_list() {
    list_stale_ = false;
    if (!session_.FD_loaded) {
        axes_model->clear();
        status_panels[0]->setText(QString());
        return;
    }
    const TKinematicAxesSet& set = session_.kinematic_axes();
    axes_model->set_axes(set.data);
    status_panels[0]->setText(QStringLiteral("with axes = ") + QString::number(set.data.size()));
}

void TFormKinematics::mouse_moved(QPoint p) {
    const TBaseCircle& net = session_.kinematics_styles.basecircle;
    if (!drawn_ || !inside_net(p, net))
        return;
    const Tazpl azpl = point_to_azpl(p, drawn_->projection, net);
    status_panels[1]->setText(format_float(QStringLiteral("0.0"), azpl.az) + QStringLiteral(" / ") +
                              format_float(QStringLiteral("0.0"), azpl.pl));
}

QString TFormKinematics::run_picture_save_dialog() {
    return dialogs_.save_file(TFileDialogSpec{QStringLiteral("Save Graphics of Kinematics"),
                                              picture_filter(), QStringLiteral(".emf"), true});
}

QString TFormKinematics::run_axes_save_dialog() {
    return dialogs_.save_file(TFileDialogSpec{QStringLiteral("Save Kinematic Axes"),
                                              QStringLiteral("CSV files (*.csv)|*.csv"),
                                              QStringLiteral(".csv"), true});
}

void TFormKinematics::save_graph_kinematics(const QString& path) {
    session_.save_graph_kinematics(path);
}

void TFormKinematics::save_axes(const QString& path) {
    session_.save_data_kinematics(path);
}
