#include "ui/value_dialogs.h"

#include "session/settings.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QDoubleSpinBox* angle_box(double top, double value, const QString& tip) {
    auto* box = new QDoubleSpinBox;
    box->setRange(0, top);
    box->setDecimals(1);
    box->setSuffix(QStringLiteral("°"));
    box->setValue(value);
    box->setToolTip(tip);
    return box;
}

QDialogButtonBox* ok_cancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

TDesignateDialog::TDesignateDialog(const TStressValues& initial, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Designate Stress State"));
    boxes[0] = angle_box(360, initial.sigma1.az, QStringLiteral("Trend of sigma1, 0 to 360"));
    boxes[1] = angle_box(90, initial.sigma1.pl, QStringLiteral("Plunge of sigma1, 0 to 90"));
    boxes[2] = angle_box(360, initial.sigma3.az, QStringLiteral("Trend of sigma3, 0 to 360"));
    boxes[3] = angle_box(90, initial.sigma3.pl, QStringLiteral("Plunge of sigma3, 0 to 90"));
    boxes[4] = new QDoubleSpinBox;
    boxes[4]->setRange(0, 1);
    boxes[4]->setDecimals(3);
    boxes[4]->setSingleStep(0.05);
    boxes[4]->setValue(initial.phi);
    boxes[4]->setToolTip(
        QStringLiteral("Stress ratio (sigma2 - sigma3) / (sigma1 - sigma3), 0 to 1"));
    auto* form = new QFormLayout;
    const auto pair = [](QDoubleSpinBox* trend, QDoubleSpinBox* plunge) {
        auto* row = new QHBoxLayout;
        row->addWidget(trend);
        row->addWidget(new QLabel(QStringLiteral("/")));
        row->addWidget(plunge);
        return row;
    };
    form->addRow(QStringLiteral("σ1 trend / plunge:"), pair(boxes[0], boxes[1]));
    form->addRow(QStringLiteral("σ3 trend / plunge:"), pair(boxes[2], boxes[3]));
    form->addRow(QStringLiteral("Stress ratio Φ:"), boxes[4]);
    problem = new QLabel(this);
    problem->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(problem);
    layout->addWidget(ok_cancel(this));
}

TStressValues TDesignateDialog::values() const {
    TStressValues v;
    v.sigma1 = make_azpl(float(boxes[0]->value()), float(boxes[1]->value()));
    v.sigma3 = make_azpl(float(boxes[2]->value()), float(boxes[3]->value()));
    v.phi = float(boxes[4]->value());
    return v;
}

void TDesignateDialog::accept() {
    const TStressValues v = values();
    const QString why = check_stress_axes(v.sigma1, v.sigma3, v.phi);
    problem->setText(why);
    if (why.isEmpty())
        QDialog::accept();
}

TSaveAllDialog::TSaveAllDialog(const QString& folder, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Save All Results"));
    folder_edit = new QLineEdit(folder);
    folder_edit->setToolTip(QStringLiteral("The folder the files are written into"));
    auto* browse = new QPushButton(QStringLiteral("&Browse..."));
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getExistingDirectory(
            this, QStringLiteral("Save All Results Into"), folder_edit->text());
        if (!chosen.isEmpty())
            folder_edit->setText(chosen);
    });
    format_box = new QComboBox;
    format_box->addItem(QStringLiteral("SVG picture (*.svg)"), int(TPictureFormat::Svg));
    format_box->addItem(QStringLiteral("PDF document (*.pdf)"), int(TPictureFormat::Pdf));
    format_box->addItem(QStringLiteral("PNG image (*.png)"), int(TPictureFormat::Png));
    format_box->addItem(QStringLiteral("Enhanced metafile (*.emf)"), int(TPictureFormat::Emf));
    format_box->setToolTip(QStringLiteral("The format of the four pictures"));
    auto* folder_row = new QHBoxLayout;
    folder_row->addWidget(folder_edit, 1);
    folder_row->addWidget(browse);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Folder:"), folder_row);
    form->addRow(QStringLiteral("Pictures as:"), format_box);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral(
        "The misfit, theoretical-slip and stress-tensor files and the four pictures, each "
        "named after the file loaded, as far as what is loaded and designated allows.")));
    layout->addWidget(ok_cancel(this));
    resize(520, sizeHint().height());
}

TSaveAllChoice TSaveAllDialog::choice() const {
    return {folder_edit->text(), TPictureFormat(format_box->currentData().toInt())};
}
