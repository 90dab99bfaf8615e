#pragma once

#include "commandcontext.h"
#include "console.h"
#include "exitstatus.h"
#include "invocation.h"

#include <QCoro/QCoroTask>

namespace Tolvan {

// Runs one invocation: finds the service and the credentials as the app does,
// runs the command over the app's stores, lets the stores go, and finishes
// only once every request and sleep that they started has ended.
class CommandRunner {
public:
    CommandRunner(Invocation invocation, Console &console);

    QCoro::Task<ExitStatus> run();
    // Runs, then ends the event loop with the exit status.
    QCoro::Task<> runAndQuit();

private:
    QCoro::Task<ExitStatus> dispatch(CommandContext &context);

    const Invocation m_invocation;
    Console &m_console;
};

} // namespace Tolvan
