#pragma once

#include "commandcontext.h"
#include "invocation.h"

#include <QCoro/QCoroTask>

namespace Tolvan {

// plans, checkout and portal: the billing store's plans and its two billing
// actions, as the plan sheet and the settings drive them. The page that the
// store opens is the link the command prints.
class BillingCommands {
public:
    BillingCommands(CommandContext &context, const Invocation &invocation);

    QCoro::Task<ExitStatus> plans();
    QCoro::Task<ExitStatus> checkout();
    QCoro::Task<ExitStatus> portal();

private:
    // Loads the subscription and the plans; the exit status when there are no plans to show.
    QCoro::Task<std::optional<ExitStatus>> loadPlans();
    // Waits for the billing action in flight; prints the page it took.
    QCoro::Task<ExitStatus> finishAction();

    CommandContext &m_context;
    const Invocation &m_invocation;
};

} // namespace Tolvan
