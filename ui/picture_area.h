#pragma once

// Shows a plot's bitmap scaled down proportionally at the top-left corner, never enlarged, and
// reports mouse positions in the plot's own pixels.

#include <QImage>
#include <QWidget>

class TPictureArea : public QWidget {
    Q_OBJECT
public:
    explicit TPictureArea(QWidget* parent = nullptr);

    void set_picture(const QImage& picture);
    const QImage& picture() const { return picture_; }

    // Plot pixels per widget pixel: the picture's shown size follows the smaller fit of width
    // and height, and never exceeds the picture itself.
    double plot_scale() const;
    QSize shown_size() const;

signals:
    void mouse_moved(QPoint widget_pos);
    void mouse_released(QPoint widget_pos, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage picture_;
    QImage scaled_; // cache of the shown picture
};
