#pragma once

// The controls of a density layer that the fault-data and kinematics views share: the combo
// boxes of what to count and how, and the box of the contour levels.

#include "stress/axis_density.h"
#include "ui/edit_box.h"

#include <functional>
#include <optional>
#include <span>

class QComboBox;
class TSession;

// One item per subject, captioned as the legends caption it; the item's data is the subject.
void add_density_subjects(QComboBox& combo, std::span<const TDensitySubject> subjects);
// "Kamb" and "1 % area".
void add_density_methods(QComboBox& combo);
// The subject or method of the current item; none for an item without one ("None").
std::optional<TDensitySubject> chosen_subject(const QComboBox& combo);
TDensityMethod chosen_method(const QComboBox& combo);
// Selects the item of the value (none: the item without data) without a signal back.
void select_quietly(QComboBox& combo, std::optional<int> value);

// The contour levels of the method that method_now gives, typed with the locale's decimal
// point; empty for the defaults. Leaving the box or Enter hands the text to the session; text
// it refuses (with its message) is replaced by the levels it holds.
class TLevelsEdit : public TEditBox {
    Q_OBJECT
public:
    TLevelsEdit(TSession& session, std::function<TDensityMethod()> method_now,
                QWidget* parent = nullptr);

    // False when the text was refused.
    bool commit();
    // The levels the session holds, unless the user is typing new ones.
    void show_levels();

private:
    TSession& session_;
    std::function<TDensityMethod()> method_now_;
    bool committing_ = false; // a message box about the text takes the focus: not a leaving
};
