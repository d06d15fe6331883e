#pragma once

// A view of the main window: a dock that is a tab of the main window or floats on its own.

#include <QDockWidget>

class TViewDock : public QDockWidget {
    Q_OBJECT
public:
    explicit TViewDock(const QString& caption, QWidget* parent = nullptr);

    // -1 while floating, otherwise the index of the view's tab.
    int tag = -1;

signals:
    // The user closed the view's own window: the program ends.
    void closed_while_floating();

protected:
    void closeEvent(QCloseEvent* event) override;
};
