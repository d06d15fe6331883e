#pragma once

// Enhanced-metafile recording: a paint device whose engine turns what QPainter draws into EMF
// records. Logical units are the picture's pixels; the reference device is a 96-dpi screen, so
// a reader shows the picture at the size the bitmap has on such a screen.

#include <QByteArray>
#include <QPaintDevice>
#include <QSize>
#include <QString>

#include <memory>

class TEmfPaintEngine;

class TEmfRecorder : public QPaintDevice {
public:
    TEmfRecorder(int width, int height);
    ~TEmfRecorder() override;
    TEmfRecorder(const TEmfRecorder&) = delete;
    TEmfRecorder& operator=(const TEmfRecorder&) = delete;

    QSize size() const { return {width_, height_}; }

    // Stored in the header as "application\0picture\0\0"; empty texts leave the description out.
    void set_description(const QString& application, const QString& picture);

    // The whole file: header, the records of the last recording, end-of-file record. A new
    // QPainter on the recorder starts a new recording; painter.end() completes it.
    QByteArray data() const;

    // Atomic like the text writers: a failed save leaves any previous file intact. Fails while
    // a painter is still recording. Returns false with a reason in *error.
    bool save(const QString& path, QString* error) const;

    QPaintEngine* paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    int width_;
    int height_;
    QString description_;
    std::unique_ptr<TEmfPaintEngine> engine_;
};
