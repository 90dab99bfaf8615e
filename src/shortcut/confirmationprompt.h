#pragma once

#include <QCoro/QCoroTask>
#include <QString>

namespace Tolvan {

// Asks the user to confirm a step in a modal dialog. The desktop app shows
// the dialog; tests answer by themselves.
class ConfirmationPrompt {
public:
    struct Request {
        QString message;
        QString informativeText;
        // The buttons, in this order.
        QString confirmButton;
        QString cancelButton;
    };

    virtual ~ConfirmationPrompt() = default;

    // True only when the confirm button was chosen.
    virtual QCoro::Task<bool> confirm(Request request) = 0;
};

} // namespace Tolvan
