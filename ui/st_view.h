#pragma once

// The stress view: the session's stress states as tadpoles on the sigma1 and sigma3 nets (or
// the density contours of their axes), their list and statistics, and the designation of one
// stress state by three clicks (first axis, second axis, stress ratio).

#include "session/designation.h"
#include "session/session.h"
#include "ui/view_dock.h"

#include <QElapsedTimer>
#include <QImage>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class FileDialogs;
class QAction;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QProgressDialog;
class QPushButton;
class QRadioButton;
class QSplitter;
class QToolButton;
class TEditBox;
class TPictureArea;
class TSharedDrawProgress;
class TTextListView;

class TFormST : public TViewDock, public TDrawProgress {
    Q_OBJECT
public:
    TFormST(TSession& session, Messages& messages, FileDialogs& dialogs, QWidget* parent = nullptr);

    TDesignation designation;
    QImage bmpST;

    QPushButton* ButtonDraw = nullptr;
    QPushButton* ButtonDesignate = nullptr;
    TEditBox* EditEnhance = nullptr;
    TEditBox* EditDispersion = nullptr;
    QToolButton* BitBtnEnhanceUp = nullptr;
    QToolButton* BitBtnEnhanceDown = nullptr;
    QToolButton* BitBtnDispersionUp = nullptr;
    QToolButton* BitBtnDispersionDown = nullptr;
    // Number, Size, Density (sigma1 and sigma3 contours in place of the tadpoles).
    QRadioButton* emphasis_items[3] = {};
    QCheckBox* CheckBoxTadpoleTail = nullptr;
    QCheckBox* CheckBoxCLGS = nullptr;
    TTextListView* ListBox = nullptr;
    QPlainTextEdit* MemoStat = nullptr;
    TPictureArea* ImageST = nullptr;
    QProgressBar* ProgressBar = nullptr;
    // The top row above, the picture below: dragged, the list and the statistics get room.
    QSplitter* Splitter = nullptr;
    std::array<QLabel*, 7> status_panels{};
    QAction* ActionDraw = nullptr;
    // Asked on the drawing thread after each state drawn: true stops the drawing there, as the
    // Cancel button does. For tests; empty in the window.
    std::function<bool(const TSharedDrawProgress&)> stop_drawing_at;
    // How long a drawing runs before it offers Cancel (and events run again).
    qint64 cancel_box_after_ms = 500;
    // Whether the states are being drawn; a request to stop the drawing, as Cancel does.
    bool drawing() const { return drawing_; }
    void stop_drawing();

    QString run_open_dialog();
    QString run_data_save_dialog();
    QString run_picture_save_dialog();
    // The whole stress plot: the same scatter as on the screen, no question asked, no
    // designation marks.
    void save_graph_ST(const QString& path);
    void show_stress_statistics();
    void update_ST_ListBox();
    void update_status_bar();
    // The picture again under changed settings (the labels): the states, if they were drawn,
    // as "Draw" draws them, else the frame.
    void redraw();

    void ActionDrawExecute();
    bool ActionChangeEnhanceExecute();
    bool ActionChangeDispersionExecute();
    void BitBtnEnhanceUpClick();
    void BitBtnEnhanceDownClick();
    void BitBtnDispersionUpClick();
    void BitBtnDispersionDownClick();
    void RadioGroupEmphasisClick();
    void ButtonDesignateClick();
    // Esc during the clicks: the marks go and the state designated before comes back.
    void cancel_designation();
    void ImageSTMouseMove(QPoint picture_point);
    void ImageSTMouseUp(QPoint picture_point);

signals:
    // A designation by clicks began or ended (completed or cancelled).
    void designation_under_way(bool under_way);
    // A drawing offers Cancel, so events run while the states are read: until it ends, no
    // input may change them.
    void long_drawing(bool under_way);

private:
    QWidget* build_top_panel();
    void build_controls();
    void states_changed();
    void show_settings();
    // Puts the setting's value back into a box whose text was refused.
    void restore_edit(TEditBox* box, float value);
    void show_frame();
    // Off this thread; after about half a second a modal box offers Cancel. False, the previous
    // picture kept, when the drawing was cancelled.
    bool draw_states();
    void watch_drawing(TSharedDrawProgress& progress, qint64 elapsed,
                       std::unique_ptr<QProgressDialog>& cancel_box);
    // The picture on screen: the bitmap plus the designation marks drawn over it.
    void show_overlays();

public:
    // While the states are drawn, no input reaches the view and the progress bar counts them.
    // A picture saved is drawn on this thread, the screen's on another.
    void begin(int total) override;
    void advance(int done) override;
    void end() override;

private:
    TSession& session_;
    Messages& messages_;
    FileDialogs& dialogs_;
    QImage displayed_;
    QElapsedTimer since_repaint_;
    bool checking_edit_ = false; // a box's text is being checked, perhaps with a message
    bool drawing_ = false;
    TSharedDrawProgress* current_drawing_ = nullptr;
    bool states_shown_ = false; // the picture holds the states, not the frame alone
    std::optional<TStressTensor> designated_before_; // what a cancelled designation restores
    // The enhance factor the list was made for; none once the states change. The list of 10^6
    // states takes seconds to make, the density picture a few milliseconds.
    std::optional<float> listed_ef_;
};
