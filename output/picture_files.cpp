#include "output/picture_files.h"

#include "core/text_file.h"
#include "output/emf_recorder.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <cmath>

namespace {

constexpr int screen_dpi = 96;

bool fail(const QString& path, const QString& reason, QString* error) {
    if (error)
        *error = QStringLiteral("Cannot write file [%1]: %2").arg(path, reason);
    return false;
}

// The text as XML character data: QSvgGenerator writes its title as given. Characters XML
// cannot hold at all, which a file name may (control characters, unpaired surrogates), become
// U+FFFD; a CR is written as a reference, which a parser keeps rather than turning it into LF.
QString svg_text(QString text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if ((c < u'\x20' && c != u'\t' && c != u'\n' && c != u'\r') || c.isSurrogate() ||
                 c.unicode() >= 0xFFFE)
            text[i] = QChar::ReplacementCharacter;
    }
    return text.toHtmlEscaped().replace(u'\r', QStringLiteral("&#13;"));
}

bool write_svg(const QString& path, QSize logical, const TPictureDrawing& draw, QString* error) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(logical);
    svg.setViewBox(QRect(QPoint(0, 0), logical));
    svg.setResolution(screen_dpi);
    svg.setTitle(svg_text(QFileInfo(path).completeBaseName()));
    QPainter canvas;
    if (!canvas.begin(&svg))
        return fail(path, QStringLiteral("the SVG picture could not be started"), error);
    draw(canvas);
    canvas.end();
    return write_file_atomically(path, buffer.data(), error); // one step: no half file
}

bool write_pdf(const QString& path, QSize logical, const TPictureDrawing& draw, QString* error) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setResolution(screen_dpi);
    pdf.setPageSize(QPageSize(
        QSizeF(double(logical.width()) / screen_dpi, double(logical.height()) / screen_dpi),
        QPageSize::Inch, QString(), QPageSize::ExactMatch));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setCreator(QStringLiteral("Quomtel"));
    QPainter canvas;
    if (!canvas.begin(&pdf))
        return fail(path, QStringLiteral("the PDF page could not be started"), error);
    draw(canvas);
    if (!canvas.end())
        return fail(path, QStringLiteral("the PDF page could not be finished"), error);
    return write_file_atomically(path, buffer.data(), error); // one step: no half file
}

bool write_png(const QString& path, QSize logical, double scale, const TPictureDrawing& draw,
               QString* error) {
    const QSize size(std::max(1, int(std::lround(logical.width() * scale))),
                     std::max(1, int(std::lround(logical.height() * scale))));
    // The window's bitmaps are RGB32: the same format draws the same pixels.
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return fail(path, QStringLiteral("not enough memory for the picture"), error);
    image.fill(Qt::white);
    {
        QPainter canvas(&image);
        if (scale != 1)
            canvas.scale(double(size.width()) / logical.width(),
                         double(size.height()) / logical.height());
        draw(canvas);
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return fail(path, QStringLiteral("the PNG picture could not be encoded"), error);
    return write_file_atomically(path, buffer.data(), error); // one step: no half file
}

} // namespace

std::optional<TPictureFormat> picture_format_of(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QStringLiteral("emf"))
        return TPictureFormat::Emf;
    if (suffix == QStringLiteral("svg"))
        return TPictureFormat::Svg;
    if (suffix == QStringLiteral("pdf"))
        return TPictureFormat::Pdf;
    if (suffix == QStringLiteral("png"))
        return TPictureFormat::Png;
    return std::nullopt;
}

bool write_picture(const QString& path, QSize logical, double png_scale,
                   const TPictureDrawing& draw, QString* error) {
    const std::optional<TPictureFormat> format = picture_format_of(path);
    if (!format)
        return fail(path, QStringLiteral("unknown picture format"), error);
    return write_picture_as(path, *format, logical, png_scale, draw, error);
}

bool write_picture_as(const QString& path, TPictureFormat format, QSize logical, double png_scale,
                      const TPictureDrawing& draw, QString* error) {
    switch (format) {
    case TPictureFormat::Emf: {
        TEmfRecorder recorder(logical.width(), logical.height());
        {
            QPainter canvas(&recorder);
            draw(canvas);
        }
        return recorder.save(path, error);
    }
    case TPictureFormat::Svg:
        return write_svg(path, logical, draw, error);
    case TPictureFormat::Pdf:
        return write_pdf(path, logical, draw, error);
    case TPictureFormat::Png:
        return write_png(path, logical, png_scale, draw, error);
    }
    return false;
}
