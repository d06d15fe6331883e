#pragma once

// Shows a plot's bitmap scaled down proportionally at the top-left corner, never enlarged, and
// reports mouse positions as points of the picture.

#include <QImage>
#include <QWidget>

class TPictureArea : public QWidget {
    Q_OBJECT
public:
    explicit TPictureArea(QWidget* parent = nullptr);

    void set_picture(const QImage& picture);
    const QImage& picture() const { return picture_; }

    // The picture's size as shown: the smaller fit of width and height, never enlarged.
    QSize shown_size() const;

signals:
    void mouse_moved(QPoint picture_point);
    void mouse_released(QPoint picture_point, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage picture_;
    QImage scaled_; // cache of the shown picture
};
