#include "ui/st_view.h"

#include "ui/fd_view.h"

#include <QCheckBox>
#include <QLabel>

TFormST::TFormST(TFormFD& fd_view, QWidget* parent)
    : TViewDock(QStringLiteral("Stress Tensor"), parent), fd_view_(fd_view) {
    setObjectName(QStringLiteral("FormST"));
    auto* body = new QLabel;
    body->setAlignment(Qt::AlignCenter);
    body->setAutoFillBackground(true);
    setWidget(body);
    for (QCheckBox* box : {fd_view_.CheckBoxTheoreticalSlip, fd_view_.CheckBoxModelFaults,
                           fd_view_.CheckBoxDesignatedAxes})
        box->setChecked(false);
    update_status_bar();
}

void TFormST::update_status_bar() {
    setWindowTitle(QStringLiteral("Stress Tensor"));
}

void TFormST::read_IR(const QString&) {}
