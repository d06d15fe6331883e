#include "ui/st_view.h"

#include "core/number_text.h"
#include "output/stress_tensor_file.h"
#include "stress/st_list_text.h"
#include "stress/st_statistics.h"
#include "ui/dialogs.h"
#include "ui/edit_box.h"
#include "ui/fd_view.h"
#include "ui/fit_size.h"
#include "ui/picture_area.h"
#include "ui/picture_save.h"
#include "ui/radio_group.h"
#include "ui/text_list.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

const TFileDialogSpec open_dialog_spec{
    QStringLiteral("Open Inversion Result"),
    QStringLiteral("Tolvar (*.tlv)|*.tlv|Brask (*.bk4)|*.bk4|All files (*.*)|*.*"),
    QStringLiteral(".tlv"), false};

const TFileDialogSpec data_save_spec{QStringLiteral("Save Stress Tensor"),
                                     QStringLiteral("Text files (*.txt)|*.txt"),
                                     QStringLiteral("txt"), true};

QString caption_name(const QString& name) {
    return name.size() <= 10 ? name : name.left(10) + QStringLiteral("..");
}

QString f(const char* pattern, double value) {
    return format_float(QString::fromLatin1(pattern), value);
}

// An edit box with its up and down buttons: the box fills its panel, the up button sits at the
// top of its column and the down button fills the rest.
QWidget* stepped_edit(TEditBox*& edit, QToolButton*& up, QToolButton*& down) {
    auto* panel = new QWidget;
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    edit = new TEditBox;
    edit->setFixedWidth(edit_box_width(*edit, 52, QStringLiteral("0.00")));
    row->addWidget(edit);
    auto* column = new QVBoxLayout;
    column->setSpacing(0);
    up = new QToolButton;
    down = new QToolButton;
    up->setArrowType(Qt::UpArrow);
    down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up, down}) {
        b->setFocusPolicy(Qt::NoFocus); // outside the tab order
        b->setFixedSize(18, 11);
        column->addWidget(b);
    }
    row->addLayout(column);
    return panel;
}

} // namespace

TFormST::TFormST(TFormFD& fd_view, EventLog& log, Messages& messages, FileDialogs& dialogs,
                 QWidget* parent)
    : TViewDock(QStringLiteral("Stress"), parent), fd_view_(fd_view), log_(log),
      messages_(messages), dialogs_(dialogs) {
    setObjectName(QStringLiteral("FormST"));
    build_controls();
    change_flag_ST_loaded(false);

    bmpST = QImage(st_plot_width, st_plot_height, QImage::Format_RGB32);
    setup_stress_plot_styles(styles);
    show_frame();
    EditEnhance->setText(f("0.00", ef));
    EditDispersion->setText(f("0.00", df));
    change_flag_ST_designated(false);
    emphasis_items[1]->setChecked(true);
    emphasis = TEmphasis::Num; // so that the click below takes Size over and draws
    RadioGroupEmphasisClick();
    update_status_bar();
}

QWidget* TFormST::build_top_panel() {
    auto* panel = new QWidget;
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(4, 2, 4, 2);

    auto* buttons = new QVBoxLayout;
    ButtonDraw = new QPushButton(QStringLiteral("&Draw"));
    ButtonDesignate = new QPushButton(QStringLiteral("De&signate"));
    buttons->addWidget(ButtonDraw);
    buttons->addWidget(ButtonDesignate);
    layout->addLayout(buttons);

    auto* edits = new QGridLayout;
    edits->setVerticalSpacing(2);
    edits->addWidget(new QLabel(QStringLiteral("Enhance")), 0, 0);
    edits->addWidget(stepped_edit(EditEnhance, BitBtnEnhanceUp, BitBtnEnhanceDown), 0, 1);
    edits->addWidget(new QLabel(QStringLiteral("Dispersion")), 1, 0);
    edits->addWidget(stepped_edit(EditDispersion, BitBtnDispersionUp, BitBtnDispersionDown), 1, 1);
    layout->addLayout(edits);

    layout->addWidget(radio_group(QStringLiteral("Emphasize"), QStringLiteral("&Number"),
                                  QStringLiteral("Si&ze"), emphasis_items));

    auto* checks = new QVBoxLayout;
    CheckBoxTadpoleTail = new QCheckBox(QStringLiteral("Tadpole &Tail"));
    CheckBoxCLGS = new QCheckBox(QStringLiteral("&Color / Gray"));
    CheckBoxTadpoleTail->setChecked(true);
    CheckBoxCLGS->setChecked(true);
    checks->addWidget(CheckBoxTadpoleTail);
    checks->addWidget(CheckBoxCLGS);
    layout->addLayout(checks);

    QFont small = font();
    small.setPixelSize(11);
    ListBox = new TTextListView(small, 12);
    MemoStat = new QPlainTextEdit;
    MemoStat->setReadOnly(true);
    MemoStat->setFont(small);
    MemoStat->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoStat->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoStat->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(ListBox, 2);
    layout->addWidget(MemoStat, 3);

    // Over the whole panel while the states are drawn.
    ProgressBar = new QProgressBar(panel);
    ProgressBar->setValue(0);
    ProgressBar->hide();
    fix_height(*panel, 73);
    return panel;
}

void TFormST::build_controls() {
    auto* body = new QWidget;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    QWidget* top = build_top_panel();
    column->addWidget(top);
    ImageST = new TPictureArea;
    ImageST->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    column->addWidget(ImageST, 1);
    auto* bar = new QStatusBar;
    bar->setSizeGripEnabled(false);
    const int widths[7] = {70, 120, 60, 60, 120, 80, 150};
    // The widest text of the panels that change with the mouse, the edit boxes and the
    // designation; the others change on loading and drawing only, and widen to their text.
    const QString widest[7] = {{},
                               {},
                               QStringLiteral("ef = 0.00"),
                               QStringLiteral("df = 0.00"),
                               QStringLiteral("sigma1: 000.0 / 00.0"),
                               QStringLiteral("stress ratio"),
                               QStringLiteral("designated stress: 000/00 | 000/00 | 0.000")};
    for (int i = 0; i < 7; ++i) {
        status_panels[size_t(i)] = new TStatusPanel(widths[i], widest[i]);
        // The last panel takes the rest of the bar.
        bar->addWidget(status_panels[size_t(i)], i == 6 ? 1 : 0);
    }
    column->addWidget(bar);
    body->setAutoFillBackground(true); // the main window is grey behind the views
    setWidget(body);

    ActionDraw = new QAction(QStringLiteral("&Draw"), this);
    ActionDraw->setProperty("category", QStringLiteral("Draw"));
    connect(ActionDraw, &QAction::triggered, this, &TFormST::ActionDrawExecute);
    connect(ButtonDraw, &QPushButton::clicked, this, &TFormST::ActionDrawExecute);
    connect(ButtonDesignate, &QPushButton::clicked, this, &TFormST::ButtonDesignateClick);
    connect(EditEnhance, &TEditBox::left, this, [this] { ActionChangeEnhanceExecute(); });
    connect(EditDispersion, &TEditBox::left, this, [this] { ActionChangeDispersionExecute(); });
    for (TEditBox* edit : {EditEnhance, EditDispersion})
        connect(edit, &TEditBox::enter_pressed, this, [this, edit] {
            ActionDrawExecute();
            edit->selectAll();
        });
    connect(BitBtnEnhanceUp, &QToolButton::clicked, this, &TFormST::BitBtnEnhanceUpClick);
    connect(BitBtnEnhanceDown, &QToolButton::clicked, this, &TFormST::BitBtnEnhanceDownClick);
    connect(BitBtnDispersionUp, &QToolButton::clicked, this, &TFormST::BitBtnDispersionUpClick);
    connect(BitBtnDispersionDown, &QToolButton::clicked, this, &TFormST::BitBtnDispersionDownClick);
    for (QRadioButton* item : emphasis_items)
        connect(item, &QRadioButton::clicked, this, &TFormST::RadioGroupEmphasisClick);
    connect(ImageST, &TPictureArea::mouse_moved, this, &TFormST::ImageSTMouseMove);
    connect(ImageST, &TPictureArea::mouse_released, this,
            [this](QPoint pos, Qt::MouseButton) { ImageSTMouseUp(pos); });
}

QString TFormST::run_open_dialog() {
    return dialogs_.open_file(open_dialog_spec);
}

void TFormST::read_IR(const QString& path) {
    if (path.isEmpty())
        return;
    QByteArray bytes;
    if (!read_IR_file(path, bytes)) {
        messages_.show(exception_raised_message); // both views keep what they held
        return;
    }
    fd_view_.change_flag_FD_loaded(false);
    change_flag_ST_loaded(false);
    const TIRReadResult result =
        read_inversion_result(bytes, path, QCoreApplication::applicationDirPath(), fd_view_.FDSet,
                              states, log_, messages_);
    bytes.clear();
    fd_view_.update_status_bar();
    if (result.outcome == TIROutcome::Loaded) {
        fd_view_.change_flag_FD_loaded(true, path);
        change_flag_ST_loaded(true, path);
        show_stress_statistics();
    } else {
        messages_.show(ir_failure_message(result.outcome));
    }
    if (result.orientation_error)
        messages_.show(ir_orientation_error_message(path));
}

void TFormST::change_flag_ST_loaded(bool value, const QString& path) {
    ST_loaded = value;
    if (value) {
        ST_loaded_filename = QFileInfo(path).fileName();
        update_plotted_numbers();
    } else {
        ST_loaded_filename.clear();
        plotted.Nst_to_be_plotted = 0;
        states.cgp_filename.clear();
        STSet.clear();
    }
    update_status_bar();
}

void TFormST::change_flag_ST_designated(bool value) {
    ST_designated = value;
    if (value) {
        if (fd_view_.FD_loaded)
            fd_view_.calc_theoretical_slip_and_misfit(designated_ST);
        const bool gca = fd_view_.plotmethod == TPlotMethod::GCA;
        fd_view_.CheckBoxTheoreticalSlip->setChecked(gca);
        fd_view_.CheckBoxModelFaults->setChecked(!gca);
        fd_view_.CheckBoxDesignatedAxes->setChecked(true);
    } else {
        for (QCheckBox* box : {fd_view_.CheckBoxTheoreticalSlip, fd_view_.CheckBoxModelFaults,
                               fd_view_.CheckBoxDesignatedAxes})
            box->setChecked(false);
    }
    update_status_bar();
}

void TFormST::show_stress_statistics() {
    if (!ST_loaded)
        return;
    MemoStat->setPlainText(stress_statistics_lines(STSet).join(u'\n'));
}

void TFormST::update_ST_ListBox() {
    if (!ST_loaded)
        return;
    const QChar point = locale_decimal_point();
    QStringList lines;
    for (size_t p = 0; p < STSet.size(); ++p)
        if (std::trunc(STSet[p].Le) >= 1)
            lines.append(st_list_line(STSet[p], int(p), point));
    ListBox->text_model()->set_lines(std::move(lines), {});
    horizontal_scroll_bar_for_ListBox(*ListBox);
}

void TFormST::update_status_bar() {
    setWindowTitle(ST_loaded ? QStringLiteral("ST [") + caption_name(ST_loaded_filename) +
                                   QStringLiteral("] ")
                             : QStringLiteral("Stress Tensor"));
    status_panels[0]->setText(QStringLiteral("Nst = ") +
                              QString::number(plotted.Nst_to_be_plotted));
    status_panels[1]->setText(ST_loaded ? QStringLiteral("cgp = ") +
                                              QFileInfo(states.cgp_filename).fileName()
                                        : QStringLiteral("cgp = none"));
    status_panels[2]->setText(QStringLiteral("ef = ") + f("0.00", ef));
    status_panels[3]->setText(QStringLiteral("df = ") + f("0.00", df));
    static const char* const steps[] = {"", "1st axis", "2nd axis", "stress ratio"};
    status_panels[5]->setText(QString::fromLatin1(steps[int(mode)]));
    if (ST_designated) {
        const TStressTensor& d = designated_ST;
        status_panels[6]->setText(QStringLiteral("designated stress: ") + f("##0", d.ax[0].az) +
                                  u'/' + f("#0", d.ax[0].pl) + QStringLiteral(" | ") +
                                  f("##0", d.ax[2].az) + u'/' + f("#0", d.ax[2].pl) +
                                  QStringLiteral(" | ") + f("0.000", d.sr));
    }
}

void TFormST::update_plotted_numbers() {
    if (!ST_loaded)
        return;
    plotted = ::update_plotted_numbers(STSet, ef, emphasis, states.max_Ln, states.min_Ln_nonzero);
}

bool TFormST::take_edit_value(TEditBox* box, float& field, double top, const char* invalid,
                              const char* out_of_range) {
    double value = 0;
    const char* problem = nullptr;
    if (!text_to_double(box->text(), value))
        problem = invalid;
    else if (value < 0 || value > top)
        problem = out_of_range;
    if (problem) {
        messages_.show(QString::fromLatin1(problem));
        box->setText(f("0.00", field)); // the previous value stays
        box->selectAll();
        return false;
    }
    field = float(value);
    update_status_bar();
    return true;
}

bool TFormST::ActionChangeEnhanceExecute() {
    if (!take_edit_value(EditEnhance, ef, 1, "invalid ef", "ef must be in [0, 1]"))
        return false;
    update_plotted_numbers();
    return true;
}

bool TFormST::ActionChangeDispersionExecute() {
    return take_edit_value(EditDispersion, df, 5, "invalid df", "df must be in [0, 5]");
}

namespace {

// The next grid point above or below value on a grid of the given step, within [0, top].
double step_up(double value, double step, double top) {
    const double v = (std::trunc(value / step + 0.01) + 1) * step;
    return v >= top ? top : v;
}

double step_down(double value, double step) {
    const double v = (std::ceil(value / step - 0.01) - 1) * step;
    return v > 0 ? v : 0;
}

} // namespace

void TFormST::BitBtnEnhanceUpClick() {
    if (ef >= 1)
        return;
    EditEnhance->setText(f("0.0", step_up(ef, 0.1, 1)));
    ActionDrawExecute();
}

void TFormST::BitBtnEnhanceDownClick() {
    if (ef <= 0)
        return;
    EditEnhance->setText(f("0.0", step_down(ef, 0.1)));
    ActionDrawExecute();
}

void TFormST::BitBtnDispersionUpClick() {
    if (df >= 5)
        return;
    EditDispersion->setText(f("0.0", step_up(df, 0.5, 5)));
    ActionDrawExecute();
}

void TFormST::BitBtnDispersionDownClick() {
    if (df <= 0)
        return;
    EditDispersion->setText(f("0.0", step_down(df, 0.5)));
    ActionDrawExecute();
}

void TFormST::RadioGroupEmphasisClick() {
    const TEmphasis chosen = emphasis_items[0]->isChecked() ? TEmphasis::Num : TEmphasis::Siz;
    if (chosen == emphasis)
        return;
    emphasis = chosen;
    const bool number = emphasis == TEmphasis::Num;
    for (QWidget* w :
         std::initializer_list<QWidget*>{EditDispersion, BitBtnDispersionUp, BitBtnDispersionDown})
        w->setEnabled(number); // the dispersion does not move sized tadpoles
    ActionDrawExecute();
}

TSTDrawSettings TFormST::draw_settings() const {
    TSTDrawSettings settings;
    settings.emphasis = emphasis;
    settings.df = df;
    settings.tadpole_tail = CheckBoxTadpoleTail->isChecked();
    settings.color = CheckBoxCLGS->isChecked();
    return settings;
}

void TFormST::show_frame() {
    {
        QPainter canvas(&bmpST);
        draw_stress_plot_frame(canvas, styles, draw_settings(), states.max_Ln, plotted);
    }
    displayed_ = bmpST;
    ImageST->set_picture(displayed_);
}

void TFormST::draw_states_onto(QPainter& canvas) {
    // No input reaches the view while the states are drawn; the progress bar is repainted
    // directly, so that no other event runs while STSet is being read.
    setEnabled(false);
    status_panels[5]->clear();
    ProgressBar->setGeometry(ProgressBar->parentWidget()->rect());
    ProgressBar->setRange(0, std::max(1, plotted.Nst_to_be_plotted));
    ProgressBar->setValue(0);
    ProgressBar->show();
    ProgressBar->raise();
    ProgressBar->repaint(); // shown at once, however quick the drawing turns out
    QElapsedTimer since_repaint;
    since_repaint.start();
    draw_stress_states(canvas, styles, draw_settings(), STSet, states.max_Ln, plotted,
                       [&](int drawn) {
                           if (since_repaint.elapsed() < 30)
                               return;
                           since_repaint.restart();
                           ProgressBar->setValue(drawn);
                           ProgressBar->repaint();
                       });
    ProgressBar->setValue(0);
    ProgressBar->hide();
    setEnabled(true);
    update_status_bar();
}

void TFormST::draw_states() {
    {
        QPainter canvas(&bmpST);
        draw_states_onto(canvas);
    }
    displayed_ = bmpST;
    ImageST->set_picture(displayed_);
}

QString TFormST::run_data_save_dialog() {
    return dialogs_.save_file(data_save_spec);
}

QString TFormST::run_picture_save_dialog() {
    return dialogs_.save_file(TFileDialogSpec{QStringLiteral("Save Graphics of Stress Plot"),
                                              picture_filter(), QStringLiteral(".emf"), true});
}

void TFormST::save_data_stress_tensor(const QString& path) {
    if (path.isEmpty())
        return;
    QString error;
    if (!::save_data_stress_tensor(path, states, ST_loaded_filename, ef, &error))
        messages_.show(error);
}

void TFormST::save_graph_ST(const QString& path) {
    if (path.isEmpty())
        return;
    if (ST_loaded)
        update_plotted_numbers();
    save_picture(
        path, QSize(st_plot_width, st_plot_height),
        [&](QPainter& canvas) {
            if (ST_loaded)
                draw_states_onto(canvas);
            else
                draw_stress_plot_frame(canvas, styles, draw_settings(), states.max_Ln, plotted);
        },
        messages_);
}

void TFormST::ActionDrawExecute() {
    ActionChangeEnhanceExecute();
    ActionChangeDispersionExecute();
    if (!ST_loaded)
        return;
    update_plotted_numbers();
    if (plotted.Nst_to_be_plotted > 5000 &&
        !messages_.ask(QStringLiteral("Quomtel"),
                       QStringLiteral("CAUTION: Visualization\r\nwill take a long time (Nst = ") +
                           QString::number(plotted.Nst_to_be_plotted) +
                           QStringLiteral(").\r\nContinue?"))) {
        show_frame();
        return;
    }
    draw_states();
    update_ST_ListBox();
    update_status_bar();
}

void TFormST::ButtonDesignateClick() {
    reset_designation_overlays(overlays);
    mode = TMode::STEP1;
    change_flag_ST_designated(false);
    update_status_bar();
}

void TFormST::show_overlays() {
    ImageST->set_picture(displayed_);
}

void TFormST::ImageSTMouseMove(QPoint pos) {
    const QPoint p = picture_point(pos, ImageST->size());
    const auto read_out = [this] {
        status_panels[4]->setText(sigma1or3_name(on_which_plot) + QStringLiteral(": ") +
                                  f("0.0", designated_ap.az) + QStringLiteral(" / ") +
                                  f("0.0", designated_ap.pl));
    };
    QPainter canvas(&displayed_);
    switch (mode) {
    case TMode::STEP0:
    case TMode::STEP1: {
        const TNetCursor cursor = cursor_on_net(p, styles);
        on_which_plot = cursor.net;
        designated_ap = cursor.azpl;
        read_out();
        if (mode == TMode::STEP1) {
            draw_cursor_circle(canvas, overlays, cursor.point);
            draw_girdle(canvas, overlays, designated_ap, net_of(styles, other_axis(on_which_plot)));
        }
        break;
    }
    case TMode::STEP2: {
        const QPoint q = nearest_girdle_point(overlays, p);
        designated_ap = point_to_azpl(q, TProjection::EArea, net_of(styles, on_which_plot));
        read_out();
        draw_cursor_circle(canvas, overlays, q);
        break;
    }
    case TMode::STEP3: {
        const TRatioPick pick = stress_ratio_at(p.x());
        designated_stress_ratio = pick.ratio;
        status_panels[4]->setText(QStringLiteral("stress ratio: ") +
                                  f("0.000", designated_stress_ratio));
        draw_ratio_arrow(canvas, overlays, pick.arrow_x, pick.ratio, CheckBoxCLGS->isChecked());
        break;
    }
    }
    canvas.end();
    if (mode != TMode::STEP0)
        show_overlays();
}

void TFormST::ImageSTMouseUp(QPoint) {
    if (on_which_plot == Tsigma1or3::not_specified)
        return; // the cursor has not been over the picture yet
    const auto fix_axis = [this] {
        const int k = axis_index(on_which_plot);
        designated_ST.ax[size_t(k)] = designated_ap;
        designated_ST.e_vec[size_t(k)] = azpl_to_vector3(designated_ap);
    };
    switch (mode) {
    case TMode::STEP0:
        break;
    case TMode::STEP1:
        overlays.designate_circle = TCircleBox{}; // the circle stays as the mark of the axis
        fix_axis();
        firstly_designated_axis = on_which_plot;
        on_which_plot = other_axis(on_which_plot);
        mode = TMode::STEP2;
        update_status_bar();
        break;
    case TMode::STEP2:
        fix_axis();
        build_intermediate_axis(designated_ST);
        mode = TMode::STEP3;
        update_status_bar();
        break;
    case TMode::STEP3:
        build_tensors(designated_ST, designated_stress_ratio);
        designated_ST.L = -1;
        designated_ST.id = -1;
        designated_ST.Le = -1.0f;
        mode = TMode::STEP0;
        change_flag_ST_designated(true);
        update_status_bar();
        fd_view_.ActionDrawExecute(this);
        break;
    }
}
