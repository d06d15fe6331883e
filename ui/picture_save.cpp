#include "ui/picture_save.h"

#include "core/messages.h"

QString picture_filter() {
    return QStringLiteral("Enhanced metafile (*.emf)|*.emf|SVG picture (*.svg)|*.svg|"
                          "PDF document (*.pdf)|*.pdf|PNG image (*.png)|*.png");
}

void save_picture(const QString& path, QSize logical, const TPictureDrawing& draw,
                  Messages& messages) {
    if (path.isEmpty())
        return;
    QString error;
    const TPictureFormat format = picture_format_of(path).value_or(TPictureFormat::Emf);
    if (!write_picture_as(path, format, logical, 1.0, draw, &error))
        messages.show(error);
}
