#pragma once

#include "commandcontext.h"
#include "invocation.h"

#include <QCoro/QCoroTask>

namespace Tolvan {

// languages and translate: the translation store's catalogue, language choice,
// checks and request, as the Translate screen drives them.
class TranslationCommands {
public:
    TranslationCommands(CommandContext &context, const Invocation &invocation);

    QCoro::Task<ExitStatus> languages();
    QCoro::Task<ExitStatus> translate();

private:
    // Loads the catalogue, which also makes the store's default choice of
    // languages; the exit status when it failed.
    QCoro::Task<std::optional<ExitStatus>> loadCatalogue();

    CommandContext &m_context;
    const Invocation &m_invocation;
};

} // namespace Tolvan
