#pragma once

#include <QString>

namespace core {

// Asks whether a picked window is to be concealed alone or with every window of its class.
class AddConfirmer {
public:
    AddConfirmer() = default;
    virtual ~AddConfirmer() = default;
    AddConfirmer(const AddConfirmer&) = delete;
    AddConfirmer& operator=(const AddConfirmer&) = delete;

    // Shows the question modally and returns when it is answered: true for the window alone, false
    // for its whole class. Closed without an answer, it returns the answer of the previous use.
    virtual bool confirm(const QString& className) = 0;
};

// The question for a window of class `className`, lines separated by CR LF.
QString addConfirmMessage(const QString& className);

}  // namespace core
