#include "ui/radio_group.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

QGroupBox* radio_group(const QString& title, const QString& first, const QString& second,
                       QRadioButton* (&items)[2], QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(0);
    auto* group = new QButtonGroup(box);
    items[0] = new QRadioButton(first);
    items[1] = new QRadioButton(second);
    for (QRadioButton* item : items) {
        group->addButton(item);
        layout->addWidget(item);
    }
    return box;
}

void set_checked_quietly(QAbstractButton* button, bool checked) {
    const QSignalBlocker quiet(button);
    button->setChecked(checked);
}
