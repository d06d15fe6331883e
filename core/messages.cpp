#include "core/messages.h"

QString message_box_text(const QString& text) {
    constexpr qsizetype kept = 1000; // at each end: a long path keeps its folder and its name
    if (text.size() <= 2 * kept + 100)
        return text;
    return text.first(kept) + QStringLiteral(" [... ") + QString::number(text.size() - 2 * kept) +
           QStringLiteral(" characters ...] ") + text.last(kept);
}

void Messages::show_lines(const QStringList& lines) {
    if (!lines.isEmpty())
        show(lines.join(u'\n'));
}
