#pragma once

#include "commandcontext.h"
#include "invocation.h"

#include <QCoro/QCoroTask>

namespace Tolvan {

// history and its actions: the history store's list, search and filter, and
// its entry actions and clear-all, as the History screen drives them.
class HistoryCommands {
public:
    HistoryCommands(CommandContext &context, const Invocation &invocation);

    QCoro::Task<ExitStatus> list();
    QCoro::Task<ExitStatus> show();
    QCoro::Task<ExitStatus> remove();
    QCoro::Task<ExitStatus> clear();

private:
    using OperationFor = HistoryStore::EntryOperation (*)(const HistoryEntry &entry);

    // Runs the operation that `operationFor` gives for the entry with the
    // invocation's ID; the entry that it answered, or none when it failed.
    QCoro::Task<std::optional<HistoryEntry>> runOnEntry(OperationFor operationFor);

    CommandContext &m_context;
    const Invocation &m_invocation;
};

} // namespace Tolvan
