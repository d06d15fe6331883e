#include "ui/st_view.h"

#include "core/number_text.h"
#include "stress/st_list_text.h"
#include "stress/st_statistics.h"
#include "ui/background_drawing.h"
#include "ui/dialogs.h"
#include "ui/edit_box.h"
#include "ui/fit_size.h"
#include "ui/picture_area.h"
#include "ui/radio_group.h"
#include "ui/text_list.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
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

// The top row: at first as high as the statistics need, then as the user drags the splitter.
class TTopPanel : public QWidget {
public:
    int start_height = 0;
    QSize sizeHint() const override { return {QWidget::sizeHint().width(), start_height}; }
};

// The height of a text box that shows lines whole, with its frame and horizontal scroll bar.
int text_box_height(const QPlainTextEdit& box, int lines) {
    const int margin = int(std::ceil(box.document()->documentMargin()));
    return lines * QFontMetrics(box.font()).lineSpacing() + 2 * margin + 2 * box.frameWidth() +
           box.horizontalScrollBar()->sizeHint().height();
}

// A drawing gets its Cancel button once it has taken cancel_after_ms (half a second) and, going
// by its pace so far, has at least as long still to go: one about to end needs none.
bool worth_a_cancel_button(qint64 cancel_after_ms, qint64 elapsed, int done, int total) {
    if (elapsed < cancel_after_ms)
        return false;
    return done <= 0 || double(elapsed) * (double(total) - done) / done >= cancel_after_ms;
}

} // namespace

TFormST::TFormST(TSession& session, Messages& messages, FileDialogs& dialogs, QWidget* parent)
    : TViewDock(QStringLiteral("Stress"), parent), session_(session), messages_(messages),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("FormST"));
    build_controls();
    connect(&session_, &TSession::states_changed, this, &TFormST::states_changed);
    connect(&session_, &TSession::settings_changed, this, &TFormST::show_settings);
    connect(&session_, &TSession::designation_changed, this, &TFormST::update_status_bar);

    bmpST = QImage(st_plot_width, st_plot_height, QImage::Format_RGB32);
    show_frame();
    EditEnhance->setText(f("0.00", session_.settings.ef));
    EditDispersion->setText(f("0.00", session_.settings.df));
    session_.change_flag_ST_designated(false);
    show_settings();
    update_status_bar();
}

QWidget* TFormST::build_top_panel() {
    auto* panel = new TTopPanel;
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

    layout->addWidget(radio_group(
        QStringLiteral("Emphasize"),
        {QStringLiteral("&Number"), QStringLiteral("Si&ze"), QStringLiteral("Dens&ity")},
        emphasis_items));

    auto* checks = new QVBoxLayout;
    CheckBoxTadpoleTail = new QCheckBox(QStringLiteral("Tadpole &Tail"));
    CheckBoxCLGS = new QCheckBox(QStringLiteral("&Color / Gray"));
    checks->addWidget(CheckBoxTadpoleTail);
    checks->addWidget(CheckBoxCLGS);
    layout->addLayout(checks);

    ButtonDraw->setToolTip(QStringLiteral("Draws the stress states with these settings"));
    ButtonDesignate->setToolTip(QStringLiteral(
        "Designate a stress state in three clicks: 1. the first axis on either net, 2. the "
        "second axis on the girdle that appears on the other net, 3. the stress ratio on the "
        "colour scale. Esc cancels."));
    EditEnhance->setToolTip(QStringLiteral(
        "Enhance factor ef, 0 to 1: only states whose fitness reaches ef times the largest "
        "are shown (0: every state of positive fitness). Enter draws."));
    EditDispersion->setToolTip(QStringLiteral(
        "Dispersion factor df, 0 to 5: how far the copies of a tadpole scatter when the "
        "number is emphasized. Enter draws."));
    emphasis_items[0]->setToolTip(
        QStringLiteral("A fitter state is drawn as more tadpoles, scattered around its axes"));
    emphasis_items[1]->setToolTip(QStringLiteral("A fitter state is drawn as a bigger tadpole"));
    emphasis_items[2]->setToolTip(QStringLiteral(
        "Contours of the states' sigma1 and sigma3 axes in place of the tadpoles, each state "
        "weighted by its fitness (1 % area counting): quick for any number of states"));
    CheckBoxTadpoleTail->setToolTip(
        QStringLiteral("Each tadpole's tail points toward the state's other axis"));
    CheckBoxCLGS->setToolTip(
        QStringLiteral("The stress ratio in colour (blue 0 to red 1), else in grey"));

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
    // The controls keep the row's height; the four statistics lines take a few pixels more.
    panel->setMinimumHeight(grown_size(*panel, 73, panel->minimumSizeHint().height()));
    const QMargins margins = layout->contentsMargins();
    panel->start_height = std::max(panel->minimumHeight(), text_box_height(*MemoStat, 4) +
                                                               margins.top() + margins.bottom());
    return panel;
}

void TFormST::build_controls() {
    auto* body = new QWidget;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    Splitter = new QSplitter(Qt::Vertical);
    Splitter->setChildrenCollapsible(false);
    Splitter->addWidget(build_top_panel());
    ImageST = new TPictureArea;
    ImageST->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    Splitter->addWidget(ImageST);
    // A larger window goes to the picture.
    Splitter->setStretchFactor(0, 0);
    Splitter->setStretchFactor(1, 1);
    column->addWidget(Splitter, 1);
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
    // What the count and the CGP name usually need, kept whole at larger fonts.
    const QString usual[7] = {QStringLiteral("Nst = 00000"),
                              QStringLiteral("cgp = 00000000000000")};
    for (int i = 0; i < 7; ++i) {
        status_panels[size_t(i)] = new TStatusPanel(widths[i], widest[i], usual[i]);
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
    // A message box about the text takes the focus: that is not the user leaving the box.
    connect(EditEnhance, &TEditBox::left, this, [this] {
        if (!checking_edit_)
            ActionChangeEnhanceExecute();
    });
    connect(EditDispersion, &TEditBox::left, this, [this] {
        if (!checking_edit_)
            ActionChangeDispersionExecute();
    });
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
    connect(CheckBoxTadpoleTail, &QCheckBox::toggled, &session_, &TSession::set_tadpole_tail);
    connect(CheckBoxCLGS, &QCheckBox::toggled, &session_, &TSession::set_color);
    connect(ImageST, &TPictureArea::mouse_moved, this, &TFormST::ImageSTMouseMove);
    connect(ImageST, &TPictureArea::mouse_released, this,
            [this](QPoint pos, Qt::MouseButton) { ImageSTMouseUp(pos); });
}

QString TFormST::run_open_dialog() {
    return dialogs_.open_file(open_dialog_spec);
}

void TFormST::states_changed() {
    listed_ef_.reset();
    if (session_.ST_loaded)
        show_stress_statistics(); // the memo keeps the last statistics otherwise
    update_status_bar();
}

void TFormST::show_settings() {
    const TSessionSettings& settings = session_.settings;
    const bool density = settings.stress_density;
    const int shown = density ? 2 : settings.emphasis == TEmphasis::Num ? 0 : 1;
    set_checked_quietly(emphasis_items[shown], true);
    set_checked_quietly(CheckBoxTadpoleTail, settings.tadpole_tail);
    set_checked_quietly(CheckBoxCLGS, settings.color);
    const bool number = settings.emphasis == TEmphasis::Num && !density;
    for (QWidget* w :
         std::initializer_list<QWidget*>{EditDispersion, BitBtnDispersionUp, BitBtnDispersionDown})
        w->setEnabled(number); // the dispersion does not move sized tadpoles
    // The density counts every state by its fitness: neither factor changes it.
    for (QWidget* w : std::initializer_list<QWidget*>{EditEnhance, BitBtnEnhanceUp,
                                                      BitBtnEnhanceDown, CheckBoxTadpoleTail})
        w->setEnabled(!density);
    update_status_bar();
}

void TFormST::show_stress_statistics() {
    if (!session_.ST_loaded)
        return;
    MemoStat->setPlainText(stress_statistics_lines(session_.STSet).join(u'\n'));
}

void TFormST::update_ST_ListBox() {
    if (!session_.ST_loaded)
        return;
    const std::vector<TStressTensor>& STSet = session_.STSet;
    const QChar point = locale_decimal_point();
    ListBox->text_model()->set_lines(st_list_lines(STSet, point), {});
    horizontal_scroll_bar_for_ListBox(*ListBox);
}

void TFormST::update_status_bar() {
    const TSession& s = session_;
    setWindowTitle(s.ST_loaded ? QStringLiteral("ST [") + caption_name(s.ST_loaded_filename) +
                                     QStringLiteral("] ")
                               : QStringLiteral("Stress Tensor"));
    status_panels[0]->setText(QStringLiteral("Nst = ") +
                              QString::number(s.plotted.Nst_to_be_plotted));
    // An inversion not yet saved has no CGP file.
    status_panels[1]->setText(s.ST_loaded && !s.states.cgp_filename.isEmpty()
                                  ? QStringLiteral("cgp = ") +
                                        QFileInfo(s.states.cgp_filename).fileName()
                                  : QStringLiteral("cgp = none"));
    status_panels[2]->setText(QStringLiteral("ef = ") + f("0.00", s.settings.ef));
    status_panels[3]->setText(QStringLiteral("df = ") + f("0.00", s.settings.df));
    status_panels[5]->setText(designation.step_caption());
    if (s.ST_designated) {
        const TStressTensor& d = s.designated_ST;
        status_panels[6]->setText(QStringLiteral("designated stress: ") + f("##0", d.ax[0].az) +
                                  u'/' + f("#0", d.ax[0].pl) + QStringLiteral(" | ") +
                                  f("##0", d.ax[2].az) + u'/' + f("#0", d.ax[2].pl) +
                                  QStringLiteral(" | ") + f("0.000", d.sr));
    }
}

void TFormST::restore_edit(TEditBox* box, float value) {
    box->setText(f("0.00", value)); // the previous value stays
    box->selectAll();
}

bool TFormST::ActionChangeEnhanceExecute() {
    const QScopedValueRollback checking(checking_edit_, true);
    if (session_.set_enhance(EditEnhance->text(), locale_decimal_point()))
        return true;
    restore_edit(EditEnhance, session_.settings.ef);
    return false;
}

bool TFormST::ActionChangeDispersionExecute() {
    const QScopedValueRollback checking(checking_edit_, true);
    if (session_.set_dispersion(EditDispersion->text(), locale_decimal_point()))
        return true;
    restore_edit(EditDispersion, session_.settings.df);
    return false;
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
    const float ef = session_.settings.ef;
    if (ef >= 1)
        return;
    EditEnhance->setText(f("0.0", step_up(ef, 0.1, 1)));
    ActionDrawExecute();
}

void TFormST::BitBtnEnhanceDownClick() {
    const float ef = session_.settings.ef;
    if (ef <= 0)
        return;
    EditEnhance->setText(f("0.0", step_down(ef, 0.1)));
    ActionDrawExecute();
}

void TFormST::BitBtnDispersionUpClick() {
    const float df = session_.settings.df;
    if (df >= 5)
        return;
    EditDispersion->setText(f("0.0", step_up(df, 0.5, 5)));
    ActionDrawExecute();
}

void TFormST::BitBtnDispersionDownClick() {
    const float df = session_.settings.df;
    if (df <= 0)
        return;
    EditDispersion->setText(f("0.0", step_down(df, 0.5)));
    ActionDrawExecute();
}

void TFormST::RadioGroupEmphasisClick() {
    // Read before any change: the settings shown again check the item they hold.
    const bool density = emphasis_items[2]->isChecked();
    const TEmphasis emphasis = emphasis_items[0]->isChecked() ? TEmphasis::Num : TEmphasis::Siz;
    const bool changed = density != session_.settings.stress_density;
    if (changed)
        session_.set_stress_density(density);
    if ((!density && session_.set_emphasis(emphasis)) || changed)
        ActionDrawExecute();
}

void TFormST::show_frame() {
    {
        QPainter canvas(&bmpST);
        session_.draw_ST_frame(canvas);
    }
    displayed_ = bmpST;
    ImageST->set_picture(displayed_);
    states_shown_ = false;
}

void TFormST::redraw() {
    if (drawing_)
        return;
    if (states_shown_ && session_.ST_loaded)
        ActionDrawExecute();
    else
        show_frame();
}

void TFormST::begin(int total) {
    // No input reaches the view while the states are drawn; the progress bar is repainted
    // directly, so that no other event runs while STSet is being read (until the modal Cancel
    // box of a long drawing takes the input of every window).
    setEnabled(false);
    status_panels[5]->clear();
    ProgressBar->setGeometry(ProgressBar->parentWidget()->rect());
    ProgressBar->setRange(0, std::max(1, total));
    ProgressBar->setValue(0);
    ProgressBar->show();
    ProgressBar->raise();
    ProgressBar->repaint(); // shown at once, however quick the drawing turns out
    since_repaint_.start();
}

void TFormST::advance(int done) {
    if (since_repaint_.elapsed() < 30)
        return;
    since_repaint_.restart();
    ProgressBar->setValue(done);
    ProgressBar->repaint();
}

void TFormST::end() {
    ProgressBar->setValue(0);
    ProgressBar->hide();
    setEnabled(true);
    update_status_bar();
}

bool TFormST::draw_states() {
    if (drawing_)
        return false;
    const QScopedValueRollback busy(drawing_, true);
    // Drawn beside the picture shown, which stays if the drawing is cancelled.
    QImage picture(bmpST.size(), bmpST.format());
    TSharedDrawProgress progress(stop_drawing_at);
    const QScopedValueRollback current(current_drawing_, &progress);
    std::unique_ptr<QProgressDialog> cancel_box;
    QElapsedTimer clock;
    clock.start();
    begin(session_.plotted.Nst_to_be_plotted);
    const bool whole = run_drawing(
        [&](TDrawProgress& drawing) {
            QPainter canvas(&picture);
            return session_.draw_ST_states(canvas, &drawing);
        },
        progress, [&] { watch_drawing(progress, clock.elapsed(), cancel_box); });
    const bool held = cancel_box != nullptr;
    cancel_box.reset();
    end();
    if (held)
        emit long_drawing(false);
    if (!whole)
        return false;
    bmpST = std::move(picture);
    displayed_ = bmpST;
    ImageST->set_picture(displayed_);
    states_shown_ = true;
    return true;
}

void TFormST::watch_drawing(TSharedDrawProgress& progress, qint64 elapsed,
                            std::unique_ptr<QProgressDialog>& cancel_box) {
    const int done = progress.done();
    advance(done);
    if (!cancel_box &&
        worth_a_cancel_button(cancel_box_after_ms, elapsed, done, progress.total())) {
        cancel_box = std::make_unique<QProgressDialog>(
            QStringLiteral("Drawing the stress states..."), QStringLiteral("Cancel"), 0,
            std::max(1, progress.total()), this);
        cancel_box->setWindowTitle(QStringLiteral("Quomtel"));
        // Events run from here on: the box takes the input of every window meanwhile.
        cancel_box->setWindowModality(Qt::ApplicationModal);
        cancel_box->setAutoReset(false);
        cancel_box->setAutoClose(false);
        cancel_box->setMinimumDuration(0);
        cancel_box->show();
        // Events run from here on: the window holds what could change the states.
        emit long_drawing(true);
    }
    if (!cancel_box)
        return; // no event runs while the states are read, as before there was a box
    cancel_box->setValue(done);
    QCoreApplication::processEvents();
    if (cancel_box->wasCanceled())
        progress.request_stop();
}

QString TFormST::run_data_save_dialog() {
    return dialogs_.save_file(data_save_spec);
}

QString TFormST::run_picture_save_dialog() {
    return dialogs_.save_file(TFileDialogSpec{QStringLiteral("Save Graphics of Stress Plot"),
                                              picture_filter(), QStringLiteral(".emf"), true});
}

void TFormST::save_graph_ST(const QString& path) {
    session_.save_graph_ST(path, 1, this);
}

void TFormST::ActionDrawExecute() {
    if (drawing_)
        return; // the states are being read: nothing may change them
    ActionChangeEnhanceExecute();
    ActionChangeDispersionExecute();
    if (!session_.ST_loaded)
        return;
    session_.update_plotted_numbers();
    const int Nst = session_.plotted.Nst_to_be_plotted;
    // Contours take the same short time for any number of states.
    if (Nst > 5000 && !session_.settings.stress_density &&
        !messages_.ask(QStringLiteral("Quomtel"),
                       QStringLiteral("CAUTION: Visualization\r\nwill take a long time (Nst = ") +
                           QString::number(Nst) + QStringLiteral(").\r\nContinue?"))) {
        show_frame();
        return;
    }
    if (draw_states() && listed_ef_ != session_.settings.ef) {
        // The picture first: a long list must not hold it back.
        ImageST->repaint();
        update_ST_ListBox(); // cancelled, the list goes on with the picture shown
        listed_ef_ = session_.settings.ef;
    }
    update_status_bar();
}

void TFormST::ButtonDesignateClick() {
    if (!designation.under_way())
        designated_before_ =
            session_.ST_designated ? std::optional(session_.designated_ST) : std::nullopt;
    designation.start(session_.designated_ST);
    session_.change_flag_ST_designated(false);
    update_status_bar();
    emit designation_under_way(true);
}

void TFormST::cancel_designation() {
    if (!designation.under_way())
        return;
    designation.cancel();
    displayed_ = bmpST; // the marks of the clicks go with the picture they were drawn on
    ImageST->set_picture(displayed_);
    if (designated_before_)
        session_.designate(*designated_before_);
    designated_before_.reset();
    update_status_bar();
    emit designation_under_way(false);
}

void TFormST::show_overlays() {
    ImageST->set_picture(displayed_);
}

void TFormST::ImageSTMouseMove(QPoint p) {
    QPainter canvas(&displayed_);
    const bool marked =
        designation.mouse_moved(p, canvas, session_.st_styles, session_.settings.color);
    canvas.end();
    status_panels[4]->setText(designation.read_out());
    if (marked)
        show_overlays();
}

void TFormST::ImageSTMouseUp(QPoint) {
    if (designation.mouse_released()) {
        designated_before_.reset();
        session_.designate(designation.designated_ST); // the views follow the new state
        emit designation_under_way(false);
    }
    update_status_bar();
}

void TFormST::stop_drawing() {
    if (current_drawing_)
        current_drawing_->request_stop();
}
