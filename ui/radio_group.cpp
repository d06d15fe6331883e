#include "ui/radio_group.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

QGroupBox* radio_group(const QString& title, const QString& first, const QString& second,
                       QRadioButton* (&items)[2], QWidget* parent) {
    return radio_group(title, {first, second}, std::span<QRadioButton*>(items), parent);
}

QGroupBox* radio_group(const QString& title, std::initializer_list<QString> captions,
                       std::span<QRadioButton*> items, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(0);
    auto* group = new QButtonGroup(box);
    size_t k = 0;
    for (const QString& caption : captions) {
        if (k >= items.size())
            break;
        items[k] = new QRadioButton(caption);
        group->addButton(items[k]);
        layout->addWidget(items[k]);
        ++k;
    }
    return box;
}

void set_checked_quietly(QAbstractButton* button, bool checked) {
    const QSignalBlocker quiet(button);
    button->setChecked(checked);
}
