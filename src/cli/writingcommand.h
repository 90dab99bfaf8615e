#pragma once

#include "commandcontext.h"
#include "invocation.h"

#include <QCoro/QCoroTask>

namespace Tolvan {

// improve: the writing store's check and request, as the Write screen drives them.
class WritingCommand {
public:
    WritingCommand(CommandContext &context, const Invocation &invocation);

    QCoro::Task<ExitStatus> improve();

private:
    CommandContext &m_context;
    const Invocation &m_invocation;
};

} // namespace Tolvan
