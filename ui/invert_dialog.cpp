#include "ui/invert_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include <climits>

namespace {

// The boxes reach beyond the ranges allowed, so that a value out of range is told why rather
// than silently clamped.
QDoubleSpinBox* number_box(double top, int decimals, double step, double value,
                           const QString& tip) {
    auto* box = new QDoubleSpinBox;
    box->setRange(0, top);
    box->setDecimals(decimals);
    box->setSingleStep(step);
    box->setValue(value);
    box->setToolTip(tip);
    return box;
}

QString measure_name(TMifitMeasure measure) {
    return measure == TMifitMeasure::SlipDir ? QStringLiteral("Slip direction (0 to 180°)")
                                             : QStringLiteral("Distance to Fry arc (0 to 90°)");
}

} // namespace

TInvertDialog::TInvertDialog(const TInversionSettings& initial, TMifitMeasure measure,
                             QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Invert Fault Data"));
    method_box = new QComboBox;
    method_box->addItem(QStringLiteral("Grid search"), int(TInversionMethod::Grid));
    method_box->addItem(QStringLiteral("Linear inversion with bootstrap"),
                        int(TInversionMethod::Linear));
    method_box->setCurrentIndex(initial.method == TInversionMethod::Linear ? 1 : 0);
    method_box->setToolTip(QStringLiteral(
        "Grid search: every stress state of a grid, scored by the number of data it explains "
        "within the tolerance. Linear inversion (Michael 1984): the best state by least squares, "
        "and its spread from bootstrap resamples of the data."));
    spacing_box = number_box(90, 1, 1, initial.grid_spacing,
                             QStringLiteral("Grid spacing g of the sigma1 and sigma3 directions, "
                                            "1 to 30°; the run takes about 1/g³ as long"));
    spacing_box->setSuffix(QStringLiteral("°"));
    ratio_step_box = number_box(1, 3, 0.05, initial.ratio_step,
                                QStringLiteral("Step r of the stress ratio, 0.01 to 0.5"));
    tolerance_box = number_box(180, 1, 1, initial.tolerance,
                               QStringLiteral("Largest misfit t of a datum the state explains, "
                                              "1 to 90°, under the misfit measure below"));
    tolerance_box->setSuffix(QStringLiteral("°"));
    resamples_box = new QSpinBox;
    resamples_box->setRange(0, 1'000'000);
    resamples_box->setValue(int(std::min<long long>(initial.resamples, 1'000'000)));
    resamples_box->setToolTip(
        QStringLiteral("Number B of bootstrap resamples, 0 to 100000; each is a stress state"));
    seed_box = new QSpinBox;
    seed_box->setRange(0, INT_MAX);
    seed_box->setValue(int(std::min<std::uint32_t>(initial.seed, INT_MAX)));
    seed_box->setToolTip(QStringLiteral("The same seed and data give the same resamples"));
    measure_label = new QLabel(measure_name(measure));
    measure_label->setToolTip(
        QStringLiteral("The fitness counts misfits under the measure of the Compatibility view"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Method:"), method_box);
    form->addRow(QStringLiteral("Grid &spacing g:"), spacing_box);
    form->addRow(QStringLiteral("Stress-&ratio step r:"), ratio_step_box);
    form->addRow(QStringLiteral("Misfit &tolerance t:"), tolerance_box);
    form->addRow(QStringLiteral("&Bootstrap resamples B:"), resamples_box);
    form->addRow(QStringLiteral("S&eed:"), seed_box);
    form->addRow(QStringLiteral("Misfit measure:"), measure_label);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(method_box, &QComboBox::currentIndexChanged, this, &TInvertDialog::method_changed);
    method_changed();
}

void TInvertDialog::method_changed() {
    const bool grid = settings().method == TInversionMethod::Grid;
    for (QWidget* box : std::initializer_list<QWidget*>{spacing_box, ratio_step_box, tolerance_box})
        box->setEnabled(grid);
    for (QWidget* box : std::initializer_list<QWidget*>{resamples_box, seed_box})
        box->setEnabled(!grid);
}

TInversionSettings TInvertDialog::settings() const {
    TInversionSettings s;
    s.method = TInversionMethod(method_box->currentData().toInt());
    s.grid_spacing = spacing_box->value();
    s.ratio_step = ratio_step_box->value();
    s.tolerance = tolerance_box->value();
    s.resamples = resamples_box->value();
    s.seed = std::uint32_t(seed_box->value());
    return s;
}
