#include "ui/view_dock.h"

#include <QCloseEvent>

TViewDock::TViewDock(const QString& caption, QWidget* parent) : QDockWidget(caption, parent) {
    // Only a floating view can be closed, and closing it ends the program.
    setFeatures(DockWidgetMovable | DockWidgetFloatable);
    connect(this, &QDockWidget::topLevelChanged, this, [this](bool floating) {
        setFeatures(floating ? DockWidgetMovable | DockWidgetFloatable | DockWidgetClosable
                             : DockWidgetMovable | DockWidgetFloatable);
    });
}

void TViewDock::closeEvent(QCloseEvent* event) {
    QDockWidget::closeEvent(event);
    if (event->isAccepted() && isFloating())
        emit closed_while_floating();
}
