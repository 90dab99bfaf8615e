#pragma once

#include "commandcontext.h"
#include "invocation.h"

#include <QCoro/QCoroTask>

namespace Tolvan {

// login, logout and status: the session store's sign-in, sign-out and state,
// with the subscription state from the billing store.
class AccountCommands {
public:
    AccountCommands(CommandContext &context, const Invocation &invocation);

    QCoro::Task<ExitStatus> login();
    QCoro::Task<ExitStatus> logout();
    QCoro::Task<ExitStatus> status();

private:
    // Says why the session store did not sign in.
    ExitStatus refused();

    CommandContext &m_context;
    const Invocation &m_invocation;
};

} // namespace Tolvan
