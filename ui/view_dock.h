#pragma once

// A view of the main window: a dock that is a tab of the main window or floats on its own.

#include <QDockWidget>

class TViewDock : public QDockWidget {
    Q_OBJECT
public:
    explicit TViewDock(const QString& caption, QWidget* parent = nullptr);

    // -1 while floating, otherwise the index of the view's tab.
    int tag = -1;

    // Whether the access keys of the view's buttons work. Qt keeps the views behind other tabs
    // visible, so their keys would otherwise compete with those of the view in front and of the
    // menu bar (Alt+D: three "Draw"s; Alt+H: "&Help" and "T&heoretical Slip").
    bool access_keys_live() const { return access_keys_live_; }

signals:
    // The user closed the view's own window: the program ends.
    void closed_while_floating();

protected:
    void closeEvent(QCloseEvent* event) override;
    // An access key that a button of the view shares with a menu of the main window opens the
    // menu: Qt would give the button only the focus, on every other press.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void set_access_keys_live(bool live);

    bool access_keys_live_ = true;
};
