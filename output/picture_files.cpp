#include "output/picture_files.h"

#include "core/output_file.h"
#include "core/text_file.h"
#include "output/emf_recorder.h"
#include "plot/picture_parts.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <cmath>
#include <memory>
#include <utility>

namespace {

constexpr int screen_dpi = 96;

// Symbols per part of an SVG picture: some 10 MB of text at a time.
constexpr int svg_symbols_per_part = 10000;

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

// The SVG generator holds the whole body of its document as text until it ends, some 1 kB
// per symbol. So the picture is drawn in parts: at a point the plot allows, the painter ends
// its generator and begins on a fresh one with the same state, and the part's body goes to the
// file. Each generator writes the same prologue and epilogue, and its first state group is the
// one the single generator would have opened after closing the previous group, so the file is
// byte for byte the single generator's. A generator whose layout is not that one (checked
// before anything is written) draws the whole picture as one part.
class TSvgInParts {
public:
    TSvgInParts(QIODevice& file, QSize logical, QString title, int symbols_per_part)
        : file_(file), logical_(logical), title_(std::move(title)),
          symbols_per_part_(symbols_per_part) {}

    bool begin(QPainter& canvas) {
        if (symbols_per_part_ > 0 && !layout_known())
            symbols_per_part_ = 0;
        start_generator();
        return canvas.begin(generator_.get());
    }

    void symbol_drawn(QPainter& canvas) {
        if (symbols_per_part_ <= 0 || ++symbols_ < symbols_per_part_ || canvas.hasClipping())
            return;
        symbols_ = 0;
        const TPainterState state(canvas);
        canvas.end();
        write_part(take_document()); // after an error the rest is drawn, not written
        start_generator();
        canvas.begin(generator_.get());
        state.restore(canvas);
    }

    bool end(QPainter& canvas) {
        canvas.end();
        const QByteArray document = take_document();
        if (!error_.isEmpty())
            return false;
        if (!parted_)
            return write(document);
        return write_part(document) && write(group_open_ ? group_end + epilogue : epilogue);
    }

    QString error() const { return error_; }

private:
    struct TPainterState {
        explicit TPainterState(const QPainter& canvas)
            : pen(canvas.pen()), brush(canvas.brush()), font(canvas.font()),
              transform(canvas.transform()), hints(canvas.renderHints()), opacity(canvas.opacity()),
              background(canvas.background()), background_mode(canvas.backgroundMode()),
              brush_origin(canvas.brushOrigin()), mode(canvas.compositionMode()) {}
        void restore(QPainter& canvas) const {
            canvas.setPen(pen);
            canvas.setBrush(brush);
            canvas.setFont(font);
            canvas.setTransform(transform);
            canvas.setRenderHints(~QPainter::RenderHints(), false);
            canvas.setRenderHints(hints);
            canvas.setOpacity(opacity);
            canvas.setBackground(background);
            canvas.setBackgroundMode(background_mode);
            canvas.setBrushOrigin(brush_origin);
            canvas.setCompositionMode(mode);
        }
        QPen pen;
        QBrush brush;
        QFont font;
        QTransform transform;
        QPainter::RenderHints hints;
        qreal opacity;
        QBrush background;
        Qt::BGMode background_mode;
        QPointF brush_origin;
        QPainter::CompositionMode mode;
    };

    static inline const QByteArray epilogue = QByteArrayLiteral("</g>\n</svg>\n");
    static inline const QByteArray group_end = QByteArrayLiteral("</g>\n");
    static inline const QByteArray group_change = QByteArrayLiteral("</g>\n\n");

    void start_generator() {
        bytes_.clear();
        buffer_ = std::make_unique<QBuffer>(&bytes_);
        buffer_->open(QIODevice::WriteOnly);
        generator_ = std::make_unique<QSvgGenerator>();
        generator_->setOutputDevice(buffer_.get());
        generator_->setSize(logical_);
        generator_->setViewBox(QRect(QPoint(0, 0), logical_));
        generator_->setResolution(screen_dpi);
        generator_->setTitle(title_);
    }

    QByteArray take_document() {
        generator_.reset();
        buffer_.reset();
        return std::exchange(bytes_, QByteArray());
    }

    // An empty document is the prologue and the epilogue; one with a line holds one state
    // group between them.
    bool layout_known() {
        QPainter probe;
        start_generator();
        if (!probe.begin(generator_.get()))
            return false;
        probe.end();
        const QByteArray empty = take_document();
        if (!empty.endsWith(epilogue))
            return false;
        prologue_ = empty.chopped(epilogue.size());
        start_generator();
        if (!probe.begin(generator_.get()))
            return false;
        probe.setPen(Qt::red); // a state group opens at a change of state only
        probe.drawLine(0, 0, 1, 1);
        probe.end();
        const QByteArray line = take_document();
        return line.size() > empty.size() && line.startsWith(prologue_ + "<g ") &&
               line.endsWith(group_end + epilogue);
    }

    // The body of a part: its state groups, the last one left open for the next part to close.
    bool write_part(const QByteArray& document) {
        if (!error_.isEmpty())
            return false;
        QByteArrayView body(document);
        if (!body.startsWith(prologue_) || !body.endsWith(epilogue)) {
            error_ = QStringLiteral("the SVG picture could not be written in parts");
            return false;
        }
        body = body.sliced(prologue_.size(), body.size() - prologue_.size() - epilogue.size());
        if (!body.isEmpty() && (!body.startsWith("<g ") || !body.endsWith(group_end))) {
            error_ = QStringLiteral("the SVG picture could not be written in parts");
            return false;
        }
        if (!parted_ && !write(prologue_))
            return false;
        parted_ = true;
        if (body.isEmpty())
            return true;
        body.chop(group_end.size());
        if (group_open_ && !write(group_change))
            return false;
        group_open_ = true;
        return write(body);
    }

    bool write(QByteArrayView bytes) {
        for (qsizetype done = 0; done < bytes.size();) {
            const qint64 n = file_.write(bytes.data() + done, bytes.size() - done);
            if (n <= 0) {
                error_ = file_.errorString();
                return false;
            }
            done += n;
        }
        return true;
    }

    QIODevice& file_;
    QSize logical_;
    QString title_;
    int symbols_per_part_;
    int symbols_ = 0;
    QByteArray prologue_;
    QByteArray bytes_;
    std::unique_ptr<QBuffer> buffer_;
    std::unique_ptr<QSvgGenerator> generator_;
    bool parted_ = false;     // the prologue is written
    bool group_open_ = false; // the file ends inside a state group
    QString error_;
};

} // namespace

bool write_svg_picture(const QString& path, QSize logical, const TPictureDrawing& draw,
                       int symbols_per_part, QString* error) {
    // Written beside the target, which it replaces only once complete: no half file. A stream
    // is written as the parts come.
    TOutputFile file(path);
    QString reason;
    if (!file.open(reason))
        return fail(path, reason, error);
    TSvgInParts svg(file.device(), logical, svg_text(QFileInfo(path).completeBaseName()),
                    symbols_per_part);
    QPainter canvas;
    if (!svg.begin(canvas)) {
        file.cancel();
        return fail(path, QStringLiteral("the SVG picture could not be started"), error);
    }
    {
        const TPicturePartsScope parts(canvas,
                                       [&svg](QPainter& painter) { svg.symbol_drawn(painter); });
        draw(canvas);
    }
    if (!svg.end(canvas)) {
        reason = svg.error().isEmpty() ? file.device().errorString() : svg.error();
        file.cancel();
        return fail(path, reason, error);
    }
    if (!file.commit(reason))
        return fail(path, reason, error);
    if (error)
        error->clear();
    return true;
}

namespace {

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

QString picture_extension(TPictureFormat format) {
    switch (format) {
    case TPictureFormat::Emf:
        return QStringLiteral(".emf");
    case TPictureFormat::Svg:
        return QStringLiteral(".svg");
    case TPictureFormat::Pdf:
        return QStringLiteral(".pdf");
    case TPictureFormat::Png:
        return QStringLiteral(".png");
    }
    return QString();
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
        return write_svg_picture(path, logical, draw, svg_symbols_per_part, error);
    case TPictureFormat::Pdf:
        return write_pdf(path, logical, draw, error);
    case TPictureFormat::Png:
        return write_png(path, logical, png_scale, draw, error);
    }
    return false;
}
