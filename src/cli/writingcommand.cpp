#include "writingcommand.h"

#include "jsonrecords.h"
#include "storewait.h"

namespace Tolvan {

WritingCommand::WritingCommand(CommandContext &context, const Invocation &invocation)
    : m_context(context)
    , m_invocation(invocation)
{
}

QCoro::Task<ExitStatus> WritingCommand::improve()
{
    if (const auto refused = co_await m_context.requireSession()) {
        co_return *refused;
    }
    WritingStore &store = m_context.stores().writing();
    // The input editor's placeholder asks for the draft.
    const QString placeholder = QStringLiteral("Enter a draft to improve…");
    store.setText(m_invocation.text ? *m_invocation.text
                                    : m_context.console().readAll(placeholder + QLatin1Char('\n')));
    if (!store.canImprove()) {
        co_return m_context.fail(placeholder);
    }
    store.improve();
    co_await waitFor(&store, &WritingStore::isBusy, &WritingStore::isBusyChanged, false);
    if (store.message()) {
        co_return m_context.fail(*store.message(), store.billingURL());
    }
    m_context.print({store.result()}, {{"text", JsonRecords::text(store.result())}});
    co_return ExitStatus::Success;
}

} // namespace Tolvan
