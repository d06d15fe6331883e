#pragma once

#include <QString>
#include <QStringList>

// Where readers, analysis and writers send what the user must be told. The window shows modal
// boxes, the batch tool writes to standard error, the tests record.
class Messages {
public:
    virtual ~Messages() = default;
    // An information or error text with an OK button.
    virtual void show(const QString& text) = 0;
    // Something the user may like to know that is no problem (a summary, a precise value):
    // shown like any message unless the front end was asked to be quiet.
    virtual void note(const QString& text) { show(text); }
    // A report of many lines, a problem per line say: by default one text of those lines.
    virtual void show_lines(const QStringList& lines);
    // A Yes/No question; true for Yes.
    virtual bool ask(const QString& caption, const QString& text) = 0;
};

// What a message shows of a text, in the window's box or on a line of the batch tool: its
// middle gives way beyond a few thousand characters. A broken file can put megabytes into a
// message (a CGP name line, say); a box lays out every character before it appears, which for a
// megabyte takes many seconds, and a terminal would scroll for pages.
QString message_box_text(const QString& text);
