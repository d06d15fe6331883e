#pragma once

// Saving a plot as the picture its file name asks for: SVG, PDF or PNG by the extension, an
// enhanced metafile otherwise (also for ".wmf"). A failure is reported to the user.

#include "batch/picture_files.h"

class Messages;

// The filter of the picture save dialogs, metafiles first.
QString picture_filter();

void save_picture(const QString& path, QSize logical, const TPictureDrawing& draw,
                  Messages& messages);
