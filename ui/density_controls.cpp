#include "ui/density_controls.h"

#include "core/number_text.h"
#include "session/session.h"

#include <QComboBox>
#include <QScopedValueRollback>
#include <QSignalBlocker>

void add_density_subjects(QComboBox& combo, std::span<const TDensitySubject> subjects) {
    for (const TDensitySubject subject : subjects)
        combo.addItem(density_subject_caption(subject), static_cast<int>(subject));
}

void add_density_methods(QComboBox& combo) {
    for (const TDensityMethod method : {TDensityMethod::Kamb, TDensityMethod::Schmidt})
        combo.addItem(density_method_caption(method), static_cast<int>(method));
    combo.setToolTip(QStringLiteral(
        "Kamb: a counting circle for 3 standard deviations, density in multiples of sigma. "
        "1 % area: a counting circle of 1 % of the hemisphere, density in percent of the axes"));
}

std::optional<TDensitySubject> chosen_subject(const QComboBox& combo) {
    const QVariant data = combo.currentData();
    if (!data.isValid())
        return std::nullopt;
    return static_cast<TDensitySubject>(data.toInt());
}

TDensityMethod chosen_method(const QComboBox& combo) {
    return static_cast<TDensityMethod>(combo.currentData().toInt());
}

void select_quietly(QComboBox& combo, std::optional<int> value) {
    const QSignalBlocker quiet(combo);
    combo.setCurrentIndex(value ? combo.findData(*value) : combo.findData(QVariant()));
}

TLevelsEdit::TLevelsEdit(TSession& session, std::function<TDensityMethod()> method_now,
                         QWidget* parent)
    : TEditBox(parent), session_(session), method_now_(std::move(method_now)) {
    setPlaceholderText(QStringLiteral("default"));
    setToolTip(QStringLiteral(
        "The contour levels, as 2, 4, 6; empty for the defaults (2, 4, 6, ... sigma for Kamb; "
        "1, 2, 4, 8, 16 % for 1 % area)"));
    connect(this, &TEditBox::left, this, [this] {
        if (!committing_)
            commit();
    });
    connect(this, &TEditBox::enter_pressed, this, [this] {
        commit();
        selectAll();
    });
}

bool TLevelsEdit::commit() {
    const QScopedValueRollback committing(committing_, true);
    if (!isModified())
        return true;
    if (session_.set_density_levels(method_now_(), text(), locale_decimal_point())) {
        setModified(false);
        show_levels();
        return true;
    }
    setModified(false); // the levels held come back
    show_levels();
    selectAll();
    return false;
}

void TLevelsEdit::show_levels() {
    if (isModified())
        return;
    setText(density_levels_text(density_levels_of(session_.settings, method_now_()),
                                locale_decimal_point()));
}
