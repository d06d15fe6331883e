#pragma once

// The stress view: the stress states of an inversion result as tadpoles on the sigma1 and
// sigma3 nets, their list and statistics, and the designation of one stress state by three
// clicks (first axis, second axis, stress ratio).

#include "plot/st_plot.h"
#include "stress/ir_reader.h"
#include "stress/st_classes.h"
#include "ui/view_dock.h"

#include <QImage>

#include <array>

class EventLog;
class FileDialogs;
class Messages;
class QAction;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;
class TEditBox;
class TFormFD;
class TPictureArea;
class TTextListView;

enum class TMode { STEP0, STEP1, STEP2, STEP3 };

class TFormST : public TViewDock {
    Q_OBJECT
public:
    // The fault data view must exist: the stress view sets its designation check boxes.
    TFormST(TFormFD& fd_view, EventLog& log, Messages& messages, FileDialogs& dialogs,
            QWidget* parent = nullptr);

    // Loaded states and their weights.
    TStressStates states;
    std::vector<TStressTensor>& STSet = states.STSet;
    bool ST_loaded = false;
    QString ST_loaded_filename;
    TPlottedNumbers plotted;

    float ef = 0.8f;
    float df = 1.0f;
    TEmphasis emphasis = TEmphasis::Siz;

    // Designation.
    TMode mode = TMode::STEP0;
    TDesignationOverlays overlays;
    Tazpl designated_ap;
    Tsigma1or3 on_which_plot = Tsigma1or3::not_specified;
    Tsigma1or3 firstly_designated_axis = Tsigma1or3::not_specified;
    float designated_stress_ratio = 0;
    TStressTensor designated_ST;
    bool ST_designated = false;

    QImage bmpST;
    TSTPlotStyles styles;

    QPushButton* ButtonDraw = nullptr;
    QPushButton* ButtonDesignate = nullptr;
    TEditBox* EditEnhance = nullptr;
    TEditBox* EditDispersion = nullptr;
    QToolButton* BitBtnEnhanceUp = nullptr;
    QToolButton* BitBtnEnhanceDown = nullptr;
    QToolButton* BitBtnDispersionUp = nullptr;
    QToolButton* BitBtnDispersionDown = nullptr;
    QRadioButton* emphasis_items[2] = {};
    QCheckBox* CheckBoxTadpoleTail = nullptr;
    QCheckBox* CheckBoxCLGS = nullptr;
    TTextListView* ListBox = nullptr;
    QPlainTextEdit* MemoStat = nullptr;
    TPictureArea* ImageST = nullptr;
    QProgressBar* ProgressBar = nullptr;
    std::array<QLabel*, 7> status_panels{};
    QAction* ActionDraw = nullptr;

    QString run_open_dialog();
    QString run_data_save_dialog();
    QString run_picture_save_dialog();
    void save_data_stress_tensor(const QString& path);
    // The whole stress plot as an enhanced metafile: the same scatter as on the screen, no
    // question asked, no designation marks.
    void save_graph_ST(const QString& path);
    void read_IR(const QString& path);
    void change_flag_ST_loaded(bool value, const QString& path = QString());
    void change_flag_ST_designated(bool value);
    void show_stress_statistics();
    void update_ST_ListBox();
    void update_status_bar();
    void update_plotted_numbers();

    void ActionDrawExecute();
    bool ActionChangeEnhanceExecute();
    bool ActionChangeDispersionExecute();
    void BitBtnEnhanceUpClick();
    void BitBtnEnhanceDownClick();
    void BitBtnDispersionUpClick();
    void BitBtnDispersionDownClick();
    void RadioGroupEmphasisClick();
    void ButtonDesignateClick();
    void ImageSTMouseMove(QPoint pos);
    void ImageSTMouseUp(QPoint pos);

private:
    QWidget* build_top_panel();
    void build_controls();
    TSTDrawSettings draw_settings() const;
    // Takes a value in [0, top] over from the box, or reports and restores the previous one.
    bool take_edit_value(TEditBox* box, float& field, double top, const char* invalid,
                         const char* out_of_range);
    void show_frame();
    void draw_states();
    // Draws the states onto any painter while the progress bar counts them.
    void draw_states_onto(QPainter& canvas);
    // The picture on screen: the bitmap plus the designation marks drawn over it.
    void show_overlays();

    TFormFD& fd_view_;
    EventLog& log_;
    Messages& messages_;
    FileDialogs& dialogs_;
    QImage displayed_;
};
