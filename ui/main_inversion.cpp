// The window's inversion: "Analysis > Invert..." run off the user-interface thread, and
// "File > Save Data > Inversion Result".

#include "ui/main.h"

#include "session/session.h"
#include "ui/dialogs.h"
#include "ui/inversion_runner.h"
#include "ui/view_dock.h"

#include <QAction>
#include <QMenu>

void TFormMain::connect_inversion() {
    inversion = new TInversionRunner(*session_, this);
    connect(ActionInvert, &QAction::triggered, this, [this] { invert_fault_data(); });
    connect(inversion, &TInversionRunner::started, this, [this] { hold_input(true); });
    connect(inversion, &TInversionRunner::finished, this, [this](bool loaded) {
        hold_input(false);
        if (!loaded)
            return;
        show_new_states();
    });
    connect(ActionSaveDataResult, &QAction::triggered, this, [this] {
        if (!session_->ST_loaded) {
            messages_->show(QStringLiteral("Stress Tensor must be loaded."));
            return;
        }
        session_->save_inversion_result(dialogs_->save_file(
            TFileDialogSpec{QStringLiteral("Save Inversion Result"),
                            QStringLiteral("Tolvar (*.tlv)|*.tlv|All files (*.*)|*.*"),
                            QStringLiteral(".tlv"), true}));
    });
}

void TFormMain::invert_fault_data() {
    if (inversion->running())
        return;
    if (!session_->FD_loaded) {
        messages_->show(QStringLiteral("Fault Data must be loaded."));
        return;
    }
    const std::optional<TInversionSettings> chosen =
        dialogs_->invert_settings(inversion_settings_, session_->settings.misfitmeasure);
    if (!chosen)
        return;
    inversion_settings_ = *chosen; // offered again, to be corrected if refused
    if (session_->check_inversion(*chosen))
        inversion->start(*chosen);
}

void TFormMain::hold_input(bool under_way) {
    if (under_way) {
        held_actions_.clear();
        for (QAction* action :
             {ActionOpenIR, ActionOpenFD, ActionOpenAny, MenuRecent->menuAction(),
              ActionImportTable, ActionPasteTable, ActionDesignateValues, ActionCancelDesignation,
              ActionInvert, ActionSaveGraphST, ActionSaveAll}) {
            held_actions_.emplace_back(action, action->isEnabled());
            action->setEnabled(false);
        }
    } else {
        for (const auto& [action, enabled] : held_actions_)
            action->setEnabled(enabled);
        held_actions_.clear();
    }
    for (QWidget* view : views())
        view->setEnabled(!under_way);
}
