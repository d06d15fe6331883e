#pragma once

#include <QDialog>

// The About box: name, version and a Close button; shown without being modal.
class TFormAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFormAbout(QWidget* parent = nullptr);
    // Centred on the given window, then shown.
    void show_centred_on(const QWidget& window);
};
