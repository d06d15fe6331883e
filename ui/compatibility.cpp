#include "ui/compatibility.h"

#include <QLabel>

TFormCompatibility::TFormCompatibility(QWidget* parent)
    : TViewDock(QStringLiteral("Compatibility"), parent) {
    setObjectName(QStringLiteral("FormCompatibility"));
    auto* body = new QLabel;
    body->setAutoFillBackground(true);
    setWidget(body);
}
