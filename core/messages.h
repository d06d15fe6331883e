#pragma once

#include <QString>

// Where readers, analysis and writers send what the user must be told. The window shows modal
// boxes, the batch tool writes to standard error, the tests record.
class Messages {
public:
    virtual ~Messages() = default;
    // An information or error text with an OK button.
    virtual void show(const QString& text) = 0;
    // A Yes/No question; true for Yes.
    virtual bool ask(const QString& caption, const QString& text) = 0;
};
