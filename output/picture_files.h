#pragma once

// Pictures in the format their file name asks for: enhanced metafile, SVG, PDF or PNG, all
// drawn by the same routine the window draws with.

#include <QPainter>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

enum class TPictureFormat { Emf, Svg, Pdf, Png };

// By the extension, in any case; nothing for another extension.
std::optional<TPictureFormat> picture_format_of(const QString& path);
// The extension of a format, with its dot: ".svg".
QString picture_extension(TPictureFormat format);

using TPictureDrawing = std::function<void(QPainter&)>;

// Draws a picture of the given logical size (pixels of a 96-dpi screen) into path. PNG is a
// bitmap of that size times png_scale; the vector formats keep the logical size as their page.
// Returns false with the reason in *error; a failed write leaves any previous file intact.
bool write_picture(const QString& path, QSize logical, double png_scale,
                   const TPictureDrawing& draw, QString* error);

// The same in a given format, whatever the extension.
bool write_picture_as(const QString& path, TPictureFormat format, QSize logical, double png_scale,
                      const TPictureDrawing& draw, QString* error);

// An SVG picture, written out every symbols_per_part symbols the drawing reports through
// picture_part_may_end (0: held whole until the end), byte for byte the same either way.
bool write_svg_picture(const QString& path, QSize logical, const TPictureDrawing& draw,
                       int symbols_per_part, QString* error);
