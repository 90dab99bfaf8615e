#pragma once

#include "confirmationprompt.h"

namespace Tolvan {

// Asks in a modal message box, with the confirm button as the default one
// and Escape choosing the cancel button.
class DialogConfirmationPrompt : public ConfirmationPrompt {
public:
    QCoro::Task<bool> confirm(Request request) override;
};

} // namespace Tolvan
