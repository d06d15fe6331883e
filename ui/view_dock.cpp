#include "ui/view_dock.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QShortcutEvent>

TViewDock::TViewDock(const QString& caption, QWidget* parent) : QDockWidget(caption, parent) {
    // Only a floating view can be closed, and closing it ends the program.
    setFeatures(DockWidgetMovable | DockWidgetFloatable);
    connect(this, &QDockWidget::topLevelChanged, this, [this](bool floating) {
        setFeatures(floating ? DockWidgetMovable | DockWidgetFloatable | DockWidgetClosable
                             : DockWidgetMovable | DockWidgetFloatable);
    });
    // Shown means in front: the selected tab, or a floating window.
    connect(this, &QDockWidget::visibilityChanged, this, &TViewDock::set_access_keys_live);
}

void TViewDock::set_access_keys_live(bool live) {
    access_keys_live_ = live;
    // A button's access key is the shortcut its caption sets; the caption keeps its underline.
    for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
        button->setShortcut(live ? QKeySequence::mnemonic(button->text()) : QKeySequence());
        button->installEventFilter(this); // once: installing again only moves it to the front
    }
}

bool TViewDock::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Shortcut)
        return QDockWidget::eventFilter(watched, event);
    const auto* shortcut = static_cast<QShortcutEvent*>(event);
    auto* window = qobject_cast<QMainWindow*>(parentWidget());
    if (!shortcut->isAmbiguous() || !window || !window->menuBar())
        return false;
    QMenuBar* bar = window->menuBar();
    for (QAction* menu : bar->actions()) {
        if (menu->isVisible() && menu->isEnabled() &&
            QKeySequence::mnemonic(menu->text()) == shortcut->key()) {
            bar->setActiveAction(menu);
            return true;
        }
    }
    return false;
}

void TViewDock::closeEvent(QCloseEvent* event) {
    QDockWidget::closeEvent(event);
    if (event->isAccepted() && isFloating())
        emit closed_while_floating();
}
